#include "historyservice.h"

#include "callnotifier.h"
#include "camhandel.h"
#include "commanddispatch.h"
#include "historywindow.h"
#include "installation.h"
#include "installlayout.h"
#include "popuponewin.h"
#include "systemtray.h"
#include "usermessage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

historyService::historyService(installation &state, systemTray &tray, callNotifier &notifier, QWidget &window,
                               popupOneWin *const &popupWindow, QObject *parent)
    : QObject(parent), state(state), tray(tray), notifier(notifier), mainWindow(window), popupWindow(popupWindow),
      events(state.settings())
{
    events.setSinks([this](const historyEvent &event) { files.saveEvent(event); },
                    [this](const historyEvent &event, const callerPicture::source &jpeg) {
                        files.savePicture(event.id, event.startMs, event.camName, jpeg);
                    },
                    [this](const historyEvent &event) { missed(event); });
    connect(&files, &historyWriter::problem, this, &historyService::problem);
    connect(&files, &historyWriter::opened, this, [this](int missedBefore) {
        unseen += missedBefore;
        followCount();
    });
    connect(&notifier, &callNotifier::historyRequested, this, &historyService::showWindow);
    connect(&tray, &systemTray::historyRequested, this, &historyService::showWindow);
}

historyService::~historyService()
{
    close();
    delete shownWindow;
}

QString historyService::folderFor(const QString &iniFolder, const QString &programPath)
{
    if (!installLayout::isInstalled(programPath))
        return iniFolder;
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (base.isEmpty() || !QDir().mkpath(base))
        return QString();
    QFile::setPermissions(base, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return base + QLatin1Char('/');
}

void historyService::open(const QString &programPath)
{
    const QString folder = folderFor(state.ini().directory(), programPath);
    if (folder.isEmpty())
        return;
    limitDays = state.settings().HistoryDays;
    limitMegabytes = state.settings().HistoryMB;
    files.begin(QDir(folder).filePath(databaseName), QDir(folder).filePath(pictureFolderName), limitDays,
                limitMegabytes);
}

void historyService::close()
{
    // What the end of the program ends was not missed by anyone: nothing is announced.
    closing = true;
    events.endAll();
    files.finish();
}

void historyService::watch(statusReceiver &cameraIo, statusReceiver &intercom, commandDispatch &dispatch)
{
    const auto parsed = [this](camData *camera, bool fromIntercom, const QString &summary) {
        events.statusParsed(camera, fromIntercom, summary);
    };
    cameraIo.setObserver(parsed);
    intercom.setObserver(parsed);
    dispatch.setObserver(&events);
}

bool historyService::cameraShown(const camData *camera) const
{
    const bool inMainWindow = mainWindow.isVisible() && !mainWindow.isMinimized()
                              && (state.isGridView() || state.currentCamera() == camera);
    return inMainWindow || (popupWindow && popupWindow->isShowing(camera));
}

void historyService::attachPanel(camHandel *panel)
{
    if (panel)
        connect(panel, &camHandel::historyRequested, this, &historyService::showWindow, Qt::UniqueConnection);
}

void historyService::tick()
{
    events.tick([this](const camData *camera) { return cameraShown(camera); });
    const shellSettings &s = state.settings();
    if (s.HistoryDays == limitDays && s.HistoryMB == limitMegabytes)
        return;
    limitDays = s.HistoryDays;
    limitMegabytes = s.HistoryMB;
    files.setLimits(limitDays, limitMegabytes);
}

// Seen in the open history it needs no more telling; else it is counted and announced until the
// history is opened.
void historyService::missed(const historyEvent &event)
{
    if (closing)
        return;
    if (shownWindow && shownWindow->isVisible()) {
        shownWindow->setMissed(++shownMissed);
        return;
    }
    ++unseen;
    followCount();
    // As the call itself: announced only where it popped up.
    if (!state.settings().NotifyEn || !state.settings().Auto_Popup)
        return;
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(event.startMs);
    const QString when = start.date() == QDate::currentDate() ? start.toString(QStringLiteral("hh:mm"))
                                                              : start.toString(QStringLiteral("dd.MM. hh:mm"));
    notifier.callMissed((event.isCall() ? QStringLiteral("door ") : QStringLiteral("io ")) + event.station,
                        event.camName, when);
}

void historyService::followCount()
{
    tray.setStatusText(historyWindow::missedText(unseen));
}

void historyService::showWindow()
{
    if (!shownWindow) {
        shownWindow = new historyWindow(files.databasePath(), files.pictureFolder(), state.settings());
        connect(&files, &historyWriter::committed, shownWindow, &historyWindow::refresh);
    }
    shownMissed = unseen;
    unseen = 0;
    followCount();
    notifier.closeMissed();
    files.markOpened(QDateTime::currentMSecsSinceEpoch());
    shownWindow->setEdition(mainWindow.windowTitle(), mainWindow.windowIcon());
    shownWindow->setMissed(shownMissed);
    shownWindow->showInFront();
}

void historyService::retranslate()
{
    followCount();
    if (shownWindow)
        shownWindow->retranslate();
}

void historyService::problem(const QString &text)
{
    state.ini().warn(text);
    if (tray.hasIcon())
        tray.showWarning(text);
    else
        userMessage::open(nullptr, mainWindow.windowTitle(), mainWindow.windowIcon(), text);
}
