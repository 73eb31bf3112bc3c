#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace kyrvana {
class DeviceLink;
}

namespace kyrvana::gui {

class DeviceTaskRunner;
class MessageBoxes;

// Stands before the hardware dialogs that move the actuators (Move To
// Position, Load Cell Calibration): it asks the device on a worker thread
// whether a test is running or paused and, when one is, asks the user
// "A test is running on the device. Continue anyway?" with No as the default.
// Only a Yes, or no test, lets the dialog open. A jog or a homing in the
// middle of a test would drive the wells away from where the test holds them
// and spoil its data.
class RunningTestGuard : public QObject {
    Q_OBJECT

  public:
    RunningTestGuard(DeviceLink& link, MessageBoxes& boxes, QWidget* parent);
    ~RunningTestGuard() override;

    // Runs `open` on the GUI thread once it may go on. While an earlier
    // check is still under way the request is dropped (a second click on the
    // menu).
    void openUnlessDeclined(std::function<void()> open);

    bool checking() const { return checking_; }

    // Waits for a check under way and drops its answer; nothing opens
    // afterwards. For when the device link is about to go.
    void shutDown();

  private:
    DeviceLink& link_;
    MessageBoxes& boxes_;
    QWidget* parent_;
    DeviceTaskRunner* runner_;
    bool checking_ = false;
    bool stopped_ = false;
};

}  // namespace kyrvana::gui
