#include "gui/app/kyrvana_app.h"

#include "gui/app/app_identity.h"
#include "gui/app/app_settings.h"
#include "gui/app/main_frame.h"

namespace kyrvana::gui {

CKyrvanaApp::CKyrvanaApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QString::fromLatin1(kOrganizationName));
    setApplicationName(QString::fromLatin1(kApplicationName));
    // No display name: on X11 it would be appended to every window title, and
    // the main window's title must stay "Kyrvana".
    settings_ = std::make_unique<AppSettings>();
}

CKyrvanaApp::~CKyrvanaApp() = default;

bool CKyrvanaApp::initInstance() {
    mainFrame_ = std::make_unique<CMainFrame>();
    mainFrame_->show();
    return true;
}

CKyrvanaApp* CKyrvanaApp::instance() {
    return qobject_cast<CKyrvanaApp*>(QCoreApplication::instance());
}

}  // namespace kyrvana::gui
