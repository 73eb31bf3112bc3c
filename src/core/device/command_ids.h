#pragma once

// Command identifiers of the program's menu and toolbar commands. The desktop
// application keeps them as each action's data; one table drives both the
// dispatch and the enabling rule, and the request thread receives the device
// requests by code.

namespace kyrvana {

enum CommandId : int {
    kCmdFileNew = 57600,
    kCmdFileOpen = 57601,
    kCmdFileClose = 57602,
    kCmdFileSave = 57603,
    kCmdFilePrintSetup = 57606,
    kCmdAppAbout = 57664,
    kCmdAppExit = 57665,
    kCmdViewStatusBar = 59393,
    kCmdReadDevice = 32771,
    kCmdProgramDevice = 32772,
    kCmdRequest12 = 32774,
    kCmdConnectionIndicator = 32775,
    kCmdDevice32776 = 32776,
    kCmdDevice32777 = 32777,
    kCmdMoveToPosition = 32778,
    kCmdCalibrationMode = 32783,
    kCmdAccessTestData = 32784,
    kCmdRunningStateCheck = 32785,
    kCmdLoadCellCalibration = 32786,
    kCmdForceControlSettings = 32788,
    kCmdAutoConnectOn = 32790,
    kCmdManualConnectDevice = 32791,
    kCmdDisableWells = 32792,
    kCmdVerifyDevice = 32793,
    kCmdExportPreview = 32800,
};

// Codes that the menu commands leave in the document for the request thread.
enum DeviceRequest : int {
    kRequestIdle = 0,
    kRequestReadDevice = 1,
    kRequestProgramDevice = 2,
    kRequestMoveToPositionClosed = 6,
    kRequestNothing8 = 8,
    kRequestEndLoop = 9,
    kRequestAccessTestData = 10,
    kRequestCalibrationMode = 11,
    kRequestNothing12 = 12,
    kRequestRunningStateCheck = 13,
    kRequestAutoConnectOn = 15,
    kRequestManualConnect = 16,
    kRequestVerifyDevice = 17,
};

}  // namespace kyrvana
