#include "autostart.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString entryName = QStringLiteral("de.marviton.dxcamviewer.desktop");
const QByteArray plainEntry = "[Desktop Entry]\nType=Application\nName=X\nExec=/usr/bin/dxcamviewer\n";

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}

QStringList execLines(const QString &path)
{
    return readText(path).split('\n').filter(QRegularExpression("^Exec="));
}

} // namespace

// Every test works on autostart folders of its own, given through the XDG variables.
class tst_autoStart : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;

    QString userEntry() const { return dir->filePath("home/autostart/" + entryName); }
    QString systemEntry() const { return dir->filePath("etc/autostart/" + entryName); }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", dir->filePath("home").toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", dir->filePath("etc").toLocal8Bit());
    }

    // Desktop entry quoting: reserved characters quote the argument, '"', '`', '$' and '\' are
    // escaped inside quotes, '%' is doubled; then every '\' is escaped once more as a string.
    void execLine_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << QStringList{"/usr/bin/dxcamviewer"} << "/usr/bin/dxcamviewer";
        QTest::newRow("blank") << QStringList{"/opt/dx viewer/dxcamviewer"} << "\"/opt/dx viewer/dxcamviewer\"";
        QTest::newRow("with INI") << QStringList{"/usr/bin/dxcamviewer", "--config", "/home/a/Site 1.ini"}
                                  << "/usr/bin/dxcamviewer --config \"/home/a/Site 1.ini\"";
        QTest::newRow("dollar") << QStringList{"/srv/$HOME/v"} << "\"/srv/\\\\$HOME/v\"";
        QTest::newRow("double quote") << QStringList{"/srv/a\"b/v"} << "\"/srv/a\\\\\"b/v\"";
        QTest::newRow("backslash") << QStringList{"/srv/a\\b/v"} << "\"/srv/a\\\\\\\\b/v\"";
        QTest::newRow("backtick") << QStringList{"/srv/a`b/v"} << "\"/srv/a\\\\`b/v\"";
        QTest::newRow("single quote") << QStringList{"/srv/it's/v"} << "\"/srv/it's/v\"";
        QTest::newRow("percent unquoted") << QStringList{"/srv/100%/v"} << "/srv/100%%/v";
        QTest::newRow("percent quoted") << QStringList{"/srv/100% (x)/v"} << "\"/srv/100%% (x)/v\"";
        QTest::newRow("empty argument") << QStringList{"/v", ""} << "/v \"\"";
    }

    void execLine()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, exec);
        QCOMPARE(autoStart::execLine(command), exec);
    }

    void switchOnAndOff()
    {
        autoStart entry("/opt/dx viewer/bin/dxcamviewer", dir->filePath("site.ini"));
        QCOMPARE(entry.entryPath(), userEntry());
        QVERIFY(!entry.isEnabled());

        QVERIFY(entry.setEnabled(true));
        QVERIFY(entry.isEnabled());
        QCOMPARE(execLines(userEntry()),
                 QStringList{"Exec=\"/opt/dx viewer/bin/dxcamviewer\" --config " + dir->filePath("site.ini")});
        QVERIFY(!readText(userEntry()).contains("Hidden"));
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (!validator.isEmpty()) {
            QProcess check;
            check.start(validator, {userEntry()});
            QVERIFY(check.waitForFinished());
            QCOMPARE(check.exitCode(), 0);
            QCOMPARE(check.readAll(), QByteArray());
        }

        QVERIFY(entry.setEnabled(false));
        QVERIFY(!QFile::exists(userEntry()));
        QVERIFY(!entry.isEnabled());
        QVERIFY(entry.setEnabled(false));
    }

    // A system-wide entry of the same name starts the viewer for everyone; the user's own entry
    // overrides it.
    void systemWideEntry_data()
    {
        QTest::addColumn<QByteArray>("system");   // empty: none
        QTest::addColumn<QByteArray>("user");     // empty: none
        QTest::addColumn<QString>("action");      // "", "on" or "off"
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("userAfter");   // "none", "given", or written: "hidden", "shown"
        const QByteArray none;
        const QByteArray hidden = plainEntry + "Hidden=true\n";
        QTest::newRow("nothing") << none << none << "" << false << "none";
        QTest::newRow("system entry starts it") << plainEntry << none << "" << true << "none";
        QTest::newRow("system entry hidden") << hidden << none << "" << false << "none";
        QTest::newRow("user entry hides the system one") << plainEntry << hidden << "" << false << "given";
        QTest::newRow("switched off for GNOME") << none << plainEntry + "X-GNOME-Autostart-enabled=false\n" << ""
                                                << false << "given";
        QTest::newRow("Hidden of another group") << none << plainEntry + "[Desktop Action a]\nHidden=true\n" << ""
                                                 << true << "given";
        QTest::newRow("off over a system entry") << plainEntry << none << "off" << false << "hidden";
        QTest::newRow("on over a user's hiding entry") << plainEntry << hidden << "on" << true << "shown";
        QTest::newRow("off with the system entry hidden") << hidden << plainEntry << "off" << false << "none";
    }

    void systemWideEntry()
    {
        QFETCH(QByteArray, system);
        QFETCH(QByteArray, user);
        QFETCH(QString, action);
        QFETCH(bool, enabled);
        QFETCH(QString, userAfter);
        if (!system.isEmpty())
            writeBytes(systemEntry(), system);
        if (!user.isEmpty())
            writeBytes(userEntry(), user);
        autoStart entry("/usr/bin/dxcamviewer");
        if (!action.isEmpty())
            QVERIFY(entry.setEnabled(action == "on"));
        QCOMPARE(entry.isEnabled(), enabled);
        const QString text = readText(userEntry());
        QString found = text == "<missing>" ? "none" : text == QString(user) ? "given" : "other";
        if (text.contains("\nX-GNOME-Autostart-enabled=true\n"))
            found = text.contains("\nHidden=true\n") ? "hidden" : "shown";
        QCOMPARE(found, userAfter);
        QCOMPARE(readText(systemEntry()), system.isEmpty() ? QString("<missing>") : QString(system));
    }

    void cannotWrite_data()
    {
        QTest::addColumn<QString>("blocker");   // a file or folder in the way
        QTest::addColumn<bool>("onResult");
        QTest::addColumn<bool>("offResult");
        QTest::newRow("autostart folder is a file") << "home/autostart" << false << true;
        QTest::newRow("entry is a folder") << "home/autostart/" + entryName + "/" << false << false;
    }

    void cannotWrite()
    {
        QFETCH(QString, blocker);
        QFETCH(bool, onResult);
        QFETCH(bool, offResult);
        if (blocker.endsWith('/'))
            QVERIFY(QDir(dir->path()).mkpath(blocker));
        else
            writeBytes(dir->filePath(blocker), "x");
        autoStart entry("/usr/bin/dxcamviewer");
        QCOMPARE(entry.setEnabled(true), onResult);
        QVERIFY(!entry.isEnabled());
        QCOMPARE(entry.setEnabled(false), offResult);
    }

    // A line break in the program's path would end the Exec line and forge keys of its own.
    void refusesLineBreak()
    {
        autoStart entry("/tmp/x\nHidden=false/dxcamviewer");
        QVERIFY(!entry.setEnabled(true));
        QVERIFY(!QFile::exists(userEntry()));
    }

    void commandLine()
    {
        const QString program = QFileInfo(DXCAMVIEWER_PATH).canonicalFilePath();
        const auto run = [&](const QStringList &arguments) {
            QProcess viewer;
            viewer.setWorkingDirectory(dir->path());
            viewer.start(program, arguments);
            viewer.waitForFinished(30000);
            return viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -1;
        };
        QCOMPARE(run({"--autostart", "on", "--config", "site.ini"}), 0);
        const QString ini = QFileInfo(dir->filePath("site.ini")).absoluteFilePath();
        QCOMPARE(execLines(userEntry()), QStringList{"Exec=" + program + " --config " + ini});
        QCOMPARE(run({"--autostart", "off"}), 0);
        QVERIFY(!QFile::exists(userEntry()));
        QCOMPARE(run({"--autostart", "maybe"}), 2);
        QVERIFY(!QFile::exists(userEntry()));
        QVERIFY(!QFile::exists(ini));
    }
};

QTEST_GUILESS_MAIN(tst_autoStart)
#include "tst_autostart.moc"
