// Faults around the INI file and the recordings, with the real program where it matters: ended by
// SIGTERM or SIGINT, killed in the middle of a save, its file unreadable, its disk full.
#include "inidata.h"
#include "settingsmodel.h"
#include "simulatorprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QNetworkInterface>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <list>
#include <unistd.h>

namespace {

const QString firstTickLine = QStringLiteral("##### first tick");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The program talks to the modules of its INI file; with the built-in defaults those are
// 192.168.x addresses. It is only started where no other network than loopback exists.
bool loopbackOnly()
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    return std::all_of(interfaces.begin(), interfaces.end(),
                       [](const QNetworkInterface &i) { return i.type() == QNetworkInterface::Loopback; });
}

QString moduleSection(int i)
{
    return QStringLiteral("\n[Cam %1_127.0.0.%2]\ncamName=Cam %1\nIP=127.0.0.%2\nsipName=Door %1\nSIP_IP=127.0.1.%2\n")
        .arg(i)
        .arg(2 + i);
}

// A file as a user might leave it: only some keys, two modules.
QByteArray handWrittenIni()
{
    return ("\n[Window]\nTimeout=7\nAutohide=0\nHideStartEn=0\n\n[System]\nButtonText=Auf,Licht\nownIP=127.0.0.1\n"
            + moduleSection(0) + moduleSection(1))
        .toLatin1();
}

// The saving child of killedWhileSaving: saves two configurations by turns, for ever, the way
// the quit path and the settings dialog save (full rebuild, then write).
struct savingState {
    iniData ini;
    shellSettings shell;
    std::list<std::pair<cameraModule, sipModule>> modules;
};

void fillState(savingState &state, int moduleCount)
{
    state.modules.clear();
    state.shell.Timeout = moduleCount;
    for (int i = 0; i < moduleCount; ++i) {
        cameraModule cam;
        sipModule sip;
        cam.camName = QStringLiteral("Kamera %1").arg(i);
        cam.IP = QStringLiteral("127.0.0.%1").arg(2 + i);
        sip.sipName = QStringLiteral("Tür %1").arg(i);
        sip.SIP_IP = QStringLiteral("127.0.1.%1").arg(2 + i);
        // Long enough that a write takes a while and a kill often lands inside it, yet within
        // the longest line the file can hold.
        sip.SIP_Callee = QStringLiteral("1%1,").arg(i).repeated(240);
        state.modules.emplace_back(cam, sip);
    }
}

void saveOnce(savingState &state)
{
    QList<settingsModel::moduleRef> refs;
    for (auto &module : state.modules)
        refs.append({&module.first, &module.second});
    settingsModel::rebuild(state.ini, state.shell, refs);
    state.ini.writeFile();
}

[[noreturn]] void saveForEver(const QString &path)
{
    savingState small;
    savingState large;
    small.ini.useIniPath(path);
    large.ini.useIniPath(path);
    fillState(small, 1);
    fillState(large, 20);
    for (;;) {
        saveOnce(small);
        std::printf("saved\n");
        std::fflush(stdout);
        saveOnce(large);
        std::printf("saved\n");
        std::fflush(stdout);
    }
}

// The two files the saving child writes, as the program itself writes them.
QByteArray expectedText(int moduleCount, const QString &folder)
{
    savingState state;
    state.ini.useIniPath(QDir(folder).filePath(QStringLiteral("expected-%1.ini").arg(moduleCount)));
    fillState(state, moduleCount);
    saveOnce(state);
    return readFile(state.ini.iniPath());
}

} // namespace

class tst_saveFaults : public QObject {
    Q_OBJECT

private slots:
    void killedWhileSaving();
    void quitBySignal_data();
    void quitBySignal();
    void recordingWholeAfterSignal_data() { quitBySignal_data(); }
    void recordingWholeAfterSignal();
    void unreadableFileKept_data();
    void unreadableFileKept();
    void diskFullKeepsOldFile();

private:
    QTemporaryDir dir;
    QString iniPath() const { return dir.filePath(QStringLiteral("dxcamviewer.ini")); }
    static bool waitForLine(QProcess &process, const QString &line, int ms);
};

