#include "../app/simulatorprocess.h"
#include "../app/viewerfixture.h"
#include "../stream/testcamera.h"

#include "auxdialogs.h"
#include "camhandel.h"
#include "einstdia.h"
#include "owngraphscene.h"
#include "ownmsgbox.h"
#include "pasw1dia.h"
#include "popuponewin.h"
#include "paswdia.h"
#include "paswsettings.h"
#include "saveavi.h"
#include "service.h"
#include "sprachedia.h"
#include "zertdia.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QXmlStreamReader>
#include <QtTest>

// The auxiliary dialogs inside the running viewer: the viewer password in front of the tray's
// restore and maximise, the store the viewer uses, the camera login prompt, the statistics, and
// the language switch over every open window.
class tst_auxDialogs : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void viewerPassword_data();
    void viewerPassword();
    void storeFromTwoWorkingDirectories();
    void loginPromptFilledByStart_data();
    void loginPromptFilledByStart();
    void loginPromptAfterTwoRefusals_data();
    void loginPromptAfterTwoRefusals();
    void loginPromptDeclined();
    void questionsWaitForTheUser_data();
    void questionsWaitForTheUser();
    void certificateAnswered_data();
    void certificateAnswered();
    void statistics();
    void languageSwitchRetranslatesOpenWindows();
    void storedLanguageAtStart_data();
    void storedLanguageAtStart();

private:
    void startViewer(int modules, const QString &window = {});
    spracheDia *addLanguageDialog(const QTemporaryDir &translations);
    void setGuard(bool viewerGuard, const QString &password);
    void restoreThroughPassword();
    void startAtCamera(camData *cam, const cameraStub &camera);
    static QStringList visibleTexts(ownCam &viewer);

    std::unique_ptr<viewerFixture> fixture;
    std::unique_ptr<ownCam> viewer;
};

namespace {
QString storePath(const viewerFixture &f)
{
    return f.configHome() + QStringLiteral("/dxcamviewer/passwords.conf");
}

QString shownMessage()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            return box->text();
    }
    return QString();
}

// German source texts whose English translation differs, from the project's translation.
QSet<QString> translatedGermanTexts()
{
    QFile file(QFINDTESTDATA("../../src/resources/translations/cam_en.ts"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QSet<QString> texts;
    QString source;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation") && xml.readElementText() != source)
            texts.insert(source);
    }
    return texts;
}
} // namespace

void tst_auxDialogs::init()
{
    fixture = std::make_unique<viewerFixture>();
}

void tst_auxDialogs::cleanup()
{
    viewer.reset();
    fixture.reset();
}

void tst_auxDialogs::startViewer(int modules, const QString &window)
{
    fixture->writeIni(modules, window);
    viewer = fixture->start();
}

// The language dialog as the entry point makes it, over a folder with the built translation.
spracheDia *tst_auxDialogs::addLanguageDialog(const QTemporaryDir &translations)
{
    QFile::copy(QFileInfo(QStringLiteral(DXCAMVIEWER_PATH)).absolutePath() + QStringLiteral("/cam_en.qm"),
                translations.filePath(QStringLiteral("cam_en.qm")));
    auto *language = new spracheDia(viewer->state().settings().FaVers, viewer.get(), {translations.path()});
    language->scan(QStringLiteral("cam"));
    viewer->dialogs().setLanguageDialog(language);
    return language;
}

void tst_auxDialogs::setGuard(bool viewerGuard, const QString &password)
{
    accessProtection protection(storePath(*fixture));
    protection.load();
    protection.protectViewer = viewerGuard;
    protection.viewerPassword = password;
    QVERIFY(protection.save());
}

