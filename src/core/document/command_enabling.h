#pragma once

namespace kyrvana {

// Whether a menu or toolbar command is enabled. The device commands (and Open
// and Save, which the device-ready state guards) are enabled exactly while a
// stimulator is connected; Calibration Mode is never enabled; everything else
// always is.
bool isCommandEnabled(int commandId, bool connected);

}  // namespace kyrvana
