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
#include <QSystemTrayIcon>
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
    autoStart entry(QApplication::applicationFilePath(), options.configFile);
    const bool on = options.autostart == QLatin1String("on");
    if (!entry.setEnabled(on)) {
        std::fprintf(stderr, "Could not %s %s\n", on ? "write" : "remove", qPrintable(entry.entryPath()));
        return 1;
    }
    std::printf(on ? "Starts at login: %s\n" : "Does not start at login (%s)\n", qPrintable(entry.entryPath()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef SIGXFSZ
    // Past a file size limit a write fails instead of ending the program: the recorders close
    // that file and the viewer carries on.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    preferX11OnWayland(argc, argv);
    keepTraceLinesPlain();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dxcamviewer"));
    QApplication::setApplicationVersion(QStringLiteral(DXCAM_VERSION));
    // Lets the desktop match the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(DXCAM_APP_ID));

    const appOptions options = appOptions::parse(QApplication::arguments());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(options.error), qPrintable(appOptions::helpText()));
        return 2;
    }
    if (!options.warning.isEmpty())
        qWarning().noquote() << options.warning;
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

    iniData paths;
    if (options.configFile.isEmpty())
        paths.resolvePaths();
    else
        paths.useIniPath(options.configFile);
    singleInstance instance(paths.iniPath());
    if (instance.askRunningViewer())
        return 0;
    instance.listen();

    // Watched before the window exists; a signal that comes during start-up is served once the
    // event loop runs.
    signalQuitter quitter;
    quitter.install();
    auto *window = new ownCam(options, &QSystemTrayIcon::isSystemTrayAvailable);
    QObject::connect(&instance, &singleInstance::showRequested, window, &ownCam::showOnRequest);
    auto *language = new spracheDia(window->state().settings().FaVers, window);
    language->scan(QStringLiteral("cam"));
    window->dialogs().setLanguageDialog(language);
    // SIGTERM (a service manager, a shutdown) and SIGINT end the program as "Beenden" does.
    QObject::connect(&quitter, &signalQuitter::quitRequested, window, &ownCam::Raus);

    window->show();
    const int result = QApplication::exec();
    if (language->isVisible())
        language->close();
    delete window;
    return result;
}
