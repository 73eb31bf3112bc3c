// Program Device: the steps and their order are what the firmware relies on.
// The test name and the control settings go first; the sequence text last but
// one, because "UpdateFromSDIni" makes the device rebuild its test
// description from everything stored before it; the disabled-wells mask
// follows. A command that was answered, even unusably, does not stop the
// others, and the window says "Success" once they are sent, as it always
// has; the report keeps each failed exchange with its command, so that
// whoever must know (the command-line tool, a script) does.
//
// Programming stops at the first command the device does not answer: the
// rest would go into a silent device at one read time-out each, and the
// device's memory is mixed either way. A stop request (an interrupt in the
// command-line tool) ends it between two items, never inside one, so that
// no item is left half written. Either way the report says what the device
// now holds, so that the user knows to program again.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/device/device_link.h"
#include "core/document/kyrvana_doc.h"
#include "core/document/sequence_handover.h"
#include "core/editor/sequence_view_model.h"
#include "core/programming/control_settings.h"
#include "core/programming/device_programming.h"

namespace kyrvana {
namespace {

// The items in the order they are written: the test name first, then the
// four that make up the sequence on the device.
constexpr std::size_t kSteps = 5;

const char* itemState(std::size_t done, std::size_t first, std::size_t end, bool stoppedInside) {
    if (done >= end) {
        return "written";
    }
    if (done > first || (done == first && stoppedInside)) {
        return "partly written";
    }
    return "not written";
}

// "test name written, sequence not written: program again"
std::string heldText(std::size_t done, bool stoppedInside) {
    return std::string("test name ") + itemState(done, 0, 1, stoppedInside) + ", sequence " +
           itemState(done, 1, kSteps, stoppedInside) + ": program again";
}

// Whether programming may start: a port, a sequence that passes its checks
// (which clears the view's messages and writes its own) and a device that
// answered when it connected.
DeviceResult readyToProgram(CKyrvanaDoc& document, DocumentHost& host) {
    if (!document.link().serial.isOpen()) {
        return DeviceResult::failure(DeviceFailure::NoPort, {});
    }
    host.withView([](SequenceViewModel& view) { view.clearMessages(); });

    int checked = -1;
    host.withView([&](SequenceViewModel& view) {
        checked = checkSequenceBeforeProgramming(view, document, host);
    });
    if (checked != 1) {
        return DeviceResult::failure(DeviceFailure::Refused, {},
                                     "the sequence did not pass its checks");
    }
    if (!document.connected()) {
        host.errorBox(kNotConnectedMessage);
        return DeviceResult::failure(DeviceFailure::NoPort, {}, "no device connected");
    }
    return {};
}

// Everything the items are made of, taken from the view and the document
// before the first byte goes out. The repeat count shown in the view is also
// stored in the document's hardware settings.
struct ProgrammingInput {
    DeviceSetTable table;
    std::int32_t repeatCount = 1;
    std::string testName;
    bool homingDisabled = false;
    std::uint32_t velocityCode = 0;
    std::uint8_t disabledWellsMask = 0;
};

ProgrammingInput programmingInput(CKyrvanaDoc& document, DocumentHost& host) {
    ProgrammingInput input;
    fillDeviceSetTable(input.table, document.sequence());
    host.withView([&](SequenceViewModel& view) {
        input.repeatCount = view.repeatCount;
        input.testName = view.testName;
        input.homingDisabled = view.homingDisabled;
    });
    document.update([&](Protocol&, HardwareSettings& hardware, DisabledWells& wells) {
        hardware.RepeatTestSequence = input.repeatCount;
        input.velocityCode = hardware.ForceVelocityCode;
        input.disabledWellsMask = wells.mask;
    });
    return input;
}

}  // namespace

ProgrammingReport ProgramDevice(CKyrvanaDoc& document, const std::atomic<bool>* stop) {
    DeviceLink& link = document.link();
    DocumentHost& host = document.host();
    const auto hold = link.Hold();
    ProgrammingReport report;
    if (DeviceResult ready = readyToProgram(document, host); !ready.ok()) {
        report.outcome = std::move(ready);
        return report;
    }
    const ProgrammingInput input = programmingInput(document, host);

    const std::array<std::function<DeviceResult()>, kSteps> steps = {
        [&] { return writeEepromText(link, eeprom::kTestName, input.testName); },
        [&] { return writeControlSettings(link, input.table, input.velocityCode); },
        [&] {
            return link.SetInternalValue(internal_value::kHomingDisabled,
                                         input.homingDisabled ? 1 : 0);
        },
        [&] {
            host.setBusy(true);
            return writeSequenceText(link, input.table, input.repeatCount);
        },
        [&] {
            return link.SetInternalValue(internal_value::kDisabledWells, input.disabledWellsMask);
        },
    };
    std::size_t done = 0;
    DeviceResult stopped;
    {
        // Each step's own result is its first failure; the tally has them all.
        const auto operation = link.BeginOperation();
        const auto recording = link.Record(report.exchanges);
        for (; done < steps.size(); ++done) {
            if (stop != nullptr && stop->load()) {
                stopped = DeviceResult::failure(DeviceFailure::Cancelled, {},
                                                "stopped between two items");
                break;
            }
            if (DeviceResult result = steps[done](); result.wentUnanswered()) {
                stopped = std::move(result);
                break;
            }
        }
    }
    host.withView([](SequenceViewModel& view) { view.appendMessage(kProgrammingSuccessMessage); });
    host.setBusy(false);
    report.outcome = report.exchanges.first().keepFirstFailure(stopped);
    if (!stopped.ok()) {
        report.deviceHolds = heldText(done, stopped.why() != DeviceFailure::Cancelled);
    }
    return report;
}

}  // namespace kyrvana
