#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStringList>
#include <QVariantMap>

// A desktop notification server as the desktops offer it, reduced to what it was asked: each
// Notify is written to the log as "notify <body> <replaces_id>><id>", each CloseNotification as
// "close <id>"; the rest of each Notify is kept for the test to check.
class notificationServer : public QDBusVirtualObject {
public:
    struct call {
        QString appName, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
        int timeout = -1;
    };
    QStringList log;
    QList<call> calls;
    uint nextId = 1;

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QVariantList in = message.arguments();
        if (message.member() == QLatin1String("Notify") && in.size() == 8) {
            const uint replacesId = in.at(1).toUInt();
            const uint id = replacesId != 0 ? replacesId : nextId++;
            log.append(QStringLiteral("notify %1 %2>%3").arg(in.at(4).toString()).arg(replacesId).arg(id));
            calls.append({in.at(0).toString(), in.at(2).toString(), in.at(3).toString(), in.at(4).toString(),
                          in.at(5).toStringList(),
                          qdbus_cast<QVariantMap>(in.at(6)), in.at(7).toInt()});
            return connection.send(message.createReply(QVariant::fromValue(id)));
        }
        if (message.member() == QLatin1String("CloseNotification") && in.size() == 1) {
            log.append(QStringLiteral("close %1").arg(in.at(0).toUInt()));
            return connection.send(message.createReply());
        }
        if (message.member() == QLatin1String("GetCapabilities"))
            return connection.send(message.createReply(QStringList{QStringLiteral("actions"), QStringLiteral("body")}));
        return false;
    }
    QString introspect(const QString &) const override { return {}; }
};

// A session bus of the test's own (dbus-daemon --session) with the server above on it, so that
// no test reaches the desktop it runs on.
struct notificationBus {
    QProcess daemon;
    QString address;
    notificationServer server;
    QDBusConnection serverSide{QString()};

    static inline const QString service = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString path = QStringLiteral("/org/freedesktop/Notifications");

    bool start()
    {
        daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        if (!daemon.waitForStarted() || !daemon.waitForReadyRead())
            return false;
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        serverSide = QDBusConnection::connectToBus(address, QStringLiteral("notification server"));
        return serverSide.isConnected() && serverSide.registerVirtualObject(path, &server)
               && serverSide.registerService(service);
    }
    ~notificationBus()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("notification server"));
        daemon.kill();
        daemon.waitForFinished();
    }

    // A client connection of its own on this bus.
    QDBusConnection client(const QString &name) const { return QDBusConnection::connectToBus(address, name); }

    void emitSignal(const QString &name, const QVariantList &arguments)
    {
        QDBusMessage message = QDBusMessage::createSignal(path, service, name);
        message.setArguments(arguments);
        serverSide.send(message);
    }

    // True once the server answered a call sent now on the client connection: the bus keeps
    // the order, so everything the client sent before, and every signal the server sent before,
    // has arrived.
    static bool roundTrip(const QDBusConnection &client)
    {
        QDBusPendingCallWatcher watcher(client.asyncCall(
            QDBusMessage::createMethodCall(service, path, service, QStringLiteral("GetCapabilities"))));
        QSignalSpy finished(&watcher, &QDBusPendingCallWatcher::finished);
        return watcher.isFinished() || finished.wait();
    }
};
