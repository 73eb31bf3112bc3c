#include "core/editor/sequence_checks.h"

#include <utility>

#include "core/editor/sequence_view_model.h"
#include "core/editor/test_name_rules.h"
#include "core/protocol/sequence_totals.h"

namespace kyrvana {
namespace {

SequenceCheck failed(SequenceCheck check, std::string message) {
    check.messages.push_back(std::move(message));
    check.passed = false;
    return check;
}

}  // namespace

SequenceCheck checkSequence(SequenceViewModel& view) {
    SequenceCheck check;
    const Protocol& sequence = view.workingSequence;
    if (sequence.setCount() == 0) {
        return failed(check, "Please Specify a Test Sequence Before Executing");
    }
    if (!(totalDurationSeconds(sequence) > 0.0)) {
        return failed(check, "Error:  Test Sequence Must Be Greater Than 0 Seconds in Length");
    }
    // Sets that only load (or only recover) move the actuator's start point;
    // the sequence must never drive it below where it began.
    if (displacementRange(sequence).min < 0.0) {
        return failed(check,
                      "Error:  Minimum Stretch Position\nAcross All Sets Must Be Greater Than 0.0 "
                      "mm\n");
    }
    if (view.usedMemory() > 100.0) {
        return failed(check,
                      "Error:  Not Enough Memory Available\nReduce Number of Specified Sets\n");
    }
    view.takeRepeatCountFromField();
    if (view.repeatCount == 0) {
        return failed(check, "Error:  Minimum Repeats of Entire Sequence = 1\n");
    }
    if (cleanTestName(view.testName)) {
        check.messages.push_back(kInvalidTestNameWarning);
    }
    // The window's field and the command line refuse such a name already;
    // this also stops one the device itself gave back (written by an
    // earlier program that did not check) from being written again.
    if (view.testName.size() > kMaxTestNameLength) {
        return failed(check, kTestNameTooLongMessage);
    }
    check.passed = true;
    return check;
}

}  // namespace kyrvana
