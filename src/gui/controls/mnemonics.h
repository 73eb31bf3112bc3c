#pragma once

#include <QString>

class QWidget;

namespace kyrvana::gui {

// Gives the controls under `root` Alt-key mnemonics, so that a window can be
// worked from the keyboard: every button, check box and radio button, and
// every label that names a field (one with a buddy), gets a letter of its own
// text, unique within `root` and underlined; Alt and that letter presses the
// button or puts the focus in the labelled field. The texts stay as they are
// apart from the underline.
//
// Letters that texts already mark with "&" (the dialog box's "&OK", a group
// box titled "Well &1") keep their controls and are not given again, nor are
// the `reserved` ones (the letters of a menu bar). Labels and push buttons
// choose first, then radio buttons, then check boxes; each prefers the first
// letters of its words, then any letter or digit of its text. A control
// whose letters are all taken, or one marked with excludeFromMnemonics(),
// keeps its text without one. It may run again after a text changed:
// controls that have their letter keep it.
void assignMnemonics(QWidget* root, const QString& reserved = QString());

// Keeps `widget` out of assignMnemonics(): for controls that repeat one text
// (six "Disabled" boxes), reached through a titled group instead.
void excludeFromMnemonics(QWidget* widget);

// The character a text marks with "&" (lower case), or a null character.
QChar mnemonicOf(const QString& text);
// The text as the control shows it: without the "&" of a mnemonic, with
// "&&" as one "&".
QString shownText(const QString& text);

}  // namespace kyrvana::gui
