#include "edition.h"
#include "inidata.h"
#include "settingsmodel.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace {

// What the main window holds after start-up: the global settings and one record pair per module.
struct loadedSettings {
    shellSettings shell;
    std::vector<cameraModule> cams;
    std::vector<sipModule> sips;
    QStringList sections;

    loadedSettings()
    {
        cams.reserve(20);  // entries point into the records: they must not move
        sips.reserve(20);
    }

    QList<settingsModel::moduleRef> modules()
    {
        QList<settingsModel::moduleRef> list;
        for (size_t i = 0; i < cams.size(); ++i)
            list.append({&cams[i], &sips[i]});
        return list;
    }
};

// The start-up sequence of the main window on the INI at `path`, as far as it concerns the store.
void loadFile(iniData &ini, loadedSettings &s, const QString &path)
{
    ini.useIniPath(path);
    QStringList lines;
    ini.loadLines(lines, 0);
    ini.parseLines(lines);
    settingsModel::bindGlobals(ini, s.shell);
    ini.applyValues();
    ini.setUsedSections({settingsModel::windowSection, settingsModel::systemSection});
    settingsModel::loadModules(ini, 20, [&](const QString &section) {
        if (!settingsModel::missingModuleKey(ini, section).isEmpty())
            return false;
        s.cams.emplace_back();
        s.sips.emplace_back();
        settingsModel::bindModule(ini, section, s.cams.back(), s.sips.back());
        ini.addUsedSection(section);
        s.sections << section;
        return true;
    });
    ini.applyValues();
    for (size_t i = 0; i < s.cams.size(); ++i)
        settingsModel::finishModuleLoad(s.cams[i], s.sips[i], ini.usedDefaults());
}

