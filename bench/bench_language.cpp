// How long a language switch takes with every window of the viewer open, and whether the 40 ms
// tick keeps its period meanwhile (the settings and recording dialogs included). The viewer runs in this process on the platform given (the
// script runs it on an X server of its own), with 20 cameras: simulated by dxsim replaying the
// reference pictures when a picture folder is given, else modules nobody answers for.
//
//   bench/run-language-bench.sh [build folder] [options]
//
//   --pictures FOLDER  reference pictures (make-pictures.sh); cameras stream FOLDER/640x480
//   --switches N       language switches, alternately English and German (default 40)
//   --cameras N        modules (default 20)
//   --verbose          keep the viewer's debug output
//
// A switch is what a user does: "Englisch" or "Deutsch" and OK in the language dialog. Measured
// from that click to the end of the tick that retranslated the windows (all texts set), and to
// the end of the last paint of a dialog window after it (the windows show the new language).
#include "appoptions.h"
#include "benchstats.h"
#include "auxdialogs.h"
#include "camdata.h"
#include "camhandel.h"
#include "einstdia.h"
#include "owncam.h"
#include "ownmsgbox.h"
#include "pasw1dia.h"
#include "paswdia.h"
#include "saveavi.h"
#include "service.h"
#include "sprachedia.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

bool verbose = false;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (verbose || type >= QtCriticalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

struct benchOptions {
    QString pictures;
    int switches = 40;
    int cameras = 20;
};

bool parseOptions(const QStringList &args, benchOptions &options)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--pictures") && hasValue)
            options.pictures = args[++i];
        else if (a == QLatin1String("--switches") && hasValue)
            options.switches = std::max(2, args[++i].toInt());
        else if (a == QLatin1String("--cameras") && hasValue)
            options.cameras = std::clamp(args[++i].toInt(), 1, 20);
        else if (a == QLatin1String("--verbose"))
            verbose = true;
        else {
            std::fprintf(stderr, "unknown option %s\n", qPrintable(a));
            return false;
        }
    }
    return true;
}

// Times every tick of the viewer, and the paints of the windows other than the main window.
class timedApplication : public QApplication {
public:
    using QApplication::QApplication;

    QWidget *viewer = nullptr;
    QElapsedTimer clock;
    std::vector<qint64> tickStartsUs;
    std::vector<qint64> tickLengthsUs;
    std::function<void(qint64 endUs)> afterTick;
    qint64 lastDialogPaintUs = -1;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && receiver->isWidgetType()
            && static_cast<QWidget *>(receiver)->window() != viewer) {
            const bool result = QApplication::notify(receiver, event);
            lastDialogPaintUs = clock.nsecsElapsed() / 1000;
            return result;
        }
        if (receiver != viewer || event->type() != QEvent::Timer)
            return QApplication::notify(receiver, event);
        const qint64 start = clock.nsecsElapsed() / 1000;
        const bool result = QApplication::notify(receiver, event);
        const qint64 end = clock.nsecsElapsed() / 1000;
        tickStartsUs.push_back(start);
        tickLengthsUs.push_back(end - start);
        if (afterTick)
            afterTick(end);
        return result;
    }
};

QString writeModulesIni(const QString &path, int cameras)
{
    QString text = QStringLiteral("\n[Window]\nx=20.0\ny=20.0\nwidth=1200.0\nheight=720.0\nnPicCol=5\nnPicRow=4\n"
                                  "Autohide=0\nBildRahmeEin=1\n\n[System]\nownIP=127.0.0.1\nHideStartEn=0\n");
    for (int i = 0; i < cameras; ++i)
        text += QStringLiteral("\n[Cam %1_127.0.0.%2]\ncamName=Cam %1\nIP=127.0.0.%2\nsipName=Door %1\nSIP_IP=127.0.1.%2\n")
                    .arg(i)
                    .arg(2 + i);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(text.toLatin1());
    return path;
}

