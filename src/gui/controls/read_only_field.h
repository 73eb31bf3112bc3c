#pragma once

class QLineEdit;

namespace kyrvana::gui {

// Makes `field` a field the user reads but does not type in, shown the same
// way in every window: filled with the window's grey instead of the white of
// a field that takes typing, skipped by Tab (a click still puts the cursor
// in it, to select and copy), so that the keyboard never lands on a value it
// cannot change.
void makeReadOnly(QLineEdit* field);

}  // namespace kyrvana::gui
