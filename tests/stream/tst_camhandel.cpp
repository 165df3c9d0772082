#include "camhandel.h"
#include "shellsettings.h"

#include <QLayout>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

namespace {

const QStringList allButtons = {"TuerOfnenPB", "verbTrennPB", "switchLightPB", "callSIPPB", "saveJPG",
                                "speichernAVIPB", "printPB", "StartStopVideoPB", "Voll_AlleBilderPB", "verlaufPB"};

QPushButton *button(camHandel &panel, const QString &name)
{
    return panel.findChild<QPushButton *>(name);
}

QStringList shownButtons(camHandel &panel)
{
    QStringList shown;
    for (const QString &name : allButtons) {
        if (!button(panel, name)->isHidden())
            shown << name;
    }
    return shown;
}

QStringList disabledButtons(camHandel &panel)
{
    QStringList disabled;
    for (const QString &name : allButtons) {
        if (!button(panel, name)->isEnabled())
            disabled << name;
    }
    return disabled;
}

} // namespace

class tst_camHandel : public QObject {
    Q_OBJECT

private slots:
    void labels_data();
    void labels();
    void press_data();
    void press();
    void priority_data();
    void priority();
    void availability_data();
    void availability();
};

void tst_camHandel::labels_data()
{
    QTest::addColumn<QString>("buttonText");
    QTest::addColumn<QString>("door");
    QTest::addColumn<QString>("light");
    QTest::addColumn<bool>("english");

    QTest::newRow("default") << "Tür öffnen,Beleuchtung ein" << "Tür öffnen" << "Beleuchtung ein" << false;
    QTest::newRow("default in English") << "Tür öffnen,Beleuchtung ein" << "Open door" << "Light on" << true;
    QTest::newRow("German text of the user in English") << "Tür öffnen,Licht" << "Tür öffnen" << "Licht" << true;
    QTest::newRow("leading blanks stripped") << "  Tor auf,  Licht an " << "Tor auf" << "Licht an " << false;
    QTest::newRow("no comma: door only") << "  Tor auf" << "Tor auf" << "" << false;
    QTest::newRow("leading comma taken whole") << ",Licht" << ",Licht" << "" << false;
    QTest::newRow("empty keeps door") << "" << "Tür öffnen" << "" << false;
    QTest::newRow("blanks only keep door") << "   " << "Tür öffnen" << "" << false;
    QTest::newRow("trailing comma") << "Tor," << "Tor" << "" << false;
    QTest::newRow("third part ignored") << "Tor,Licht,Garage" << "Tor" << "Licht" << false;
    QTest::newRow("empty first part after blank") << " ,Licht" << "" << "Licht" << false;
}

void tst_camHandel::labels()
{
    QFETCH(QString, buttonText);
    QFETCH(bool, english);

    QTranslator translation;
    if (english) {
        QVERIFY(translation.load(QFileInfo(QStringLiteral(DXCAMVIEWER_PATH)).absolutePath() + QStringLiteral("/cam_en.qm")));
        QCoreApplication::installTranslator(&translation);
    }
    shellSettings settings;
    camHandel panel(settings);
    panel.setButtonLabels(buttonText);
    QTEST(button(panel, "TuerOfnenPB")->text(), "door");
    QTEST(button(panel, "switchLightPB")->text(), "light");
}

void tst_camHandel::press_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pending");
    QTest::addColumn<bool>("staysOpen");
    QTest::addColumn<bool>("history");  // asks for the call history

    QTest::newRow("door") << "TuerOfnenPB" << int(camHandel::door) << false << false;
    QTest::newRow("door and hang up") << "verbTrennPB" << int(camHandel::doorAndHangUp) << false << false;
    QTest::newRow("light") << "switchLightPB" << int(camHandel::light) << false << false;
    QTest::newRow("call station") << "callSIPPB" << int(camHandel::callStation) << false << false;
    QTest::newRow("save picture") << "saveJPG" << int(camHandel::savePicture) << false << false;
    QTest::newRow("save video") << "speichernAVIPB" << int(camHandel::saveVideo) << false << false;
    QTest::newRow("print") << "printPB" << int(camHandel::print) << false << false;
    QTest::newRow("start/stop") << "StartStopVideoPB" << int(camHandel::startStop) << false << false;
    QTest::newRow("view toggle") << "Voll_AlleBilderPB" << int(camHandel::none) << true << false;
    QTest::newRow("history") << "verlaufPB" << int(camHandel::none) << false << true;
}

