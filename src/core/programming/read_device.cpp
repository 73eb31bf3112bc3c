// Read Device: the programmed sequence, repeat count, velocity code,
// disabled wells and homing choice, read back from the stimulator into the
// document. A stored text that cannot be read leaves an empty sequence; the
// remaining steps still run, as they do on the device's own display.

#include <cstdint>

#include "core/device/device_link.h"
#include "core/editor/sequence_view_model.h"
#include "core/programming/device_programming.h"
#include "core/protocol/kyrvana_doc.h"

namespace kyrvana {
namespace {

DisabledWells disabledWellsFromMask(int value) {
    DisabledWells wells;
    wells.mask = static_cast<std::uint8_t>(value);
    for (int well = 0; well < DisabledWells::kWells; ++well) {
        wells.flags[static_cast<std::size_t>(well)] = (wells.mask >> well) & 1u;
    }
    return wells;
}

}  // namespace

void ReadDevice(CKyrvanaDoc& document) {
    DeviceLink& link = document.link();
    DocumentHost& host = document.host();
    const auto hold = link.Hold();
    if (!link.serial.isOpen()) {
        return;
    }
    host.withView([](SequenceViewModel& view) { view.clearMessages(); });
    if (!document.connected()) {
        host.errorBox(kNotConnectedMessage);
        return;
    }

    DeviceSetTable table;
    HardwareSettings hardware = document.hardware();
    // When the text cannot be read the table stays cleared: the document's
    // sequence becomes empty and the values keep what they were.
    readSequenceText(link, table, hardware);

    int disabledMask = 0;
    if (link.QueryInternalValue(static_cast<int>(kDisabledWellsValue), disabledMask) != 0) {
        disabledMask = 0;  // no answer: every well in use
    }
    const DisabledWells wells = disabledWellsFromMask(disabledMask);

    const Protocol rebuilt = sequenceFromDeviceSetTable(table);
    document.update([&](Protocol& sequence, HardwareSettings& settings, DisabledWells& disabled) {
        sequence.sets = rebuilt.sets;
        settings.RepeatTestSequence = hardware.RepeatTestSequence;
        settings.ForceVelocityCode = hardware.ForceVelocityCode;
        disabled = wells;
    });
    host.withView(
        [&](SequenceViewModel& view) { view.showRepeatCount(hardware.RepeatTestSequence); });

    // The homing choice is the word at 4348. When it cannot be read the box
    // keeps what it showed: nothing is known about the device's choice, and
    // silently switching homing on or off would change the next programming.
    std::uint32_t homingWord = 0;
    const bool homingRead =
        link.ReadDeviceWord(DeviceLink::kHomingDisabledAddress, homingWord) == 0;

    const Protocol shown = document.sequence();
    host.withView([&](SequenceViewModel& view) {
        if (homingRead) {
            view.homingDisabled = homingWord == 1;
        }
        view.refreshFrom(shown);
        view.appendMessage(kReadingSuccessMessage);
    });
}

}  // namespace kyrvana