void tst_auxDialogs::viewerPassword_data()
{
    QTest::addColumn<bool>("guard");
    QTest::addColumn<int>("entry");       // tray menu entry: 1 maximise, 2 restore; 3: 1, then a second start's show
    QTest::addColumn<bool>("doorCall");
    QTest::addColumn<QString>("typed");   // "" with Escape
    QTest::addColumn<bool>("prompted");
    QTest::addColumn<bool>("shown");
    QTest::newRow("restore, guard off") << false << 2 << false << "" << false << true;
    QTest::newRow("maximise, guard off") << false << 1 << false << "" << false << true;
    QTest::newRow("restore, right password") << true << 2 << false << "Pforte 3" << true << true;
    QTest::newRow("maximise, right password") << true << 1 << false << "Pforte 3" << true << true;
    QTest::newRow("restore, wrong password") << true << 2 << false << "pforte 3" << true << false;
    QTest::newRow("restore, Escape") << true << 2 << false << "" << true << false;
    QTest::newRow("restore during a door call") << true << 2 << true << "" << false << true;
    QTest::newRow("maximise, a second start's show, right password") << true << 3 << false << "Pforte 3" << true << true;
}

void tst_auxDialogs::viewerPassword()
{
    QFETCH(bool, guard);
    QFETCH(int, entry);
    QFETCH(bool, doorCall);
    QFETCH(QString, typed);
    QFETCH(bool, prompted);
    QFETCH(bool, shown);
    setGuard(guard, QStringLiteral("Pforte 3"));
    startViewer(1, QStringLiteral("Autohide=1\nTimeout=30\n"));
    viewerFixture::tick(*viewer, 3);
    QVERIFY(viewer->isHidden());
    viewer->state().cameras()[0]->sipModuleRec.status.callForced = doorCall;

    viewer->tray().menu()->actions().at(entry == 3 ? 1 : entry)->trigger();
    if (entry == 3)
        viewer->showOnRequest();
    pasw1Dia *prompt = viewer->dialogs().passwordPrompt();
    QCOMPARE(prompt->isVisible(), prompted);
    viewerFixture::tick(*viewer);
    QCOMPARE(viewer->isVisible(), !prompted);
    if (prompted) {
        QCOMPARE(prompt->windowTitle(), QStringLiteral("Passwort Viewer Eingabe"));
        auto *field = prompt->findChild<QLineEdit *>(QStringLiteral("pswE"));
        field->insert(typed);
        QTest::keyClick(field, typed.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
        viewerFixture::tick(*viewer);
        QCOMPARE(shownMessage(), shown || typed.isEmpty() ? QString() : QStringLiteral(" Passwort ist falsch "));
    }
    QCOMPARE(viewer->isVisible(), shown);
    QCOMPARE(viewer->isMaximized(), shown && entry == 1);
    if (!prompted)
        return;
    // Shown for the user who gave the password, the window stays when the popup time is up.
    viewer->state().requests().expireNow = true;
    viewerFixture::tick(*viewer);
    QCOMPARE(viewer->isVisible(), shown);
    if (shown)
        return;
    // Not accepted: the tray entry asks again rather than doing nothing.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(w))
            w->close();
    }
    prompt->findChild<QPushButton *>(QStringLiteral("CancPB"))->click();
    viewerFixture::tick(*viewer);
    QVERIFY(!viewer->popup().userShown);
    viewer->tray().menu()->actions().at(entry)->trigger();
    QVERIFY(prompt->isVisible());
}

void tst_auxDialogs::storeFromTwoWorkingDirectories()
{
    const QString oldCwd = QDir::currentPath();
    QTemporaryDir first;
    QTemporaryDir second;
    fixture->writeIni(1);
    QVERIFY(QDir::setCurrent(first.path()));
    viewer = fixture->start();
    // First start: the four values with the factory passwords and both guards off.
    QCOMPARE(QSettings(storePath(*fixture), QSettings::IniFormat).allKeys().size(), 4);
    QCOMPARE(viewer->dialogs().protection.viewerPassword, QStringLiteral("4711"));
    QVERIFY(!viewer->dialogs().protection.protectViewer);
    viewer->dialogs().protection.protectViewer = true;
    QVERIFY(viewer->dialogs().protection.save());
    viewer.reset();

    QVERIFY(QDir::setCurrent(second.path()));
    viewer = fixture->start();
    QDir::setCurrent(oldCwd);
    QVERIFY(viewer->dialogs().protection.protectViewer);
    QCOMPARE(viewer->dialogs().protection.storePath(), storePath(*fixture));
    QCOMPARE(QFile::permissions(storePath(*fixture)) & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(QDir(first.path()).isEmpty());
    QVERIFY(QDir(second.path()).isEmpty());
}

void tst_auxDialogs::loginPromptFilledByStart_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("site");
    QTest::newRow("IP") << "" << "Cam 1 at 127.0.0.3";
    QTest::newRow("URL") << "http://127.0.0.1:9/cgi/stream" << "Cam 1 at http://127.0.0.1:9/cgi/stream";
}

