#include "../app/viewerfixture.h"

#include "autostart.h"
#include "einstdia.h"
#include "pasw1dia.h"
#include "paswsettings.h"
#include "service.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

// What stands in front of the settings and what the settings dialog does with the passwords:
// the settings password before the tray's "&Einstellungen", the two guard switches, the two
// "Passwort einstellen" buttons and "Statistik", all through the running viewer's tick.
class tst_settingsAccess : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void settingsPassword_data();
    void settingsPassword();
    void guardSwitch_data();
    void guardSwitch();
    void guardQuestionGivenUp();
    void guardNotSaved();
    void passwordButtons_data();
    void passwordButtons();
    void statisticsButton();
    void startAtLogin_data();
    void startAtLogin();

private:
    void prepareStore(bool viewerGuard, bool settingsGuard);
    void startViewer();
    accessProtection stored() const;
    QMessageBox *openMessage() const;
    void answer(const QString &typed);
    template <typename T> T *inSettings(const char *name) const
    {
        T *found = viewer->settingsDialog()->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }

    static const QString viewerSecret;
    static const QString settingsSecret;
    std::unique_ptr<viewerFixture> fixture;
    std::unique_ptr<ownCam> viewer;
};

// Two different passwords, so that a guard asking for the other one's password shows.
const QString tst_settingsAccess::viewerSecret = QStringLiteral("Pforte 3");
const QString tst_settingsAccess::settingsSecret = QStringLiteral("Büro 12");

void tst_settingsAccess::init()
{
    fixture = std::make_unique<viewerFixture>();
}

void tst_settingsAccess::cleanup()
{
    viewer.reset();
    fixture.reset();
}

void tst_settingsAccess::prepareStore(bool viewerGuard, bool settingsGuard)
{
    accessProtection protection(fixture->configHome() + QStringLiteral("/dxcamviewer/passwords.conf"));
    protection.load();
    protection.viewerPassword = viewerSecret;
    protection.settingsPassword = settingsSecret;
    protection.protectViewer = viewerGuard;
    protection.protectSetting = settingsGuard;
    QVERIFY(protection.save());
}

// Auto-hide keeps the main window hidden, so nothing starts a stream.
void tst_settingsAccess::startViewer()
{
    fixture->writeIni(1, QStringLiteral("Autohide=1\nTimeout=30\n"));
    viewer = fixture->start();
    viewerFixture::tick(*viewer, 3);
}

// What a fresh look at the store finds.
accessProtection tst_settingsAccess::stored() const
{
    accessProtection protection(fixture->configHome() + QStringLiteral("/dxcamviewer/passwords.conf"));
    protection.load();
    return protection;
}

QMessageBox *tst_settingsAccess::openMessage() const
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            return box;
    }
    return nullptr;
}

// Types into the password entry and confirms; an empty text presses Escape instead.
void tst_settingsAccess::answer(const QString &typed)
{
    auto *field = viewer->dialogs().passwordPrompt()->findChild<QLineEdit *>(QStringLiteral("pswE"));
    field->insert(typed);
    QTest::keyClick(field, typed.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
}

void tst_settingsAccess::settingsPassword_data()
{
    QTest::addColumn<bool>("guard");
    QTest::addColumn<QString>("typed");  // "" presses Escape
    QTest::addColumn<bool>("opened");
    QTest::newRow("guard off: opened at once") << false << "" << true;
    QTest::newRow("right password") << true << settingsSecret << true;
    QTest::newRow("viewer password") << true << viewerSecret << false;
    QTest::newRow("right password with a blank more") << true << settingsSecret + QLatin1Char(' ') << false;
    QTest::newRow("Escape") << true << "" << false;
}

void tst_settingsAccess::settingsPassword()
{
    QFETCH(bool, guard);
    QFETCH(QString, typed);
    QFETCH(bool, opened);
    prepareStore(false, guard);
    startViewer();
    EinstDia *dialog = viewer->settingsDialog();

    viewer->tray().menu()->actions().at(5)->trigger();  // "&Einstellungen"
    pasw1Dia *prompt = viewer->dialogs().passwordPrompt();
    if (!guard) {
        QVERIFY(dialog->isVisible());
        QVERIFY(!prompt->isVisible());
        return;
    }
    QVERIFY(prompt->isVisible());
    QVERIFY(!dialog->isVisible());
    QCOMPARE(prompt->windowTitle(), QStringLiteral("Passwort Einstellungen Eingabe"));
    answer(typed);
    viewerFixture::tick(*viewer, 2);
    QCOMPARE(dialog->isVisible(), opened);
    QMessageBox *message = openMessage();
    QCOMPARE(message ? message->text() : QString(),
             opened || typed.isEmpty() ? QString() : QStringLiteral(" Passwort ist falsch "));
    if (message)
        message->close();
    // A refused password keeps the prompt; Escape or a right password ends it.
    QCOMPARE(prompt->isVisible(), !opened && !typed.isEmpty());
}

void tst_settingsAccess::guardSwitch_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("wasOn");
    QTest::addColumn<QString>("typed");  // "" presses Escape
    QTest::addColumn<bool>("isOn");
    const QString viewerBox = QStringLiteral("protViewCB");
    const QString settingsBox = QStringLiteral("protecEistellCB");
    QTest::newRow("viewer guard on, its password") << viewerBox << false << viewerSecret << true;
    QTest::newRow("viewer guard off, its password") << viewerBox << true << viewerSecret << false;
    QTest::newRow("viewer guard off, Escape") << viewerBox << true << "" << true;
    QTest::newRow("viewer guard off, the settings password") << viewerBox << true << settingsSecret << true;
    QTest::newRow("settings guard on, its password") << settingsBox << false << settingsSecret << true;
    QTest::newRow("settings guard off, its password") << settingsBox << true << settingsSecret << false;
    QTest::newRow("settings guard on, Escape") << settingsBox << false << "" << false;
    QTest::newRow("settings guard off, the viewer password") << settingsBox << true << viewerSecret << true;
}

