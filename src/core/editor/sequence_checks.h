#pragma once

// The checks a whole sequence must pass before it is saved or programmed. The
// per-set limits were checked when each set was edited; these concern the
// sequence as a whole and the values of the form around it.

namespace kyrvana {

class CKyrvanaDoc;
class DocumentHost;
class SequenceViewModel;

// Runs the checks in order and shows the first failure in a message box (no
// icon). It cleans the test name (with a warning when it had to) and refuses
// one longer than the device keeps. On success it hands the view's repeat count and working
// sequence to the document. 1 when saving or programming may go on, -1 when not.
int checkSequenceBeforeProgramming(SequenceViewModel& view, CKyrvanaDoc& document,
                                   DocumentHost& host);

}  // namespace kyrvana
