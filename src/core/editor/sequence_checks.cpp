#include "core/editor/sequence_checks.h"

#include <string>

#include "core/editor/sequence_view_model.h"
#include "core/editor/test_name_rules.h"
#include "core/protocol/kyrvana_doc.h"
#include "core/protocol/sequence_totals.h"

namespace kyrvana {
namespace {

void plainBox(DocumentHost& host, const std::string& text) {
    host.messageBox(text, kDefaultBoxCaption, BoxIcon::None, BoxButtons::Ok);
}

}  // namespace

int checkSequenceBeforeProgramming(SequenceViewModel& view, CKyrvanaDoc& document,
                                   DocumentHost& host) {
    const Protocol& sequence = view.workingSequence;
    if (sequence.setCount() == 0) {
        plainBox(host, "Please Specify a Test Sequence Before Executing");
        return -1;
    }
    if (!(totalDurationSeconds(sequence) > 0.0)) {
        plainBox(host, "Error:  Test Sequence Must Be Greater Than 0 Seconds in Length");
        return -1;
    }
    // Sets that only load (or only recover) move the actuator's start point;
    // the sequence must never drive it below where it began.
    if (displacementRange(sequence).min < 0.0) {
        plainBox(host,
                 "Error:  Minimum Stretch Position\nAcross All Sets Must Be Greater Than 0.0 mm\n");
        return -1;
    }
    if (view.usedMemory() > 100.0) {
        plainBox(host, "Error:  Not Enough Memory Available\nReduce Number of Specified Sets\n");
        return -1;
    }
    view.takeRepeatCountFromField();
    if (view.repeatCount == 0) {
        plainBox(host, "Error:  Minimum Repeats of Entire Sequence = 1\n");
        return -1;
    }
    if (cleanTestName(view.testName)) {
        plainBox(host, kInvalidTestNameWarning);
    }
    // The window's field and the command line refuse such a name already;
    // this also stops one the device itself gave back (written by an
    // earlier program that did not check) from being written again.
    if (view.testName.size() > kMaxTestNameLength) {
        plainBox(host, kTestNameTooLongMessage);
        return -1;
    }
    const std::int32_t repeats = view.repeatCount;
    document.update([&](Protocol& documentSequence, HardwareSettings& hardware, DisabledWells&) {
        hardware.RepeatTestSequence = repeats;
        documentSequence = sequence;
    });
    return 1;
}

}  // namespace kyrvana
