// Recording under load: the real program (an X11 window, run under Xvfb by
// bench/run-recording-bench.sh) with 20 simulated cameras at 25 pictures/s, the INI as dxsim
// writes it, edited for the recording keys. Four runs on the same cameras, each camera started
// with the program (`CAMautoSaveEn`) and automatic recording switched on as a whole
// (`BildAllSaveEn`) or not:
//   shown            the grid on screen, no recording
//   shown+recording  every camera recording continuously at 25 pictures/s
//   hidden           the window hidden (as in the tray), no recording
//   hidden+recording the window hidden, every camera recording
// A recording run is compared with its run without recording; the hidden one also with the
// shown one.
// Each run measures the viewer's CPU time from /proc and the bytes written, then checks every
// recorded file against the pictures the simulator serves: each picture exactly as cut from the
// stream (its line end and the next part's headers at its end), nothing before, between or after
// them, and no served picture missing between two recorded ones (also where a camera's 8 MiB
// receive buffer wraps around).
// Everything talks to 127.0.0.x only; run it inside `unshare -n` with lo up.
#include "benchpictures.h"
#include "benchsimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

using namespace benchSimulator;

constexpr int cameraCount = 20;
constexpr int picturesPerSecond = 25;
constexpr int falseStartLimit = 500;
constexpr qint64 receiveBuffer = 8388607;
const QByteArray boundaryLine = QByteArrayLiteral("\r\n--dxsimframe\r\nContent-Type: image/jpeg\r\nContent-Length: ");

struct benchOptions {
    QString folder;
    QString size = QStringLiteral("640x480");
    int seconds = 60;
    int warmUp = 15;
    QStringList runs{QStringLiteral("shown"), QStringLiteral("shown+recording"), QStringLiteral("hidden"),
                     QStringLiteral("hidden+recording")};
};

bool parseOptions(const QStringList &arguments, benchOptions &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("20 simulated cameras recorded by the real viewer."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Reference pictures (default $DXCAM_BENCH_DATA or build/bench-data)."));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Measuring time per run (default 60)."),
                                     QStringLiteral("N"), QStringLiteral("60"));
    const QCommandLineOption warmUp(QStringLiteral("warm-up"), QStringLiteral("Seconds before measuring (default 15)."),
                                    QStringLiteral("N"), QStringLiteral("15"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Picture size (default 640x480)."),
                                  QStringLiteral("WxH"), QStringLiteral("640x480"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Runs, comma-separated (default all three)."),
                                  QStringLiteral("LIST"), options.runs.join(QLatin1Char(',')));
    parser.addOptions({seconds, warmUp, size, runs});
    parser.process(arguments);
    const QByteArray fromEnvironment = qgetenv("DXCAM_BENCH_DATA");
    options.folder = !parser.positionalArguments().isEmpty() ? parser.positionalArguments().first()
        : fromEnvironment.isEmpty()                          ? QStringLiteral("build/bench-data")
                                                             : QString::fromLocal8Bit(fromEnvironment);
    options.seconds = parser.value(seconds).toInt();
    options.warmUp = parser.value(warmUp).toInt();
    options.size = parser.value(size);
    options.runs = parser.value(runs).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &run : std::as_const(options.runs)) {
        static const QRegularExpression known(QStringLiteral("^(shown|hidden)(\\+recording)?$"));
        if (!known.match(run).hasMatch()) {
            std::fprintf(stderr, "unknown run %s\n", qPrintable(run));
            return false;
        }
    }
    return options.seconds > 0 && options.warmUp >= 0;
}

// ---- the simulator and the INI ----------------------------------------------------------------

std::unique_ptr<QProcess> startSimulator(const benchOptions &options, const QString &iniPath, const QString &logPath)
{
    const int duration = int(options.runs.size()) * (options.seconds + options.warmUp + 30) + 60;
    return benchSimulator::startSimulator(
        QStringLiteral(DXSIM_PATH),
        {QStringLiteral("--cameras"), QString::number(cameraCount), QStringLiteral("--fps"),
         QString::number(picturesPerSecond), QStringLiteral("--size"), options.size, QStringLiteral("--replay"),
         options.folder + QLatin1Char('/') + options.size, QStringLiteral("--grid"), QStringLiteral("5x4"),
         QStringLiteral("--duration"), QString::number(duration)},
        iniPath, logPath);
}

// The module sections of an INI file (every section but [Window] and [System]).
QStringList moduleSections(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList sections;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')) && line != QLatin1String("[Window]")
            && line != QLatin1String("[System]"))
            sections << line.mid(1, line.size() - 2);
    }
    return sections;
}