// The program traces to stderr.
bool tst_saveFaults::waitForLine(QProcess &process, const QString &line, int ms)
{
    process.setReadChannel(QProcess::StandardError);
    QDeadlineTimer deadline(ms);
    QByteArray seen;
    while (!deadline.hasExpired()) {
        seen += process.readAllStandardError();
        if (seen.contains(line.toLatin1()))
            return true;
        if (!process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    seen += process.readAllStandardError();
    return seen.contains(line.toLatin1());
}

// Killed at any moment of a save, the file is always the old one or the new one, never a part.
void tst_saveFaults::killedWhileSaving()
{
    QVERIFY(dir.isValid());
    const QString path = iniPath();
    const QByteArray small = expectedText(1, dir.path());
    const QByteArray large = expectedText(20, dir.path());
    QVERIFY(small.size() > 100 && large.size() > 20000);
    QVERIFY(writeFile(path, small));

    // The child does nothing but save, and the file is synced to the disk at every save: nearly
    // every kill lands inside one, in any of its steps.
    constexpr int kills = 200;
    int oldFiles = 0;
    for (int i = 0; i < kills; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--save-loop"), path});
        // After one to four saves, and then at a random point of the next: wherever the saves are.
        const int saves = 1 + QRandomGenerator::global()->bounded(4);
        QByteArray said;
        while (said.count("saved\n") < saves) {
            QVERIFY2(child.waitForReadyRead(20000), "the saving child does not save");
            said += child.readAllStandardOutput();
        }
        // Fault injection, not a wait.
        QThread::usleep(QRandomGenerator::global()->bounded(20000));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const QByteArray now = readFile(path);
        QVERIFY2(now == small || now == large,
                 qPrintable(QStringLiteral("kill %1 left a file of %2 bytes").arg(i).arg(now.size())));
        oldFiles += now == small ? 1 : 0;
    }
    // Both files must have been left by some kills, or the kills never met the saves.
    QVERIFY2(oldFiles >= kills / 20 && kills - oldFiles >= kills / 20,
             qPrintable(QStringLiteral("%1 of %2 kills left the small file").arg(oldFiles).arg(kills)));
}

void tst_saveFaults::quitBySignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// Ended by a signal, the program leaves through its quit path: the whole file is written anew.
void tst_saveFaults::quitBySignal()
{
    QFETCH(int, signal);
    if (!loopbackOnly())
        QSKIP("starts the program: run inside a network namespace with only lo (scripts/run-tests.sh)");
    QVERIFY(writeFile(iniPath(), handWrittenIni()));
    QProcess viewer;
    viewer.start(QStringLiteral(DXCAMVIEWER_PATH), {QStringLiteral("--config"), iniPath()});
    QVERIFY(waitForLine(viewer, firstTickLine, 30000));
    ::kill(pid_t(viewer.processId()), signal);
    QVERIFY(viewer.waitForFinished(20000));
    QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(viewer.exitCode(), 0);

    // A full rebuild writes every key of every section, the values read kept.
    const QString saved = QString::fromLatin1(readFile(iniPath()));
    for (const char *line : {"\n[Window]\n", "\nTimeout=7\n", "\nhwidth=", "\n[System]\n", "\nButtonText=Auf,Licht\n",
                             "\n[Cam 0_127.0.0.2]\n", "\n[Cam 1_127.0.0.3]\n", "\nallRufNr="})
        QVERIFY2(saved.contains(QLatin1String(line)), line);
    QCOMPARE(saved.count(QStringLiteral("\nUDP_Contrl_SIP=8113\n")), 2);
}

// Recording continuously when a signal ends the program, the file holds whole pictures only, up
// to the last one.
void tst_saveFaults::recordingWholeAfterSignal()
{
    QFETCH(int, signal);
    if (!loopbackOnly())
        QSKIP("starts the program: run inside a network namespace with only lo (scripts/run-tests.sh)");
    const QString folder = dir.filePath(QStringLiteral("recordings-%1").arg(signal));
    QVERIFY(QDir().mkpath(folder));
    const QString ini = dir.filePath(QStringLiteral("recording-%1.ini").arg(signal));
    simulator sim;
    QVERIFY(sim.start({QStringLiteral("--cameras"), QStringLiteral("1")}, ini));
    QByteArray text = readFile(ini);
    text.replace("Autohide=1", "Autohide=0")
        .replace("BildAllSaveEn=0", "BildAllSaveEn=1")
        .replace("CAMautoSaveEn=0", "CAMautoSaveEn=1")
        .replace("dirCamBild=\n", "dirCamBild=" + folder.toLocal8Bit() + '\n');
    QVERIFY(writeFile(ini, text));

    QProcess viewer;
    viewer.setStandardErrorFile(QProcess::nullDevice());
    viewer.start(QStringLiteral(DXCAMVIEWER_PATH), {QStringLiteral("--config"), ini});
    QString recording;
    QTRY_VERIFY_WITH_TIMEOUT([&] {
        const QStringList files = QDir(folder).entryList({QStringLiteral("*.MJPEG")}, QDir::Files);
        recording = files.isEmpty() ? QString() : QDir(folder).filePath(files.first());
        return files.size() == 1 && readFile(recording).count("\xFF\xD8\xFF") >= 5;
    }(), 60000);
    ::kill(pid_t(viewer.processId()), signal);
    QVERIFY(viewer.waitForFinished(20000));
    QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(viewer.exitCode(), 0);

    // Every picture as the camera sent it: start and end marker, the camera's size.
    const QByteArray bytes = readFile(recording);
    QVERIFY(bytes.startsWith("\xFF\xD8\xFF"));
    int pictures = 0;
    for (qsizetype at = 0; at >= 0; ++pictures) {
        const qsizetype next = bytes.indexOf("\xFF\xD8\xFF", at + 3);
        const QByteArray picture = bytes.mid(at, next < 0 ? -1 : next - at);
        QVERIFY2(picture.contains("\xFF\xD9"), qPrintable(QStringLiteral("picture %1 cut short").arg(pictures)));
        QCOMPARE(QImage::fromData(picture, "JPEG").size(), QSize(160, 120));
        at = next;
    }
    QVERIFY(pictures >= 5);
}

void tst_saveFaults::unreadableFileKept_data()
{
    QTest::addColumn<int>("permissions");
    QTest::newRow("no permissions") << 0;
    // Writable but not readable: the save would go through.
    QTest::newRow("write only") << int(QFileDevice::WriteOwner | QFileDevice::WriteOther);
}

// A file the program cannot read is the installation all the same: it starts from its defaults
// but never saves them over the file.
void tst_saveFaults::unreadableFileKept()
{
    QFETCH(int, permissions);
    if (!loopbackOnly())
        QSKIP("starts the program on its default modules: only inside a network namespace with only lo");
    const QByteArray original = handWrittenIni();
    QVERIFY(writeFile(iniPath(), original));
    QVERIFY(QFile::setPermissions(iniPath(), QFileDevice::Permissions(permissions)));
    // root reads any file: the program then runs as nobody, in a folder it may write to.
    QStringList command{QStringLiteral(DXCAMVIEWER_PATH), QStringLiteral("--config"), iniPath()};
    if (::geteuid() == 0) {
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        command = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups"), QStringLiteral("--")} + command;
        command.prepend(QStringLiteral("setpriv"));
    }
    QProcess viewer;
    viewer.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), QDir::tempPath());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QDir::tempPath());
        return env;
    }());
    viewer.start(command.takeFirst(), command);
    QVERIFY2(waitForLine(viewer, firstTickLine, 30000), "the program did not start");
    ::kill(pid_t(viewer.processId()), SIGTERM);
    QVERIFY(viewer.waitForFinished(20000));
    QCOMPARE(viewer.exitCode(), 0);
    QVERIFY(QFile::setPermissions(iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(readFile(iniPath()), original);
}

// The disk fills up while the program runs; its save at the end fails and the old file stays
// whole. A small memory file system in a mount namespace of its own stands for the disk.
void tst_saveFaults::diskFullKeepsOldFile()
{
    if (!loopbackOnly())
        QSKIP("starts the program: run inside a network namespace with only lo (scripts/run-tests.sh)");
    if (::geteuid() != 0 || QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("-m"), QStringLiteral("true")}) != 0)
        QSKIP("needs a mount namespace of its own (root)");
    const QString original = dir.filePath(QStringLiteral("original.ini"));
    QVERIFY(writeFile(original, handWrittenIni()));
    const QString disk = dir.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(disk));
    // Start the program, wait for its first tick, fill the disk, end the program, compare.
    const QString script = QStringLiteral(
        "set -e\n"
        "mount -t tmpfs -o size=512k tmpfs \"$DISK\"\n"
        "cp \"$ORIGINAL\" \"$DISK/dxcamviewer.ini\"\n"
        "\"$VIEWER\" --config \"$DISK/dxcamviewer.ini\" 2>\"$DISK/err\" & viewer=$!\n"
        "for i in $(seq 300); do grep -q '%1' \"$DISK/err\" && break; sleep 0.1; done\n"
        "dd if=/dev/zero of=\"$DISK/fill\" bs=4k 2>/dev/null || true\n"
        "kill -TERM $viewer\n"
        "wait $viewer && echo \"exit 0\" || echo \"exit $?\"\n"
        "cmp -s \"$ORIGINAL\" \"$DISK/dxcamviewer.ini\" && echo \"file kept\" || echo \"file changed\"\n"
        "ls \"$DISK\"\n").arg(firstTickLine);
    QProcess shell;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISK"), disk);
    env.insert(QStringLiteral("ORIGINAL"), original);
    env.insert(QStringLiteral("VIEWER"), QStringLiteral(DXCAMVIEWER_PATH));
    shell.setProcessEnvironment(env);
    shell.start(QStringLiteral("unshare"), {QStringLiteral("-m"), QStringLiteral("bash"), QStringLiteral("-c"), script});
    QVERIFY(shell.waitForFinished(90000));
    const QString output = QString::fromLatin1(shell.readAllStandardOutput());
    QVERIFY2(output.contains(QLatin1String("exit 0\n")), qPrintable(output + shell.readAllStandardError()));
    QVERIFY2(output.contains(QLatin1String("file kept\n")), qPrintable(output));
    // A failed save takes its temporary file away again.
    QVERIFY2(!output.contains(QLatin1String("dxcamviewer.ini.")), qPrintable(output));
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--save-loop") == 0) {
        QCoreApplication app(argc, argv);
        saveForEver(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    tst_saveFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savefaults.moc"
