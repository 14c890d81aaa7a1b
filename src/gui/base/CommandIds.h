#pragma once

// The command numbers of the menus and pop-up menus. Views and windows of other parts
// find their commands by these numbers (QAction::data() holds the number).
namespace vorel::cmd {

enum Command : int {
    // File
    kSaveMapFile = 32805,
    kNewProject = 57600,
    kCompareSnapshot = 32841,
    kSiteReport = 32842,
    kLoadProject = 32818,
    kSaveProject = 32819,
    kUploadCmsFile = 32827,
    kExportTraffic = 32840,
    kExit = 32812,
    // Edit
    kEditUndo = 57643,
    kEditRedo = 57644,
    // Interface
    kInterfaceUdp = 32791,
    kInterfaceTcp = 32792,
    kInterfaceUsb = 32828,
    kInterfaceNetwork = 32777,
    // Logging
    kLoggingStart = 32786,
    kLoggingStop = 32787,
    kLogFileName = 32788,
    // View
    kViewTraffic = 32771,
    kViewProject = 32772,
    kViewMap = 32813,
    kViewUbrixs = 32809,
    kViewTrace = 32831,
    kViewNetwork = 32823,
    kKeypadSimple = 32832,
    kKeypadLighting = 32833,
    kKeypadMotor = 32834,
    kKeypadSun = 32835,
    kTimeStamp = 32807,
    kShowIp = 32808,
    kShowSent = 32850,
    // Help
    kAbout = 57664,
    // Carried by no menu item.
    kLoadMap = 32821,
    kToggleSun = 32826,

    // Pop-up menus
    kTrafficClear = 32800,
    kGatewaysRefresh = 32801,
    kMapDelete = 32802,
    kMapChangeAddress = 32822,
    kUbrixRefresh = 32810,
    kTmapRefresh = 32816,
    kTmapDelete = 32817,
    kTmapIdentify = 32825,
    kTmapUpdate = 32836,
    kTmapReplace = 32843,
};

// The pop-up menu resources.
enum PopupMenu : int {
    kPopupTrafficList = 150,
    kPopupGatewayList = 152,
    kPopupDeviceMap = 153,
    kPopupGatewayView = 164,
    kPopupBusView = 178,
};

}  // namespace vorel::cmd
