#pragma once

// Checks of file permissions mean nothing to a process that is not bound by them, such as root
// (the test command runs as root in CI). Such a process runs the check again in a child of the
// test program as user nobody, through setpriv.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace unprivileged {

// Whether this process can create a file in a folder it may not write to.
inline bool bypassesPermissions()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ro"));
    QDir().mkdir(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(folder + QStringLiteral("/probe"));
    const bool written = probe.open(QIODevice::WriteOnly);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return written;
}

// Runs the current test function, with its data row, in a child as nobody. Returns false with
// the child's output in the test log when it failed or could not run; `ran` tells which.
inline bool runCurrentTestAsNobody(bool *ran)
{
    QString function = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        function += QLatin1Char(':') + QString::fromLatin1(QTest::currentDataTag());
    // The child's own home: the per-user configuration folder lies below it.
    QTemporaryDir home;
    QFile::setPermissions(home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                           | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("TMPDIR"), QDir::tempPath());
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                            QStringLiteral("--clear-groups"), QStringLiteral("--"),
                                            QCoreApplication::applicationFilePath(), function});
    const bool finished = child.waitForFinished(60000);
    const QByteArray output = child.readAll();
    // setpriv itself fails with 127 or 1 before the test program prints its header.
    *ran = finished && output.contains("Totals:");
    if (finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        return true;
    qWarning().noquote() << "as nobody:" << QString::fromLocal8Bit(output);
    return false;
}

} // namespace unprivileged

// At the top of a test function that needs permission bits to bind: in a process they do not
// bind, the function runs as nobody in a child instead, and its result is the child's.
#define RUN_BOUND_BY_PERMISSIONS()                                                                          \
    do {                                                                                                    \
        if (unprivileged::bypassesPermissions()) {                                                         \
            bool ran = false;                                                                               \
            const bool passed = unprivileged::runCurrentTestAsNobody(&ran);                               \
            if (!ran)                                                                                       \
                QSKIP("permission bits do not bind this process, and it cannot run the check as nobody"); \
            QVERIFY2(passed, "the check failed when run as nobody");                                       \
            return;                                                                                         \
        }                                                                                                   \
    } while (false)
