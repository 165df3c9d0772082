#pragma once

// What the whole-program benchmarks share: waiting on the event loop, the simulator that serves
// the cameras and writes the INI, and changes to that INI before the viewer reads it.

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace benchSimulator {

// utime + stime of a running child, read before it ends (its rusage would come only with wait).
inline double processCpuSeconds(qint64 pid, const QString &statPath = QStringLiteral("/proc/%1/stat"))
{
    QFile stat(statPath.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name in parentheses; utime and stime are fields 14 and 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

inline double percentOfCore(double cpuSeconds, double wallSeconds)
{
    return wallSeconds > 0 ? 100.0 * cpuSeconds / wallSeconds : 0;
}

// Runs the event loop until the condition holds or the time is up, looking every 50 ms.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    if (condition())
        return true;
    QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition() || deadline.hasExpired())
            loop.quit();
    });
    poll.start(50);
    loop.exec();
    return condition();
}

inline void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Sets `key` in `section` of Latin-1 INI lines.
inline void setIniValue(QStringList &lines, const QString &section, const QString &key, const QString &value)
{
    const int start = int(lines.indexOf(QLatin1Char('[') + section + QLatin1Char(']')));
    if (start < 0)
        return;
    for (int i = start + 1; i < lines.size() && !lines[i].startsWith(QLatin1Char('[')); ++i) {
        if (lines[i].startsWith(key + QLatin1Char('='))) {
            lines[i] = key + QLatin1Char('=') + value;
            return;
        }
    }
    lines.insert(start + 1, key + QLatin1Char('=') + value);
}

struct iniValue {
    QString section;
    QString key;
    QString value;
};

inline bool setIniValues(const QString &path, const QList<iniValue> &values)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
    file.close();
    for (const iniValue &v : values)
        setIniValue(lines, v.section, v.key, v.value);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(lines.join(QLatin1Char('\n')).toLatin1());
    return true;
}

// dxsim with the given arguments, writing its INI to iniPath and serving on; its output goes
// to logPath. Null when it does not come up.
inline std::unique_ptr<QProcess> startSimulator(const QString &program, QStringList arguments,
                                                const QString &iniPath, const QString &logPath)
{
    auto simulator = std::make_unique<QProcess>();
    simulator->setProgram(program);
    arguments << QStringLiteral("--write-ini") << iniPath << QStringLiteral("--serve");
    simulator->setArguments(arguments);
    simulator->setStandardInputFile(QProcess::nullDevice());
    simulator->setProcessChannelMode(QProcess::MergedChannels);
    simulator->setStandardOutputFile(logPath);
    simulator->start();
    if (!simulator->waitForStarted() || !waitUntil([&] { return QFile::exists(iniPath); }, 20000)) {
        QFile log(logPath);
        log.open(QIODevice::ReadOnly);
        std::fprintf(stderr, "dxsim did not come up:\n%s\n", log.readAll().constData());
        return nullptr;
    }
    return simulator;
}

inline void stopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

} // namespace benchSimulator
