#include "systemtray.h"

#include "ownmsgbox.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QStringList>
#include <QWidget>

namespace {
// The texts were the main window's and are translated under its name.
const char *context = "ownCam";
const char *hideCtrlText = QT_TRANSLATE_NOOP("ownCam", "&ToggleHideCtrl");

QString translated(const char *text)
{
    return QCoreApplication::translate(context, text);
}
}

systemTray::systemTray(QWidget &window, availabilityProbe probe)
    : window(window)
    , probe(std::move(probe))
    , closedNotice(new ownMsgBox(window.windowIcon(), window.windowTitle()))
{
}

systemTray::~systemTray()
{
    delete closedNotice;
}

void systemTray::create()
{
    struct entry {
        const char *text;
        void (systemTray::*signal)();
    };
    const entry entries[] = {
        {QT_TRANSLATE_NOOP("ownCam", "Mi&nimieren"), &systemTray::hideRequested},
        {QT_TRANSLATE_NOOP("ownCam", "Ma&ximieren"), &systemTray::showMaximisedRequested},
        {QT_TRANSLATE_NOOP("ownCam", "&Wiederherstellen"), &systemTray::showNormalRequested},
        {nullptr, nullptr},
        {QT_TRANSLATE_NOOP("ownCam", "&Sprache"), &systemTray::languageRequested},
        {QT_TRANSLATE_NOOP("ownCam", "&Einstellungen"), &systemTray::settingsRequested},
        {QT_TRANSLATE_NOOP("ownCam", "&Verlauf"), &systemTray::historyRequested},
        {nullptr, nullptr},
        {QT_TRANSLATE_NOOP("ownCam", "&Beenden"), &systemTray::quitRequested},
    };
    trayMenu = new QMenu(&window);
    for (const entry &e : entries) {
        if (!e.text) {
            trayMenu->addSeparator();
            continue;
        }
        auto *action = new QAction(translated(e.text), &window);
        action->setData(QString::fromUtf8(e.text));
        connect(action, &QAction::triggered, this, e.signal);
        trayMenu->addAction(action);
        actions.append(action);
    }
    hideCtrlAction = new QAction(translated(hideCtrlText), &window);
    connect(hideCtrlAction, &QAction::triggered, this, &systemTray::toggleControlBoxRequested);

    icon = new QSystemTrayIcon(window.windowIcon(), &window);
    icon->setContextMenu(trayMenu);
    setStatusText(statusText);
    connect(icon, &QSystemTrayIcon::messageClicked, this, &systemTray::messageClicked);
    connect(icon, &QSystemTrayIcon::activated, this, &systemTray::iconActivated);
    icon->setVisible(true);
}

void systemTray::setEdition(const QIcon &windowIcon, const QString &editionTitle)
{
    title = editionTitle;
    closedNotice->setEdition(windowIcon, title);
    if (icon)
        icon->setIcon(windowIcon);
    setStatusText(statusText);
}

void systemTray::setStatusText(const QString &text)
{
    statusText = text;
    if (icon)
        icon->setToolTip(toolTip());
}

void systemTray::setLastAction(const QString &text)
{
    lastAction = text;
    if (icon)
        icon->setToolTip(toolTip());
}

QString systemTray::toolTip() const
{
    QStringList lines{title, statusText, lastAction};
    lines.removeAll(QString());
    return lines.join(QLatin1Char('\n'));
}

void systemTray::showWarning(const QString &text)
{
    if (icon && icon->isVisible())
        icon->showMessage(title, text, QSystemTrayIcon::Warning);
}

void systemTray::showNoticeIfIconVisible()
{
    if (!icon || !icon->isVisible())
        return;
    closedNotice->setTrayShown(true);
    closedNotice->show();
}

void systemTray::showNoTrayNotice()
{
    closedNotice->setTrayShown(false);
    closedNotice->show();
}

void systemTray::retranslate()
{
    for (QAction *action : std::as_const(actions))
        action->setText(translated(action->data().toString().toUtf8().constData()));
    if (hideCtrlAction)
        hideCtrlAction->setText(translated(hideCtrlText));
    closedNotice->retranslate();
}

void systemTray::iconActivated(QSystemTrayIcon::ActivationReason)
{
}

void systemTray::showMessage()
{
}

void systemTray::messageClicked()
{
}