void tst_auxDialogs::loginPromptFilledByStart()
{
    QFETCH(QString, address);
    QFETCH(QString, site);
    startViewer(2);
    camData *first = viewer->state().cameras()[0];
    camData *second = viewer->state().cameras()[1];
    first->camModule.CAM_User = QStringLiteral("u0");
    first->camModule.CAM_Password = QStringLiteral("p0");
    second->camModule.CAM_User = QStringLiteral("u1");
    second->camModule.CAM_Password = QStringLiteral("p1");
    if (!address.isEmpty())
        second->setAddressText(address);
    camDataProbe::running(*first) = camDataProbe::running(*second) = false;
    viewer->Start_CAM(first);
    viewer->Start_CAM(second);
    paswDia *prompt = viewer->dialogs().loginPrompt();
    QCOMPARE(prompt->siteText(), site);
    QCOMPARE(prompt->findChild<QLabel *>(QStringLiteral("siteTxL"))->text(), site);
    QCOMPARE(prompt->user(), QStringLiteral("u1"));
    QCOMPARE(prompt->password(), QStringLiteral("p1"));
    QVERIFY(!prompt->isVisible());
}

void tst_auxDialogs::loginPromptAfterTwoRefusals_data()
{
    QTest::addColumn<bool>("rtsp");  // the simulator's H.264 camera over RTSP, else Motion-JPEG over HTTP
    QTest::addColumn<QString>("urlLogin");  // the refused login in the URL as well as the module's
    QTest::newRow("HTTP camera") << false << "";
    QTest::newRow("RTSP camera") << true << "";
    QTest::newRow("RTSP camera, login in the URL") << true << "viewer:falsch@";
}

