#pragma once

// Requests that the settings dialog and the popup logic leave for the main window's tick,
// in the order the tick serves them. Each is cleared by the tick once served.
struct settingsRequests {
    bool refreshWindowFlags = false;
    bool hideMainWindow = false;
    bool showMainWindow = false;
    bool newModule = false;       // add a standard module
    bool applyPage = false;       // "Übernehmen": store the page, reconnect, write the file
    bool removeModule = false;    // remove the module the page shows, write the file
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

    // Served after the module requests, in this order
    bool applyGeometry = false;   // move the window to the stored x, y, width, height
    bool toggleView = false;      // grid or single picture
    bool pictureLayout = false;   // lay the grid out again
    bool applyButtonLabels = false;
    bool updatePanelButtons = false;  // recording switches changed

    // Module order list: one move per tick, then the order is applied
    bool moveUp = false;
    bool moveDown = false;
    bool sortByName = false;
    bool applyOrder = false;
    bool rebuildOrderList = false;

    bool openStatistics = false;  // show the statistics dialog
    // Password switches and buttons of the "System" page
    bool protectViewerClicked = false;
    bool protectSettingsClicked = false;
    bool changeViewerPassword = false;
    bool changeSettingsPassword = false;
};