// Switching a guard on or off needs that guard's password; without it the box goes back.
void tst_settingsAccess::guardSwitch()
{
    QFETCH(QString, box);
    QFETCH(bool, wasOn);
    QFETCH(QString, typed);
    QFETCH(bool, isOn);
    const bool viewerGuard = box == QLatin1String("protViewCB");
    prepareStore(viewerGuard && wasOn, !viewerGuard && wasOn);
    startViewer();
    // The settings guard is on in some rows: the dialog is opened the way the test wants.
    viewer->settingsDialog()->show();
    auto *check = inSettings<QCheckBox>(box.toLatin1().constData());
    QCOMPARE(check->isChecked(), wasOn);

    check->click();
    viewerFixture::tick(*viewer);
    pasw1Dia *prompt = viewer->dialogs().passwordPrompt();
    QVERIFY(prompt->isVisible());
    QCOMPARE(prompt->windowTitle(),
             viewerGuard ? QStringLiteral("Passwort Viewer Eingabe") : QStringLiteral("Passwort Einstellungen Eingabe"));
    // Nothing is switched while the question is open.
    QCOMPARE(stored().protectViewer, viewerGuard && wasOn);
    QCOMPARE(stored().protectSetting, !viewerGuard && wasOn);

    answer(typed);
    if (QMessageBox *message = openMessage()) {
        // A wrong password: the user gives up.
        message->close();
        prompt->findChild<QPushButton *>(QStringLiteral("CancPB"))->click();
    }
    viewerFixture::tick(*viewer);
    QVERIFY(!prompt->isVisible());
    QCOMPARE(check->isChecked(), isOn);
    QCOMPARE(stored().protectViewer, viewerGuard ? isOn : false);
    QCOMPARE(stored().protectSetting, viewerGuard ? false : isOn);
    QCOMPARE(viewer->dialogs().viewerGuardOn(), viewerGuard && isOn);
    // The passwords themselves stay as they were.
    QCOMPARE(stored().viewerPassword, viewerSecret);
    QCOMPARE(stored().settingsPassword, settingsSecret);
}

// A guard question replaced by another one counts as not answered: the box goes back, and the
// new question is served as usual.
void tst_settingsAccess::guardQuestionGivenUp()
{
    prepareStore(true, false);
    startViewer();
    QVERIFY(viewer->isHidden());
    viewer->settingsDialog()->show();
    auto *check = inSettings<QCheckBox>("protViewCB");
    check->click();
    viewerFixture::tick(*viewer);
    QVERIFY(!check->isChecked());

    viewer->tray().menu()->actions().at(2)->trigger();  // "&Wiederherstellen"
    QVERIFY(check->isChecked());
    pasw1Dia *prompt = viewer->dialogs().passwordPrompt();
    QVERIFY(prompt->isVisible());
    QCOMPARE(prompt->currentPurpose(), int(pasw1Dia::showNormal));
    answer(viewerSecret);
    viewerFixture::tick(*viewer, 2);
    QVERIFY(viewer->isVisible());
    QVERIFY(stored().protectViewer);
}

// A guard that cannot be stored is not reported as switched.
void tst_settingsAccess::guardNotSaved()
{
    prepareStore(false, false);
    startViewer();
    const QString store = fixture->configHome() + QStringLiteral("/dxcamviewer/passwords.conf");
    QVERIFY(QFile::remove(store));
    QVERIFY(QDir().mkdir(store));
    viewer->settingsDialog()->show();
    auto *check = inSettings<QCheckBox>("protViewCB");
    check->click();
    viewerFixture::tick(*viewer);
    // The store cannot be read either: the factory password stands in.
    answer(accessProtection::factoryPassword);
    viewerFixture::tick(*viewer);
    QMessageBox *message = openMessage();
    QVERIFY(message);
    QVERIFY2(message->text().startsWith(QStringLiteral("Die Einstellung konnte nicht gespeichert werden")),
             qPrintable(message->text()));
    QVERIFY(!check->isChecked());
    QVERIFY(!viewer->dialogs().viewerGuardOn());
}