// The simulator's INI, set for one run: a 1600×960 picture area, the window shown or hidden at
// start, every camera started with the program, recording continuously at 25 pictures/s when
// asked to.
bool writeRunIni(const QString &from, const QString &to, bool hidden, bool recording, const QString &folder)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return false;
    const QString window = QStringLiteral("Window");
    const QString system = QStringLiteral("System");
    const QString hiddenFlag = hidden ? QStringLiteral("1") : QStringLiteral("0");
    QList<iniValue> values{{window, QStringLiteral("x"), QStringLiteral("0.0")},
                           {window, QStringLiteral("y"), QStringLiteral("0.0")},
                           {window, QStringLiteral("width"), QStringLiteral("1600.0")},
                           {window, QStringLiteral("height"), QStringLiteral("960.0")},
                           {window, QStringLiteral("Autohide"), hiddenFlag},
                           {system, QStringLiteral("HideStartEn"), hiddenFlag},
                           {system, QStringLiteral("BildAllSaveEn"), recording ? QStringLiteral("1") : QStringLiteral("0")}};
    for (const QString &section : moduleSections(to)) {
        values << iniValue{section, QStringLiteral("CAMautoSaveEn"), QStringLiteral("1")}
               << iniValue{section, QStringLiteral("n_Bild_Freq"), QString::number(picturesPerSecond)}
               << iniValue{section, QStringLiteral("selFreqTip"), QStringLiteral("0")}
               << iniValue{section, QStringLiteral("dirCamBild"), folder};
    }
    return setIniValues(to, values);
}

// ---- checking the recorded files ---------------------------------------------------------------

struct cameraCheck {
    qint64 pictures = 0;
    qint64 missing = 0;  // pictures the camera served between two recorded ones but not recorded
    qint64 wrong = 0;    // not a picture as cut from the stream
    qint64 streamed = 0; // bytes the camera sent from the first to the last recorded picture
    // Wrap-arounds of the receive buffer in that span.
    qint64 restarts() const { return streamed / receiveBuffer; }
};

// Splits a recording at the start-of-image markers, as the viewer's cutter does.
QList<QByteArray> split(const QByteArray &file)
{
    QList<qsizetype> starts;
    for (qsizetype at = file.indexOf("\xFF\xD8"); at >= 0; at = file.indexOf("\xFF\xD8", at + 2)) {
        if (starts.isEmpty() || at - starts.last() > falseStartLimit)
            starts << at;
    }
    QList<QByteArray> pictures;
    for (int i = 0; i < starts.size(); ++i)
        pictures << file.mid(starts[i], (i + 1 < starts.size() ? starts[i + 1] : file.size()) - starts[i]);
    return pictures;
}

// A served part: boundary line, part headers, the picture and its line end.
qint64 partSize(const QByteArray &jpeg)
{
    return boundaryLine.size() + QByteArray::number(jpeg.size()).size() + 4 + jpeg.size();
}

// Every recorded picture must be one served picture, its line end and the headers of the next
// part, with nothing before, between or after; consecutive pictures must follow one another in
// the served cycle.
cameraCheck checkRecording(const QStringList &files, const QList<QByteArray> &reference)
{
    QHash<QByteArray, int> indexOf;
    for (int i = 0; i < reference.size(); ++i)
        indexOf.insert(reference[i], i);
    cameraCheck check;
    int previous = -1;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        if (!bytes.startsWith("\xFF\xD8"))
            ++check.wrong;
        for (const QByteArray &picture : split(bytes)) {
            ++check.pictures;
            const qsizetype tail = picture.lastIndexOf(boundaryLine);
            const int index = tail < 0 ? -1 : indexOf.value(picture.left(tail), -1);
            static const QRegularExpression header(QStringLiteral("^\\d+\\r\\n\\r\\n$"));
            if (index < 0 || !header.match(QString::fromLatin1(picture.mid(tail + boundaryLine.size()))).hasMatch()) {
                ++check.wrong;
                previous = -1;
                continue;
            }
            if (previous >= 0) {
                const int skipped = (index - previous - 1 + int(reference.size())) % int(reference.size());
                check.missing += skipped;
                for (int i = 1; i <= skipped; ++i)
                    check.streamed += partSize(reference[(previous + i) % reference.size()]);
            }
            check.streamed += partSize(reference[index]);
            previous = index;
        }
    }
    return check;
}

// ---- one run of the viewer ----------------------------------------------------------------------

struct runFigures {
    QString name;
    double wall = 0;
    double cpu = 0;
    double simulatorCpu = 0;
    qint64 bytes = 0;
    QList<cameraCheck> cameras;
};

qint64 folderBytes(const QString &folder)
{
    qint64 sum = 0;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files))
        sum += info.size();
    return sum;
}

