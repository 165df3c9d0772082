#pragma once

#include <QDBusConnection>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>

class QDBusError;
class QDBusPendingCallWatcher;

// Announces door calls through the desktop's notification server (org.freedesktop.Notifications
// on the session bus), for where no window can come forward: native Wayland, another virtual
// desktop, a locked-down shell. One notification per door station, replaced while its call
// lasts. Every bus call is asynchronous, so a slow or missing server never holds up the tick;
// a missing bus or server is reported once and costs nothing else.
class callNotifier : public QObject {
    Q_OBJECT

public:
    using warnFunction = std::function<void(const QString &)>;

    // bus: the session bus, or a private one in tests. appId names the desktop entry.
    callNotifier(const QDBusConnection &bus, const QString &appId, warnFunction warn, QObject *parent = nullptr);

    // The sender (the edition title) and the icon (a themed icon name, which the server shows at
    // the size it likes) of the notifications sent from now on.
    void setSender(const QString &title, const QString &iconName);
    // Off: nothing is sent, and what is shown is closed.
    void setEnabled(bool on);
    bool isEnabled() const { return enabled; }

    // What popped a camera up; it is the notification's summary.
    enum class event { doorCall, input1, input2 };
    // A door call or an IO alarm of this station popped a camera up; a further one replaces its
    // notification. stationName: the door station's name or the IO module's address.
    void callStarted(const QString &station, event kind, const QString &stationName, const QString &camName);
    void callEnded(const QString &station);
    // The user has the window in front of them. A missed call's notification stays.
    void closeAll();
    // Nobody answered the station's call: its notification (or a new one) says so and stays
    // (resident) until closeMissed(), when the user opens the call history, or the station's
    // next call, which it becomes.
    void callMissed(const QString &station, const QString &camName, const QString &when);
    void closeMissed();

    // The stations with a notification sent or on its way.
    QStringList openStations() const { return stations.keys(); }

signals:
    // The user chose the notification ("default" or "Anzeigen"). The server's activation
    // token, if any, is in XDG_ACTIVATION_TOKEN while the signal is delivered, so that a window
    // shown and activated there may take the focus on Wayland.
    void showRequested(const QString &station);
    // The user chose a missed call's notification ("Verlauf").
    void historyRequested();

private slots:
    // Signals of the notification server, connected by name.
    void actionInvoked(uint id, const QString &actionKey);
    void activationToken(uint id, const QString &token);
    void notificationClosed(uint id, uint reason);

private:
    struct notification {
        uint id = 0;          // the server's, 0 until it answered
        bool pending = false;  // a Notify is on its way
        bool resend = false;   // a further call came while it was on its way
        bool closeWanted = false;
        QString summary;
        QString body;
        QString token;
        QString missedWhen;  // a missed call's notification: when it came
    };

    void send(const QString &station);
    void sent(const QString &station, QDBusPendingCallWatcher *watcher);
    void close(uint id);
    QString stationOf(uint id) const;
    void warnOnce(const QString &text);

    QDBusConnection bus;
    QString appId;
    warnFunction warn;
    QString title;
    QString icon;
    bool enabled = true;
    bool warned = false;
    QMap<QString, notification> stations;  // ordered, so closing all goes the same way every time
};