void tst_settingsAccess::passwordButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("old");
    QTest::newRow("viewer") << "pswVideoPB" << "Neues Passwort für Viewer" << viewerSecret;
    QTest::newRow("settings") << "pswSettingsPB" << "Neues Passwort für Einstellungen" << settingsSecret;
}

// Each button changes its own password, in the one change dialog.
void tst_settingsAccess::passwordButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, title);
    QFETCH(QString, old);
    prepareStore(false, false);
    startViewer();
    viewer->einstellFun();
    const QString other = button == QLatin1String("pswVideoPB") ? QStringLiteral("pswSettingsPB")
                                                                : QStringLiteral("pswVideoPB");
    const auto openChangeDialogs = [] {
        QList<paswSettings *> open;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *d = qobject_cast<paswSettings *>(w); d && d->isVisible())
                open.append(d);
        }
        return open;
    };
    inSettings<QPushButton>(other.toLatin1().constData())->click();
    viewerFixture::tick(*viewer);
    QCOMPARE(openChangeDialogs().size(), 1);
    paswSettings *first = openChangeDialogs().first();
    inSettings<QPushButton>(button.toLatin1().constData())->click();
    viewerFixture::tick(*viewer);
    QCOMPARE(openChangeDialogs().size(), 1);
    paswSettings *change = openChangeDialogs().first();
    QCOMPARE(change, first);
    QCOMPARE(change->windowTitle(), title);

    const QString renewed = QStringLiteral("Tor 7 auf");
    change->findChild<QLineEdit *>(QStringLiteral("paswOldE"))->setText(old);
    change->findChild<QLineEdit *>(QStringLiteral("paswNeuE"))->setText(renewed);
    change->findChild<QLineEdit *>(QStringLiteral("paswRepearE"))->setText(renewed);
    change->findChild<QPushButton *>(QStringLiteral("okPB"))->click();
    QVERIFY(!change->isVisible());
    const bool viewerChanged = button == QLatin1String("pswVideoPB");
    QCOMPARE(stored().viewerPassword, viewerChanged ? renewed : viewerSecret);
    QCOMPARE(stored().settingsPassword, viewerChanged ? settingsSecret : renewed);
}

void tst_settingsAccess::statisticsButton()
{
    startViewer();
    viewer->einstellFun();
    QCOMPARE(viewer->dialogs().statistics(), nullptr);
    inSettings<QPushButton>("startServPB")->click();
    viewerFixture::tick(*viewer);
    QVERIFY(viewer->dialogs().statistics());
    QVERIFY(viewer->dialogs().statistics()->isVisible());
    QCOMPARE(viewer->dialogs().statistics()->cellText(0, 0), QStringLiteral("Cam 0"));
}

void tst_settingsAccess::startAtLogin_data()
{
    QTest::addColumn<bool>("wasOn");
    QTest::addColumn<bool>("folderBlocked");  // a file where the autostart folder belongs
    QTest::addColumn<bool>("isOn");
    QTest::addColumn<QString>("message");
    QTest::newRow("switched on") << false << false << true << QString();
    QTest::newRow("switched off") << true << false << false << QString();
    QTest::newRow("entry cannot be written") << false << true << false
                                              << "Der Eintrag für den Start beim Anmelden konnte nicht geschrieben werden";
}

// The box shows whether the session starts the viewer at login and switches exactly that: an
// entry in the user's autostart folder that starts this program on this INI file.
void tst_settingsAccess::startAtLogin()
{
    QFETCH(bool, wasOn);
    QFETCH(bool, folderBlocked);
    QFETCH(bool, isOn);
    QFETCH(QString, message);
    const QString folder = fixture->configHome() + QStringLiteral("/autostart");
    const QString entry = folder + QStringLiteral("/" DXCAM_APP_ID ".desktop");
    QVERIFY(QDir().mkpath(fixture->configHome()));
    if (folderBlocked) {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    startViewer();
    viewer->einstellFun();
    auto *check = inSettings<QCheckBox>("autoStartCB");
    QVERIFY(!check->isChecked());
    if (wasOn) {
        // Switched from the command line while the viewer runs: the dialog shows it when opened.
        viewer->settingsDialog()->hide();
        QVERIFY(autoStart(QCoreApplication::applicationFilePath(), fixture->iniPath()).setEnabled(true));
        viewer->einstellFun();
        QVERIFY(check->isChecked());
    }

    check->click();
    QCOMPARE(check->isChecked(), isOn);
    QMessageBox *box = openMessage();
    QCOMPARE(box ? box->text().section(QLatin1Char(':'), 0, 0) : QString(), message);
    if (box)
        QVERIFY(box->text().endsWith(entry));
    QCOMPARE(QFileInfo(entry).isFile(), isOn);
    if (!isOn)
        return;
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QString exec = QStringLiteral("\nExec=") + QCoreApplication::applicationFilePath() + QStringLiteral(" --config ")
                         + fixture->iniPath() + QLatin1Char('\n');
    QVERIFY2(text.contains(exec), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Hidden=true")));
}

QTEST_MAIN(tst_settingsAccess)
#include "tst_settingsaccess.moc"