void tst_auxDialogs::loginPromptAfterTwoRefusals()
{
    QFETCH(bool, rtsp);
    QFETCH(QString, urlLogin);
    cameraStub camera;
    camera.picture = solidJpeg(QSize(320, 240), Qt::darkGreen);
    camera.copies = 30;
    QVERIFY(camera.listen(QHostAddress::LocalHost));
    QString url = camera.url("/auth");
    simulator sim;
    if (rtsp) {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress(QStringLiteral("127.0.0.2")), 0));
        const QString port = QString::number(probe.serverPort());
        probe.close();
        QVERIFY(sim.start({"--rtsp", "--rtsp-port", port, "--user", "viewer", "--password", "secret"},
                          fixture->dir.filePath(QStringLiteral("sim.ini"))));
        url = QStringLiteral("rtsp://127.0.0.2:%1/stream").arg(port);
    }
    const QString plainUrl = url;
    url.insert(url.indexOf(QLatin1String("://")) + 3, urlLogin);
    startViewer(1);
    camData *cam = viewer->state().cameras()[0];
    cam->setAddressText(url);
    cam->camModule.CAM_User = QStringLiteral("viewer");
    cam->camModule.CAM_Password = QStringLiteral("falsch");
    viewer->show();
    QTRY_VERIFY(!viewer->ticks().firstTick && !viewer->ticks().startupPending);
    for (int refusals = 1; refusals <= 2; ++refusals) {
        camDataProbe::running(*cam) = false;
        viewer->Start_CAM(cam);
        QTRY_COMPARE(cam->authRefusals, refusals);
    }
    // Not in front of a door call; back once it is over.
    cam->sipModuleRec.status.callForced = true;
    viewerFixture::tick(*viewer, 2);
    paswDia *prompt = viewer->dialogs().loginPrompt();
    QVERIFY(!prompt->isVisible());
    cam->sipModuleRec.status.callForced = false;
    QTRY_VERIFY(prompt->isVisible());
    QVERIFY(!prompt->isModal());
    QCOMPARE(viewer->dialogs().loginCamera(), cam);
    cam->sipModuleRec.status.callForced = true;
    QTRY_VERIFY(!prompt->isVisible());
    cam->sipModuleRec.status.callForced = false;
    QTRY_VERIFY(prompt->isVisible());

    auto *user = prompt->findChild<QLineEdit *>(QStringLiteral("userE"));
    auto *password = prompt->findChild<QLineEdit *>(QStringLiteral("paswE"));
    QCOMPARE(user->text(), QStringLiteral("viewer"));
    // A settings dialog open on the camera takes the confirmed login instead of storing the old.
    viewer->einstellFun();
    EinstDia *settings = viewer->settingsDialog();
    QCOMPARE(settings->findChild<QLineEdit *>(QStringLiteral("paswE"))->text(), QStringLiteral("falsch"));
    password->setText(QStringLiteral("secret"));
    prompt->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    QTRY_COMPARE(cam->camModule.CAM_Password, QStringLiteral("secret"));
    // The confirmed login replaces one in the URL, which would be sent instead.
    QCOMPARE(cam->camModule.URL, plainUrl);
    QTRY_VERIFY_WITH_TIMEOUT(cam->framesExtracted > 0, 10000);
    if (!rtsp)
        QCOMPARE(camera.authorizations.last(), "Basic " + QByteArray("viewer:secret").toBase64());
    QVERIFY(!prompt->isVisible());
    QCOMPARE(settings->findChild<QLineEdit *>(QStringLiteral("paswE"))->text(), QStringLiteral("secret"));
    QCOMPARE(settings->findChild<QLineEdit *>(QStringLiteral("ipAdrE"))->text(), plainUrl);
    settings->findChild<QPushButton *>(QStringLiteral("anwPB"))->click();
    viewerFixture::tick(*viewer);
    QCOMPARE(cam->camModule.CAM_Password, QStringLiteral("secret"));
    QCOMPARE(cam->camModule.URL, plainUrl);

    // What the user confirmed is kept at the next save.
    viewer->Raus();
    viewer.reset();
    viewer = fixture->start();
    QCOMPARE(viewer->state().cameras()[0]->camModule.CAM_User, QStringLiteral("viewer"));
    QCOMPARE(viewer->state().cameras()[0]->camModule.CAM_Password, QStringLiteral("secret"));
    QCOMPARE(viewer->state().cameras()[0]->camModule.URL, plainUrl);
}

void tst_auxDialogs::loginPromptDeclined()
{
    startViewer(2, QStringLiteral("Autohide=1\nTimeout=30\n"));
    viewer->show();
    camData *cam = viewer->state().cameras()[1];
    cam->authRefusals = 2;
    viewerFixture::tick(*viewer, 3);
    paswDia *prompt = viewer->dialogs().loginPrompt();
    QVERIFY(prompt && prompt->isVisible());
    prompt->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    cam->authRefusals = 4;
    viewerFixture::tick(*viewer, 3);
    QVERIFY(!prompt->isVisible());
    QCOMPARE(viewer->dialogs().loginCamera(), nullptr);

    // Another camera still gets its prompt; a camera removed while asked for is let go.
    viewer->state().cameras()[0]->authRefusals = 2;
    viewerFixture::tick(*viewer, 3);
    QCOMPARE(viewer->dialogs().loginCamera(), viewer->state().cameras()[0]);
    viewer->state().releaseCamera(viewer->state().cameras()[0]);
    QCOMPARE(viewer->dialogs().loginCamera(), nullptr);
    QVERIFY(!prompt->isVisible());
}

// The tray's "&Wiederherstellen", with the viewer password when it is asked for.
void tst_auxDialogs::restoreThroughPassword()
{
    viewer->tray().menu()->actions().at(2)->trigger();
    pasw1Dia *prompt = viewer->dialogs().passwordPrompt();
    if (prompt->isVisible()) {
        auto *field = prompt->findChild<QLineEdit *>(QStringLiteral("pswE"));
        field->insert(QStringLiteral("Pforte 3"));
        QTest::keyClick(field, Qt::Key_Return);
    }
    viewerFixture::tick(*viewer);
    QVERIFY(viewer->isVisible());
}

