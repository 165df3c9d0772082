#pragma once

#include "inidata.h"
#include "settingsrequests.h"
#include "shellsettings.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>

#include <memory>

class camData;

// The installation as the viewer knows it, without any widget: the INI store with the main
// window's settings bound to it, the cameras in grid order with the current one, and the requests
// that the dialogs, the grid scene, the panels and the popup logic leave for the tick.
//
// Who changes what:
// - the camera list only through the members below: the main window
//   adds the cameras it makes, the settings work removes and reorders them, the grid's drag
//   reorders them, selection and popups make one current;
// - the installation owns the cameras (their QObject parent) and deletes them in deleteCamera()
//   alone, after announcing it: whatever holds a camera follows cameraAboutToBeRemoved;
// - the settings are read from the store at start, stored by the settings dialog and kept up to
//   date by the shell (geometry, view) and the language dialog;
// - a request is set by its owner and served and cleared by the main window's tick.
class installation : public QObject {
    Q_OBJECT

public:
    static constexpr int moduleMax = 20;

    // The shell's own requests: the grid scene's left click, the panels' view toggle, start-all
    // (popup logic, dispatch) and the panel's start/stop.
    struct windowRequests {
        bool leftClick = false;
        bool viewToggle = false;
        bool startAll = false;
        bool startStop = false;
    };

    // ---- configuration
    // Reads the file (the one given, else the one beside the program or the per-user one) and
    // binds the [Window] and [System] settings to it.
    void readConfiguration(const QString &configFile);
    // Reads the keys of a module section into a new camera record and binds the rest; false when
    // a key it cannot do without is empty.
    bool loadModule(camData *camera, const QString &section);
    // Configuration entries rebuilt from the settings and the modules in list order, each module in
    // the section its name and address give; iniData::writeFile() then saves them.
    void rebuildConfiguration();
    iniData &ini() { return store; }
    const iniData &ini() const { return store; }
    shellSettings &settings() { return values; }
    const shellSettings &settings() const { return values; }
    // ownIP as a host address, taken once the settings are read. Camera records and the command
    // sender keep a pointer to it.
    void takeOwnAddress() { own = QHostAddress(values.ownIP); }
    const QHostAddress *ownAddress() const { return &own; }

    // Values that the settings dialog changes and the camera records read through a pointer.
    const bool &traceSwitch() const { return trace; }
    void setTraceSwitch(bool on) { trace = on; }
    const int &overlayPixelSize() const { return overlayPixels; }
    void setOverlayPixelSize(int pixels) { overlayPixels = pixels; }
    // A camera record's wiring sets it to its default.
    const int &stallTimeoutMs() const { return stallMs; }

    // ---- cameras, in grid order
    const QList<camData *> &cameras() const { return list; }
    camData *currentCamera() const { return current; }
    int currentIndex() const { return currentAt; }
    bool isGridView() const { return values.dispForm != 0; }
    bool makeCurrent(int index);
    // Appended, made current and owned from now on.
    void addCamera(std::unique_ptr<camData> camera);
    // Whatever holds the camera lets go of it (cameraAboutToBeRemoved) and it stops being
    // current; none is until one is made current. It stays listed.
    void releaseCamera(camData *camera);
    // Released, taken out of the list and deleted. When it was current, or none is, the one that
    // took its place (or the last) becomes current. Returns the index it had, -1 when it was not
    // listed (and then nothing is done).
    int deleteCamera(camData *camera);
    // At the end: every camera, each as deleteCamera() does.
    void deleteCameras();
    // The same cameras in another order; the current one stays current.
    void reorder(const QList<camData *> &order);
    // Index of the first camera (in list order) whose tile holds the point, or -1.
    int tileAt(const QPointF &scenePos) const;

    // ---- requests served by the tick
    settingsRequests &requests() { return pending; }
    windowRequests &shellRequests() { return shellPending; }

signals:
    // Before a camera goes: no pointer to it may be kept beyond this call.
    void cameraAboutToBeRemoved(camData *camera);

private:
    iniData store;
    shellSettings values;
    QHostAddress own;
    bool trace = false;
    int overlayPixels = 20;
    int stallMs = 5000;

    QList<camData *> list;
    camData *current = nullptr;
    int currentAt = -1;

    settingsRequests pending;
    windowRequests shellPending;
};
