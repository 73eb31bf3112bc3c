#include "gui/app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "core/document/command_enabling.h"
#include "core/document/command_ids.h"
#include "gui/app/about_dlg.h"
#include "gui/app/app_identity.h"
#include "gui/app/command_table.h"
#include "gui/app/display_scale.h"
#include "gui/app/toolbar_icons.h"
#include "gui/controls/mnemonics.h"

namespace kyrvana::gui {
namespace {

QLabel* makeIndicatorPane(const QString& text, QWidget* parent) {
    auto* pane = new QLabel(text, parent);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(text) + 12);
    pane->setEnabled(false);
    return pane;
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromLatin1(kFrameTitle));
    scale_ = displayScale(*this);

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();

    auto* placeholder = new QWidget(this);
    placeholder->setObjectName(QStringLiteral("centralPlaceholder"));
    placeholder->setAutoFillBackground(true);
    setCentralWidget(placeholder);

    // The form was laid out for a fixed 950 x 600 window. The sequence
    // preview needs more room than that to show weeks of cycles, so the
    // window can be resized and maximised; the form's size stays the
    // smallest and the first one, so nothing of the form is ever cut off.
    const QSize formSize = scaledSize(QSize(kBaseWidth, kBaseHeight), scale_);
    setMinimumSize(formSize);
    resize(formSize);
    updateCommandStates();
}

void CMainFrame::createActions() {
    for (const CommandEntry& entry : commandTable()) {
        auto* action = new QAction(menuLabel(entry.menuText), this);
        action->setData(entry.id);
        action->setShortcut(menuShortcut(entry.menuText));
        action->setStatusTip(promptStatusText(entry.prompt));
        action->setToolTip(toolTipFor(entry));
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { dispatch(id); });
        actions_.insert(entry.id, action);
    }
}

void CMainFrame::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    viewMenu_ = menuBar()->addMenu(QStringLiteral("&View"));
    QMenu* hardware = menuBar()->addMenu(QStringLiteral("&Hardware"));
    QMenu* advanced = nullptr;
    QMenu* help = nullptr;
    for (const CommandEntry& entry : commandTable()) {
        QMenu* menu = nullptr;
        switch (entry.menu) {
            case CommandMenu::kFile:
                menu = file;
                break;
            case CommandMenu::kHardware:
                menu = hardware;
                break;
            case CommandMenu::kHardwareAdvanced:
                if (advanced == nullptr) {
                    advanced = hardware->addMenu(QStringLiteral("Advanced"));
                }
                menu = advanced;
                break;
            case CommandMenu::kHardwareHelp:
                if (help == nullptr) {
                    help = hardware->addMenu(QStringLiteral("Help"));
                }
                menu = help;
                break;
            case CommandMenu::kNone:
                continue;
        }
        if (entry.separatorBefore) {
            menu->addSeparator();
        }
        menu->addAction(actions_.value(entry.id));
    }
}

void CMainFrame::createToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Standard"));
    toolBar_->setObjectName(QStringLiteral("standardToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar_->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    for (const int id : toolbarCommands()) {
        QAction* action = actions_.value(id);
        action->setIcon(toolbarIcon(id));
        // The menu shows text only; the pictures belong to the toolbar.
        action->setIconVisibleInMenu(false);
        toolBar_->addAction(action);
        if (QWidget* button = toolBar_->widgetForAction(action)) {
            button->setFixedSize(kToolButtonWidth, kToolButtonHeight);
        }
    }
    updateIndicator();
}

void CMainFrame::createStatusBar() {
    deviceStatus_ = QString::fromLatin1(kIdleText);
    messagePane_ = new QLabel(deviceStatus_, this);
    messagePane_->setObjectName(QStringLiteral("messagePane"));
    messagePane_->setContentsMargins(4, 0, 4, 0);
    statusBar()->addWidget(messagePane_, 1);

    simulatedPane_ = new QLabel(QString::fromLatin1(kSimulatedText), this);
    simulatedPane_->setObjectName(QStringLiteral("simulatedPane"));
    simulatedPane_->setStyleSheet(
        QStringLiteral("QLabel { background: #f7d58a; color: #3d2a00; font-weight: bold;"
                       " border: 1px solid #c9a04a; border-radius: 2px; padding: 0px 8px; }"));
    simulatedPane_->hide();
    statusBar()->addPermanentWidget(simulatedPane_);

    capsPane_ = makeIndicatorPane(QStringLiteral("CAP"), this);
    numPane_ = makeIndicatorPane(QStringLiteral("NUM"), this);
    scrollPane_ = makeIndicatorPane(QStringLiteral("SCRL"), this);
    statusBar()->addPermanentWidget(capsPane_);
    statusBar()->addPermanentWidget(numPane_);
    statusBar()->addPermanentWidget(scrollPane_);
    statusBar()->setSizeGripEnabled(true);
}

