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

    QTest::newRow("none") << QStringList{} << "" << false << false << false << "" << false;
    QTest::newRow("config and log") << QStringList{"--config", "/srv/v.ini", "--log"} << "/srv/v.ini" << true
                                    << false << false << "" << false;
    QTest::newRow("short help") << QStringList{"-h"} << "" << false << true << false << "" << false;
    QTest::newRow("version") << QStringList{"--version"} << "" << false << false << true << "" << false;
    QTest::newRow("launcher file argument") << QStringList{"/home/u/x.jpg", "--log"} << "" << true << false << false
                                            << "/home/u/x.jpg" << false;
    QTest::newRow("old shortcut switch") << QStringList{"/minimized"} << "" << false << false << false
                                         << "/minimized" << false;
    QTest::newRow("unknown options") << QStringList{"--tray", "-minimized", "--config=/a.ini"} << "/a.ini"
                                     << false << false << false << "--tray -minimized" << false;
    QTest::newRow("empty argument") << QStringList{""} << "" << false << false << false << "" << false;
    QTest::newRow("known option without its value") << QStringList{"--config"} << "" << false << false << false
                                                    << "" << true;
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
    QCOMPARE(options.error.isEmpty(), !error);
    if (error)
        return;
    QCOMPARE(options.warning.isEmpty(), ignored.isEmpty());
    for (const QString &argument : ignored.split(' ', Qt::SkipEmptyParts))
        QVERIFY2(options.warning.contains(argument), qPrintable(options.warning));
}

QTEST_GUILESS_MAIN(tst_appOptions)
#include "tst_appoptions.moc"
