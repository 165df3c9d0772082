#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a normal event-loop quit: the handler only writes a byte into
// a socket pair, the rest happens on the event loop.
class SignalQuitter : public QObject {
    Q_OBJECT
public:
    explicit SignalQuitter(QObject *parent = nullptr);
    bool install();

signals:
    void quitRequested(int signal);

private:
    static void handle(int signal);
    void onReadable();

    static int fds[2];
    QSocketNotifier *notifier = nullptr;
};
