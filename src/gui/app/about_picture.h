#pragma once

#include <QPixmap>

namespace kyrvana::gui {

// The about box's picture, drawn for the design size 680 x 529 and scaled to
// `size`: the program's name over a six-well plate with a cyclic waveform.
QPixmap aboutPicture(QSize size);

}  // namespace kyrvana::gui
