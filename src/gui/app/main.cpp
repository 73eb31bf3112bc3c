// The desktop application's entry point: the application object, its main
// frame and the one document.
#include "gui/app/kyrvana_app.h"

int main(int argc, char** argv) {
    kyrvana::gui::CKyrvanaApp app(argc, argv);
    if (!app.initInstance()) {
        return 1;
    }
    return app.exec();
}
