#include "callnotifier.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
const QString defaultAction = QStringLiteral("default");
const QString showAction = QStringLiteral("show");
const QString historyAction = QStringLiteral("history");
constexpr uchar urgencyCritical = 2;
constexpr int neverExpires = 0;
// What the bus hands over is bounded before it is kept or passed on.
constexpr int maxTokenLength = 4096;
constexpr int maxErrorLength = 200;

} // namespace

callNotifier::callNotifier(const QDBusConnection &bus, const QString &appId, warnFunction warn, QObject *parent)
    : QObject(parent), bus(bus), appId(appId), warn(std::move(warn))
{
    // Here at start rather than at the first call: subscribing asks the bus who the server is
    // and waits for the answer.
    if (!this->bus.isConnected())
        return;
    this->bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                      SLOT(actionInvoked(uint, QString)));
    this->bus.connect(service, path, interface, QStringLiteral("ActivationToken"), this,
                      SLOT(activationToken(uint, QString)));
    this->bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                      SLOT(notificationClosed(uint, uint)));
}

void callNotifier::setSender(const QString &summary, const QString &iconName)
{
    title = summary;
    icon = iconName;
}

void callNotifier::setEnabled(bool on)
{
    enabled = on;
    if (!on) {
        closeAll();
        closeMissed();
    }
}

void callNotifier::callStarted(const QString &station, event kind, const QString &stationName,
                               const QString &camName)
{
    if (!enabled)
        return;
    if (!bus.isConnected()) {
        warnOnce(tr("Keine Verbindung zum Sitzungsbus (D-Bus): Rufe werden nicht als "
                    "Desktop-Benachrichtigung gemeldet."));
        return;
    }
    notification &n = stations[station];
    switch (kind) {
    case event::doorCall:
        n.summary = tr("Eingehender Ruf");
        n.body = tr("Sprechstelle %1, Kamera %2").arg(stationName, camName);
        break;
    case event::input1:
    case event::input2:
        n.summary = tr("Alarm an Eingang %1").arg(QLatin1String(kind == event::input1 ? "IO.1" : "IO.2"));
        n.body = tr("IO-Modul %1, Kamera %2").arg(stationName, camName);
        break;
    }
    n.closeWanted = false;
    n.missedWhen.clear();
    send(station);
}

void callNotifier::send(const QString &station)
{
    notification &n = stations[station];
    if (n.pending) {
        // Its id is not known yet: a second Notify now would make a second notification.
        n.resend = true;
        return;
    }
    // Most servers read the body as markup.
    const bool missed = !n.missedWhen.isEmpty();
    const QString body = n.body.toHtmlEscaped();
    const QStringList actions = missed ? QStringList{defaultAction, tr("Verlauf"), historyAction, tr("Verlauf")}
                                       : QStringList{defaultAction, tr("Anzeigen"), showAction, tr("Anzeigen")};
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(urgencyCritical)},
                            {QStringLiteral("resident"), true},
                            {QStringLiteral("desktop-entry"), appId}};
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    message << title << n.id << icon << n.summary << body << actions << hints << neverExpires;
    n.pending = true;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, station](QDBusPendingCallWatcher *w) { sent(station, w); });
}

void callNotifier::sent(const QString &station, QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    auto it = stations.find(station);
    if (it == stations.end())
        return;
    it->pending = false;
    if (reply.isError()) {
        const QDBusError error = reply.error();
        warnOnce(tr("Desktop-Benachrichtigungen sind nicht möglich (%1): Rufe werden nur im Fenster gemeldet.")
                     .arg((error.name() + QStringLiteral(": ") + error.message()).left(maxErrorLength)));
        stations.erase(it);
        return;
    }
    it->id = reply.value();
    if (it->closeWanted) {
        close(it->id);
        stations.erase(it);
        return;
    }
    if (it->resend) {
        it->resend = false;
        send(station);
    }
}

void callNotifier::callEnded(const QString &station)
{
    auto it = stations.find(station);
    if (it == stations.end() || !it->missedWhen.isEmpty())
        return;
    if (it->pending) {
        it->closeWanted = true;
        it->resend = false;
        return;
    }
    close(it->id);
    stations.erase(it);
}

void callNotifier::closeAll()
{
    const QStringList open = stations.keys();
    for (const QString &station : open)
        callEnded(station);
}

// The call's notification, where there is one, says so from now on and stays.
void callNotifier::callMissed(const QString &station, const QString &camName, const QString &when)
{
    if (!enabled || !bus.isConnected())
        return;
    notification &n = stations[station];
    n.summary = tr("Verpasster Ruf");
    n.body = tr("Verpasster Ruf von %1 um %2").arg(camName, when);
    n.missedWhen = when;
    n.closeWanted = false;
    send(station);
}

void callNotifier::closeMissed()
{
    const QStringList open = stations.keys();
    for (const QString &station : open) {
        if (stations[station].missedWhen.isEmpty())
            continue;
        stations[station].missedWhen.clear();
        callEnded(station);
    }
}

// Nobody waits for the answer: a notification that is gone already is just as well.
void callNotifier::close(uint id)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("CloseNotification"));
    message << id;
    bus.send(message);
}

QString callNotifier::stationOf(uint id) const
{
    for (auto it = stations.cbegin(); it != stations.cend(); ++it) {
        if (it->id == id && id != 0)
            return it.key();
    }
    return {};
}

// The server announces the activation token just before the action it belongs to.
void callNotifier::activationToken(uint id, const QString &token)
{
    const QString station = stationOf(id);
    if (!station.isEmpty() && token.size() <= maxTokenLength)
        stations[station].token = token;
}

void callNotifier::actionInvoked(uint id, const QString &actionKey)
{
    const QString station = stationOf(id);
    const bool missed = !station.isEmpty() && !stations[station].missedWhen.isEmpty();
    if (station.isEmpty() || (actionKey != defaultAction && actionKey != (missed ? historyAction : showAction)))
        return;
    const QString token = std::exchange(stations[station].token, QString());
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    if (missed)
        emit historyRequested();
    else
        emit showRequested(station);
    // Whoever activates a window has used the token by now; an unused one must not be taken
    // for a later activation.
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

void callNotifier::notificationClosed(uint id, uint)
{
    const QString station = stationOf(id);
    if (!station.isEmpty() && !stations[station].pending)
        stations.remove(station);
}

void callNotifier::warnOnce(const QString &text)
{
    if (warned)
        return;
    warned = true;
    if (warn)
        warn(text);
}
