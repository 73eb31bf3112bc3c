#include "core/document/command_enabling.h"

#include "core/document/command_ids.h"

namespace kyrvana {

bool isCommandEnabled(int commandId, bool connected) {
    switch (commandId) {
        case kCmdCalibrationMode:
            return false;
        case kCmdReadDevice:
        case kCmdVerifyDevice:
        case kCmdProgramDevice:
        case kCmdMoveToPosition:
        case kCmdAccessTestData:
        case kCmdFileOpen:
        case kCmdFileSave:
        case kCmdConnectionIndicator:
            return connected;
        default:
            return true;
    }
}

}  // namespace kyrvana
