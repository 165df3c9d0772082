#pragma once

// The desktop's notification server for the door-call benchmark: a dbus-daemon of the
// benchmark's own, and a server on it in a child process, so that answering takes no time from
// the viewer's thread. The child prints one line per Notify it is asked:
//   notify <CLOCK_MONOTONIC ns> <replaces_id> <id>
// and "close <id>" per CloseNotification.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QString>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <sys/types.h>

namespace benchNotifications {

inline qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

class server : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QVariantList in = message.arguments();
        if (message.member() == QLatin1String("Notify") && in.size() == 8) {
            const qint64 at = monotonicNs();
            const uint replaces = in.at(1).toUInt();
            const uint id = replaces != 0 ? replaces : nextId++;
            std::printf("notify %lld %u %u\n", static_cast<long long>(at), replaces, id);
            std::fflush(stdout);
            return connection.send(message.createReply(QVariant::fromValue(id)));
        }
        if (message.member() == QLatin1String("CloseNotification") && in.size() == 1) {
            std::printf("close %u\n", in.at(0).toUInt());
            std::fflush(stdout);
            return connection.send(message.createReply());
        }
        return false;
    }
    QString introspect(const QString &) const override { return {}; }

private:
    uint nextId = 1;
};

// The child: serves until it is ended. "ready" once the name is taken.
inline int runServer(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    server notifications;
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications)
        || !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "notification server: cannot take the name on %s\n",
                     qgetenv("DBUS_SESSION_BUS_ADDRESS").constData());
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// A session bus of the benchmark's own, before anything in this process asks for the session
// bus: its address goes into DBUS_SESSION_BUS_ADDRESS. Returns the daemon's pid, or -1.
inline pid_t startBus()
{
    FILE *out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    if (!out)
        return -1;
    char address[512] = {};
    long pid = -1;
    const bool read = std::fgets(address, sizeof address, out) && std::fscanf(out, "%ld", &pid) == 1;
    pclose(out);
    if (!read || pid <= 0)
        return -1;
    QByteArray text(address);
    qputenv("DBUS_SESSION_BUS_ADDRESS", text.trimmed());
    return pid_t(pid);
}

inline void stopBus(pid_t pid)
{
    if (pid > 0)
        ::kill(pid, SIGTERM);
}

} // namespace benchNotifications
