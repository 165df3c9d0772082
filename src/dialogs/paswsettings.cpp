#include "paswsettings.h"
#include "ui_paswsettings.h"

#include "accessprotection.h"
#include "dialogmessage.h"
#include "edition.h"

#include <QMessageBox>

paswSettings::paswSettings(accessProtection &protection, int FaVers, QWidget *parent)
    : QDialog(parent)
    , protection(protection)
    , mode(accessProtection::settingsMode)
    , FaVers(FaVers)
    , ui(new Ui::paswSettings)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(QIcon(edition::forVersion(FaVers).iconPath));
    applyTitle();
}

paswSettings::~paswSettings()
{
    delete ui;
}

void paswSettings::start(int changeMode)
{
    const bool typed = !(ui->paswOldE->text().isEmpty() && ui->paswNeuE->text().isEmpty()
                         && ui->paswRepearE->text().isEmpty());
    if (!isVisible() || !typed) {
        begin(changeMode);
        return;
    }
    raise();
    activateWindow();
    // The other "Passwort einstellen" button would throw away what was typed for this password.
    if (changeMode == mode || messageBox)
        return;
    messageBox = dialogMessage::ask(
        this, FaVers,
        changeMode == accessProtection::settingsMode
            ? tr("Die Eingaben für das Viewer-Passwort verwerfen und das Passwort für Einstellungen ändern?")
            : tr("Die Eingaben für das Passwort für Einstellungen verwerfen und das Viewer-Passwort ändern?"),
        [this, changeMode] { begin(changeMode); });
}

void paswSettings::begin(int changeMode)
{
    mode = changeMode;
    protection.load();
    for (QLineEdit *field : {ui->paswOldE, ui->paswNeuE, ui->paswRepearE})
        field->clear();
    applyTitle();
    show();
    raise();
    activateWindow();
    ui->paswOldE->setFocus();
}

void paswSettings::retranslate()
{
    ui->retranslateUi(this);
    applyTitle();
}

void paswSettings::applyTitle()
{
    setWindowTitle(mode == accessProtection::settingsMode ? tr("Neues Passwort für Einstellungen")
                                                          : tr("Neues Passwort für Viewer"));
}

void paswSettings::refuse(const QString &text)
{
    if (!messageBox)
        messageBox = dialogMessage::open(this, FaVers, text);
}

void paswSettings::on_okPB_clicked()
{
    const QString current = protection.password(mode);
    const QString entered = ui->paswNeuE->text();
    if (const char *refusal = accessProtection::changeRefusal(ui->paswOldE->text(), current, entered,
                                                              ui->paswRepearE->text())) {
        refuse(tr(refusal));
        return;
    }
    protection.setPassword(mode, entered);
    if (!protection.save()) {
        // The old password is still the one in the store; the record must not claim otherwise.
        protection.setPassword(mode, current);
        refuse(tr("Das Passwort konnte nicht gespeichert werden: die Datei %1 ist nicht beschreibbar.")
                   .arg(protection.storePath()));
        return;
    }
    ui->paswOldE->setFocus();
    hide();
}
