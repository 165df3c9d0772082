#include "callnotifier.h"
#include "notificationbus.h"

#include <QtTest>

// Door calls announced to a notification server on a session bus of the test's own.
class tst_callNotifier : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void notifications_data();
    void notifications();
    void actions_data();
    void actions();
    void withoutServer_data();
    void withoutServer();

private:
    notificationBus bus;
    QStringList warnings;
    std::unique_ptr<callNotifier> makeNotifier(const QDBusConnection &connection);
};

void tst_callNotifier::initTestCase()
{
    QVERIFY2(bus.start(), "dbus-daemon (scripts/install-deps.sh installs it) did not start");
}

void tst_callNotifier::init()
{
    bus.server.log.clear();
    bus.server.calls.clear();
    bus.server.nextId = 1;
    warnings.clear();
}

std::unique_ptr<callNotifier> tst_callNotifier::makeNotifier(const QDBusConnection &connection)
{
    auto notifier = std::make_unique<callNotifier>(connection, QStringLiteral("de.test.viewer"),
                                                   [this](const QString &text) { warnings.append(text); });
    notifier->setSender(QStringLiteral("Door Viewer"), QStringLiteral("de.test.viewer-torva"));
    return notifier;
}

void tst_callNotifier::notifications_data()
{
    // "call <station> <camName>" (a door call of the station named so), "alarm <station> <camName>"
    // (input IO.2 of the module at that address), "end <station>", "missed <station> <camName> <time>",
    // "shown", "history", "off", "sync"
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("expected");  // the server's log
    QTest::addColumn<QString>("summary");  // of every notification
    const QString cam1 = QStringLiteral("notify Sprechstelle A, Kamera Cam1 ");
    const QString cam2 = QStringLiteral("notify Sprechstelle B, Kamera Cam2 ");

    QTest::newRow("call and hang-up") << QStringList{"call A Cam1", "sync", "end A"}
                                      << QStringList{cam1 + "0>1", "close 1"} << "Eingehender Ruf";
    QTest::newRow("second call of the station replaces")
        << QStringList{"call A Cam1", "sync", "call A Cam1"} << QStringList{cam1 + "0>1", cam1 + "1>1"}
        << "Eingehender Ruf";
    QTest::newRow("second call before the server answered")
        << QStringList{"call A Cam1", "call A Cam1", "call A Cam1"} << QStringList{cam1 + "0>1", cam1 + "1>1"}
        << "Eingehender Ruf";
    QTest::newRow("hang-up before the server answered") << QStringList{"call A Cam1", "end A"}
                                                        << QStringList{cam1 + "0>1", "close 1"} << "Eingehender Ruf";
    QTest::newRow("two stations, two notifications")
        << QStringList{"call A Cam1", "call B Cam2", "sync", "end B", "call A Cam1"}
        << QStringList{cam1 + "0>1", cam2 + "0>2", "close 2", cam1 + "1>1"} << "Eingehender Ruf";
    QTest::newRow("a call after the hang-up is new") << QStringList{"call A Cam1", "sync", "end A", "call A Cam1"}
                                                     << QStringList{cam1 + "0>1", "close 1", cam1 + "0>2"}
                                                     << "Eingehender Ruf";
    QTest::newRow("window shown closes every one")
        << QStringList{"call A Cam1", "call B Cam2", "sync", "shown", "end A"}
        << QStringList{cam1 + "0>1", cam2 + "0>2", "close 1", "close 2"} << "Eingehender Ruf";
    QTest::newRow("hang-up of a station without a call") << QStringList{"end A"} << QStringList{} << "Eingehender Ruf";
    QTest::newRow("switched off sends nothing") << QStringList{"off", "call A Cam1"} << QStringList{}
        << "Eingehender Ruf";
    QTest::newRow("switching off closes") << QStringList{"call A Cam1", "sync", "off"}
                                          << QStringList{cam1 + "0>1", "close 1"} << "Eingehender Ruf";
    const QString missed1 = QStringLiteral("notify Verpasster Ruf von Cam1 um ");
    QTest::newRow("a missed call's notification says so and stays")
        << QStringList{"call A Cam1", "sync", "missed A Cam1 10:32", "sync", "end A", "shown"}
        << QStringList{cam1 + "0>1", missed1 + "10:32 1>1"} << "Eingehender Ruf";
    QTest::newRow("the station's next call takes it over")
        << QStringList{"missed A Cam1 10:32", "sync", "call A Cam1", "sync", "end A"}
        << QStringList{missed1 + "10:32 0>1", cam1 + "1>1", "close 1"} << "Eingehender Ruf";
    QTest::newRow("a second missed call of the station replaces it")
        << QStringList{"missed A Cam1 10:32", "sync", "missed A Cam1 10:40"}
        << QStringList{missed1 + "10:32 0>1", missed1 + "10:40 1>1"} << "Eingehender Ruf";
    QTest::newRow("opening the history closes the missed ones only")
        << QStringList{"call B Cam2", "missed A Cam1 10:32", "sync", "history"}
        << QStringList{cam2 + "0>1", missed1 + "10:32 0>2", "close 2"} << "Eingehender Ruf";
    QTest::newRow("switched off, no missed call either") << QStringList{"off", "missed A Cam1 10:32"} << QStringList{} << "Eingehender Ruf";
    QTest::newRow("markup in the name is text")
        << QStringList{"call A <b>K&1</b>"}
        << QStringList{"notify Sprechstelle A, Kamera &lt;b&gt;K&amp;1&lt;/b&gt; 0>1"}
        << "Eingehender Ruf";
    QTest::newRow("IO alarm") << QStringList{"alarm 127.0.0.7 Cam1", "sync", "end 127.0.0.7"}
                              << QStringList{"notify IO-Modul 127.0.0.7, Kamera Cam1 0>1", "close 1"}
                              << "Alarm an Eingang IO.2";
}

