#pragma once

// Requests that the settings dialog and the popup logic leave for the main window's tick,
// in the order the tick serves them. Each is cleared by the tick once served.
struct settingsRequests {
    bool refreshWindowFlags = false;
    bool hideMainWindow = false;
    bool showMainWindow = false;
    bool stopCameras = false;
    bool startCurrentCamera = false;
    bool savePicture = false;
    int selectCameraIndex = -1;   // -1: none
    bool singleViewAfterSelect = false;
    bool toggleMaximised = false;
    bool traceChanged = false;
    bool traceChecked = false;
    bool toggleControlBox = false;
    bool showNormal = false;      // popup logic: as the tray's "Wiederherstellen"
    bool hide = false;            // popup logic: as the tray's "Minimieren"
    bool expireNow = false;       // treat the popup time-out as expired
    bool openStatistics = false;  // show the statistics dialog
};
