#include "appoptions.h"

#include <QProcess>
#include <QtTest>

// A desktop starts the viewer with whatever its launcher adds (file names); nobody sees standard
// error there, so those are only warned about. An option the viewer does not know is a mistake of
// whoever wrote the command, and is said before any window is needed.
class tst_appOptions : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void withoutDisplay_data();
    void withoutDisplay();
};

void tst_appOptions::parse_data()
{
    QTest::addColumn<QStringList>("arguments");  // after the program name
    QTest::addColumn<QString>("configFile");
    QTest::addColumn<bool>("logOn");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("version");
    QTest::addColumn<QString>("ignored");  // the arguments the warning names, blank-separated
    QTest::addColumn<bool>("error");
    QTest::addColumn<int>("request");  // appOptions::request
    QTest::addColumn<bool>("noDisplay");  // served before the GUI application exists
    QTest::addColumn<bool>("tracesOff");

    using request = appOptions::request;

    QTest::newRow("none") << QStringList{} << "" << false << false << false << "" << false << int(request::none)
                          << false << false;
    QTest::newRow("config and log") << QStringList{"--config", "/srv/v.ini", "--log"} << "/srv/v.ini" << true
                                    << false << false << "" << false << int(request::none) << false << false;
    QTest::newRow("short help") << QStringList{"-h"} << "" << false << true << false << "" << false
                                << int(request::none) << true << false;
    QTest::newRow("version") << QStringList{"--version"} << "" << false << false << true << "" << false
                             << int(request::none) << true << false;
    QTest::newRow("launcher file argument") << QStringList{"/home/u/x.jpg", "--log"} << "" << true << false << false
                                            << "/home/u/x.jpg" << false << int(request::none) << false << false;
    QTest::newRow("old shortcut switch") << QStringList{"/minimized"} << "" << false << false << false
                                         << "/minimized" << false << int(request::none) << false << false;
    QTest::newRow("unknown option") << QStringList{"--bogus", "--config=/a.ini"} << "" << false << false << false
                                    << "" << true << int(request::none) << true << false;
    QTest::newRow("unknown single-dash word") << QStringList{"-minimized"} << "" << false << false << false << ""
                                              << true << int(request::none) << true << false;
    QTest::newRow("toolkit options") << QStringList{"-platform", "xcb", "--style=fusion", "-reverse", "--log"} << ""
                                     << true << false << false << "" << false << int(request::none) << false << false;
    QTest::newRow("empty argument") << QStringList{""} << "" << false << false << false << "" << false
                                    << int(request::none) << false << false;
    // A wrong command line is said on standard error, which needs no display either.
    QTest::newRow("known option without its value") << QStringList{"--config"} << "" << false << false << false
                                                    << "" << true << int(request::none) << true << false;
    QTest::newRow("show") << QStringList{"--show"} << "" << false << false << false << "" << false << int(request::show)
                          << false << true;
    QTest::newRow("settings of a chosen file") << QStringList{"--config", "/a.ini", "--settings"} << "/a.ini" << false
                                               << false << false << "" << false << int(request::settings) << false
                                               << true;
    QTest::newRow("show with the log") << QStringList{"--show", "--log"} << "" << true << false << false << ""
                                       << false << int(request::show) << false << false;
    QTest::newRow("quit") << QStringList{"--quit"} << "" << false << false << false << "" << false << int(request::quit)
                          << true << true;
    QTest::newRow("autostart") << QStringList{"--autostart", "off"} << "" << false << false << false << "" << false
                               << int(request::none) << true << false;
    QTest::newRow("two requests") << QStringList{"--show", "--quit"} << "" << false << false << false << "" << true
                                  << int(request::none) << true << false;
}

void tst_appOptions::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, ignored);
    QFETCH(bool, error);
    const appOptions options = appOptions::parse(QStringList{"dxcamviewer"} + arguments);
    QTEST(options.configFile, "configFile");
    QTEST(options.logOn, "logOn");
    QTEST(options.showHelp, "help");
    QTEST(options.showVersion, "version");
    QTEST(int(options.ask), "request");
    QCOMPARE(options.error.isEmpty(), !error);
    QTEST(options.needsNoDisplay(), "noDisplay");
    QTEST(options.tracesOff(), "tracesOff");
    if (error)
        return;
    QCOMPARE(options.warning.isEmpty(), ignored.isEmpty());
    for (const QString &argument : ignored.split(' ', Qt::SkipEmptyParts))
        QVERIFY2(options.warning.contains(argument), qPrintable(options.warning));
}

void tst_appOptions::withoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stderrStart");  // the first and only line
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << "dxcamviewer: Unknown option 'bogus'.";
    QTest::newRow("value missing") << QStringList{"--config"} << 2 << "dxcamviewer: Missing value after '--config'.";
    QTest::newRow("two requests") << QStringList{"--show", "--settings"} << 2 << "dxcamviewer: Give only one of";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "";
}

// The program itself, with no display to connect to: a usage error must not need one.
void tst_appOptions::withoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, stderrStart);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QLatin1String(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(DXCAMVIEWER_PATH), arguments);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QTEST(program.exitCode(), "exitCode");
    const QStringList lines = QString::fromLocal8Bit(program.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), stderrStart.isEmpty() ? 0 : 1);
    if (!stderrStart.isEmpty())
        QVERIFY2(lines.first().startsWith(stderrStart), qPrintable(lines.first()));
}

QTEST_GUILESS_MAIN(tst_appOptions)
#include "tst_appoptions.moc"