void tst_callNotifier::notifications()
{
    QFETCH(QStringList, events);
    QFETCH(QStringList, expected);
    const QDBusConnection client = bus.client(QStringLiteral("client"));
    auto notifier = makeNotifier(client);
    for (const QString &event : events) {
        const QStringList word = event.split(' ');
        if (word[0] == "call")
            notifier->callStarted(word[1], callNotifier::event::doorCall, word[1], word[2]);
        else if (word[0] == "alarm")
            notifier->callStarted(word[1], callNotifier::event::input2, word[1], word[2]);
        else if (word[0] == "end")
            notifier->callEnded(word[1]);
        else if (word[0] == "missed")
            notifier->callMissed(word[1], word[2], word[3]);
        else if (word[0] == "shown")
            notifier->closeAll();
        else if (word[0] == "history")
            notifier->closeMissed();
        else if (word[0] == "off")
            notifier->setEnabled(false);
        else if (word[0] == "sync")
            QVERIFY(notificationBus::roundTrip(client));
    }
    QTRY_VERIFY(bus.server.log.size() >= expected.size());
    QVERIFY(notificationBus::roundTrip(client));
    QCOMPARE(bus.server.log, expected);
    QCOMPARE(warnings, QStringList{});

    // What makes the desktop show it as a call: urgent, kept until it is closed, with the
    // program's entry, icon and the action that shows the camera (a missed call's: the history).
    for (const notificationServer::call &call : std::as_const(bus.server.calls)) {
        QCOMPARE(call.appName, QStringLiteral("Door Viewer"));
        if (call.body.startsWith(QLatin1String("Verpasster")))
            QCOMPARE(call.summary, QStringLiteral("Verpasster Ruf"));
        else
            QTEST(call.summary, "summary");
        QCOMPARE(call.icon, QStringLiteral("de.test.viewer-torva"));
        const QStringList offered = call.body.startsWith(QLatin1String("Verpasster"))
                                        ? QStringList{"default", "Verlauf", "history", "Verlauf"}
                                        : QStringList{"default", "Anzeigen", "show", "Anzeigen"};
        QCOMPARE(call.actions, offered);
        QCOMPARE(call.hints.value("urgency").userType(), QMetaType::UChar);
        QCOMPARE(call.hints.value("urgency").toInt(), 2);
        QCOMPARE(call.hints.value("resident"), QVariant(true));
        QCOMPARE(call.hints.value("desktop-entry"), QVariant(QStringLiteral("de.test.viewer")));
        QCOMPARE(call.timeout, 0);
    }
}

