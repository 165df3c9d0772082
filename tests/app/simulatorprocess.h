#pragma once

// The simulator (tools/dxsim) as a separate process, driven through its console as a script
// would: it writes the viewer's INI for its cameras and modules, then serves them on loopback.

#include <QDeadlineTimer>
#include <QProcess>
#include <QUdpSocket>
#include <QtTest>

inline quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.localPort();
}

class simulator {
public:
    bool start(const QStringList &args, const QString &iniPath)
    {
        camPort = freeUdpPort();
        sipPort = freeUdpPort();
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The arguments come last: where they repeat an option, theirs counts.
        process.start(QStringLiteral(DXSIM_PATH),
                      QStringList{"--size", "160x120", "--fps", "5", "--cycle", "8"} + args + QStringList{"--write-ini", iniPath,
                                         "--serve", "--cam-status-port", QString::number(camPort),
                                         "--sip-status-port", QString::number(sipPort), "--cam-control-port",
                                         QString::number(freeUdpPort()), "--sip-control-port",
                                         QString::number(freeUdpPort())});
        return process.waitForStarted() && waitFor("ready:", 60000);
    }

    ~simulator()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.write("quit\n");
        if (!process.waitForFinished(5000))
            process.kill();
    }

    // Sends console commands; returns once each has been answered.
    bool command(const QString &lines)
    {
        const QStringList all = lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &line : all) {
            process.write(line.toLatin1() + '\n');
            if (!waitFor("ok ", 5000)) {
                qWarning() << "no answer to" << line << seen;
                return false;
            }
        }
        return true;
    }

    quint16 camPort = 0;
    quint16 sipPort = 0;

private:
    // Waits for a new line holding needle, the event loop running meanwhile.
    bool waitFor(const QByteArray &needle, int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            seen += process.readAllStandardOutput();
            const qsizetype at = seen.indexOf(needle);
            if (at >= 0) {
                const qsizetype end = seen.indexOf('\n', at);
                if (end >= 0) {
                    seen.remove(0, end + 1);
                    return true;
                }
            }
            QTest::qWait(20);
        }
        return false;
    }

    QProcess process;
    QByteArray seen;
};
