#include "accessprotection.h"
#include "pasw1dia.h"
#include "paswsettings.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// The password entry and the password change dialog, driven as a user does.
class tst_passwordDialogs : public QObject {
    Q_OBJECT

private slots:
    void init();
    void entry_data();
    void entry();
    void changeStored_data();
    void changeStored();
    void changeRefused_data();
    void changeRefused();
    void changeNotWritable();

private:
    static QString openMessage(QWidget *dialog);
    static QString storePath(const QTemporaryDir &dir) { return dir.filePath(QStringLiteral("passwords.conf")); }
    void prepareStore(const QString &viewer, const QString &settings);

    std::unique_ptr<QTemporaryDir> dir;
};

void tst_passwordDialogs::init()
{
    dir = std::make_unique<QTemporaryDir>();
}

void tst_passwordDialogs::prepareStore(const QString &viewer, const QString &settings)
{
    accessProtection protection(storePath(*dir));
    protection.load();
    protection.viewerPassword = viewer;
    protection.settingsPassword = settings;
    protection.protectViewer = true;
    QVERIFY(protection.save());
}

// The text of the message box the dialog opened, empty when there is none.
QString tst_passwordDialogs::openMessage(QWidget *dialog)
{
    for (QMessageBox *box : dialog->findChildren<QMessageBox *>()) {
        if (box->isVisible())
            return box->text();
    }
    return QString();
}

void tst_passwordDialogs::entry_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("action");  // ok, return, cancel, escape, close
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("wrongMessage");
    const int viewer = accessProtection::viewerMode;
    const int settings = accessProtection::settingsMode;
    const int accepted = int(pasw1Dia::result::accepted);
    const int cancelled = int(pasw1Dia::result::cancelled);
    const int none = int(pasw1Dia::result::none);
    QTest::newRow("viewer password") << viewer << "Tor 1" << "ok" << accepted << false;
    QTest::newRow("viewer password with Return") << viewer << "Tor 1" << "return" << accepted << false;
    QTest::newRow("settings password for the viewer") << viewer << "abcd" << "ok" << none << true;
    QTest::newRow("other case") << viewer << "tor 1" << "ok" << none << true;
    QTest::newRow("trailing blank") << viewer << "Tor 1 " << "return" << none << true;
    QTest::newRow("settings password") << settings << "abcd" << "ok" << accepted << false;
    QTest::newRow("cancel button") << viewer << "Tor 1" << "cancel" << cancelled << false;
    QTest::newRow("Escape cancels") << viewer << "" << "escape" << cancelled << false;
    QTest::newRow("closing cancels") << viewer << "" << "close" << cancelled << false;
}

void tst_passwordDialogs::entry()
{
    QFETCH(int, mode);
    QFETCH(QString, typed);
    QFETCH(QString, action);
    QFETCH(int, result);
    QFETCH(bool, wrongMessage);
    prepareStore(QStringLiteral("Tor 1"), QStringLiteral("abcd"));
    accessProtection protection(storePath(*dir));
    pasw1Dia prompt(protection, 0);
    prompt.prompt(mode, pasw1Dia::showMaximised);
    QVERIFY(prompt.isVisible());
    QCOMPARE(prompt.windowTitle(), mode == accessProtection::viewerMode ? QStringLiteral("Passwort Viewer Eingabe")
                                                                         : QStringLiteral("Passwort Einstellungen Eingabe"));
    auto *field = prompt.findChild<QLineEdit *>(QStringLiteral("pswE"));
    field->insert(typed);
    if (action == QLatin1String("ok"))
        prompt.findChild<QPushButton *>(QStringLiteral("okPB"))->click();
    else if (action == QLatin1String("return"))
        QTest::keyClick(field, Qt::Key_Return);
    else if (action == QLatin1String("cancel"))
        prompt.findChild<QPushButton *>(QStringLiteral("CancPB"))->click();
    else if (action == QLatin1String("escape"))
        QTest::keyClick(field, Qt::Key_Escape);
    else
        prompt.close();

    QCOMPARE(openMessage(&prompt), wrongMessage ? QStringLiteral(" Passwort ist falsch ") : QString());
    QCOMPARE(prompt.isVisible(), result == int(pasw1Dia::result::none));
    QCOMPARE(int(prompt.takeResult()), result);
    QCOMPARE(int(prompt.takeResult()), int(pasw1Dia::result::none));  // handed out once

    // A new prompt starts empty.
    prompt.prompt(mode, pasw1Dia::showNormal);
    QCOMPARE(field->text(), QString());
}

void tst_passwordDialogs::changeStored_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<int>("otherButton");  // the answer when the other password's button is pressed meanwhile
    const int viewer = accessProtection::viewerMode;
    const int none = QMessageBox::NoButton;
    QTest::newRow("viewer, inner blanks kept") << viewer << "Tor  7 auf" << none;
    QTest::newRow("settings, Latin-1") << int(accessProtection::settingsMode) << "Grüße" << none;
    QTest::newRow("viewer, the other button keeps the typing") << viewer << "abc" << int(QMessageBox::No);
    QTest::newRow("viewer, the other button gives it up") << viewer << "abc" << int(QMessageBox::Yes);
}