void tst_auxDialogs::startAtCamera(camData *cam, const cameraStub &camera)
{
    cam->setAddressText(camera.url("/stream"));
    camDataProbe::running(*cam) = false;
    viewer->Start_CAM(cam);
}

void tst_auxDialogs::questionsWaitForTheUser_data()
{
    QTest::addColumn<bool>("certificate");  // the certificate question, else the login prompt
    QTest::addColumn<bool>("guard");
    QTest::addColumn<QString>("window");    // hidden, popped up (by a call now over), door call, restored
    QTest::addColumn<bool>("asked");
    QTest::newRow("login, hidden") << false << false << "hidden" << false;
    QTest::newRow("login, popped up, guard on") << false << true << "popped up" << false;
    QTest::newRow("login, popped up, guard off") << false << false << "popped up" << true;
    QTest::newRow("login, restored, door call") << false << true << "door call" << false;
    QTest::newRow("login, restored through the password") << false << true << "restored" << true;
    QTest::newRow("certificate, hidden") << true << false << "hidden" << false;
    QTest::newRow("certificate, popped up, guard on") << true << true << "popped up" << false;
    QTest::newRow("certificate, restored, door call") << true << false << "door call" << false;
    QTest::newRow("certificate, restored through the password") << true << true << "restored" << true;
}

// Neither question comes over a door call, to a hidden window or to one the viewer password
// guards; it waits, and comes once the user has the window.
void tst_auxDialogs::questionsWaitForTheUser()
{
    QFETCH(bool, certificate);
    QFETCH(bool, guard);
    QFETCH(QString, window);
    QFETCH(bool, asked);
    cameraStub camera;
    camera.tls = selfSignedCamera();
    QVERIFY(camera.listen(QHostAddress::LocalHost));
    setGuard(guard, QStringLiteral("Pforte 3"));
    startViewer(1, QStringLiteral("Autohide=1\nTimeout=30\nAuto_Popup=1\n"));
    viewerFixture::tick(*viewer, 3);
    camData *cam = viewer->state().cameras()[0];
    if (certificate) {
        startAtCamera(cam, camera);
        QTRY_VERIFY(cam->certificateQuestion());
    } else {
        cam->authRefusals = 2;
    }
    moduleStatus &sip = cam->sipModuleRec.status;
    if (window == QLatin1String("popped up")) {
        sip.popupRequest = true;
        viewerFixture::tick(*viewer);
        QVERIFY(viewer->isVisible());
        sip.callEnded = true;
    } else if (window != QLatin1String("hidden")) {
        restoreThroughPassword();
        sip.callForced = window == QLatin1String("door call");
    }
    const auto questionShown = [&] {
        QWidget *question = certificate ? static_cast<QWidget *>(viewer->dialogs().trustPrompt())
                                        : viewer->dialogs().loginPrompt();
        return question && question->isVisible();
    };
    viewerFixture::tick(*viewer, 3);
    QCOMPARE(questionShown(), asked);
    if (asked)
        return;
    sip.callForced = false;
    if (window != QLatin1String("door call"))
        restoreThroughPassword();
    viewerFixture::tick(*viewer, 2);
    QVERIFY(questionShown());
}

void tst_auxDialogs::certificateAnswered_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::newRow("Vertrauen") << true;
    QTest::newRow("Abbrechen") << false;
}

