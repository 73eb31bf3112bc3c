#pragma once

#include <QHash>
#include <QMainWindow>

#include "core/document/document_host.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace kyrvana::gui {

// The program's main window: title "Kyrvana" whatever document is open, at
// least and at first 950 x 600 grown with the display's DPI (it may be
// resized and maximised), the menu and the six-button toolbar built from the
// command table, a View menu for the panes' toggles, and a status bar with the
// message pane, an optional "Simulated stimulator" pane and the CAP, NUM and
// SCRL indicators. It holds no device logic: the document's commands leave
// through commandTriggered(), and the owner says when a device is connected.
class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr int kBaseWidth = 950;
    static constexpr int kBaseHeight = 600;
    static constexpr int kToolButtonWidth = 90;
    static constexpr int kToolButtonHeight = 38;
    static constexpr const char* kIdleText = "Ready";
    static constexpr const char* kSimulatedText = "Simulated stimulator";

    explicit CMainFrame(QWidget* parent = nullptr);

    // Enables the device commands (and Open and Save) exactly while a device
    // is connected; every action is evaluated again.
    void setConnected(bool connected);
    bool isConnected() const { return connected_; }

    // Marks the window as working with a simulated stimulator: a status-bar
    // pane and the connection indicator's picture say so.
    void setSimulated(bool simulated);
    bool isSimulated() const { return simulated_; }

    // Puts the sequence view (or any widget) into the window's client area;
    // the frame takes ownership and deletes what was there before. Its
    // controls get Alt-key mnemonics apart from the menu bar's, and the
    // window grows to its smallest size.
    void setCentralView(QWidget* view);

    // The action of a command id (its data is the id), or nullptr.
    QAction* commandAction(int id) const;
    QToolBar* commandToolBar() const { return toolBar_; }
    // The View menu, where the panes of the window add their toggles.
    QMenu* viewMenu() const { return viewMenu_; }

    // The message pane's text: a menu item's prompt while one is pointed at,
    // otherwise the device status ("Ready" when idle).
    QString statusText() const;
    // What the device link is doing: "Connecting…", "Reading…"
    // and the like, or the resting "Ready" and "Disconnected".
    void showDeviceStatus(DeviceStatus status);
    static QString deviceStatusText(DeviceStatus status);
    // The lock-key panes are shown dimmed while their key is off.
    void setLockIndicators(bool capsLock, bool numLock, bool scrollLock);

    // Display pixels per logical inch / 96, fixed when the frame is created.
    double scale() const { return scale_; }

    // Opens the about box modally.
    void showAbout();

  signals:
    // A document command was chosen from the menu, the toolbar or a shortcut.
    void commandTriggered(int id);
    // The window is closing; the owner stops its device work.
    void closing();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void dispatch(int id);
    void updateCommandStates();
    void updateIndicator();

    double scale_ = 1.0;
    bool connected_ = false;
    bool simulated_ = false;
    QHash<int, QAction*> actions_;
    QToolBar* toolBar_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QString deviceStatus_;  // shown whenever no prompt is
    bool promptShown_ = false;
    QLabel* simulatedPane_ = nullptr;
    QLabel* capsPane_ = nullptr;
    QLabel* numPane_ = nullptr;
    QLabel* scrollPane_ = nullptr;
};

}  // namespace kyrvana::gui