void tst_passwordDialogs::changeStored()
{
    QFETCH(int, mode);
    QFETCH(QString, newPassword);
    QFETCH(int, otherButton);
    accessProtection protection(storePath(*dir));
    paswSettings dialog(protection, 0);
    dialog.start(mode);
    const int other = mode == accessProtection::viewerMode ? accessProtection::settingsMode : accessProtection::viewerMode;
    auto *oldField = dialog.findChild<QLineEdit *>(QStringLiteral("paswOldE"));
    oldField->insert(QStringLiteral("4711"));
    if (otherButton != QMessageBox::NoButton) {
        dialog.start(other);
        QCOMPARE(openMessage(&dialog), QStringLiteral("Die Eingaben für das Viewer-Passwort verwerfen und das "
                                                      "Passwort für Einstellungen ändern?"));
        dialog.findChild<QMessageBox *>()->button(QMessageBox::StandardButton(otherButton))->click();
        QCOMPARE(oldField->text(), otherButton == QMessageBox::Yes ? QString() : QStringLiteral("4711"));
        if (otherButton == QMessageBox::Yes) {
            mode = other;
            oldField->insert(QStringLiteral("4711"));
        }
    }
    QCOMPARE(dialog.windowTitle(), mode == accessProtection::viewerMode ? QStringLiteral("Neues Passwort für Viewer")
                                                                         : QStringLiteral("Neues Passwort für Einstellungen"));
    dialog.findChild<QLineEdit *>(QStringLiteral("paswNeuE"))->insert(newPassword);
    dialog.findChild<QLineEdit *>(QStringLiteral("paswRepearE"))->insert(newPassword);
    dialog.findChild<QPushButton *>(QStringLiteral("okPB"))->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(openMessage(&dialog), QString());

    accessProtection reloaded(storePath(*dir));
    reloaded.load();
    QCOMPARE(reloaded.password(mode), newPassword);
    QCOMPARE(reloaded.password(mode == accessProtection::viewerMode ? accessProtection::settingsMode
                                                                    : accessProtection::viewerMode),
             QStringLiteral("4711"));
}

void tst_passwordDialogs::changeRefused_data()
{
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("message");
    QTest::newRow("two characters plus blanks") << "4711" << "a  b" << "Passwort muss mindestens 3 Zeichen lang sein";
    QTest::newRow("old with an extra blank") << "4711 " << "abcd" << " Altes Passwort ist falsch ";
    QTest::newRow("euro sign") << "4711" << "Tor€1" << "";
}

void tst_passwordDialogs::changeRefused()
{
    QFETCH(QString, old);
    QFETCH(QString, newPassword);
    QFETCH(QString, message);
    accessProtection protection(storePath(*dir));
    paswSettings dialog(protection, 2);
    dialog.start(accessProtection::viewerMode);
    auto *oldField = dialog.findChild<QLineEdit *>(QStringLiteral("paswOldE"));
    oldField->insert(old);
    dialog.findChild<QLineEdit *>(QStringLiteral("paswNeuE"))->insert(newPassword);
    dialog.findChild<QLineEdit *>(QStringLiteral("paswRepearE"))->insert(newPassword);
    dialog.findChild<QPushButton *>(QStringLiteral("okPB"))->click();

    QVERIFY(dialog.isVisible());
    const QString shown = openMessage(&dialog);
    QVERIFY2(message.isEmpty() ? shown.contains(QStringLiteral("€")) : shown == message, qPrintable(shown));
    QMessageBox *box = dialog.findChild<QMessageBox *>();
    QCOMPARE(box->windowTitle(), QStringLiteral("QUARDELLO DX-CAM Viewer V2.2.6"));
    QCOMPARE(oldField->text(), old);
    accessProtection reloaded(storePath(*dir));
    reloaded.load();
    QCOMPARE(reloaded.viewerPassword, QStringLiteral("4711"));
}

// A change that could not be written is not reported as done.
void tst_passwordDialogs::changeNotWritable()
{
    accessProtection protection(storePath(*dir));
    protection.load();
    QVERIFY(QFile::remove(storePath(*dir)));
    QVERIFY(QDir().mkdir(storePath(*dir)));  // a folder where the file should be
    paswSettings dialog(protection, 0);
    dialog.start(accessProtection::settingsMode);
    dialog.findChild<QLineEdit *>(QStringLiteral("paswOldE"))->insert(QStringLiteral("4711"));
    dialog.findChild<QLineEdit *>(QStringLiteral("paswNeuE"))->insert(QStringLiteral("neu123"));
    dialog.findChild<QLineEdit *>(QStringLiteral("paswRepearE"))->insert(QStringLiteral("neu123"));
    dialog.findChild<QPushButton *>(QStringLiteral("okPB"))->click();
    QVERIFY(dialog.isVisible());
    QVERIFY(openMessage(&dialog).startsWith(QStringLiteral("Das Passwort konnte nicht gespeichert werden")));
    QCOMPARE(protection.settingsPassword, QStringLiteral("4711"));
}

QTEST_MAIN(tst_passwordDialogs)
#include "tst_passworddialogs.moc"