void tst_auxDialogs::certificateAnswered()
{
    QFETCH(bool, trusted);
    cameraStub camera;
    camera.tls = selfSignedCamera();
    camera.picture = solidJpeg(QSize(320, 240), Qt::darkGreen);
    camera.copies = 30;
    QVERIFY(camera.listen(QHostAddress::LocalHost));
    fixture->writeIni(1, {}, {}, "URL=" + camera.url("/stream") + "\n");
    viewer = fixture->start();
    viewer->show();
    QTRY_VERIFY(!viewer->ticks().firstTick && !viewer->ticks().startupPending);
    camData *cam = viewer->state().cameras()[0];
    startAtCamera(cam, camera);
    zertDia *question = nullptr;
    QTRY_VERIFY((question = viewer->dialogs().trustPrompt()) && question->isVisible());
    // The camera's own words stay text.
    const auto shown = [question](const char *name) { return question->findChild<QLabel *>(name); };
    QCOMPARE(shown("siteTxL")->text(), "Cam 0 at " + camera.url("/stream"));
    QCOMPARE(shown("subjectTxL")->text(), QStringLiteral("CN=<b>Tor</b> 1, O=Beispiel"));
    QCOMPARE(shown("subjectTxL")->textFormat(), Qt::PlainText);
    QCOMPARE(shown("validTxL")->text(), QStringLiteral("2026-12-09 08:21 UTC bis 2126-11-15 08:21 UTC"));
    QCOMPARE(shown("fingerTxL")->text(), selfSignedFingerprint);

    question->findChild<QPushButton *>(trusted ? "vertrauenPB" : "abbrechenPB")->click();
    if (trusted) {
        QTRY_VERIFY(cam->framesDisplayed > 0);
        QVERIFY(fixture->readIni().contains("\nCAM_Fingerprint=" + selfSignedFingerprint + "\n"));
        QVERIFY(!question->isVisible());
        return;
    }
    // Declined: not asked again, also when the camera is started again, until the settings page
    // forgets the answer.
    viewerFixture::tick(*viewer, 2);
    startAtCamera(cam, camera);
    viewerFixture::tick(*viewer, 5);
    QVERIFY(!question->isVisible());
    QCOMPARE(viewer->dialogs().trustCamera(), nullptr);
    EinstDia *settings = viewer->settingsDialog();
    QCOMPARE(settings->findChild<QLineEdit *>("zertE")->placeholderText(), QStringLiteral("abgelehnt"));
    settings->findChild<QPushButton *>("zertVergessenPB")->click();
    settings->findChild<QPushButton *>("anwPB")->click();
    QTRY_VERIFY(question->isVisible());
    QVERIFY(!fixture->readIni().contains(QLatin1String("CAM_Fingerprint")));
}

void tst_auxDialogs::statistics()
{
    startViewer(3, QStringLiteral("Autohide=1\nTimeout=30\n"));
    viewerFixture::tick(*viewer, 3);
    for (camData *cam : viewer->state().cameras())
        cam->framesExtracted = cam->framesDisplayed = 77;
    viewer->state().cameras()[0]->camModule.CAM_tuer = 3;
    viewer->state().requests().openStatistics = true;
    viewerFixture::tick(*viewer);
    service *stats = viewer->dialogs().statistics();
    QVERIFY(stats && stats->isVisible());
    QCOMPARE(stats->windowTitle(), QStringLiteral("Service Daten"));
    viewerFixture::tick(*viewer);
    const QString door = QStringLiteral("Türausgang der ersten Kamera: IO.1; Zeit seit dem letzten Ereignis: ");
    QVERIFY2(stats->info().startsWith(door), qPrintable(stats->info()));
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(stats->cellText(row, 0), QStringLiteral("Cam %1").arg(row));
        QCOMPARE(stats->cellText(row, 4), QStringLiteral("0"));
        QCOMPARE(stats->cellText(row, 3), QStringLiteral("-"));
    }

    // A camera dragged onto the third tile takes its row along.
    viewer->scene()->pressIndex = 0;
    viewer->scene()->releaseIndex = 2;
    viewer->scene()->moveRequest = true;
    viewerFixture::tick(*viewer, 2);
    QCOMPARE(stats->cellText(0, 0), QStringLiteral("Cam 1"));
    QCOMPARE(stats->cellText(1, 0), QStringLiteral("Cam 0"));

    // Hidden by its button; opened again, the counters restart.
    stats->findChild<QPushButton *>(QStringLiteral("servCancPB"))->click();
    QVERIFY(!stats->isVisible());
    viewer->state().cameras()[1]->framesExtracted = 5;
    viewer->state().requests().openStatistics = true;
    viewerFixture::tick(*viewer);
    QVERIFY(stats->isVisible());
    QCOMPARE(viewer->state().cameras()[1]->framesExtracted, 0);
    QCOMPARE(stats, viewer->dialogs().statistics());

    // A camera that delivers says so, and how it is read; one that refuses says why.
    cameraStub camera;
    camera.picture = solidJpeg(QSize(320, 240), Qt::darkGreen);
    camera.copies = 1000;
    QVERIFY(camera.listen(QHostAddress::LocalHost));
    startAtCamera(viewer->state().cameras()[0], camera);
    QTRY_VERIFY((viewerFixture::tick(*viewer), viewer->state().cameras()[0]->framesExtracted > 0));
    viewerFixture::tick(*viewer);
    QCOMPARE(stats->cellText(0, 6), QStringLiteral("verbunden (HTTP)"));
}

