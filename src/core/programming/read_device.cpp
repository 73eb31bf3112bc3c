// Read Device: the programmed sequence, repeat count, velocity code,
// disabled wells and homing choice, read back from the stimulator into the
// document. A stored text that cannot be read leaves an empty sequence; the
// remaining steps still run, as they do on the device's own display, and the
// window says "Success" as it always has. The report says what really
// happened.
//
// When the device stops answering, reading stops there and the document
// keeps what it had: half a read-back would show wells as enabled and a
// sequence as empty only because their answers never came.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/device/device_link.h"
#include "core/document/kyrvana_doc.h"
#include "core/editor/sequence_view_model.h"
#include "core/programming/device_programming.h"

namespace kyrvana {

ProgrammingReport ReadDevice(CKyrvanaDoc& document) {
    DeviceLink& link = document.link();
    DocumentHost& host = document.host();
    const auto hold = link.Hold();
    ProgrammingReport report;
    if (report.outcome = beginReadingCommand(document); !report.outcome) {
        return report;
    }

    // When the text cannot be read the table stays cleared: the document's
    // sequence becomes empty and the values keep what they were.
    ProgrammedState state;
    state.hardware = document.hardware();
    {
        const auto operation = link.BeginOperation();
        report = readProgrammedState(link, state);
    }
    const std::vector<DeviceResult>& failures = report.exchanges.failures();
    if (std::any_of(failures.begin(), failures.end(),
                    [](const DeviceResult& failure) { return failure.wentUnanswered(); })) {
        return report;
    }

    const Protocol rebuilt = sequenceFromDeviceSetTable(state.table);
    document.update([&](Protocol& sequence, HardwareSettings& settings, DisabledWells& disabled) {
        sequence.sets = rebuilt.sets;
        settings.RepeatTestSequence = state.hardware.RepeatTestSequence;
        settings.ForceVelocityCode = state.hardware.ForceVelocityCode;
        disabled = state.disabledWells;
    });
    host.withView(
        [&](SequenceViewModel& view) { view.showRepeatCount(state.hardware.RepeatTestSequence); });

    // When the homing word cannot be read the box keeps what it showed:
    // nothing is known about the device's choice, and silently switching
    // homing on or off would change the next programming.
    const Protocol shown = document.sequence();
    host.withView([&](SequenceViewModel& view) {
        if (state.homingDisabled) {
            view.homingDisabled = *state.homingDisabled;
        }
        view.refreshFrom(shown);
        view.appendMessage(kReadingSuccessMessage);
    });
    return report;
}

}  // namespace kyrvana
