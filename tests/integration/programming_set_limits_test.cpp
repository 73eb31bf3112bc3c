// The set editor's checks with a connected device: what they ask it, and how
// the travel check copes when the device does not answer.

#include <gtest/gtest.h>

#include "core/editor/set_limits.h"
#include "integration/programming_sim_support.h"

namespace kyrvana {
namespace {

using Commands = std::vector<std::string>;
using Kind = sim::SimulatorFault::Kind;

constexpr const char* kCompressTravel =
    "Error:  Cannot achieve X Compress Phase\n\tIncrease Compress Duration\n\tOr Reduce Compress "
    "Magnitude\n";
constexpr const char* kRecoveryTravel =
    "Error:  Cannot achieve X Recovery Phase\n\tIncrease Recovery Duration\n\tOr Reduce Recovery "
    "Magnitude\n";

class SetLimitsDeviceTest : public test::SimDocumentTest {
  protected:
    void SetUp() override {
        SimDocumentTest::SetUp();
        // 1000 um in 0.25 s each way: 4.0 mm/s, and 1600 um of reachable
        // travel at the stimulator's 0.15625 um per microstep.
        set_.stretchDurationMs = 250;
        set_.recoveryDurationMs = 250;
        hardware_.link = &document_.link();
        hardware_.umPerMicrostep = 0.0;  // must not be used with a device
        device_.sim().clearReceivedCommands();
    }

    SetRecord set_;
    SetLimitsHardware hardware_;
};

// The device is asked for each travel; when it does not answer, the figure
// read on connecting stands in.
TEST_F(SetLimitsDeviceTest, AsksTheDeviceForEachTravelAndFallsBackOnTheConnectionsFigure) {
    const SetEditorFields fields = setEditorFields(set_);
    const SetLimitsResult result = checkSetLimits(fields, set_, hardware_);
    EXPECT_TRUE(result.passed()) << result.text();
    EXPECT_EQ(device_.sim().receivedCommands(),
              (Commands{"QueryInternalValue(5)", "QueryUmPerUstep(0)", "QueryUmPerUstep(0)",
                        "QueryUmPerUstep(0)"}));

    document_.link().serial.setReadTimeoutMs(100);
    device_.sim().addFault({Kind::NoAnswer, "QueryUmPerUstep", 0});
    document_.link().umPerUstep[0] = 0.05;  // 512 um reachable
    EXPECT_EQ(checkSetLimits(fields, set_, hardware_).messages,
              (std::vector<std::string>{kCompressTravel, kRecoveryTravel}));

    // Nothing known at all: the travel cannot be judged and does not refuse.
    document_.link().umPerUstep[0] = 0.0;
    EXPECT_TRUE(checkSetLimits(fields, set_, hardware_).passed());
}

}  // namespace
}  // namespace kyrvana
