#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects the debug channel's lines while it lives, so that a test can compare the trace
// lines a call wrote, including the absence of any.
class traceCapture {
public:
    traceCapture() { previous = qInstallMessageHandler(&traceCapture::handler); lines().clear(); }
    ~traceCapture() { qInstallMessageHandler(previous); }
    traceCapture(const traceCapture &) = delete;
    traceCapture &operator=(const traceCapture &) = delete;

    QStringList taken() const { return lines(); }
    bool contains(const QString &line) const { return lines().contains(line); }

private:
    static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type == QtDebugMsg)
            lines().append(message);
    }

    QtMessageHandler previous;
};
