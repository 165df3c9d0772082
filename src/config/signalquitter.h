#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a signal on the event loop, so that a program stopped by its
// service manager or by Ctrl+C leaves through its normal quit path: the handler only writes a
// byte into a socket pair, the rest happens on the event loop.
class signalQuitter : public QObject {
    Q_OBJECT
public:
    explicit signalQuitter(QObject *parent = nullptr);
    bool install();

signals:
    void quitRequested(int signal);

private:
    static void handle(int signal);
    void onReadable();

    static int fds[2];
    QSocketNotifier *notifier = nullptr;
};
