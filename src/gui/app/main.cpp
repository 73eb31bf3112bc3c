// The desktop application's entry point: the application object and its main
// frame. The document and the device work are attached to the frame here.
#include "gui/app/kyrvana_app.h"

int main(int argc, char** argv) {
    kyrvana::gui::CKyrvanaApp app(argc, argv);
    if (!app.initInstance()) {
        return 1;
    }
    return app.exec();
}
