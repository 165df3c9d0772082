#include "appoptions.h"

#include <QtTest>

// A desktop starts the viewer with whatever its launcher adds; nobody sees standard error there,
// so only a known option used wrongly may keep the viewer from starting.
class tst_appOptions : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
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

    using request = appOptions::request;

    QTest::newRow("none") << QStringList{} << "" << false << false << false << "" << false << int(request::none)
                          << false;
    QTest::newRow("config and log") << QStringList{"--config", "/srv/v.ini", "--log"} << "/srv/v.ini" << true
                                    << false << false << "" << false << int(request::none) << false;
    QTest::newRow("short help") << QStringList{"-h"} << "" << false << true << false << "" << false
                                << int(request::none) << true;
    QTest::newRow("version") << QStringList{"--version"} << "" << false << false << true << "" << false
                             << int(request::none) << true;
    QTest::newRow("launcher file argument") << QStringList{"/home/u/x.jpg", "--log"} << "" << true << false << false
                                            << "/home/u/x.jpg" << false << int(request::none) << false;
    QTest::newRow("old shortcut switch") << QStringList{"/minimized"} << "" << false << false << false
                                         << "/minimized" << false << int(request::none) << false;
    QTest::newRow("unknown options") << QStringList{"--tray", "-minimized", "--config=/a.ini"} << "/a.ini"
                                     << false << false << false << "--tray -minimized" << false
                                     << int(request::none) << false;
    QTest::newRow("empty argument") << QStringList{""} << "" << false << false << false << "" << false
                                    << int(request::none) << false;
    // A wrong command line is said on standard error, which needs no display either.
    QTest::newRow("known option without its value") << QStringList{"--config"} << "" << false << false << false
                                                    << "" << true << int(request::none) << true;
    QTest::newRow("show") << QStringList{"--show"} << "" << false << false << false << "" << false << int(request::show)
                          << false;
    QTest::newRow("settings of a chosen file") << QStringList{"--config", "/a.ini", "--settings"} << "/a.ini" << false
                                               << false << false << "" << false << int(request::settings) << false;
    QTest::newRow("quit") << QStringList{"--quit"} << "" << false << false << false << "" << false << int(request::quit)
                          << true;
    QTest::newRow("autostart") << QStringList{"--autostart", "off"} << "" << false << false << false << "" << false
                               << int(request::none) << true;
    QTest::newRow("two requests") << QStringList{"--show", "--quit"} << "" << false << false << false << "" << true
                                  << int(request::none) << true;
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
    if (error)
        return;
    QCOMPARE(options.warning.isEmpty(), ignored.isEmpty());
    for (const QString &argument : ignored.split(' ', Qt::SkipEmptyParts))
        QVERIFY2(options.warning.contains(argument), qPrintable(options.warning));
}

QTEST_GUILESS_MAIN(tst_appOptions)
#include "tst_appoptions.moc"
