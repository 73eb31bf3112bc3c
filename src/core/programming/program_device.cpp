// Program Device: the steps and their order are what the firmware relies on.
// The test name and the control settings go first; the sequence text last but
// one, because "UpdateFromSDIni" makes the device rebuild its test
// description from everything stored before it; the disabled-wells mask
// follows. Every command is sent even when one before it failed, and the
// window says "Success" once they are sent, as it always has; the report
// keeps each failed exchange with its command, so that whoever must know
// (the command-line tool, a script) does.

#include <cstdint>
#include <string>

#include "core/device/device_link.h"
#include "core/editor/sequence_checks.h"
#include "core/editor/sequence_view_model.h"
#include "core/programming/control_settings.h"
#include "core/programming/device_programming.h"
#include "core/protocol/kyrvana_doc.h"

namespace kyrvana {

ProgrammingReport ProgramDevice(CKyrvanaDoc& document) {
    DeviceLink& link = document.link();
    DocumentHost& host = document.host();
    const auto hold = link.Hold();
    ProgrammingReport report;
    if (!link.serial.isOpen()) {
        report.outcome = DeviceResult::failure(DeviceFailure::NoPort, {});
        return report;
    }
    host.withView([](SequenceViewModel& view) { view.clearMessages(); });

    int checked = -1;
    host.withView([&](SequenceViewModel& view) {
        checked = checkSequenceBeforeProgramming(view, document, host);
    });
    if (checked != 1) {
        report.outcome = DeviceResult::failure(DeviceFailure::Refused, {},
                                               "the sequence did not pass its checks");
        return report;
    }
    if (!document.connected()) {
        host.errorBox(kNotConnectedMessage);
        report.outcome = DeviceResult::failure(DeviceFailure::NoPort, {}, "no device connected");
        return report;
    }

    DeviceSetTable table;
    fillDeviceSetTable(table, document.sequence());

    std::int32_t repeatCount = 1;
    std::string testName;
    bool homingDisabled = false;
    host.withView([&](SequenceViewModel& view) {
        repeatCount = view.repeatCount;
        testName = view.testName;
        homingDisabled = view.homingDisabled;
    });
    std::uint32_t velocityCode = 0;
    std::uint8_t disabledWellsMask = 0;
    document.update([&](Protocol&, HardwareSettings& hardware, DisabledWells& wells) {
        hardware.RepeatTestSequence = repeatCount;
        velocityCode = hardware.ForceVelocityCode;
        disabledWellsMask = wells.mask;
    });

    {
        // Each step's own result is its first failure; the tally has them all.
        const auto recording = link.Record(report.exchanges);
        (void)writeEepromText(link, kTestNameAddress, testName);
        (void)writeControlSettings(link, table, velocityCode);
        (void)link.SetInternalValue(kHomingDisabledValue, homingDisabled ? 1 : 0);
        host.setBusy(true);
        (void)writeSequenceText(link, table, repeatCount);
        (void)link.SetInternalValue(kDisabledWellsValue, disabledWellsMask);
    }
    host.withView([](SequenceViewModel& view) { view.appendMessage(kProgrammingSuccessMessage); });
    host.setBusy(false);
    report.outcome = report.exchanges.first();
    return report;
}

}  // namespace kyrvana
