#pragma once

#include <QIcon>
#include <QPixmap>

namespace kyrvana::gui {

// The three looks of a toolbar picture: normal, "hot" while the pointer is
// over the button, and disabled.
enum class IconLook { kNormal, kHot, kDisabled };

// Size of every toolbar picture (the buttons are 90 x 38).
inline constexpr int kToolbarImageWidth = 83;
inline constexpr int kToolbarImageHeight = 32;

// The toolbar picture of a command: a small pictogram and a one-word label on
// a transparent background. `simulated` marks the connection indicator as a
// simulated stimulator (amber lamp, "Simulator" label).
QPixmap toolbarPixmap(int commandId, IconLook look, bool simulated = false);

// All three looks in one icon (hot as QIcon::Active, which tool buttons use
// under the pointer).
QIcon toolbarIcon(int commandId, bool simulated = false);

}  // namespace kyrvana::gui