// Every text of every window the viewer has open, and of the tray menu.
QStringList tst_auxDialogs::visibleTexts(ownCam &viewer)
{
    QStringList texts;
    for (QAction *action : viewer.tray().menu()->actions())
        texts.append(action->text());
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        texts.append(window->windowTitle());
        // Dialogs owned by the main window are windows of their own; pages not shown count too.
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->window() != window)
                continue;
            texts.append(w->toolTip());
            if (auto *label = qobject_cast<QLabel *>(w))
                texts.append(label->text());
            else if (auto *button = qobject_cast<QAbstractButton *>(w))
                texts.append(button->text());
            else if (auto *group = qobject_cast<QGroupBox *>(w))
                texts.append(group->title());
            else if (auto *edit = qobject_cast<QLineEdit *>(w))
                texts.append(edit->placeholderText());
            for (int i = 0; qobject_cast<QComboBox *>(w) && i < static_cast<QComboBox *>(w)->count(); ++i)
                texts.append(static_cast<QComboBox *>(w)->itemText(i));
            for (int i = 0; qobject_cast<QTabWidget *>(w) && i < static_cast<QTabWidget *>(w)->count(); ++i)
                texts.append(static_cast<QTabWidget *>(w)->tabText(i));
            auto *table = qobject_cast<QTableWidget *>(w);
            for (int c = 0; table && c < table->columnCount(); ++c)
                texts.append(table->horizontalHeaderItem(c)->text());
        }
    }
    texts.removeAll(QString());
    return texts;
}

