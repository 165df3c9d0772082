#pragma once

#include <QList>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QAction;
class QIcon;
class QMenu;
class QWidget;
class ownMsgBox;

// The program's place in the system tray: the tray icon with its window menu, and the notice that
// tells the user, once the window is closed, that the program goes on in the tray. The menu's
// entries are passed on as signals; what they do is the main window's business.
class systemTray : public QObject {
    Q_OBJECT

public:
    // Whether the desktop offers a system tray now.
    using availabilityProbe = std::function<bool()>;

    // The menu and its actions belong to `window`; the notice has no parent, so that it shows
    // while the window is hidden.
    systemTray(QWidget &window, availabilityProbe probe);
    ~systemTray() override;

    // The icon with its menu, shown at once.
    void create();
    bool hasIcon() const { return icon != nullptr; }
    bool available() const { return probe && probe(); }
    void setEdition(const QIcon &windowIcon, const QString &title);
    // A short line of what the viewer did last, such as the picture it saved.
    void setLastAction(const QString &text);
    // The window was closed while the program stays: the notice, when the icon is there to be seen.
    void showNoticeIfIconVisible();
    // The window was closed on a desktop without a tray: the notice says how to come back.
    void showNoTrayNotice();
    void retranslate();
    // The missed calls, below the edition title in the icon's tool tip (and the last action below).
    void setStatusText(const QString &text);
    QString toolTip() const;
    // A message the user must read, from the icon when there is one (the log has it as well).
    void showWarning(const QString &text);

    QMenu *menu() const { return trayMenu; }
    ownMsgBox *notice() const { return closedNotice; }

signals:
    void hideRequested();
    void showMaximisedRequested();
    void showNormalRequested();
    void languageRequested();
    void settingsRequested();
    void historyRequested();
    void quitRequested();
    // Not in the menu: an action of the window's own.
    void toggleControlBoxRequested();

public slots:
    // Clicking the icon itself does nothing; only the menu acts.
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void showMessage();
    void messageClicked();

private:
    QWidget &window;
    availabilityProbe probe;
    ownMsgBox *closedNotice = nullptr;
    QSystemTrayIcon *icon = nullptr;
    QMenu *trayMenu = nullptr;
    QList<QAction *> actions;
    QAction *hideCtrlAction = nullptr;
    QString title;
    QString statusText;
    QString lastAction;
};
