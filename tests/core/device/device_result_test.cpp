// The sentence a failure gives a person: one line naming the command, with
// the packed commands' control bytes made visible.

#include "core/device/device_result.h"

#include <gtest/gtest.h>

namespace kyrvana {
namespace {

TEST(DeviceResultTest, DescribesTheFailedExchangeOnOneReadableLine) {
    const struct {
        DeviceResult result;
        const char* text;
    } cases[] = {
        {DeviceResult::fromSerial(SerialReadTimeout, "\x1Cw(49,1)"),
         "no answer to \"\\x1Cw(49,1)\" within the read time-out"},
        {DeviceResult::fromSerial(SerialReadFailed, "QueryInternalValue(1)\r"),
         "the port failed while waiting for the answer to \"QueryInternalValue(1)\\x0D\""},
        {DeviceResult::fromSerial(SerialBufferFull, "QueryRev(0)"),
         "the device's answer to \"QueryRev(0)\" could not be used (answer too long)"},
        {DeviceResult::failure(DeviceFailure::NoPort, {}, "/dev/ttyACM0"),
         "the device's port is not open (/dev/ttyACM0)"},
        {DeviceResult::failure(DeviceFailure::None, "Homing"),
         "the device's answer to \"Homing\" could not be used"},
        {DeviceResult::fromSerial(SerialOk, "Homing"), "success"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result.describe(), c.text);
    }
}

}  // namespace
}  // namespace kyrvana