void tst_auxDialogs::languageSwitchRetranslatesOpenWindows()
{
    const QSet<QString> german = translatedGermanTexts();
    QVERIFY(german.size() > 50);
    setGuard(true, QStringLiteral("4711"));
    QTemporaryDir translations;
    QTemporaryDir recordings;
    fixture->writeIni(2, QStringLiteral("Autohide=1\nTimeout=30\n"),
                      QStringLiteral("Autosave=1\nImageFolder=%1\n").arg(recordings.path()));
    viewer = fixture->start();
    spracheDia *language = addLanguageDialog(translations);
    viewerFixture::tick(*viewer, 3);

    // Every window there is, open.
    viewer->show();
    viewer->tray().notice()->show();
    viewer->panel()->show();
    viewer->state().requests().openStatistics = true;
    camDataProbe::running(*viewer->state().cameras()[0]) = false;
    viewer->Start_CAM(viewer->state().cameras()[0]);
    viewer->dialogs().loginPrompt()->show();
    viewer->dialogs().changePassword(accessProtection::viewerMode);
    viewer->dialogs().askViewerPassword(pasw1Dia::showNormal);
    viewerFixture::tick(*viewer);
    // Shown by hand after the evaluation, which hides it without OwnPopWin.
    viewer->popupWindow()->show();
    viewer->popupWindow()->panel()->show();
    viewer->tray().menu()->actions().at(5)->trigger();  // "&Einstellungen"
    QVERIFY(viewer->settingsDialog()->isVisible());
    viewer->state().cameras()[1]->setVideoCommand(true);
    viewerFixture::tick(*viewer);
    QVERIFY(viewer->videoDialog() && viewer->videoDialog()->isVisible());
    viewer->tray().menu()->actions().at(4)->trigger();  // "&Sprache"
    QVERIFY(language->isVisible());
    // A text the translation covers, or one that reads as German (for texts that miss tr()).
    static const QRegularExpression germanWords(
        QStringLiteral("[äöüÄÖÜß]|\\b(und|nicht|kein|Kamera|Bild|Bilder|Datei|Fehler|Einstellungen|speichern|"
                       "Aufnahme|Passwort|Sprache|Beenden|Modul|Sprechstelle|aktiv|Abbrechen|Verzeichnis|"
                       "Sekunden|Fenster|Reihe|Spalte|Hoch|Runter|Beleuchtung|Benutzer|schützen|starten)\\b"));
    const auto germanLeft = [&] {
        QStringList left;
        for (const QString &text : visibleTexts(*viewer)) {
            if (german.contains(text) || text.contains(germanWords))
                left.append(text);
        }
        return left;
    };
    QVERIFY(germanLeft().size() > 100);

    language->findChild<QRadioButton *>(QStringLiteral("enRB"))->click();
    language->findChild<QPushButton *>(QStringLiteral("okPB"))->click();
    viewerFixture::tick(*viewer);
    // The recording dialog follows the change event the event loop delivers.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    QVERIFY2(germanLeft().isEmpty(), qPrintable(germanLeft().join(QStringLiteral(" | "))));
    QCOMPARE(viewer->tray().menu()->actions().last()->text(), QStringLiteral("&Quit"));
    QCOMPARE(viewer->dialogs().passwordPrompt()->windowTitle(), QStringLiteral("Viewer password"));
    QCOMPARE(viewer->state().settings().language, 0);
    // The settings dialog's next Apply stores the choice for the next start.
    viewer->settingsDialog()->findChild<QPushButton *>(QStringLiteral("anwPB"))->click();
    viewerFixture::tick(*viewer);
    QVERIFY(fixture->readIni().contains(QStringLiteral("\nlanguage=0\n")));

    // A choice cancelled is no choice: the dialog shows again what is in effect.
    auto *germanChoice = language->findChild<QRadioButton *>(QStringLiteral("deRB"));
    language->prepare();
    germanChoice->click();
    language->findChild<QPushButton *>(QStringLiteral("cancelPB"))->click();
    language->prepare();
    QVERIFY(!germanChoice->isChecked());

    // And back to German.
    germanChoice->click();
    language->findChild<QPushButton *>(QStringLiteral("okPB"))->click();
    viewerFixture::tick(*viewer);
    QCOMPARE(viewer->tray().menu()->actions().last()->text(), QStringLiteral("&Beenden"));
    QCOMPARE(viewer->state().settings().language, -1);
    viewer->settingsDialog()->findChild<QPushButton *>(QStringLiteral("anwPB"))->click();
    viewerFixture::tick(*viewer);
    QVERIFY(fixture->readIni().contains(QStringLiteral("\nlanguage=-1\n")));
}

void tst_auxDialogs::storedLanguageAtStart_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("quitEntry");
    QTest::newRow("English") << 0 << "&Quit";
    QTest::newRow("German") << -1 << "&Beenden";
    QTest::newRow("5 with one translation") << 5 << "&Beenden";
}

void tst_auxDialogs::storedLanguageAtStart()
{
    QFETCH(int, language);
    QFETCH(QString, quitEntry);
    QTemporaryDir translations;
    fixture->writeIni(1, QStringLiteral("Autohide=1\n"), QStringLiteral("language=%1\n").arg(language));
    viewer = fixture->start();
    addLanguageDialog(translations);
    QCOMPARE(viewer->tray().menu()->actions().last()->text(), QStringLiteral("&Beenden"));
    viewerFixture::tick(*viewer, 4);
    QCOMPARE(viewer->tray().menu()->actions().last()->text(), quitEntry);
    // The stored value stays as it was, also when it could not be applied.
    QCOMPARE(viewer->state().settings().language, language);
}

QTEST_MAIN(tst_auxDialogs)
#include "tst_auxdialogs.moc"
