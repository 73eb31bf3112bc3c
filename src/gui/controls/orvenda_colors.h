#pragma once

#include <QColor>

// The greys of the program's flat controls.
namespace kyrvana::gui::orvenda {

inline QColor grey(int level) {
    return QColor(level, level, level);
}

inline constexpr int kButtonFace = 230;
inline constexpr int kButtonHot = 224;
inline constexpr int kButtonPressed = 189;
inline constexpr int kButtonBorder = 189;
inline constexpr int kHeaderFill = 224;
inline constexpr int kHeaderFrame = 189;
// Separator at the right of each header section and the text of disabled
// buttons: darker than the frame, so that they stand out on the 224 fill.
inline constexpr int kHeaderSeparator = 160;
inline constexpr int kDisabledText = 150;

}  // namespace kyrvana::gui::orvenda
