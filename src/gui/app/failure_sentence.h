#pragma once

#include <QString>

#include "core/device/device_result.h"

namespace kyrvana::gui {

// One plain sentence for the status line of a dialog whose device work
// failed, said the way a person at the bench thinks of it ("The device did
// not answer."); the exchange and its details go to the message log.
QString failureSentence(const DeviceResult& result);

}  // namespace kyrvana::gui
