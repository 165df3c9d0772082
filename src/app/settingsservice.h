#pragma once

#include "moduleorder.h"

#include <QCoreApplication>
#include <QString>

class EinstDia;
class camData;
class camHandel;
class installation;
class settingsHost;

// The main window's side of the settings dialog: the requests the dialog leaves are carried
// out here on the tick. Modules are created, applied (stored, reconnected, written to the
// file), removed and put in order; the small display requests are served after them.
class settingsService {
    Q_DECLARE_TR_FUNCTIONS(settingsService)

public:
    enum class outcome { none, served, endRequests };

    settingsService(installation &state, settingsHost &host);
    // The settings dialog and the main window's command panel, once the window made them.
    void setDialog(EinstDia *settingsDialog) { dialog = settingsDialog; }
    void setPanel(camHandel *commandPanel) { panel = commandPanel; }

    // New module, apply, remove, in that order. Creating a module, or refusing a page, ends
    // the request handling of this tick.
    outcome serveModuleRequests();
    // The window's frame rule, then hiding it, or else showing it.
    void serveWindowRequests();
    // Start, stop, save picture, maximise, trace switch and control box, then geometry, view,
    // layout, button labels and recording buttons; true when one was served.
    bool serveShellRequests();
    // One move or sort of the order list per tick.
    void serveOrderMove();
    // A changed order goes into the camera list; the list is shown again.
    void serveOrderList();
    void rebuildOrderList();
    // Everything written to the file now; the user is told when it cannot be.
    void writeOrSay(const QString &removedSection = QString());

private:
    bool serveDisplayRequests();
    // Section names follow the records; every module is registered again and the file written.
    bool rebuildAndWrite(const QString &removedSection);
    QString standardModuleRefusal(const QString &name) const;
    outcome createStandardModule();
    outcome applyPage();
    bool removeModule();
    void reconnect(camData *camera);
    void applyOrder();

    installation &state;
    settingsHost &host;
    EinstDia *dialog = nullptr;
    camHandel *panel = nullptr;
    moduleOrder order;
    int appliedEinzelBild = -1;  // the single-picture choice of the last apply; -1 before it
};