void CMainFrame::dispatch(int id) {
    const CommandEntry* entry = findCommand(id);
    if (entry == nullptr) {
        return;
    }
    switch (entry->handler) {
        case CommandHandler::kFrame:
            close();
            break;
        case CommandHandler::kApplication:
            showAbout();
            break;
        case CommandHandler::kDocument:
            emit commandTriggered(id);
            break;
        case CommandHandler::kNone:
            break;
    }
}

void CMainFrame::setConnected(bool connected) {
    connected_ = connected;
    updateCommandStates();
    updateIndicator();
}

void CMainFrame::setSimulated(bool simulated) {
    simulated_ = simulated;
    simulatedPane_->setVisible(simulated);
    if (QAction* indicator = actions_.value(kCmdConnectionIndicator)) {
        indicator->setIcon(toolbarIcon(kCmdConnectionIndicator, simulated));
    }
    updateIndicator();
}

void CMainFrame::updateCommandStates() {
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        it.value()->setEnabled(isCommandEnabled(it.key(), connected_));
    }
}

void CMainFrame::updateIndicator() {
    QAction* indicator = actions_.value(kCmdConnectionIndicator);
    if (indicator == nullptr) {
        return;
    }
    QString tip;
    if (!connected_) {
        tip = QStringLiteral("No stimulator connected");
    } else if (simulated_) {
        tip = QStringLiteral("Simulated stimulator connected");
    } else {
        tip = QStringLiteral("Stimulator connected");
    }
    indicator->setToolTip(tip);
}

void CMainFrame::setCentralView(QWidget* view) {
    setCentralWidget(view);
    // The form's controls get Alt-key letters that the menu bar's titles do
    // not use.
    QString menuLetters;
    for (const QAction* menu : menuBar()->actions()) {
        const QChar letter = mnemonicOf(menu->text());
        if (!letter.isNull()) {
            menuLetters += letter;
        }
    }
    assignMnemonics(view, menuLetters);
    // A view that needs more width than the form was laid out for (its
    // list's columns follow the font in use) widens the window rather than
    // lose a column.
    const int needed = view->minimumSizeHint().width();
    if (needed > minimumWidth()) {
        setMinimumWidth(needed);
        resize(std::max(width(), needed), height());
    }
}

QAction* CMainFrame::commandAction(int id) const {
    return actions_.value(id, nullptr);
}

QString CMainFrame::statusText() const {
    return messagePane_->text();
}

QString CMainFrame::deviceStatusText(DeviceStatus status) {
    switch (status) {
        case DeviceStatus::Ready:
            break;
        case DeviceStatus::Connecting:
            return QStringLiteral("Connecting\u2026");
        case DeviceStatus::Disconnected:
            return QStringLiteral("Disconnected");
        case DeviceStatus::Reading:
            return QStringLiteral("Reading\u2026");
        case DeviceStatus::Programming:
            return QStringLiteral("Programming\u2026");
        case DeviceStatus::Verifying:
            return QStringLiteral("Verifying\u2026");
    }
    return QString::fromLatin1(kIdleText);
}

void CMainFrame::showDeviceStatus(DeviceStatus status) {
    deviceStatus_ = deviceStatusText(status);
    // A prompt the user is reading stays until the pointer leaves its item.
    if (!promptShown_) {
        messagePane_->setText(deviceStatus_);
    }
}

void CMainFrame::setLockIndicators(bool capsLock, bool numLock, bool scrollLock) {
    capsPane_->setEnabled(capsLock);
    numPane_->setEnabled(numLock);
    scrollPane_->setEnabled(scrollLock);
}

void CMainFrame::showAbout() {
    CAboutDlg about(scale_, this);
    about.exec();
}

bool CMainFrame::event(QEvent* event) {
    // Status tips go to the message pane, which falls back to the device
    // status; QMainWindow's own handling would hide the panes behind a
    // temporary message and leave an empty bar.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        promptShown_ = !tip.isEmpty();
        messagePane_->setText(promptShown_ ? tip : deviceStatus_);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    emit closing();
    QMainWindow::closeEvent(event);
}

}  // namespace kyrvana::gui
