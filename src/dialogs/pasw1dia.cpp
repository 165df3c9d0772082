#include "pasw1dia.h"
#include "tracecategory.h"
#include "ui_pasw1dia.h"

#include "accessprotection.h"
#include "dialogmessage.h"
#include "edition.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

pasw1Dia::pasw1Dia(accessProtection &protection, int FaVers, QWidget *parent)
    : QDialog(parent)
    , protection(protection)
    , mode(accessProtection::settingsMode)
    , FaVers(FaVers)
    , ui(new Ui::pasw1Dia)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(QIcon(edition::forVersion(FaVers).iconPath));
    applyTitle();
}

pasw1Dia::~pasw1Dia()
{
    delete ui;
}

void pasw1Dia::readAllSettings()
{
    mode = accessProtection::settingsMode;
    if (protection.storedValueCount() < 3)
        qCDebug(dxcamTrace) << "pasw1Dia::readAllSettings() :: -->> noch keine Registry Eintragungen ";
    else
        qCDebug(dxcamTrace) << "pasw1Dia::readAllSettings() :: -->> pPaswD - Registry Eintragungen ";
    protection.load();
    viewerCopy = protection.viewerPassword;
    settingsCopy = protection.settingsPassword;
}

void pasw1Dia::prompt(int promptMode, int promptPurpose)
{
    readAllSettings();
    mode = promptMode;
    purposeValue = promptPurpose;
    outcome = result::none;
    ui->pswE->clear();
    applyTitle();
    show();
    raise();
    activateWindow();
    ui->pswE->setFocus();
}

pasw1Dia::result pasw1Dia::takeResult()
{
    const result taken = outcome;
    outcome = result::none;
    return taken;
}

void pasw1Dia::retranslate()
{
    ui->retranslateUi(this);
    applyTitle();
}

void pasw1Dia::applyTitle()
{
    setWindowTitle(mode == accessProtection::viewerMode ? tr("Passwort Viewer Eingabe")
                                                        : tr("Passwort Einstellungen Eingabe"));
}

void pasw1Dia::on_okPB_clicked()
{
    const QString &expected = mode == accessProtection::settingsMode ? settingsCopy : viewerCopy;
    if (expected.isEmpty() || ui->pswE->text() != expected) {
        if (!wrongBox)
            wrongBox = dialogMessage::open(this, FaVers, tr(" Passwort ist falsch "));
        return;
    }
    outcome = result::accepted;
    hide();
}

void pasw1Dia::on_CancPB_clicked()
{
    outcome = result::cancelled;
    hide();
}

void pasw1Dia::reject()
{
    on_CancPB_clicked();
}

void pasw1Dia::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        on_okPB_clicked();
        break;
    case Qt::Key_Escape:
        on_CancPB_clicked();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void pasw1Dia::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (isVisible())
        on_CancPB_clicked();
}
