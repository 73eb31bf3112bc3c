#pragma once

#include "gui/app/protocol_file_commands.h"

namespace kyrvana::gui {

// What is about to replace the sequence in the view, or end the program.
enum class SequenceReplacedBy { Closing, Opening, Reading };

// Followed by what is about to happen ("closing", ...) and "?".
inline constexpr const char* kSequenceChangedText =
    "The test sequence has been changed.\nSave it before ";

// Before the window closes, another protocol file is opened or the device's
// sequence is read back: when the sequence in the view differs from the one
// last opened, saved or read, asks Save / Discard / Cancel, as desktop
// programs do before a document is lost: a sequence composed at the bench
// exists nowhere else until it is saved or programmed. True when the caller may go on:
// nothing was changed, the user chose Discard, or the file was saved. Cancel,
// and a Save that did not happen (the checks refused the sequence, the file
// dialog was cancelled, the file could not be written), keep everything as
// it is.
bool saveChangedSequenceFirst(const ProtocolFileContext& context, SequenceReplacedBy replacedBy);

}  // namespace kyrvana::gui
