#pragma once

#include "calltracker.h"
#include "historywriter.h"
#include "statusreceiver.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;
class callNotifier;
class camHandel;
class commandDispatch;
class historyWindow;
class installation;
class popupOneWin;
class systemTray;

// The call history as the program's shell has it: the tracker fed by the status receivers, the
// dispatch and the window, its writer, the missed calls counted in the tray's tool tip, the
// missed calls' notifications and the history window ("Verlauf"), opened from the tray, the
// command panels and the notifications.
class historyService : public QObject {
    Q_OBJECT

public:
    static inline const QString databaseName = QStringLiteral("history.sqlite");
    static inline const QString pictureFolderName = QStringLiteral("history");

    // window: the main window, whose title and icon the history's windows take; popupWindow:
    // where the main window keeps its popup window (made later). A camera counts as shown
    // while either shows it.
    historyService(installation &state, systemTray &tray, callNotifier &notifier, QWidget &window,
                   popupOneWin *const &popupWindow, QObject *parent = nullptr);
    ~historyService() override;

    // The folder of the database: the per-user data folder of an installed program, else the
    // INI file's (as the log); empty when there is none.
    static QString folderFor(const QString &iniFolder, const QString &programPath);
    // Starts the writer on the database beside the INI file (or in the per-user data folder).
    void open(const QString &programPath);
    // Ends what lasts and writes everything; nothing is recorded afterwards.
    void close();

    callTracker &tracker() { return events; }
    historyWriter &writer() { return files; }
    // What the status receivers recognise and the dispatch does goes to the tracker.
    void watch(statusReceiver &cameraIo, statusReceiver &intercom, commandDispatch &dispatch);
    void attachPanel(camHandel *panel);
    bool cameraShown(const camData *camera) const;

    void tick();
    void windowShownByUser() { events.windowShownByUser(); }
    void panelOpened(const camData *camera) { events.panelUsed(camera); }

    int unseenMissed() const { return unseen; }
    historyWindow *window() const { return shownWindow; }

public slots:
    void showWindow();
    void retranslate();

private:
    void missed(const historyEvent &event);
    void problem(const QString &text);
    void followCount();
    void windowClosed();

    installation &state;
    systemTray &tray;
    callNotifier &notifier;
    QWidget &mainWindow;
    popupOneWin *const &popupWindow;
    callTracker events;
    historyWriter files;
    historyWindow *shownWindow = nullptr;  // made when first shown
    bool closing = false;
    int unseen = 0;        // missed calls the user has not seen in the history yet
    int shownMissed = 0;   // what the open history window's title says
    int limitDays = 0;
    int limitMegabytes = 0;
};
