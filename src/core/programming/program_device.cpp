// Program Device: the steps and their order are what the firmware relies on.
// The test name and the control settings go first; the sequence text last but
// one, because "UpdateFromSDIni" makes the device rebuild its test
// description from everything stored before it; the disabled-wells mask
// follows. No answer is examined: every command is sent even when one before
// it failed (the transport reports each failure), and a device that has gone
// fails each remaining exchange at once.

#include <cstdint>
#include <string>

#include "core/device/device_link.h"
#include "core/editor/sequence_checks.h"
#include "core/editor/sequence_view_model.h"
#include "core/programming/control_settings.h"
#include "core/programming/device_programming.h"
#include "core/protocol/kyrvana_doc.h"

namespace kyrvana {

void ProgramDevice(CKyrvanaDoc& document) {
    DeviceLink& link = document.link();
    DocumentHost& host = document.host();
    const auto hold = link.Hold();
    if (!link.serial.isOpen()) {
        return;
    }
    host.withView([](SequenceViewModel& view) { view.clearMessages(); });

    int checked = -1;
    host.withView([&](SequenceViewModel& view) {
        checked = checkSequenceBeforeProgramming(view, document, host);
    });
    if (checked != 1) {
        return;
    }
    if (!document.connected()) {
        host.errorBox(kNotConnectedMessage);
        return;
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

    writeEepromText(link, kTestNameAddress, testName);
    writeControlSettings(link, table, velocityCode);
    link.SetInternalValue(kHomingDisabledValue, homingDisabled ? 1 : 0);
    host.setBusy(true);
    writeSequenceText(link, table, repeatCount);
    link.SetInternalValue(kDisabledWellsValue, disabledWellsMask);
    host.withView([](SequenceViewModel& view) { view.appendMessage(kProgrammingSuccessMessage); });
    host.setBusy(false);
}

}  // namespace kyrvana
