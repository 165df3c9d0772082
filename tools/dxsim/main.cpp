#include "consoleoutput.h"
#include "iniwriter.h"
#include "signalquitter.h"
#include "simoptions.h"
#include "simulator.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Pictures are drawn with fonts, which needs a GUI application but never a display; the
    // offscreen platform is the one that also brings the system fonts (minimal draws boxes).
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dxsim"));

    SimOptions options;
    QString error;
    bool help = false;
    if (!options.parse(QCoreApplication::arguments(), &error, &help)) {
        if (help) {
            std::fputs(options.helpText().toLocal8Bit().constData(), stdout);
            return 0;
        }
        ConsoleOutput::error(error + QStringLiteral(" (see --help)"));
        return 2;
    }

    if (!options.iniFile.isEmpty() && !options.serve) {
        const quint16 port = options.portGiven ? quint16(options.port) : 80;
        if (!IniWriter(options, QList<quint16>(options.cameras, port)).write(options.iniFile, &error)) {
            ConsoleOutput::error(error);
            return 1;
        }
        ConsoleOutput::line(QStringLiteral("wrote %1").arg(options.iniFile));
        return 0;
    }

    signalQuitter quitter;
    if (!quitter.install())
        ConsoleOutput::error(QStringLiteral("cannot watch SIGINT/SIGTERM; stop with \"quit\""));
    QObject::connect(&quitter, &signalQuitter::quitRequested, &app, [](int) { QCoreApplication::quit(); });

    Simulator simulator(options);
    QObject::connect(&simulator, &Simulator::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (!simulator.start(&error)) {
        ConsoleOutput::error(error);
        return 1;
    }
    const int rc = app.exec();
    ConsoleOutput::line(QStringLiteral("bye"));
    return rc;
}
