#include "gui/app/kyrvana_app.h"

#include <QFile>
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

namespace kyrvana::gui {

CKyrvanaApp::CKyrvanaApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QString::fromLatin1(kOrganizationName));
    setApplicationName(QString::fromLatin1(kApplicationName));
    setApplicationVersion(QStringLiteral("2.32"));
    // No display name: on X11 it would be appended to every window title, and
    // the main window's title must stay "Kyrvana".
    settings_ = std::make_unique<AppSettings>();
}

CKyrvanaApp::~CKyrvanaApp() {
    session_.reset();
    mainFrame_.reset();
    simulated_.reset();
}

bool CKyrvanaApp::initInstance() {
    CommandLineOptions options;
    QString error;
    if (!parseCommandLine(arguments(), options, &error)) {
        std::fprintf(stderr, "kyrvana: %s\nTry 'kyrvana --help'.\n", qPrintable(error));
        return false;
    }

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
                                                    qtFileDialogs(), documentOptions);
    quitOnSignals(this, [this] {
        if (mainFrame_) {
            mainFrame_->close();
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
