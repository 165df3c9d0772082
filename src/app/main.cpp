#include "appoptions.h"
#include "autostart.h"
#include "inidata.h"
#include "owncam.h"
#include "signalquitter.h"
#include "singleinstance.h"
#include "sprachedia.h"
#include "tracecategory.h"

#include <QApplication>
#include <QDebug>
#include <QLoggingCategory>
#include <QSystemTrayIcon>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {

// Wayland lets no client keep its window on top or place it, and popping up over other windows
// is this program's job: prefer XWayland unless the user chose a platform.
void preferX11OnWayland(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsSet("DISPLAY"))
        return;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrncmp(argv[i], "-platform=", 10) == 0)
            return;
    }
    if (qgetenv("XDG_SESSION_TYPE") == "wayland" || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

int switchAutostart(const appOptions &options)
{
    autoStart entry(QCoreApplication::applicationFilePath(), options.configFile);
    const bool on = options.autostart == QLatin1String("on");
    if (!entry.setEnabled(on)) {
        std::fprintf(stderr, "Could not %s %s\n", on ? "write" : "remove", qPrintable(entry.entryPath()));
        return 1;
    }
    std::printf(on ? "Starts at login: %s\n" : "Does not start at login (%s)\n", qPrintable(entry.entryPath()));
    return 0;
}

QString iniPathOf(const appOptions &options)
{
    iniData paths;
    if (options.configFile.isEmpty())
        paths.resolvePaths();
    else
        paths.useIniPath(options.configFile);
    return paths.iniPath();
}

// The viewer saves its settings and closes its recordings first; that may take a while.
int quitRunningViewer(const appOptions &options)
{
    constexpr int endLimitMs = 30000;
    const QString iniPath = iniPathOf(options);
    switch (singleInstance(iniPath).askToQuit(endLimitMs)) {
    case singleInstance::quitOutcome::ended:
        return 0;
    case singleInstance::quitOutcome::notRunning:
        std::printf("No viewer runs on %s\n", qPrintable(iniPath));
        return 0;
    case singleInstance::quitOutcome::stillRunning:
        break;
    }
    std::fprintf(stderr, "The viewer on %s did not end\n", qPrintable(iniPath));
    return 1;
}

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// What needs no window is answered before the GUI application exists: a packaging check, an SSH
// shell or a service manager has no display to connect to.
int serveWithoutDisplay(const appOptions &options, int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dxcamviewer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DXCAM_VERSION));
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "dxcamviewer: %s See dxcamviewer --help.\n", qPrintable(options.error));
        return 2;
    }
    if (options.showHelp) {
        std::printf("%s", qPrintable(appOptions::helpText()));
        return 0;
    }
    if (options.showVersion) {
        std::printf("dxcamviewer %s\n", DXCAM_VERSION);
        return 0;
    }
    if (!options.autostart.isEmpty())
        return switchAutostart(options);
    return quitRunningViewer(options);
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef SIGXFSZ
    // Past a file size limit a write fails instead of ending the program: the recorders close
    // that file and the viewer carries on.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const appOptions early = appOptions::parse(argumentsOf(argc, argv));
    // Rules of QT_LOGGING_RULES come later and win.
    if (early.tracesOff())
        QLoggingCategory::setFilterRules(QStringLiteral("dxcam.trace=false"));
    if (early.needsNoDisplay())
        return serveWithoutDisplay(early, argc, argv);
    preferX11OnWayland(argc, argv);
    keepTraceLinesPlain();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dxcamviewer"));
    QApplication::setApplicationVersion(QStringLiteral(DXCAM_VERSION));
    // Lets the desktop match the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(DXCAM_APP_ID));
    qCDebug(dxcamTrace).noquote() << "Platform: " + QGuiApplication::platformName();
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qWarning("On Wayland the window can neither be kept on top nor placed: door calls bring it "
                 "up anew and as desktop notifications.");

    // Read again: the application has taken its own arguments (-platform and the like) out.
    const appOptions options = appOptions::parse(QApplication::arguments());
    if (!options.warning.isEmpty())
        qWarning().noquote() << options.warning;

    singleInstance instance(iniPathOf(options));
    const auto command = options.ask == appOptions::request::settings ? singleInstance::command::settings
                                                                       : singleInstance::command::show;
    if (instance.askRunningViewer(command))
        return 0;
    instance.listen();

    // Watched before the window exists; a signal that comes during start-up is served once the
    // event loop runs.
    signalQuitter quitter;
    quitter.install();
    auto *window = new ownCam(options, &QSystemTrayIcon::isSystemTrayAvailable);
    QObject::connect(&instance, &singleInstance::showRequested, window, &ownCam::showOnRequest);
    QObject::connect(&instance, &singleInstance::settingsRequested, window, &ownCam::einstellFun);
    QObject::connect(&instance, &singleInstance::quitRequested, window, &ownCam::Raus);
    auto *language = new spracheDia(window->state().settings().FaVers, window);
    language->scan(QStringLiteral("cam"));
    window->dialogs().setLanguageDialog(language);
    // SIGTERM (a service manager, a shutdown) and SIGINT end the program as "Beenden" does.
    QObject::connect(&quitter, &signalQuitter::quitRequested, window, &ownCam::Raus);

    window->show();
    // Started by --show or --settings: asked as a running viewer would be, once the loop runs.
    if (options.ask == appOptions::request::show)
        QTimer::singleShot(0, window, &ownCam::showOnRequest);
    else if (options.ask == appOptions::request::settings)
        QTimer::singleShot(0, window, &ownCam::einstellFun);
    const int result = QApplication::exec();
    if (language->isVisible())
        language->close();
    delete window;
    return result;
}