bool runViewer(const benchOptions &options, const QString &name, const QString &simulatorIni, const QString &work,
               qint64 simulatorPid, const QList<QByteArray> &reference, runFigures &figures)
{
    const bool recording = name.endsWith(QLatin1String("+recording"));
    const bool hidden = name.startsWith(QLatin1String("hidden"));
    const QString folder = work + QLatin1Char('/') + QString(name).replace(QLatin1Char('+'), QLatin1Char('-'));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString ini = folder + QStringLiteral(".ini");
    if (!writeRunIni(simulatorIni, ini, hidden, recording, folder))
        return false;

    QProcess viewer;
    viewer.setProgram(QStringLiteral(DXCAMVIEWER_PATH));
    viewer.setArguments({QStringLiteral("--config"), ini});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    viewer.setProcessEnvironment(environment);
    viewer.setStandardOutputFile(folder + QStringLiteral(".out"));
    viewer.setStandardErrorFile(folder + QStringLiteral(".out"), QIODevice::Append);
    viewer.start();
    if (!viewer.waitForStarted()) {
        std::fprintf(stderr, "the viewer did not start\n");
        return false;
    }
    runFor(options.warmUp * 1000);
    if (viewer.state() != QProcess::Running) {
        std::fprintf(stderr, "the viewer ended during the warm-up (see %s.out)\n", qPrintable(folder));
        return false;
    }
    const double cpuBefore = processCpuSeconds(viewer.processId());
    const double simulatorBefore = processCpuSeconds(simulatorPid);
    const qint64 bytesBefore = folderBytes(folder);
    QElapsedTimer wall;
    wall.start();
    runFor(options.seconds * 1000);
    figures.cpu = processCpuSeconds(viewer.processId()) - cpuBefore;
    figures.simulatorCpu = processCpuSeconds(simulatorPid) - simulatorBefore;
    figures.bytes = folderBytes(folder) - bytesBefore;
    figures.wall = wall.nsecsElapsed() / 1e9;
    figures.name = name;
    const bool survived = viewer.state() == QProcess::Running;
    stopProcess(viewer);
    if (!survived) {
        std::fprintf(stderr, "the viewer ended during the run (see %s.out)\n", qPrintable(folder));
        return false;
    }
    for (int camera = 1; recording && camera <= cameraCount; ++camera) {
        QStringList files;
        const QRegularExpression mine(QStringLiteral("_Kamera_%1(_\\d+)?\\.MJPEG$").arg(camera));
        for (const QString &file : QDir(folder).entryList({QStringLiteral("*.MJPEG")}, QDir::Files, QDir::Name)) {
            if (mine.match(file).hasMatch())
                files << QDir(folder).filePath(file);
        }
        figures.cameras << checkRecording(files, reference);
    }
    QDir(folder).removeRecursively();
    return true;
}

void printRun(const runFigures &run, const QList<runFigures> &earlier)
{
    const double percent = percentOfCore(run.cpu, run.wall);
    std::printf("%-17s viewer %5.1f %% of one core", qPrintable(run.name), percent);
    QString without = run.name;
    without.remove(QStringLiteral("+recording"));
    for (const runFigures &other : earlier) {
        if (other.name == without || (run.name.startsWith(QLatin1String("hidden")) && other.name == QLatin1String("shown")))
            std::printf(" (%+.1f against %s)", percent - percentOfCore(other.cpu, other.wall), qPrintable(other.name));
    }
    std::printf("; simulator %.1f %%\n", percentOfCore(run.simulatorCpu, run.wall));
    if (run.cameras.isEmpty())
        return;
    qint64 pictures = 0;
    qint64 missing = 0;
    qint64 restarts = 0;
    qint64 wrong = 0;
    qint64 fewest = -1;
    int camerasMissing = 0;
    for (const cameraCheck &check : run.cameras) {
        pictures += check.pictures;
        missing += check.missing;
        restarts += check.restarts();
        wrong += check.wrong;
        fewest = fewest < 0 ? check.pictures : qMin(fewest, check.pictures);
        camerasMissing += check.missing > 0 ? 1 : 0;
    }
    std::printf("                  written %.2f MB/s; %lld pictures in the files (fewest for one camera %lld),"
                " %lld not as cut\n"
                "                  served pictures missing between recorded ones %lld (target 0), across"
                " %lld receive-buffer wrap-arounds; cameras missing pictures: %d\n",
                run.bytes / run.wall / 1e6, qlonglong(pictures), qlonglong(fewest), qlonglong(wrong),
                qlonglong(missing), qlonglong(restarts), camerasMissing);
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchOptions options;
    if (!parseOptions(app.arguments(), options))
        return 2;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        std::fprintf(stderr, "no DISPLAY: the viewer needs an X server (bench/run-recording-bench.sh starts Xvfb)\n");
    const QList<QByteArray> reference = benchPictures::load(options.folder, options.size);
    if (reference.isEmpty())
        return 2;
    QTemporaryDir work;
    const QString simulatorIni = work.filePath(QStringLiteral("dxsim.ini"));
    std::unique_ptr<QProcess> simulator = startSimulator(options, simulatorIni, work.filePath(QStringLiteral("dxsim.log")));
    if (!simulator)
        return 1;
    std::printf("bench_recording: %d cameras %s at %d/s, %d s warm-up, %d s measured per run\n", cameraCount,
                qPrintable(options.size), picturesPerSecond, options.warmUp, options.seconds);
    std::fflush(stdout);
    QList<runFigures> runs;
    for (const QString &name : std::as_const(options.runs)) {
        runFigures figures;
        if (!runViewer(options, name, simulatorIni, work.path(), simulator->processId(), reference, figures)) {
            stopProcess(*simulator);
            return 1;
        }
        printRun(figures, runs);
        std::fflush(stdout);
        runs << figures;
    }
    stopProcess(*simulator);
    return 0;
}
