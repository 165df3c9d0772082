// Start-up time and memory of the real program with 20 cameras configured on loopback addresses
// where nothing listens: when the main window is shown, when the first tick runs, and how much
// memory the process holds before any stream starts. Every run uses a fresh folder, as one viewer
// per INI file is enforced.
//
//   unshare -n sh -c 'ip link set lo up && build/bench/bench_startup [runs [cameras]]
//                     [--program PATH]... [--platform NAME] [--serving]'
//
// --serving: the cameras are served by the simulator (dxsim, 640x480 at 25/s) and the window is up
// from the start; the runs also say when the first picture is on its tile and when every tile
// has one, from the launch and by the viewer's own stamp.
//
// Several --program options compare programs (the build's and an installed one) in the same
// run, taking turns. An installed program reads its INI from the per-user folder as a user's
// would; the build's is given --config. --platform chooses the window system (default offscreen;
// xcb with DISPLAY set shows real windows).
#include "benchsimulator.h"
#include "installlayout.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

int cameraCount = 20;
QString platform = QStringLiteral("offscreen");
constexpr int waitLimitMs = 30000;
QString servedIni;  // the simulator's INI, window shown from the start; empty: nothing serves

QString iniText()
{
    if (!servedIni.isEmpty())
        return servedIni;
    QString text = QStringLiteral("\n[Window]\nx=30.0\ny=40.0\nwidth=1000.0\nheight=600.0\nAuto_Popup=1\n"
                                  "Autohide=0\nBildRahmeEin=1\nnPicCol=5\nnPicRow=4\n"
                                  "\n[System]\nownIP=127.0.0.1\nHideStartEn=0\n");
    for (int i = 0; i < cameraCount; ++i) {
        text += QStringLiteral("\n[Cam %1_127.0.0.%2]\ncamName=Cam %1\nIP=127.0.0.%2\nsipName=Door %1\n"
                               "SIP_IP=127.0.1.%2\n")
                    .arg(i)
                    .arg(2 + i);
    }
    return text;
}

struct memoryFigures {
    qint64 hwmKb = -1;
    qint64 rssKb = -1;
    qint64 peakKb = -1;
};

