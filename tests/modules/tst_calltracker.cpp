#include "calltracker.h"
#include "camdata.h"
#include "shellsettings.h"
#include "statusreceiver.h"

#include <QMap>
#include <QSet>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {

quint16 freePort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.localPort();
}

QString kindName(historyEvent::kind what)
{
    switch (what) {
    case historyEvent::kind::beingCalled:
        return QStringLiteral("called");
    case historyEvent::kind::calling:
        return QStringLiteral("calling");
    case historyEvent::kind::conversation:
        return QStringLiteral("talking");
    case historyEvent::kind::input1:
        return QStringLiteral("input1");
    case historyEvent::kind::input2:
        return QStringLiteral("input2");
    }
    return QString();
}

}  // namespace

// Status datagrams from loopback stations through the status receivers, and what the user does,
// into the events of the call history, on a clock of the test's own (Timeout 5 s).
class tst_callTracker : public QObject {
    Q_OBJECT

private slots:
    void events_data();
    void events();
};

void tst_callTracker::events_data()
{
    // Steps "<ms> <what> [datagram]": door1/door2 send from their door stations (with CR LF),
    // io1 from camera 1's module; door-open1/2, light1, hangup1, panel1, user are what the user
    // did; show1 shows camera 1; tick is a tick.
    QTest::addColumn<QStringList>("steps");
    // "<kind> <camera> [#callee] <start s>-<end s>[? without end report] [what happened] [| why no picture]"
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("call, end") << QStringList{"0 door1 3#07@100", "20000 door1 3#0A@"}
                               << QStringList{"calling Cam 1 #100 0-20 missed"};
    QTest::newRow("call, door opened, end")
        << QStringList{"0 door1 3#07@100", "3000 door-open1", "8000 door1 3#0A@"}
        << QStringList{"calling Cam 1 #100 0-8 door1"};
    QTest::newRow("call without end report")
        << QStringList{"0 door1 3#07@100", "2000 panel1", "124000 tick", "200000 tick"}
        << QStringList{"calling Cam 1 #100 0-7? panel | Kamera nicht verbunden"};
    QTest::newRow("call without end report, ended by the next start")
        << QStringList{"0 door1 3#07@100", "30000 door1 3#07@200"}
        << QStringList{"calling Cam 1 #100 0-5? missed", "calling Cam 1 #200 30-…"};
    QTest::newRow("two stations calling at once")
        << QStringList{"0 door1 3#07@100", "1000 door2 3#07@100", "4000 door-open2", "6000 door1 3#0A@",
                       "9000 door2 3#0A@"}
        << QStringList{"calling Cam 1 #100 0-6 missed", "calling Cam 2 #100 1-9 door1"};
    QTest::newRow("IO input on, repeated, off")
        << QStringList{"0 io1 17#A1@1000xy", "3000 io1 17#A1@1000xy", "10000 io1 17#A1@1010xy"}
        << QStringList{"input1 Cam 1 0-10 missed"};
    QTest::newRow("IO input that is not watched") << QStringList{"0 io1 17#A1@1010xy", "4000 io1 17#A1@1000xy"}
                                                  << QStringList{"input1 Cam 1 4-…"};
    QTest::newRow("call to a camera without pictures")
        << QStringList{"0 door1 3#07@100", "2000 door1 3#0A@", "59000 tick", "61000 tick"}
        << QStringList{"calling Cam 1 #100 0-2 missed | Kamera nicht verbunden"};
    QTest::newRow("the same call seen twice")
        << QStringList{"0 door1 3#07@100", "0 door1 3#07@100", "5000 door1 3#0A@"}
        << QStringList{"calling Cam 1 #100 0-5 missed"};
    QTest::newRow("answered elsewhere: a conversation")
        << QStringList{"0 door1 3#07@100", "4000 door1 3#05@100", "30000 door1 3#0A@"}
        << QStringList{"calling Cam 1 #100 0-30 talked"};
    QTest::newRow("a call for another desk's number") << QStringList{"0 door1 3#07@300", "5000 door1 3#0A@"}
                                                      << QStringList{};
    QTest::newRow("the user brought the window up")
        << QStringList{"0 door1 3#07@100", "1000 user", "5000 door1 3#0A@"}
        << QStringList{"calling Cam 1 #100 0-5 user"};
    QTest::newRow("shown by the popup alone is still missed")
        << QStringList{"0 door1 3#07@100", "1000 show1", "5000 door1 3#0A@"}
        << QStringList{"calling Cam 1 #100 0-5 shown missed"};
    QTest::newRow("station called, light and hang-up")
        << QStringList{"0 door1 3#01@100", "1000 light1", "2000 hangup1", "3000 door1 3#0A@"}
        << QStringList{"called Cam 1 #100 0-3 light hangup"};
    QTest::newRow("the door opened after the end counts no more")
        << QStringList{"0 door1 3#07@100", "2000 door1 3#0A@", "3000 door-open1"}
        << QStringList{"calling Cam 1 #100 0-2 missed"};
}

