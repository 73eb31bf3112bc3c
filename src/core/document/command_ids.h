#pragma once

// Command identifiers of the program's menu and toolbar commands. The desktop
// application keeps them as each action's data; one table drives both the
// dispatch and the enabling rule.

namespace kyrvana {

enum CommandId : int {
    kCmdFileOpen = 57601,
    kCmdFileSave = 57603,
    kCmdAppAbout = 57664,
    kCmdAppExit = 57665,
    kCmdReadDevice = 32771,
    kCmdProgramDevice = 32772,
    kCmdConnectionIndicator = 32775,
    kCmdMoveToPosition = 32778,
    kCmdCalibrationMode = 32783,
    kCmdAccessTestData = 32784,
    kCmdLoadCellCalibration = 32786,
    kCmdForceControlSettings = 32788,
    kCmdManualConnectDevice = 32791,
    kCmdDisableWells = 32792,
    kCmdVerifyDevice = 32793,
    kCmdExportPreview = 32800,
};

// The long device operations that menu commands leave in the document for
// the request thread, one at a time: a request posted before the thread has
// picked up the last one replaces it.
enum class DeviceRequest : int {
    Idle = 0,
    ReadDevice = 1,
    ProgramDevice = 2,
    AccessTestData = 10,
    // Stops automatic connection and connects once.
    ManualConnect = 16,
    VerifyDevice = 17,
};

}  // namespace kyrvana