void tst_callNotifier::actions_data()
{
    QTest::addColumn<uint>("id");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("token");  // sent before the action; empty for none
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("history");
    // Notify gives station A id 1, station B id 2 and the missed call of station C id 3.
    QTest::newRow("default with a token") << 2u << "default" << "wl-token-7" << true << false;
    QTest::newRow("Anzeigen without a token") << 1u << "show" << "" << true << false;
    QTest::newRow("another program's notification") << 9u << "default" << "wl-token-7" << false << false;
    QTest::newRow("an action the viewer did not offer") << 1u << "reply" << "" << false << false;
    QTest::newRow("Verlauf of a missed call") << 3u << "history" << "wl-token-8" << false << true;
    QTest::newRow("a missed call shows no camera") << 3u << "show" << "" << false << false;
}

void tst_callNotifier::actions()
{
    QFETCH(uint, id);
    QFETCH(QString, action);
    QFETCH(QString, token);
    QFETCH(bool, shown);
    const QDBusConnection client = bus.client(QStringLiteral("client"));
    auto notifier = makeNotifier(client);
    notifier->callStarted("A", callNotifier::event::doorCall, "A", "Cam1");
    notifier->callStarted("B", callNotifier::event::doorCall, "B", "Cam2");
    QTRY_COMPARE(bus.server.log.size(), 2);
    notifier->callMissed("C", "Cam3", "10:32");
    QTRY_COMPARE(bus.server.log.size(), 3);
    QVERIFY(notificationBus::roundTrip(client));

    QStringList shownStations;
    QStringList tokens;
    connect(notifier.get(), &callNotifier::showRequested, this, [&](const QString &station) {
        shownStations.append(station);
        tokens.append(qEnvironmentVariable("XDG_ACTIVATION_TOKEN"));
    });
    int histories = 0;
    connect(notifier.get(), &callNotifier::historyRequested, this, [&] {
        ++histories;
        tokens.append(qEnvironmentVariable("XDG_ACTIVATION_TOKEN"));
    });
    if (!token.isEmpty())
        bus.emitSignal("ActivationToken", {id, token});
    bus.emitSignal("ActionInvoked", {id, action});
    QVERIFY(notificationBus::roundTrip(client));
    QCoreApplication::processEvents();
    QCOMPARE(shownStations, shown ? QStringList{id == 1 ? "A" : "B"} : QStringList{});
    QTEST(histories == 1, "history");
    QCOMPARE(tokens, shown || histories ? QStringList{token} : QStringList{});
    QVERIFY(!qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));
}

void tst_callNotifier::withoutServer_data()
{
    QTest::addColumn<bool>("sessionBus");
    QTest::newRow("no notification server") << true;
    QTest::newRow("no session bus") << false;
}

void tst_callNotifier::withoutServer()
{
    QFETCH(bool, sessionBus);
    QVERIFY(bus.serverSide.unregisterService(notificationBus::service));
    const QDBusConnection client = sessionBus ? bus.client(QStringLiteral("client"))
                                              : QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                                              QStringLiteral("no bus"));
    QCOMPARE(client.isConnected(), sessionBus);
    auto notifier = makeNotifier(client);
    notifier->callStarted("A", callNotifier::event::doorCall, "A", "Cam1");
    QTRY_COMPARE(warnings.size(), 1);
    notifier->callStarted("A", callNotifier::event::doorCall, "A", "Cam1");
    notifier->callStarted("B", callNotifier::event::doorCall, "B", "Cam2");
    notifier->callEnded("A");
    if (sessionBus)
        QTRY_COMPARE(notifier->openStations(), QStringList{});
    QVERIFY(bus.serverSide.registerService(notificationBus::service));
    QCOMPARE(warnings.size(), 1);
    QCOMPARE(notifier->openStations(), QStringList{});
}

QTEST_GUILESS_MAIN(tst_callNotifier)
#include "tst_callnotifier.moc"