void tst_callTracker::events()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, rows);

    shellSettings settings;
    settings.Timeout = 5;
    bool trace = false;
    int stall = 5000;
    int pixels = 15;
    QList<camData *> cameras;
    std::vector<std::unique_ptr<camData>> owned;
    for (int i = 1; i <= 2; ++i) {
        owned.push_back(std::make_unique<camData>(QPixmap(), nullptr));
        camData *cam = owned.back().get();
        cam->wireSettings(&settings, &trace, &stall, &pixels);
        cam->setDefaults();
        cam->camModule.camName = QStringLiteral("Cam %1").arg(i);
        cam->camModule.IP = QStringLiteral("127.0.0.%1").arg(1 + i);
        cam->camModule.URL.clear();
        cam->camModule.CAM_popup = 3;
        cam->sipModuleRec.sipName = QStringLiteral("Door %1").arg(i);
        cam->sipModuleRec.SIP_IP = QStringLiteral("127.0.1.%1").arg(1 + i);
        cam->sipModuleRec.SIP_popup = 7;
        cam->sipModuleRec.SIP_Callee = QStringLiteral("100,200");
        cam->sipModuleRec.allRufNr = false;
        cameras << cam;
    }

    const qint64 base = 1700000000000;
    qint64 now = base;
    callTracker tracker(settings);
    tracker.setClock([&now] { return now; });
    QMap<qint64, historyEvent> last;
    int missed = 0;
    tracker.setSinks([&](const historyEvent &e) { last.insert(e.id, e); }, {}, [&](const historyEvent &) { ++missed; });

    statusReceiver camStatus(statusReceiver::moduleKind::cameraIo, &cameras);
    statusReceiver sipStatus(statusReceiver::moduleKind::intercom, &cameras);
    const quint16 camPort = freePort();
    const quint16 sipPort = freePort();
    QVERIFY(camStatus.bind(camPort));
    QVERIFY(sipStatus.bind(sipPort));
    int parsed = 0;
    const auto observe = [&](camData *camera, bool intercom, const QString &summary) {
        ++parsed;
        tracker.statusParsed(camera, intercom, summary);
    };
    camStatus.setObserver(observe);
    sipStatus.setObserver(observe);

    QSet<const camData *> shown;
    for (const QString &step : steps) {
        const QStringList word = step.split(QLatin1Char(' '));
        now = base + word[0].toLongLong();
        const QString what = word[1];
        const bool door = what.startsWith(QLatin1String("door")) && !what.startsWith(QLatin1String("door-open"));
        if (door || what.startsWith(QLatin1String("io"))) {
            const int station = what.back().digitValue();
            QUdpSocket sender;
            QVERIFY(sender.bind(QHostAddress(door ? cameras[station - 1]->sipModuleRec.SIP_IP
                                                  : cameras[station - 1]->camModule.IP)));
            const int before = parsed;
            sender.writeDatagram(word[2].toLatin1() + (door ? "\r\n" : ""), QHostAddress(QStringLiteral("127.0.0.1")),
                                 door ? sipPort : camPort);
            QTRY_COMPARE(parsed, before + 1);
        } else if (what.startsWith(QLatin1String("door-open"))) {
            tracker.doorOpened(cameras[what.back().digitValue() - 1], 1);
        } else if (what == QLatin1String("light1")) {
            tracker.lightSwitched(cameras[0], 2);
        } else if (what == QLatin1String("hangup1")) {
            tracker.hungUp(cameras[0]);
        } else if (what == QLatin1String("panel1")) {
            tracker.panelUsed(cameras[0]);
        } else if (what == QLatin1String("user")) {
            tracker.windowShownByUser();
        } else if (what == QLatin1String("show1")) {
            shown.insert(cameras[0]);
            tracker.tick([&shown](const camData *camera) { return shown.contains(camera); });
        } else if (what == QLatin1String("tick")) {
            tracker.tick([&shown](const camData *camera) { return shown.contains(camera); });
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }

    const auto seconds = [base](qint64 ms) { return QString::number((ms - base) / 1000); };
    QStringList described;
    for (const historyEvent &e : std::as_const(last)) {
        QString text = kindName(e.what) + QLatin1Char(' ') + e.camName;
        if (!e.callee.isEmpty())
            text += QStringLiteral(" #") + e.callee;
        text += QLatin1Char(' ') + seconds(e.startMs) + QLatin1Char('-')
                + (e.ended() ? seconds(e.endMs) + (e.endReported ? QString() : QStringLiteral("?")) : QStringLiteral("…"));
        const std::pair<bool, const char *> flags[] = {{e.shown, "shown"}, {e.userShown, "user"}, {e.talked, "talked"},
                                                       {e.doorMs != 0, "door"}, {e.light, "light"}, {e.panel, "panel"},
                                                       {e.hungUp, "hangup"}, {e.missed(), "missed"}};
        for (const auto &[set, name] : flags) {
            if (set)
                text += QLatin1Char(' ') + QLatin1String(name) + (qstrcmp(name, "door") == 0 ? QString::number(e.doorOutput) : QString());
        }
        if (!e.noPicture.isEmpty())
            text += QStringLiteral(" | ") + e.noPicture;
        described << text;
    }
    QCOMPARE(described, rows);
    QCOMPARE(missed, int(rows.filter(QStringLiteral(" missed")).size()));
}

QTEST_MAIN(tst_callTracker)
#include "tst_calltracker.moc"