void tst_camHandel::press()
{
    QFETCH(QString, name);
    QFETCH(bool, staysOpen);

    shellSettings settings;
    camHandel panel(settings);
    bool viewToggle = false;
    QObject::connect(&panel, &camHandel::viewToggleAsked, [&viewToggle] { viewToggle = true; });
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QSignalSpy history(&panel, &camHandel::historyRequested);

    button(panel, name)->click();
    QTEST(panel.pendingButton(), "pending");
    QCOMPARE(panel.isVisible(), staysOpen);
    QCOMPARE(viewToggle, staysOpen);
    QTEST(history.count() == 1, "history");
}

void tst_camHandel::priority_data()
{
    QTest::addColumn<QStringList>("pressed");
    QTest::addColumn<QList<int>>("order");

    QTest::newRow("all, pressed in form order")
        << QStringList{"TuerOfnenPB", "verbTrennPB", "switchLightPB", "callSIPPB", "saveJPG", "speichernAVIPB",
                       "printPB", "StartStopVideoPB"}
        << QList<int>{2, 1, 3, 4, 5, 6, 7, 8, 0};
    QTest::newRow("reverse press order")
        << QStringList{"StartStopVideoPB", "printPB", "switchLightPB", "TuerOfnenPB"} << QList<int>{1, 3, 6, 8, 0};
}

void tst_camHandel::priority()
{
    QFETCH(QStringList, pressed);
    QFETCH(QList<int>, order);

    shellSettings settings;
    camHandel panel(settings);
    for (const QString &name : pressed)
        button(panel, name)->click();
    QList<int> taken;
    do {
        taken << panel.pendingButton();
        panel.clearRequest(taken.last());
    } while (taken.last() != camHandel::none && taken.size() < 20);
    QCOMPARE(taken, order);
}

void tst_camHandel::availability_data()
{
    QTest::addColumn<int>("savePrint");
    QTest::addColumn<bool>("popupPanel");
    QTest::addColumn<int>("previousMode");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("disabled");
    QTest::addColumn<int>("savePrintLater");  // SavePrintBtnEn as the settings change it afterwards; -1: unchanged

    const QStringList full = {"TuerOfnenPB", "verbTrennPB", "switchLightPB", "saveJPG", "speichernAVIPB",
                              "printPB", "StartStopVideoPB", "Voll_AlleBilderPB", "verlaufPB"};
    const QStringList reduced = {"TuerOfnenPB", "switchLightPB", "StartStopVideoPB", "Voll_AlleBilderPB", "verlaufPB"};

    QTest::newRow("manual saving") << 1 << false << -1 << 0 << full << QStringList{} << -1;
    QTest::newRow("automatic recording greys saving") << 1 << false << -1 << 1 << full
                                                      << QStringList{"saveJPG", "speichernAVIPB"} << -1;
    QTest::newRow("automatic recording switched off") << 1 << false << 1 << 0 << full << QStringList{} << -1;
    QTest::newRow("saving not allowed") << 0 << false << -1 << 0 << reduced << QStringList{} << -1;
    QTest::newRow("saving not allowed, automatic recording") << 0 << false << -1 << 1 << reduced
                                                             << QStringList{"saveJPG", "speichernAVIPB"} << -1;
    QTest::newRow("popup window's panel")
        << 1 << true << -1 << 0
        << QStringList{"TuerOfnenPB", "verbTrennPB", "switchLightPB", "saveJPG", "speichernAVIPB", "printPB", "verlaufPB"}
        << QStringList{} << -1;
    // The settings dialog's switch takes effect on the panel there is.
    QTest::newRow("saving switched on") << 0 << false << -1 << 0 << full << QStringList{} << 1;
    QTest::newRow("saving switched off") << 1 << false << 0 << 0 << reduced << QStringList{} << 0;
}

void tst_camHandel::availability()
{
    QFETCH(int, savePrint);
    QFETCH(bool, popupPanel);
    QFETCH(int, previousMode);
    QFETCH(int, mode);

    shellSettings settings;
    settings.SavePrintBtnEn = savePrint;
    camHandel panel(settings, popupPanel);
    if (previousMode >= 0)
        panel.setAvailability(previousMode);
    QFETCH(int, savePrintLater);
    if (savePrintLater >= 0)
        settings.SavePrintBtnEn = savePrintLater;
    panel.setAvailability(mode);
    QTEST(shownButtons(panel), "shown");
    QTEST(disabledButtons(panel), "disabled");
}

QTEST_MAIN(tst_camHandel)
#include "tst_camhandel.moc"