qint64 statusField(const QByteArray &status, const char *name)
{
    const QRegularExpression pattern(QStringLiteral("^%1:\\s+(\\d+) kB").arg(QLatin1String(name)),
                                     QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(status));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

memoryFigures readMemory(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray status = file.readAll();
    return {statusField(status, "VmHWM"), statusField(status, "VmRSS"), statusField(status, "VmPeak")};
}

struct runResult {
    bool ok = false;
    double shownS = -1;      // from the viewer's own time stamps (seconds since process start)
    double firstTickS = -1;
    double shownWallS = -1;  // from the launch as this benchmark saw it
    double firstTickWallS = -1;
    double firstPictureS = -1, everyPictureS = -1;  // with --serving only
    double firstPictureWallS = -1, everyPictureWallS = -1;
    memoryFigures memory;
};

runResult runOnce(const QString &program)
{
    runResult result;
    QTemporaryDir dir;
    const bool installed = installLayout::isInstalled(program);
    const QString iniPath = installed ? dir.filePath(QStringLiteral("config/dxcamviewer/dxcamviewer.ini"))
                                      : dir.filePath(QStringLiteral("dxcamviewer.ini"));
    QDir().mkpath(QFileInfo(iniPath).absolutePath());
    QFile ini(iniPath);
    if (!ini.open(QIODevice::WriteOnly))
        return result;
    ini.write(iniText().toLatin1());
    ini.close();

    QProcess viewer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{time process} %{message}"));
    // Keep the per-user settings store out of the user's home.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    viewer.setProcessEnvironment(environment);
    viewer.setWorkingDirectory(dir.path());
    viewer.setProcessChannelMode(QProcess::MergedChannels);

    QElapsedTimer launch;
    launch.start();
    viewer.start(program, installed ? QStringList() : QStringList{QStringLiteral("--config"), iniPath});
    if (!viewer.waitForStarted(waitLimitMs))
        return result;

    static const QRegularExpression stamped(QStringLiteral("^\\s*(\\d+\\.\\d+) (.*)$"));
    // The grid is laid out (and the line written) only once the window is visible, which may be
    // after the first tick: read until both lines came (and the pictures, when cameras serve).
    const auto done = [&] {
        return result.firstTickS >= 0 && result.shownS >= 0 && (servedIni.isEmpty() || result.everyPictureS >= 0);
    };
    while (!done() && launch.elapsed() < waitLimitMs) {
        if (!viewer.canReadLine() && !viewer.waitForReadyRead(200)) {
            if (viewer.state() == QProcess::NotRunning)
                break;
            continue;
        }
        while (viewer.canReadLine()) {
            const QString line = QString::fromLocal8Bit(viewer.readLine()).trimmed();
            const QRegularExpressionMatch match = stamped.match(line);
            if (!match.hasMatch())
                continue;
            const double at = match.captured(1).toDouble();
            const QString message = match.captured(2);
            if (result.shownS < 0 && message.startsWith(QLatin1String("SHOW MULTICAM"))) {
                result.shownS = at;
                result.shownWallS = launch.nsecsElapsed() / 1e9;
            } else if (result.firstTickS < 0 && message.startsWith(QLatin1String("##### first tick"))) {
                result.firstTickWallS = launch.nsecsElapsed() / 1e9;
                result.memory = readMemory(viewer.processId());
                result.firstTickS = at;
            } else if (message.startsWith(QLatin1String("##### first picture on a tile"))) {
                result.firstPictureWallS = launch.nsecsElapsed() / 1e9;
                result.firstPictureS = at;
            } else if (message.startsWith(QLatin1String("##### a picture on every tile"))) {
                result.everyPictureWallS = launch.nsecsElapsed() / 1e9;
                result.everyPictureS = at;
            }
        }
    }
    viewer.kill();
    viewer.waitForFinished(waitLimitMs);
    result.ok = done();
    return result;
}

struct spread {
    double median = 0, min = 0, max = 0;
};

template<typename T>
spread spreadOf(QList<T> values)
{
    if (values.isEmpty())
        return {};
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    const double median = n % 2 ? double(values[n / 2]) : (double(values[n / 2 - 1]) + double(values[n / 2])) / 2;
    return {median, double(values.first()), double(values.last())};
}

void printRow(const char *what, const spread &s, double scale, const char *unit)
{
    std::printf("%-34s %9.1f %9.1f %9.1f %s\n", what, s.median * scale, s.min * scale, s.max * scale, unit);
}

} // namespace

struct programFigures {
    explicit programFigures(const QString &path) : program(path) {}

    QString program;
    QList<double> shown, firstTick, shownWall, firstTickWall;
    QList<double> firstPicture, everyPicture, firstPictureWall, everyPictureWall;
    QList<qint64> hwm, rss, peak;

    void add(const runResult &r)
    {
        shown << r.shownS;
        firstTick << r.firstTickS;
        shownWall << r.shownWallS;
        firstTickWall << r.firstTickWallS;
        firstPicture << r.firstPictureS;
        everyPicture << r.everyPictureS;
        firstPictureWall << r.firstPictureWallS;
        everyPictureWall << r.everyPictureWallS;
        hwm << r.memory.hwmKb;
        rss << r.memory.rssKb;
        peak << r.memory.peakKb;
    }