// A file as a user or an older version left it, in the file's Latin-1.
bool writeIni(const QString &path, const QString &text)
{
    QFile out(path);
    const QByteArray bytes = text.toLatin1();
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

QByteArray saveAndRead(iniData &ini, loadedSettings &s)
{
    settingsModel::rebuild(ini, s.shell, s.modules());
    if (!ini.writeFile())
        return QByteArray("<not written>");
    QFile file(ini.iniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char *const freshFile =
    "\n[Window]\nx=30.0\ny=30.0\nwidth=640.0\nheight=480.0\nhx=100.0\nhy=100.0\nhwidth=640.0\nhheight=480.0\n"
    "Auto_Popup=1\nToolbar=1\nTimeout=5\nAutohide=0\nFlanke=0\nOwnPopWin=0\nmin_Alle=0\npop_Alle=0\ncloseEn=0\n"
    "nPicCol=1\nnPicRow=1\ndispForm=0\nTextGroese=1\neinzelBild=0\nstopInHide=1\nscaleMode=0\nBildRahmeEin=1\n"
    "\n[System]\nRemoteCtrl=0\nButtonText=T\xfcr \xf6" "ffnen,Beleuchtung ein\nImageFolder=\nAutosave=0\n"
    "AlarmBildSaveEn=0\nBildAllSaveEn=0\nSoundEn=0\nSoundfile=\nlanguage=-1\nownIP=192.168.0.177\nFaVers=0\n"
    "SavePrintBtnEn=0\nHideStartEn=1\ntrayEn=1\nNotifyEn=1\nHistoryDays=90\nHistoryMB=500\n"
    "\n[DX-CAM Default_192.168.0.180]\ncamName=DX-CAM Default\nIP=192.168.0.180\nURL=\nCAM_User=admin\n"
    "CAM_Password=$678\nPicture_User=admin\nPicture_Password=4711\nUDP_Status_CAM=5000\nUDP_Contrl_CAM=4005\n"
    "Relais_timeCAM=2\nRelais_timeCAMI=20\ncamTip=0\nCAM_popup=0\nCAM_light=0\nCAM_tuer=0\nprior=0\n"
    "CAMautoSaveEn=0\nn_Bild_Freq=15\nselFreqTip=0\nCAMsaveBeweg=0\nstopTimeBeweg=0\ndirCamBild=\n"
    "sipName=SIP  Default\nSIP_IP=192.168.1.200\nSIP_User=admin\nSIP_Password=8JKL\nUDP_Status_SIP=8112\n"
    "UDP_Contrl_SIP=8113\nRelais_timeSIP=3\nRelais_timeSIPI=20\nSIP_popup=7\nSIP_light=0\nSIP_tuer=0\n"
    "SIP_Callee=100,200\nallRufNr=1\n";

const char *const moduleA = "[A_10.0.0.1]\ncamName=A\nIP=10.0.0.1\nsipName=S\nSIP_IP=10.0.0.2\n";

} // namespace

class tst_settingsModel : public QObject
{
    Q_OBJECT

private slots:
    void freshStartRoundTrip()
    {
        QTemporaryDir dir;
        iniData ini;
        loadedSettings first;
        loadFile(ini, first, dir.filePath("v.ini"));
        QVERIFY(ini.usedDefaults());
        QVERIFY(!QFile::exists(ini.iniPath()));
        QCOMPARE(first.sections, QStringList{"DX-CAM Default_192.168.0.180"});
        QCOMPARE(settingsModel::sectionName(first.cams[0]), first.sections[0]);
        QCOMPARE(first.cams[0].CAM_Password, QString("4711"));
        QCOMPARE(first.sips[0].SIP_Password, QString("4711"));
        QCOMPARE(first.sips[0].SIP_popup, 7);
        QCOMPARE(first.shell.SavePrintBtnEn, 0);
        QCOMPARE(saveAndRead(ini, first), QByteArray(freshFile));

        // The saved file reads back to the same settings and saves to the same bytes.
        iniData again;
        loadedSettings second;
        loadFile(again, second, ini.iniPath());
        QVERIFY(!again.usedDefaults());
        QCOMPARE(second.cams[0].CAM_Password, QString("4711"));
        QCOMPARE(second.sips[0].SIP_Password, QString("4711"));
        QCOMPARE(saveAndRead(again, second), QByteArray(freshFile));
    }

    void loadAndRebuild_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("saved");   // value text after load, full rebuild
        QTest::newRow("yes is false") << "[Window]\nAuto_Popup=yes" << "Window" << "Auto_Popup" << "0";
        QTest::newRow("first of two wins") << "[Window]\nTimeout=9\nTimeout=5" << "Window" << "Timeout" << "9";
        QTest::newRow("trailing blank kept") << "[System]\nownIP=10.1.1.1 " << "System" << "ownIP" << "10.1.1.1 ";
        QTest::newRow("missing key") << "[System]\nFaVers=0" << "System" << "SavePrintBtnEn" << "1";
        QTest::newRow("file before notifications: on") << "[System]\ntrayEn=0" << "System" << "NotifyEn" << "1";
        QTest::newRow("notifications off kept") << "[System]\nNotifyEn=0" << "System" << "NotifyEn" << "0";
        QTest::newRow("file before the history: 90 days") << "[System]\nNotifyEn=0" << "System" << "HistoryDays" << "90";
        QTest::newRow("file before the history: 500 MiB") << "[System]\nNotifyEn=0" << "System" << "HistoryMB" << "500";
        QTest::newRow("history days kept") << "[System]\nHistoryDays=7" << "System" << "HistoryDays" << "7";
        QTest::newRow("history size kept") << "[System]\nHistoryMB=20" << "System" << "HistoryMB" << "20";
        QTest::newRow("one decimal") << "[Window]\nwidth=12.26" << "Window" << "width" << "12.3";
        QTest::newRow("unbound key dropped") << "[Window]\nPopupAlle=1" << "Window" << "PopupAlle" << "";
        QTest::newRow("hand-edited port") << QString(moduleA) + "UDP_Status_CAM=5001" << "A_10.0.0.1"
                                          << "UDP_Status_CAM" << "5000";
        QTest::newRow("stored password kept") << "[A_192.168.0.180]\ncamName=A\nIP=192.168.0.180\nsipName=S\n"
                                                 "SIP_IP=10.0.0.2\nCAM_Password=$678"
                                              << "A_192.168.0.180" << "CAM_Password" << "$678";
        QTest::newRow("host name password plain") << "[A_cam.local]\ncamName=A\nIP=cam.local\nsipName=S\n"
                                                     "SIP_IP=host\nSIP_Password=geheim"
                                                  << "A_cam.local" << "SIP_Password" << "geheim";
        QTest::newRow("URL names section") << QString(moduleA) + "URL=http://cam/x" << "A_http://cam/x"
                                           << "URL" << "http://cam/x";
        QTest::newRow("trusted certificate kept") << QString(moduleA) + "CAM_Fingerprint=5D:D5:8F" << "A_10.0.0.1"
                                                  << "CAM_Fingerprint" << "5D:D5:8F";
        QTest::newRow("sub-stream kept") << QString(moduleA) + "URL_Sub=rtsp://10.0.0.1/sub" << "A_10.0.0.1"
                                         << "URL_Sub" << "rtsp://10.0.0.1/sub";
        QTest::newRow("recording from the sub-stream kept")
            << QString(moduleA) + "URL_Sub=10.0.0.3\nCAM_RecSub=1" << "A_10.0.0.1" << "CAM_RecSub" << "1";
        // Files without a small stream are written as before (freshStartRoundTrip: byte for byte).
        QTest::newRow("main stream recorded, no key") << QString(moduleA) + "CAM_RecSub=0" << "A_10.0.0.1"
                                                      << "CAM_RecSub" << "";
        // "010" would reach the host .8 while status datagrams are matched against ".010".
        QTest::newRow("leading zero dropped") << "[A_10.0.0.010]\ncamName=A\nIP=10.0.0.010\nsipName=S\nSIP_IP=h"
                                              << "A_10.0.0.10" << "IP" << "10.0.0.10";
        QTest::newRow("intercom leading zeros dropped") << QString(moduleA).replace("SIP_IP=10.0.0.2", "SIP_IP=010.00.0.002")
                                                        << "A_10.0.0.1" << "SIP_IP" << "10.0.0.2";
        // The section is named from the values whatever the file called it.
        QTest::newRow("name and address name section") << "[old name]\ncamName=B\nIP=10.0.0.9\nsipName=S\nSIP_IP=h"
                                                       << "B_10.0.0.9" << "IP" << "10.0.0.9";
    }

    void loadAndRebuild()
    {
        QFETCH(QString, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, saved);
        QTemporaryDir dir;
        QVERIFY(writeIni(dir.filePath("v.ini"), file));
        iniData ini;
        loadedSettings s;
        loadFile(ini, s, dir.filePath("v.ini"));
        settingsModel::rebuild(ini, s.shell, s.modules());
        QCOMPARE(ini.valueOf(section, key), saved);
    }

    // The file is read in pieces of 1000 bytes. A module whose header or values reach that length
    // must still be there, unchanged, after a save and the next start, and so must the module
    // after it.
    void longLinesSurviveSaving_data()
    {
        QTest::addColumn<QString>("camName");   // as the file holds them
        QTest::addColumn<QString>("address");   // IP, or URL when it starts with http
        QTest::addColumn<QString>("loadedName");
        QTest::addColumn<QString>("loadedAddress");
        const QString piece992(992, 'N');
        QTest::newRow("name filling a read piece") << piece992 << "10.0.0.1" << piece992 << "10.0.0.1";
        QTest::newRow("name beyond a read piece") << QString(1500, 'N') + "IP=10.9.9.9" << "10.0.0.1"
                                                  << piece992 << "10.0.0.1";
        QTest::newRow("host name filling a read piece") << "A" << QString(997, 'h') << "A" << QString(997, 'h');
        const QString url = "http://" + QString(989, 'u');
        QTest::newRow("URL filling a read piece") << "Cam" << url << "Cam" << url;
    }

    void longLinesSurviveSaving()
    {
        QFETCH(QString, camName);
        QFETCH(QString, address);
        QFETCH(QString, loadedName);
        QFETCH(QString, loadedAddress);
        const QString key = address.startsWith("http") ? "URL" : "IP";
        const QString file = QString("[M1]\ncamName=%1\n%3=%2\nsipName=S\nSIP_IP=10.0.1.1\n\n").arg(camName, address, key)
                + "[B_10.0.0.2]\ncamName=B\nIP=10.0.0.2\nsipName=T\nSIP_IP=10.0.1.2\n";
        QTemporaryDir dir;
        QVERIFY(writeIni(dir.filePath("v.ini"), file));
        iniData ini;
        loadedSettings first;
        loadFile(ini, first, dir.filePath("v.ini"));
        QCOMPARE(first.cams.size(), size_t(2));
        const QByteArray saved = saveAndRead(ini, first);

        iniData again;
        loadedSettings second;
        loadFile(again, second, ini.iniPath());
        QCOMPARE(second.cams.size(), size_t(2));
        QCOMPARE(second.cams[0].camName, loadedName);
        QCOMPARE(second.cams[0].addressText(), loadedAddress);
        QCOMPARE(second.cams[1].camName, QString("B"));
        QCOMPARE(saveAndRead(again, second), saved);
        for (const QByteArray &line : saved.split('\n'))
            QVERIFY2(line.size() <= 1000, line.left(40).constData());
    }

    void unloadedSectionsKept_data()
    {
        QTest::addColumn<QString>("modules");    // the module sections of the file
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<QString>("keptTail");   // what the saved file ends with
        QTest::addColumn<QStringList>("warnings");
        const QString a = "\n[A_10.0.0.1]\ncamName=A\nIP=10.0.0.1\nsipName=S\nSIP_IP=10.0.1.1\n";
        const QString b = "\n[B]\nIP=10.0.0.2\n; fitter's note\nfoo=1\nsipName=S\nSIP_IP=10.0.1.2\n";
        const QString c = "\n[C_10.0.0.3]\ncamName=C\nIP=10.0.0.3\nsipName=S\nSIP_IP=10.0.1.3\n";
        QTest::newRow("incomplete section and the ones after it")
            << a + b + "\n\n" + c << QStringList{"A_10.0.0.1"} << b + c
            << QStringList{"Abschnitt [B] nicht geladen: camName fehlt. Er bleibt unverändert in der Datei.",
                           "Abschnitt [C_10.0.0.3] nicht geladen: folgt auf den unvollständigen Abschnitt [B]. "
                           "Er bleibt unverändert in der Datei."};
        QTest::newRow("section of no known key") << a + "\n[Notes]\nrebuilt 2024\n" << QStringList{"A_10.0.0.1"}
                                                 << "\n[Notes]\nrebuilt 2024\n"
                                                 << QStringList{"Abschnitt [Notes] nicht geladen: kein bekannter "
                                                                "Schlüssel. Er bleibt unverändert in der Datei."};
        QTest::newRow("second block of a loaded section goes") << a + "\n[A_10.0.0.1]\ncamName=X\n"
                                                               << QStringList{"A_10.0.0.1"} << "" << QStringList{};
        QString twentyOne;
        QStringList twenty;
        for (int i = 1; i <= 21; ++i) {
            twentyOne += QString("\n[M%1_10.0.0.%1]\ncamName=M%1\nIP=10.0.0.%1\nsipName=S\nSIP_IP=10.0.1.1\n").arg(i);
            if (i <= 20)
                twenty << QString("M%1_10.0.0.%1").arg(i);
        }
        QTest::newRow("21st module") << twentyOne << twenty
                                     << "\n[M21_10.0.0.21]\ncamName=M21\nIP=10.0.0.21\nsipName=S\nSIP_IP=10.0.1.1\n"
                                     << QStringList{"Abschnitt [M21_10.0.0.21] nicht geladen: mehr als 20 Module. "
                                                    "Er bleibt unverändert in der Datei."};
    }

    // A section that is not loaded is never deleted: every save writes it back as it was read.
    void unloadedSectionsKept()
    {
        QFETCH(QString, modules);
        QFETCH(QStringList, loaded);
        QFETCH(QString, keptTail);
        QFETCH(QStringList, warnings);
        QTemporaryDir dir;
        QVERIFY(writeIni(dir.filePath("v.ini"), "\n[Window]\nTimeout=5\n\n[System]\nFaVers=0\n" + modules));

        iniData ini;
        loadedSettings s;
        loadFile(ini, s, dir.filePath("v.ini"));
        QCOMPARE(s.sections, loaded);
        QByteArray saved = saveAndRead(ini, s);
        QVERIFY2(saved.endsWith(keptTail.toLatin1()), saved.constData());
        QCOMPARE(saved.count("[A_10.0.0.1]"), qsizetype(modules.contains("[A_") ? 1 : 0));

        // The log, opened later, has each warning once; a second start and save change nothing.
        QVERIFY(ini.openLog());
        QFile log(ini.logPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString logged = QString::fromLatin1(log.readAll());
        QCOMPARE(logged, warnings.isEmpty() ? QString() : warnings.join('\n') + '\n');
        iniData again;
        loadedSettings second;
        loadFile(again, second, ini.iniPath());
        QCOMPARE(second.sections, loaded);
        QCOMPARE(saveAndRead(again, second), saved);
    }

    void geometrySanity_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("value");
        QTest::newRow("width kept") << "width=1600.0" << 1600.0;
        QTest::newRow("left screen kept") << "x=-1280.0" << -1280.0;
        QTest::newRow("width not a number") << "width=nan" << 400.0;
        QTest::newRow("height infinite") << "height=inf" << 300.0;
        QTest::newRow("width zero") << "width=0.0" << 400.0;
        QTest::newRow("height huge") << "height=100000.0" << 300.0;
        QTest::newRow("x far off") << "x=1e12" << 100.0;
        QTest::newRow("popup width negative") << "hwidth=-5" << 400.0;
        QTest::newRow("popup y infinite") << "hy=-inf" << 100.0;
        QTest::newRow("popup height kept") << "hheight=480.0" << 480.0;
    }

    void geometrySanity()
    {
        QFETCH(QString, line);
        QFETCH(double, value);
        iniData ini;
        ini.parseLines({"[Window]", line});
        shellSettings shell;
        settingsModel::bindGlobals(ini, shell);
        ini.applyValues();
        settingsModel::sanitizeGeometry(shell);
        const QString key = line.section('=', 0, 0);
        const QHash<QString, double> fields{{"x", shell.x}, {"y", shell.y}, {"width", shell.width},
                                            {"height", shell.height}, {"hx", shell.hx}, {"hy", shell.hy},
                                            {"hwidth", shell.hwidth}, {"hheight", shell.hheight}};
        QCOMPARE(fields.value(key), value);
    }

    void handEditedPortUsedUntilSave()
    {
        iniData ini;
        ini.parseLines(QString(moduleA).append("UDP_Status_CAM=5001\nCAM_Password=$678").split('\n'));
        cameraModule cam;
        sipModule sip;
        settingsModel::bindModule(ini, "A_10.0.0.1", cam, sip);
        ini.applyValues();
        QCOMPARE(cam.UDP_Status_CAM, 5001);
        QCOMPARE(cam.storedCamPassword, QString("$678"));
    }

    void ports_data()
    {
        QTest::addColumn<int>("FaVers");
        QTest::addColumn<QString>("saved");
        QTest::newRow("standard") << 0 << "5000|4005|8112|8113";
        QTest::newRow("TORVA") << 1 << "5000|4005|8112|8113";
        QTest::newRow("QUARDELLO edits camera ports") << 2 << "5001|4006|8112|8113";
        QTest::newRow("unknown edition") << 7 << "5000|4005|8112|8113";
    }

    void ports()
    {
        QFETCH(int, FaVers);
        QFETCH(QString, saved);
        cameraModule cam;
        sipModule sip;
        cam.UDP_Status_CAM = 5001;
        cam.UDP_Contrl_CAM = 4006;
        sip.UDP_Status_SIP = 8114;
        sip.UDP_Contrl_SIP = 8115;
        iniData ini;
        settingsModel::registerModule(ini, "M", cam, sip, FaVers);
        QStringList texts;
        for (const char *key : {"UDP_Status_CAM", "UDP_Contrl_CAM", "UDP_Status_SIP", "UDP_Contrl_SIP"})
            texts << ini.valueOf("M", key);
        QCOMPARE(texts.join('|'), saved);
    }

    void editions_data()
    {
        QTest::addColumn<int>("FaVers");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("types");
        QTest::newRow("standard") << 0 << "Marviton.PNG" << "Marviton.DX-CAM-Viewer V2.2.6"
                                  << QStringList{"Marviton.DX-CAM", "AXIS M1113"};
        QTest::newRow("TORVA") << 1 << "TORVA_Multiviewer_Icon_v2_SMALL.PNG" << "TORVA HRS-410 MultiViewer V2.2.6"
                               << QStringList{"TORVA HRM-410", "AXIS IP Kamera"};
        QTest::newRow("QUARDELLO") << 2 << "Quardello16.png" << "QUARDELLO DX-CAM Viewer V2.2.6"
                                   << QStringList{"DX-CAM", "AXIS M1113"};
        QTest::newRow("7 is standard") << 7 << "Marviton.PNG" << "Marviton.DX-CAM-Viewer V2.2.6"
                                       << QStringList{"Marviton.DX-CAM", "AXIS M1113"};
    }

    void editions()
    {
        QFETCH(int, FaVers);
        QFETCH(QString, icon);
        QFETCH(QString, title);
        QFETCH(QStringList, types);
        const edition e = edition::forVersion(FaVers);
        QCOMPARE(e.iconPath, ":/iconMarvitons/images/" + icon);
        QCOMPARE(e.translatedTitle(), title);
        QCOMPARE(e.translatedCameraTypes(), types);
        QVERIFY(!QImage(e.iconPath).isNull());
        QCOMPARE(QImage(":/iconMarvitons/images/notconnected.jpg").size(), QSize(640, 480));
    }
};

QTEST_GUILESS_MAIN(tst_settingsModel)
#include "tst_settingsmodel.moc"
