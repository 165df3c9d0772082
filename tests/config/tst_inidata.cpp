#include "inidata.h"
#include "unprivileged.h"
#include "../modules/tracecapture.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// "section|key|value" per entry, one per line: easy to compare and to read in a failure.
QString dump(const iniData &ini)
{
    QStringList rows;
    for (const iniData::entry &item : ini.entries())
        rows << item.section + '|' + item.key + '|' + item.value;
    return rows.join('\n');
}

QStringList linesOf(const QString &text)
{
    return text.split('\n');
}

} // namespace

class tst_iniData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void resolvePaths_data()
    {
        QTest::addColumn<QString>("program");   // "@" stands for a writable temp folder
        QTest::addColumn<QStringList>("layout"); // made below "@" first; a trailing "/" makes a folder
        QTest::addColumn<QString>("iniPath");   // "@" as above, "~" the per-user config folder
        QTest::addColumn<QString>("logPath");
        const QStringList none;
        const QStringList prefix{"usr/bin/", "usr/share/dxcamviewer/"};
        QTest::newRow("beside program") << "@/viewer" << none << "@/viewer.ini" << "@/viewer.log";
        QTest::newRow("every .exe removed") << "@/my.exe.tool.exe" << none << "@/my.tool.ini" << "@/my.tool.log";
        QTest::newRow("no slash") << "viewer" << none << "" << "";
        QTest::newRow("only leading slash") << "/viewer" << none << "" << "";
        QTest::newRow("name cut at 255") << "@/" + QString(300, 'n') << none << "@/" + QString(255, 'n') + ".ini"
                                         << "@/" + QString(255, 'n') + ".log";
        QTest::newRow("folder missing") << "/nonexistent-dxcam/bin/viewer" << none << "~/viewer.ini" << "~/viewer.log";
        QTest::newRow("read-only folder") << "@ro/viewer" << none << "~/viewer.ini" << "~/viewer.log";
        // An installed program never writes beside itself, though root may write to its folder.
        QTest::newRow("installed, bin writable") << "@/usr/bin/viewer" << prefix << "~/viewer.ini" << "~/viewer.log";
        QTest::newRow("installed, INI beside it ignored")
            << "@/usr/bin/viewer" << prefix + QStringList{"usr/bin/viewer.ini"} << "~/viewer.ini" << "~/viewer.log";
        QTest::newRow("bin/ without data folder") << "@/usr/bin/viewer" << QStringList{"usr/bin/"}
                                                  << "@/usr/bin/viewer.ini" << "@/usr/bin/viewer.log";
        QTest::newRow("data folder is a file") << "@/usr/bin/viewer" << QStringList{"usr/bin/", "usr/share/", "usr/share/dxcamviewer"}
                                               << "@/usr/bin/viewer.ini" << "@/usr/bin/viewer.log";
        QTest::newRow("data folder, program not in bin/") << "@/usr/build/viewer" << QStringList{"usr/build/", prefix[1]}
                                                           << "@/usr/build/viewer.ini" << "@/usr/build/viewer.log";
    }

    void resolvePaths()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, layout);
        QFETCH(QString, iniPath);
        QFETCH(QString, logPath);
        QTemporaryDir dir;
        QString folder = dir.path();
        if (program.startsWith("@ro")) {
            RUN_BOUND_BY_PERMISSIONS();
            folder += "/ro";
            QVERIFY(QDir().mkdir(folder));
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            program.replace("@ro", folder);
        }
        for (const QString &item : layout) {
            if (item.endsWith('/'))
                QVERIFY(QDir(folder).mkpath(item));
            else
                writeBytes(folder + '/' + item, "\n[System]\n");
        }
        const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/dxcamviewer";
        const auto expand = [&](QString path) { return path.replace('@', folder).replace('~', user); };
        iniData ini;
        QTest::ignoreMessage(QtDebugMsg, qPrintable("##### \"" + expand(iniPath) + '"'));
        ini.resolvePaths(expand(program));
        QCOMPARE(ini.iniPath(), expand(iniPath));
        QCOMPARE(ini.logPath(), expand(logPath));
        if (iniPath.startsWith('~'))
            QVERIFY(QFileInfo(user).isDir());
    }

    // Without a per-user folder an installed program keeps nothing at all rather than writing
    // beside itself.
    void installedWithoutUserFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("usr/bin") && QDir(dir.path()).mkpath("usr/share/dxcamviewer"));
        writeBytes(dir.filePath("not-a-folder"), "x");
        QStandardPaths::setTestModeEnabled(false);
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.filePath("not-a-folder").toLocal8Bit());
        iniData ini;
        QTest::ignoreMessage(QtDebugMsg, "##### \"\"");
        ini.resolvePaths(dir.filePath("usr/bin/viewer"));
        qputenv("XDG_CONFIG_HOME", saved);
        QStandardPaths::setTestModeEnabled(true);
        QCOMPARE(ini.iniPath(), QString());
        QCOMPARE(ini.logPath(), QString());
        ini.registerEntry(iniData::target(), iniData::typeText, "System", "ownIP", "127.0.0.1");
        QVERIFY(!ini.writeFile());
        QCOMPARE(QDir(dir.filePath("usr/bin")).entryList(QDir::Files), QStringList());
    }

    void useIniPath()
    {
        iniData ini;
        QTest::ignoreMessage(QtDebugMsg, "##### \"/srv/dx/site.ini\"");
        ini.useIniPath("/srv/dx/site.ini");
        QCOMPARE(ini.logPath(), QString("/srv/dx/site.log"));
    }

    void loadLines()
    {
        QTemporaryDir dir;
        iniData ini;
        ini.useIniPath(dir.filePath("v.ini"));
        QStringList lines;
        ini.loadLines(lines, 0);
        QVERIFY(ini.usedDefaults());
        QCOMPARE(lines, ini.buildDefaultLines(0));

        writeBytes(dir.filePath("v.ini"), "[System]\r\nownIP=\xe4\n" + QByteArray(2500, 'a') + "\nlast");
        lines.clear();
        ini.loadLines(lines, 0);
        QVERIFY(!ini.usedDefaults());
        const QStringList expected{"[System]\r\n", QString::fromUtf8("ownIP=ä\n"), QString(1000, 'a'),
                                   QString(1000, 'a'), QString(500, 'a') + '\n', "last"};
        QCOMPARE(lines, expected);

        // A line of exactly the piece size ends with its line end, not with an extra blank line;
        // a blank line after a line one shorter is a line of the file.
        writeBytes(dir.filePath("v.ini"), QByteArray(1000, 'b') + "\nnext\n" + QByteArray(1000, 'c') + "\r\n"
                                              + QByteArray(999, 'd') + "\n\nlast");
        lines.clear();
        ini.loadLines(lines, 0);
        const QStringList exact{QString(1000, 'b'), "next\n", QString(1000, 'c'), QString(999, 'd') + '\n', "\n", "last"};
        QCOMPARE(lines, exact);

        // A path that cannot be opened for reading counts as no file.
        ini.useIniPath(dir.path());
        lines.clear();
        ini.loadLines(lines, 2);
        QVERIFY(ini.usedDefaults());
        QVERIFY(lines.contains("FaVers=2"));
    }

    void defaultLines_data()
    {
        QTest::addColumn<int>("edition");
        QTest::addColumn<QString>("camName");
        QTest::newRow("standard") << 0 << "DX-CAM Default";
        QTest::newRow("TORVA") << 1 << "HRM-410 Default";
        QTest::newRow("QUARDELLO") << 2 << "DX-CAM Default";
    }

    void defaultLines()
    {
        QFETCH(int, edition);
        QFETCH(QString, camName);
        const QStringList expected = QStringList{
            "", "[Window]", "x=30", "y=30", "width=640", "height=480", "hx=100", "hy=100", "hwidth=640",
            "hheight=480", "Auto_Popup=1", "Toolbar=1", "Timeout=5", "Autohide=0", "Flanke=0", "OwnPopWin=0",
            "PopupAlle=0", "closeEn=0", "nPicCol=1", "nPicRow=1", "dispForm=0", "TextGroese=1", "scaleMode=0",
            "einzelBild=0", "stopInHide=1", "BildRahmeEin=1", "", "[System]", "RemoteCtrl=0",
            QString::fromUtf8("ButtonText=Tür öffnen,Beleuchtung ein"), "ImageFolder=", "Autosave=0",
            "SoundEn=0", "Soundfile=", "AlarmBildSaveEn=0", "BildAllSaveEn=0", "language=-1",
            "ownIP=192.168.0.177", "SavePrintBtnEn=0", "FaVers=" + QString::number(edition), "HideStartEn=1",
            "trayEn=1", "", "[" + camName + "_192.168.0.180]", "camName=" + camName, "camTip=0",
            "IP=192.168.0.180", "URL=", "CAM_User=admin", "CAM_Password=4711", "Picture_User=admin",
            "Picture_Password=4711", "UDP_Status_CAM=5000", "UDP_Contrl_CAM=4005", "Relais_timeCAM=2",
            "Relais_timeCAMI=20", "CAM_popup=0", "CAM_tuer=0", "CAM_light=0", "CAMautoSaveEn=0",
            "n_Bild_Freq=15", "selFreqTip=0", "CAMsaveBeweg=0", "stopTimeBeweg=0", "dirCamBild=",
            "sipName=SIP  Default", "SIP_IP=192.168.1.200", "SIP_User=admin", "SIP_Password=4711",
            "UDP_Status_SIP=8112", "UDP_Contrl_SIP=8113", "Relais_timeSIP=3", "Relais_timeSIPI=20",
            "SIP_popup=7", "SIP_tuer=0", "SIP_light=0", "SIP_Callee=100,200", "allRufNr=1", ""};
        iniData ini;
        QCOMPARE(ini.buildDefaultLines(edition), expected);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("entries");
        QTest::newRow("blanks around equals") << "[Window]\nx = 30\nTimeout=5 " << "Window|Timeout|5 ";
        QTest::newRow("unknown key") << "[Window]\nfoo=1\nTimeout=3" << "Window|Timeout|3";
        QTest::newRow("key before header") << "Timeout=4\n[Window]\nTimeout=3" << "Window|Timeout|3";
        QTest::newRow("comments and blanks") << "[Window]\n; note\n\nTimeout=3" << "Window|Timeout|3";
        QTest::newRow("equals first") << "[Window]\n=5\nTimeout=3" << "Window|Timeout|3";
        QTest::newRow("equals in value") << "[System]\nButtonText=a=b" << "System|ButtonText|a=b";
        QTest::newRow("key twice") << "[Window]\nTimeout=5\nTimeout=9" << "Window|Timeout|5\nWindow|Timeout|9";
        QTest::newRow("section twice") << "[A_1]\ncamName=a\n[A_1]\ncamName=b" << "A_1|camName|a";
        QTest::newRow("foreign key") << "[System]\nnPicCol=3" << "System|nPicCol|3";
        QTest::newRow("case-sensitive key") << "[Window]\ntimeout=3" << "";
        QTest::newRow("DOS line ends") << "[Window]\r\nTimeout=7\r\n" << "Window|Timeout|7";
        QTest::newRow("brackets in a module name") << "[Tor [Ost]_1.2.3.4]\ncamName=Tor [Ost]\n[B_2]\nIP=b"
                                                   << "Tor [Ost]_1.2.3.4|camName|Tor [Ost]\nB_2|IP|b";
        QTest::newRow("exact header before a bare name") << "Window\nx=1\n[Window]\nx=2" << "Window|x|2";
        QTest::newRow("file order") << "[B_2]\nIP=b\n[Window]\nx=1\n[A_1]\nIP=a"
                                    << "B_2|IP|b\nWindow|x|1\nA_1|IP|a";
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, entries);
        iniData ini;
        ini.parseLines(linesOf(text));
        QCOMPARE(dump(ini), entries);
    }

    void conversion_data()
    {
        QTest::addColumn<QString>("line");      // [Window] line; the key decides the type
        QTest::addColumn<QVariant>("value");    // variable after applyValues
        QTest::addColumn<QString>("entryText"); // entry text after applyValues
        QTest::newRow("bool 1") << "Auto_Popup=1" << QVariant(true) << "1";
        QTest::newRow("bool yes") << "Auto_Popup=yes" << QVariant(false) << "0";
        QTest::newRow("bool blank 1") << "Auto_Popup= 1" << QVariant(false) << "0";
        QTest::newRow("int") << "Timeout=42" << QVariant(42) << "42";
        QTest::newRow("int negative") << "Timeout=-1" << QVariant(-1) << "-1";
        QTest::newRow("int letters keeps") << "Timeout=12abc" << QVariant(77) << "12abc";
        QTest::newRow("int empty keeps") << "Timeout=" << QVariant(77) << "";
        QTest::newRow("real whole") << "x=30" << QVariant(30.0) << "30";
        QTest::newRow("real fraction") << "x=12.5" << QVariant(12.5) << "12.5";
        QTest::newRow("real invalid keeps") << "x=abc" << QVariant(77.0) << "abc";
        QTest::newRow("text as is") << "ButtonText= a, b " << QVariant(" a, b ") << " a, b ";
        QTest::newRow("history days a number") << "HistoryDays=30" << QVariant(30) << "30";
        QTest::newRow("history size a number") << "HistoryMB=12x" << QVariant(77) << "12x";
    }

    void conversion()
    {
        QFETCH(QString, line);
        QFETCH(QVariant, value);
        QFETCH(QString, entryText);
        iniData ini;
        ini.parseLines({"[Window]", line});
        const QString key = line.section('=', 0, 0);
        bool flag = true;
        int number = 77;
        double real = 77;
        QString text = "old";
        switch (ini.typeOfKey(key)) {
        case iniData::typeBool: ini.bindKey(&flag, "Window", key); break;
        case iniData::typeInt: ini.bindKey(&number, "Window", key); break;
        case iniData::typeReal: ini.bindKey(&real, "Window", key); break;
        default: ini.bindKey(&text, "Window", key); break;
        }
        ini.applyValues();
        const QVariant actual = value.typeId() == QMetaType::Bool ? QVariant(flag)
                              : value.typeId() == QMetaType::Int  ? QVariant(number)
                              : value.typeId() == QMetaType::Double ? QVariant(real)
                                                                    : QVariant(text);
        QCOMPARE(actual, value);
        QCOMPARE(ini.valueOf("Window", key), entryText);
    }

    void sections()
    {
        iniData ini;
        ini.parseLines(linesOf("[Window]\nx=1\n[System]\nFaVers=0\n[A_1]\nIP=1\n[B_2]\nIP=2\nURL=u"));
        ini.setUsedSections({"Window", "System"});
        QString name;
        QVERIFY(ini.nextModuleSection(name));
        QCOMPARE(name, QString("A_1"));
        ini.addUsedSection(name);
        QVERIFY(ini.nextModuleSection(name));
        QCOMPARE(name, QString("B_2"));
        ini.addUsedSection(name);
        QVERIFY(!ini.nextModuleSection(name));

        QVERIFY(ini.renameSection("B_2", "C_3"));
        QVERIFY(!ini.renameSection("B_2", "D_4"));
        QCOMPARE(ini.valueOf("C_3", "URL"), QString("u"));
        ini.removeSection("A_1");
        QCOMPARE(ini.valueOf("A_1", "IP"), QString());
        QCOMPARE(ini.entries().size(), 4);
    }

    void writeFile_data()
    {
        QTest::addColumn<QStringList>("entries");   // section|key|value
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("layout") << QStringList{"Window|x|30.0", "System|FaVers|0", "Window|Toolbar|1"}
                                << QByteArray("\n[Window]\nx=30.0\nToolbar=1\n\n[System]\nFaVers=0\n");
        QTest::newRow("over readable file") << QStringList{"Window|x|1"} << QByteArray("\n[Window]\nx=1\n");
        QTest::newRow("empty section stops") << QStringList{"Window|x|1", "|x|2", "System|FaVers|0"}
                                             << QByteArray("\n[Window]\nx=1\n");
        QTest::newRow("Latin-1") << QStringList{QString::fromUtf8("System|ownIP|ä€")}
                                 << QByteArray("\n[System]\nownIP=\xe4?\n");
        // Read back in pieces of 1000 bytes, the rest would pass for a key of its own.
        QTest::newRow("value beyond a read piece") << QStringList{"System|ownIP|" + QString(994, 'a') + "Timeout=9"}
                                                   << "\n[System]\nownIP=" + QByteArray(994, 'a') + "\n";
        QTest::newRow("line break injection") << QStringList{"System|ownIP|a\n[Evil]\nx=1\r", "Sys\ntem|FaVers|0"}
                                              << QByteArray("\n[System]\nownIP=a[Evil]x=1\n\n[System]\nFaVers=0\n");
    }

    void writeFile()
    {
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        iniData ini;
        ini.useIniPath(dir.filePath("v.ini"));
        if (QByteArray(QTest::currentDataTag()).startsWith("over")) {
            writeBytes(ini.iniPath(), "old");
            QFile::setPermissions(ini.iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
        }
        for (const QString &row : entries) {
            const QStringList parts = row.split('|');
            ini.registerEntry(iniData::target(), iniData::typeText, parts[0], parts[1], parts[2]);
        }
        QVERIFY(ini.writeFile());
        QCOMPARE(readBytes(ini.iniPath()), file);
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(ini.iniPath()) & others, QFileDevice::Permissions());
        QVERIFY(QFile::permissions(ini.iniPath()) & QFileDevice::ReadOwner);
    }

    void writeKeepsOldFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("empty entry list") << "empty";
        QTest::newRow("write fails midway") << "file size limit";
        QTest::newRow("target is a folder") << "folder";
    }

    void writeKeepsOldFile()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        iniData ini;
        ini.useIniPath(dir.filePath("v.ini"));
        writeBytes(ini.iniPath(), "old");
        if (how != "empty")
            ini.registerEntry(iniData::target(), iniData::typeText, "System", "ownIP", QString(4000, 'x'));
        if (how == "folder") {
            ini.useIniPath(dir.filePath("sub"));
            QVERIFY(QDir(dir.path()).mkdir("sub"));
            QVERIFY(!ini.writeFile());
            QVERIFY(QFileInfo(dir.filePath("sub")).isDir());
            return;
        }
        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (how == "file size limit") {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = 1000;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        const bool written = ini.writeFile();
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(!written);
        QCOMPARE(readBytes(dir.filePath("v.ini")), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"v.ini"});
    }

    void permissions_data()
    {
        QTest::addColumn<QFileDevice::Permissions>("folder");
        QTest::addColumn<QFileDevice::Permissions>("file");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("saved");
        const QFileDevice::Permissions rw = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const QFileDevice::Permissions rx = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
        QTest::newRow("folder read-only: the file is written in place")
            << rx << (rw | QFileDevice::ReadOther) << true << true;
        QTest::newRow("file unreadable: defaults, never written over") << (rx | QFileDevice::WriteOwner)
                                                                       << QFileDevice::Permissions(QFileDevice::WriteOwner)
                                                                       << false << false;
    }

    void permissions()
    {
        QFETCH(QFileDevice::Permissions, folder);
        QFETCH(QFileDevice::Permissions, file);
        QFETCH(bool, readable);
        QFETCH(bool, saved);
        RUN_BOUND_BY_PERMISSIONS();
        QTemporaryDir dir;
        const QString path = dir.filePath("v.ini");
        writeBytes(path, "\n[Window]\nTimeout=7\n");
        QFile::setPermissions(path, file);
        QFile::setPermissions(dir.path(), folder);
        iniData ini;
        ini.useIniPath(path);
        QStringList lines;
        traceCapture trace;
        ini.loadLines(lines, 0);
        ini.loadLines(lines, 0);
        QCOMPARE(ini.usedDefaults(), !readable);
        QCOMPARE(ini.fileUnreadable(), !readable);
        // Said once, however often the file is tried.
        QCOMPARE(trace.taken().filter("kann nicht gelesen werden").size(), readable ? 0 : 1);
        ini.registerEntry(iniData::target(), iniData::typeText, "Window", "Timeout", "9");
        QCOMPARE(ini.writeFile(), saved);

        QFile::setPermissions(dir.path(), folder | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"v.ini"});
        if (saved) {
            // Still for the owner only: the file holds the module passwords.
            QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            QCOMPARE(readBytes(path), QByteArray("\n[Window]\nTimeout=9\n"));
        } else {
            QFile::setPermissions(path, file | QFileDevice::ReadOwner);
            QCOMPARE(readBytes(path), QByteArray("\n[Window]\nTimeout=7\n"));
        }
    }

    void scramble_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("scrambled");   // empty: only the round trip is checked
        QTest::newRow("octet 0") << "AA" << "10.0.0.0" << "9H";
        QTest::newRow("octet cancels key") << "A" << "10.0.0.8" << "A";
        QTest::newRow("default address") << "4711" << "192.168.0.180" << "";
        QString printable;
        for (int c = 32; c <= 125; ++c)
            printable += QChar(c);
        QTest::newRow("printable range") << printable << "127.0.0.2" << "";
        QTest::newRow("umlauts, tilde and control characters") << QString::fromLatin1("T\xfcr~\x7f\xdf\t1")
                                                                << "192.168.0.180" << "";
        QTest::newRow("octet not a number") << "geheim" << "1.2.3.x" << "";
        QTest::newRow("host name") << "geheim" << "cam.example" << "geheim";
        QTest::newRow("three parts") << "geheim" << "10.0.1" << "geheim";
        QTest::newRow("five parts") << "geheim" << "10.0.0.1.5" << "geheim";
    }

    void scramble()
    {
        QFETCH(QString, text);
        QFETCH(QString, address);
        QFETCH(QString, scrambled);
        const QString stored = iniData::scrambleText(text, address, false);
        if (!scrambled.isEmpty())
            QCOMPARE(stored, scrambled);
        QCOMPARE(iniData::scrambleText(stored, address, true), text);
    }

    void logFile()
    {
        QTemporaryDir dir;
        iniData ini;
        ini.useIniPath(dir.filePath("v.ini"));
        ini.writeLog("dropped\n");
        QVERIFY(!QFile::exists(ini.logPath()));
        writeBytes(ini.logPath(), "previous run\n");
        QVERIFY(ini.openLog());
        QCOMPARE(readBytes(ini.logPath()), QByteArray());
        ini.writeLog(QString::fromLatin1("a\xe4"));
        ini.writeLog(QString::fromUtf8("b\n"));
        QCOMPARE(readBytes(ini.logPath()), QByteArray("a\xe4" "b\n"));

        ini.useIniPath(dir.filePath("missing/v.ini"));
        QVERIFY(!ini.openLog());
        QVERIFY(!ini.logIsOpen());
        ini.writeLog("dropped\n");
    }

    void warningsWaitForTheLog()
    {
        QTemporaryDir dir;
        iniData ini;
        ini.useIniPath(dir.filePath("v.ini"));
        traceCapture trace;
        ini.warn("first");
        QVERIFY(trace.contains("##### first"));
        QVERIFY(ini.openLog());
        ini.warn("second");
        QCOMPARE(readBytes(ini.logPath()), QByteArray("first\nsecond\n"));
    }
};

QTEST_GUILESS_MAIN(tst_iniData)
#include "tst_inidata.moc"