    void print() const
    {
        std::printf("\n%s%s\n%lld runs, %2d cameras on loopback, %-10s     median       min       max\n",
                    qPrintable(program), installLayout::isInstalled(program) ? " (installed)" : "",
                    static_cast<long long>(shown.size()), cameraCount, qPrintable(platform));
        printRow("main window shown (own stamp)", spreadOf(shown), 1000, "ms");
        printRow("first tick (own stamp)", spreadOf(firstTick), 1000, "ms");
        printRow("main window shown (from launch)", spreadOf(shownWall), 1000, "ms");
        printRow("first tick (from launch)", spreadOf(firstTickWall), 1000, "ms");
        if (!servedIni.isEmpty()) {
            printRow("first picture on a tile (own stamp)", spreadOf(firstPicture), 1000, "ms");
            printRow("a picture on every tile (own stamp)", spreadOf(everyPicture), 1000, "ms");
            printRow("first picture on a tile (launch)", spreadOf(firstPictureWall), 1000, "ms");
            printRow("a picture on every tile (launch)", spreadOf(everyPictureWall), 1000, "ms");
        }
        printRow("VmHWM at first tick", spreadOf(hwm), 1.0 / 1024, "MiB");
        printRow("VmRSS at first tick", spreadOf(rss), 1.0 / 1024, "MiB");
        printRow("VmPeak at first tick", spreadOf(peak), 1.0 / 1024, "MiB");
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool serving = arguments.removeAll(QStringLiteral("--serving")) > 0;
    QList<programFigures> programs;
    for (int i = 0; i + 1 < arguments.size();) {
        if (arguments[i] == QLatin1String("--program"))
            programs.append(programFigures(QFileInfo(arguments[i + 1]).absoluteFilePath()));
        else if (arguments[i] == QLatin1String("--platform"))
            platform = arguments[i + 1];
        else {
            ++i;
            continue;
        }
        arguments.remove(i, 2);
    }
    const int runs = arguments.size() > 0 ? std::max(1, arguments[0].toInt()) : 10;
    if (arguments.size() > 1)
        cameraCount = std::clamp(arguments[1].toInt(), 1, 20);
    if (programs.isEmpty())
        programs.append(programFigures(QStringLiteral(DXCAMVIEWER_PATH)));
    QTemporaryDir simulatorFolder;
    std::unique_ptr<QProcess> simulator;
    if (serving) {
        const QString ini = simulatorFolder.filePath(QStringLiteral("served.ini"));
        simulator = benchSimulator::startSimulator(
            QStringLiteral(DXSIM_PATH),
            {QStringLiteral("--cameras"), QString::number(cameraCount), QStringLiteral("--fps"), QStringLiteral("25"),
             QStringLiteral("--cycle"), QStringLiteral("10")},
            ini, simulatorFolder.filePath(QStringLiteral("dxsim.log")));
        // Shown from the start, as the window of an installation set up by hand.
        const QList<benchSimulator::iniValue> shown{
            {QStringLiteral("Window"), QStringLiteral("Autohide"), QStringLiteral("0")},
            {QStringLiteral("System"), QStringLiteral("HideStartEn"), QStringLiteral("0")}};
        if (!simulator || !benchSimulator::setIniValues(ini, shown))
            return 1;
        QFile file(ini);
        file.open(QIODevice::ReadOnly);
        servedIni = QString::fromLatin1(file.readAll());
    }

    for (int i = 0; i < runs; ++i) {
        for (programFigures &figures : programs) {
            const runResult r = runOnce(figures.program);
            if (!r.ok) {
                std::fprintf(stderr, "run %d of %s: the viewer did not reach its first tick\n", i + 1,
                             qPrintable(figures.program));
                return 1;
            }
            std::printf("run %2d: shown %.3f s, first tick %.3f s (launch: %.3f / %.3f s), "
                        "VmHWM %lld kB, VmRSS %lld kB, VmPeak %lld kB  %s\n",
                        i + 1, r.shownS, r.firstTickS, r.shownWallS, r.firstTickWallS, r.memory.hwmKb,
                        r.memory.rssKb, r.memory.peakKb, qPrintable(figures.program));
            if (serving)
                std::printf("        first picture on a tile %.3f s, on every tile %.3f s (launch: %.3f / %.3f s)\n",
                            r.firstPictureS, r.everyPictureS, r.firstPictureWallS, r.everyPictureWallS);
            std::fflush(stdout);
            figures.add(r);
        }
    }
    for (const programFigures &figures : programs)
        figures.print();
    if (simulator)
        benchSimulator::stopProcess(*simulator);
    return 0;
}
