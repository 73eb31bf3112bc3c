#include "gui/app/kyrvana_app.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QTimer>
#include <cstdio>

#include "gui/app/app_identity.h"
#include "gui/app/app_settings.h"
#include "gui/app/application_session.h"
#include "gui/app/command_line.h"
#include "gui/app/file_dialogs.h"
#include "gui/app/main_frame.h"
#include "gui/app/message_boxes.h"
#include "gui/app/quit_on_signals.h"
#include "gui/app/simulated_device.h"
#include "kyrvana/project_identity.h"

namespace kyrvana::gui {
namespace {

// The application icon from the pictures compiled into the program (one per
// size), so that the window has it also when run from the build tree. Empty
// in programs built without them, such as the tests.
QIcon applicationIcon() {
    QIcon icon;
    const QDir pictures(QStringLiteral(":/icons"));
    for (const QString& name : pictures.entryList({QStringLiteral("kyrvana-*.png")})) {
        icon.addFile(pictures.filePath(name));
    }
    return icon;
}

}  // namespace

CKyrvanaApp::CKyrvanaApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QString::fromLatin1(kOrganizationName));
    setApplicationName(QString::fromLatin1(kApplicationName));
    setApplicationVersion(QString::fromLatin1(kVersion));
    // Names the installed desktop entry: Wayland compositors match the window
    // to it (and so to its icon) by this name.
    setDesktopFileName(QString::fromLatin1(kAppId));
    setWindowIcon(applicationIcon());
    // No display name: on X11 it would be appended to every window title, and
    // the main window's title must stay "Kyrvana".
    settings_ = std::make_unique<AppSettings>();
    fileDialogs_ = std::make_unique<QtFileDialogs>(settings_.get());
}

CKyrvanaApp::~CKyrvanaApp() {
    session_.reset();
    mainFrame_.reset();
    simulated_.reset();
}

bool CKyrvanaApp::initInstance(const CommandLineOptions& options) {
    DocumentOptions documentOptions;
    if (options.simulate) {
        simulated_ = std::make_unique<SimulatedDevice>();
        std::string reason;
        if (!simulated_->makeFolders(&reason)) {
            std::fprintf(stderr, "kyrvana: %s\n", reason.c_str());
            return false;
        }
        documentOptions.sysfsRoot = simulated_->sysfsRoot();
    } else if (!options.sysfsRoot.isEmpty()) {
        documentOptions.sysfsRoot = QFile::encodeName(options.sysfsRoot).toStdString();
    }

    mainFrame_ = std::make_unique<CMainFrame>();
    mainFrame_->setSimulated(options.simulate);
    session_ = std::make_unique<ApplicationSession>(*mainFrame_, *settings_, qtMessageBoxes(),
                                                    *fileDialogs_, documentOptions);
    quitOnSignals(this, [this] {
        if (session_) {
            session_->closeWithoutAsking();
        }
        quit();
    });
    mainFrame_->show();
    if (simulated_) {
        // Plugged in once the window is up: the document's next look at the
        // port list finds it, as it finds a stimulator plugged in later.
        QTimer::singleShot(0, this, [this] {
            std::string reason;
            if (!simulated_->start(&reason)) {
                std::fprintf(stderr, "kyrvana: %s\n", reason.c_str());
            }
        });
    }
    return true;
}

CKyrvanaApp* CKyrvanaApp::instance() {
    return qobject_cast<CKyrvanaApp*>(QCoreApplication::instance());
}

}  // namespace kyrvana::gui
