#pragma once

// Everything the document and its device request thread ask of the user and
// of the sequence view. The desktop application carries these calls out on its
// GUI thread (a call from the request thread waits there for the answer, as a
// modal box would); the command-line tool answers them on the terminal; tests
// record them. The core never touches a window itself.

#include <functional>
#include <string>

namespace kyrvana {

class DeviceLink;
class SequenceViewModel;

enum class BoxIcon { None, Error, Warning, Information, Question };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

// What the device link is doing, for the window's status line. Ready and
// Disconnected are resting states: Ready until a device has come and gone,
// Disconnected from an unplug until a device connects again. The others
// last while their work runs on the request thread: Connecting covers the
// settling wait of a newly opened port and the identification after it.
enum class DeviceStatus { Ready, Connecting, Disconnected, Reading, Programming, Verifying };

// The caption of the program's own message boxes: the application title.
inline constexpr const char* kDefaultBoxCaption = "KyrvanaP7";

class DocumentHost {
  public:
    virtual ~DocumentHost() = default;

    // A modal message box; returns the user's answer. From the request thread
    // this waits until the box is closed. A Yes/No box has No as its default
    // answer: the device work asks whether to go on.
    virtual BoxAnswer messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                                 BoxButtons buttons) = 0;

    // Runs `work` on the sequence view's state where the view lives and waits
    // for it; the view shows the state's changes afterwards.
    virtual void withView(const std::function<void(SequenceViewModel&)>& work) = 0;

    // A message-log line for the message pane. Must not block: the log is
    // written in the middle of device exchanges.
    virtual void postLogLine(const std::string& line) = 0;

    // The connection flags changed: refresh the main frame and the enabling of
    // the commands.
    virtual void connectionChanged() = 0;

    // Long device work starts or ends (wait cursor).
    virtual void setBusy(bool busy) = 0;

    // The device link's status changed. Must not block. A host without a
    // status line ignores it.
    virtual void deviceStatusChanged(DeviceStatus /*status*/) {}

    // The test-data dialog, modal; returns when it is closed. The request
    // thread does nothing else meanwhile.
    virtual void runTestDataDialog(DeviceLink& link) = 0;

    // Convenience for the common error box with an OK button.
    void errorBox(const std::string& text) {
        messageBox(text, kDefaultBoxCaption, BoxIcon::Error, BoxButtons::Ok);
    }
};

}  // namespace kyrvana
