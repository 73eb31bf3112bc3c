#pragma once

class QWidget;

namespace kyrvana::gui {

class AppSettings;
class ApplicationSession;
class MessageBoxes;

// Attaches the hardware dialogs to their commands: Hardware > Move To
// Position and Load Cell Calibration open their dialogs on the document's
// device link, and the request thread's Access Test Data request opens the
// test-data dialog on the GUI thread while the request thread waits.
void attachHardwareDialogs(ApplicationSession& session, AppSettings& settings, MessageBoxes& boxes,
                           QWidget* parent);

}  // namespace kyrvana::gui