// dxsim writes the INI as the program does; the window must stay up, in a 5 x 4 grid.
bool adjustSimulatorIni(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromLatin1(file.readAll());
    file.close();
    // The first line of a key wins.
    text.replace(QStringLiteral("[Window]\n"),
                 QStringLiteral("[Window]\nAutohide=0\nHideStartEn=0\nwidth=1200.0\nheight=720.0\nnPicCol=5\nnPicRow=4\n"));
    text.replace(QStringLiteral("[System]\n"), QStringLiteral("[System]\nHideStartEn=0\n"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(text.toLatin1());
    return true;
}

std::unique_ptr<QProcess> startSimulator(const benchOptions &options, const QString &iniPath, int seconds)
{
    auto simulator = std::make_unique<QProcess>();
    simulator->setProgram(QStringLiteral(DXSIM_PATH));
    simulator->setArguments({QStringLiteral("--cameras"), QString::number(options.cameras), QStringLiteral("--fps"),
                             QStringLiteral("25"), QStringLiteral("--size"), QStringLiteral("640x480"),
                             QStringLiteral("--replay"), options.pictures + QStringLiteral("/640x480"),
                             QStringLiteral("--write-ini"), iniPath, QStringLiteral("--serve"),
                             QStringLiteral("--duration"), QString::number(seconds)});
    simulator->setStandardInputFile(QProcess::nullDevice());
    simulator->setProcessChannelMode(QProcess::MergedChannels);
    simulator->setStandardOutputFile(QProcess::nullDevice());
    simulator->start();
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(iniPath) && waited.elapsed() < 20000)
        QThread::msleep(50);
    if (!QFile::exists(iniPath) || !adjustSimulatorIni(iniPath)) {
        std::fprintf(stderr, "dxsim did not come up\n");
        return nullptr;
    }
    return simulator;
}

// Runs the event loop as the program does: it blocks while nothing is due.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void report(const char *what, const std::vector<double> &ms)
{
    std::printf("%-46s median %7.2f ms  p90 %7.2f ms  max %7.2f ms  (%zu)\n", what, percentile(ms, 0.5),
                percentile(ms, 0.9), percentile(ms, 1.0), ms.size());
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietHandler);
    timedApplication app(argc, argv);
    benchOptions options;
    if (!parseOptions(QCoreApplication::arguments(), options))
        return 2;
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    const QString iniPath = dir.filePath(QStringLiteral("dxcamviewer.ini"));
    std::unique_ptr<QProcess> simulator;
    if (options.pictures.isEmpty()) {
        writeModulesIni(iniPath, options.cameras);
    } else {
        simulator = startSimulator(options, iniPath, options.switches + 60);
        if (!simulator)
            return 1;
    }

    appOptions viewerOptions;
    viewerOptions.configFile = iniPath;
    auto viewer = std::make_unique<ownCam>(viewerOptions, [] { return true; });
    const QString programDir = QFileInfo(QStringLiteral(DXCAMVIEWER_PATH)).absolutePath();
    auto *language = new spracheDia(viewer->state().settings().FaVers, viewer.get(), {programDir});
    language->scan(QStringLiteral("cam"));
    viewer->dialogs().setLanguageDialog(language);
    if (language->englishIndex() < 0) {
        std::fprintf(stderr, "no cam_en.qm in %s\n", qPrintable(programDir));
        return 1;
    }
    app.viewer = viewer.get();
    app.clock.start();
    viewer->show();

    // Every window the viewer has, open, once the start-up ticks are done.
    runFor(3000);
    viewer->dialogs().askViewerPassword(pasw1Dia::showNormal);
    viewer->dialogs().changePassword(accessProtection::viewerMode);
    viewer->Start_CAM(viewer->state().cameras().first());
    viewer->dialogs().loginPrompt()->show();
    viewer->state().requests().openStatistics = true;
    viewer->tray().notice()->show();
    viewer->panel()->show();
    viewer->einstellFun();
    // The recording dialog records the second camera into the temporary folder.
    viewer->state().settings().Autosave = true;
    viewer->state().settings().ImageFolder = dir.filePath(QStringLiteral("recordings"));
    QDir().mkpath(viewer->state().settings().ImageFolder);
    viewer->state().cameras().at(viewer->state().cameras().size() > 1 ? 1 : 0)->setVideoCommand(true);
    language->prepare();
    runFor(2000);
    if (!viewer->settingsDialog()->isVisible() || !viewer->videoDialog() || !viewer->videoDialog()->isVisible()) {
        std::fprintf(stderr, "the settings or the recording dialog did not open\n");
        return 1;
    }
    auto *pauseRecording = viewer->videoDialog()->findChild<QToolButton *>(QStringLiteral("StopTB"));

    auto *english = language->findChild<QRadioButton *>(QStringLiteral("enRB"));
    auto *german = language->findChild<QRadioButton *>(QStringLiteral("deRB"));
    auto *ok = language->findChild<QPushButton *>(QStringLiteral("okPB"));
    QAction *quit = viewer->tray().menu()->actions().last();

    std::vector<double> toTexts;
    std::vector<double> toPainted;
    std::vector<double> retranslatingTick;
    int wrongTexts = 0;
    qint64 clickUs = -1;
    qint64 textsUs = -1;
    std::vector<qint64> clicksUs;
    QString expected;
    app.afterTick = [&](qint64 endUs) {
        if (clickUs < 0 || textsUs >= 0 || quit->text() != expected)
            return;
        textsUs = endUs;
        retranslatingTick.push_back(app.tickLengthsUs.back() / 1000.0);
    };

    const size_t firstTick = app.tickStartsUs.size();
    for (int i = 0; i < options.switches; ++i) {
        const bool toEnglish = i % 2 == 0;
        expected = toEnglish ? QStringLiteral("&Quit") : QStringLiteral("&Beenden");
        language->prepare();
        (toEnglish ? english : german)->click();
        clickUs = app.clock.nsecsElapsed() / 1000;
        clicksUs.push_back(clickUs);
        textsUs = -1;
        ok->click();
        runFor(500);
        const bool inEnglish = toEnglish;
        if (textsUs < 0
            || viewer->dialogs().statistics()->windowTitle() != (inEnglish ? "Service data" : "Service Daten")
            || viewer->tray().notice()->text().startsWith(QLatin1String("The program")) != inEnglish
            || viewer->settingsDialog()->windowTitle().endsWith(QLatin1String(" Settings")) != inEnglish
            || pauseRecording->text().startsWith(QLatin1String("Pause recording")) != inEnglish) {
            std::fprintf(stderr, "switch %d: texts not retranslated within 500 ms (%s | %s)\n", i,
                         qPrintable(viewer->settingsDialog()->windowTitle()), qPrintable(pauseRecording->text()));
            ++wrongTexts;
        } else {
            toTexts.push_back((textsUs - clickUs) / 1000.0);
            if (app.lastDialogPaintUs > textsUs)
                toPainted.push_back((app.lastDialogPaintUs - clickUs) / 1000.0);
        }
        clickUs = -1;
    }

    // A tick interval belongs to a switch when it ends within 250 ms after the click.
    std::vector<double> intervals;
    std::vector<double> switchIntervals;
    std::vector<double> lengths;
    int late = 0;
    int lateAtSwitch = 0;
    for (size_t i = firstTick; i < app.tickStartsUs.size(); ++i) {
        lengths.push_back(app.tickLengthsUs[i] / 1000.0);
        if (i == firstTick)
            continue;
        const double interval = (app.tickStartsUs[i] - app.tickStartsUs[i - 1]) / 1000.0;
        const bool outside = interval < 30.0 || interval > 50.0;
        intervals.push_back(interval);
        late += outside ? 1 : 0;
        const bool atSwitch = std::any_of(clicksUs.begin(), clicksUs.end(), [&](qint64 click) {
            return app.tickStartsUs[i] > click && app.tickStartsUs[i] - click < 250000;
        });
        if (atSwitch) {
            switchIntervals.push_back(interval);
            lateAtSwitch += outside ? 1 : 0;
        }
    }
    std::printf("language switches: %d with %lld cameras (%s), platform %s\n", options.switches,
                qlonglong(viewer->state().cameras().size()),
                options.pictures.isEmpty() ? "nobody answering" : "dxsim 640x480, 25/s",
                qPrintable(QGuiApplication::platformName()));
    report("click -> last window retranslated", toTexts);
    report("click -> last dialog window repainted", toPainted);
    report("the retranslating tick alone", retranslatingTick);
    report("tick length", lengths);
    report("tick interval", intervals);
    report("tick interval within 250 ms after a switch", switchIntervals);
    std::printf("ticks outside 40 +- 10 ms: %d of %zu (%.2f %%), of them within 250 ms after a switch: %d of %zu\n",
                late, intervals.size(), intervals.empty() ? 0.0 : 100.0 * late / intervals.size(), lateAtSwitch,
                switchIntervals.size());
    std::printf("switches with wrong texts: %d\n", wrongTexts);
    const qint64 framesShown = [&] {
        qint64 n = 0;
        for (camData *cam : viewer->state().cameras())
            n += cam->framesDisplayed;
        return n;
    }();
    std::printf("pictures displayed meanwhile: %lld\n", qlonglong(framesShown));
    language->apply(-1);
    viewer->videoDialog()->stopRecording();
    viewer.reset();
    if (simulator) {
        simulator->terminate();
        simulator->waitForFinished(3000);
    }
    return wrongTexts == 0 ? 0 : 1;
}
