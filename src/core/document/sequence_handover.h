#pragma once

// Saving or programming takes the sequence the user edited in the view into
// the document, once it has passed the whole-sequence checks.

namespace kyrvana {

class CKyrvanaDoc;
class DocumentHost;
class SequenceViewModel;

// Runs the sequence checks and shows their messages through the host, in
// order, each in a box without an icon. On success it hands the view's repeat
// count and working sequence to the document. 1 when saving or programming
// may go on, -1 when not.
int checkSequenceBeforeProgramming(SequenceViewModel& view, CKyrvanaDoc& document,
                                   DocumentHost& host);

}  // namespace kyrvana
