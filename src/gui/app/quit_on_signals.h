#pragma once

#include <functional>

class QObject;

namespace kyrvana::gui {

// Turns SIGINT and SIGTERM into `quit`, run on the GUI thread by the event
// loop, so that Ctrl+C in the terminal or a kill ends the program as closing
// its window does: the request thread is stopped and the simulated device
// of --simulate removes its temporary folders. The signal handler only
// writes one byte into a pipe. `owner` keeps the pipe's notifier.
bool quitOnSignals(QObject* owner, std::function<void()> quit);

}  // namespace kyrvana::gui
