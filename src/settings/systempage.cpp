#include "systempage.h"
#include "ui_systempage.h"

#include "accessprotection.h"
#include "camhandel.h"
#include "fillblocker.h"
#include "pagerules.h"
#include "settingsrequests.h"
#include "shellsettings.h"

#include <utility>

systemPage::systemPage(int FaVers, shellSettings &settings, const bool &traceSwitch, settingsRequests &requests,
                       const accessProtection &protection, const autoStart &startAtLogin, QWidget *parent)
    : QWidget(parent), ui(new Ui::systemPage), settings(settings), traceSwitch(traceSwitch), requests(requests),
      protection(protection), loginEntry(startAtLogin)
{
    ui->setupUi(this);
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Test, ui->ownIpE, ui->ownIpL, ui->EnLogCB})
        w->hide();
    if (FaVers == 1) {
        manualSavingShown = false;
        for (QWidget *w : std::initializer_list<QWidget *>{ui->label, ui->bildDirE, ui->bildDirPB, ui->autoBildSaveCB,
                                                           ui->AlarmBildSaveCB})
            w->hide();
    }
    if (FaVers == 2) {
        for (QWidget *w : std::initializer_list<QWidget *>{ui->udpFernCB, ui->steurTastTextL, ui->stTasteTxE})
            w->hide();
    }
    connectImmediate();
}

systemPage::~systemPage()
{
    delete ui;
}

void systemPage::retranslate()
{
    ui->retranslateUi(this);
    // The default labels follow the language; a text the user typed stays.
    if (ui->stTasteTxE->text() == defaultLabelsShown)
        showButtonText(camHandel::defaultButtonText());
    defaultLabelsShown = camHandel::shownButtonText(camHandel::defaultButtonText());
}

void systemPage::showButtonText(const QString &stored)
{
    ui->stTasteTxE->setText(camHandel::shownButtonText(stored));
    defaultLabelsShown = camHandel::shownButtonText(camHandel::defaultButtonText());
}

void systemPage::connectImmediate()
{
    // The password dialogs are opened by the main window; the page only asks for them.
    connect(ui->protViewCB, &QCheckBox::clicked, this, [this] { requests.protectViewerClicked = true; });
    connect(ui->protecEistellCB, &QCheckBox::clicked, this, [this] { requests.protectSettingsClicked = true; });
    connect(ui->pswVideoPB, &QPushButton::clicked, this, [this] { requests.changeViewerPassword = true; });
    connect(ui->pswSettingsPB, &QPushButton::clicked, this, [this] { requests.changeSettingsPassword = true; });
    connect(ui->autoStartCB, &QCheckBox::clicked, this, &systemPage::switchStartAtLogin);
    connect(ui->allBildSaveCB, &QCheckBox::clicked, this, &systemPage::recordingControls);
    connect(ui->autoBildSaveCB, &QCheckBox::clicked, this, &systemPage::recordingControls);
    connect(ui->EnLogCB, &QCheckBox::clicked, this, [this](bool on) {
        requests.traceChanged = true;
        requests.traceChecked = on;
    });
    connect(ui->bildDirPB, &QPushButton::clicked, this,
            [this] { pageRules::chooseInto(ui->bildDirE, true, tr("Verzeichnis auswählen ...")); });
    connect(ui->audioEffPB, &QPushButton::clicked, this,
            [this] { pageRules::chooseInto(ui->audioEffE, false, tr("Datei auswählen ...")); });
}

// Automatic recording owns the picture files: while it is on, manual saving is greyed out
// and the modules' recording settings apply.
void systemPage::recordingControls()
{
    const bool automatic = ui->allBildSaveCB->isChecked();
    settings.BildAllSaveEn = automatic;
    ui->autoBildSaveCB->setEnabled(!automatic && manualSavingShown);
    requests.updatePanelButtons = true;
    emit recordingAllowed(automatic);
}

// Taken over at once: the entry is the setting, there is nothing to store later.
void systemPage::switchStartAtLogin(bool on)
{
    if (loginEntry.setEnabled(on))
        return;
    ui->autoStartCB->setChecked(loginEntry.isEnabled());
    const QString text = on ? tr("Der Eintrag für den Start beim Anmelden konnte nicht geschrieben werden:\n%1")
                            : tr("Der Eintrag für den Start beim Anmelden konnte nicht entfernt werden:\n%1");
    emit problem(text.arg(loginEntry.entryPath()));
}

void systemPage::fill()
{
    {
        const fillBlocker silent(this);
        ui->ownIpE->setText(settings.ownIP);
        ui->udpFernCB->setChecked(settings.RemoteCtrl);
        showButtonText(settings.ButtonText);
        ui->bildDirE->setText(settings.ImageFolder);
        ui->autoBildSaveCB->setChecked(settings.Autosave);
        ui->AlarmBildSaveCB->setChecked(settings.AlarmBildSaveEn);
        ui->allBildSaveCB->setChecked(settings.BildAllSaveEn);
        ui->audioEffCB->setChecked(settings.SoundEn);
        ui->audioEffE->setText(settings.Soundfile);
        ui->notifyCB->setChecked(settings.NotifyEn);
        ui->savePrintCB->setChecked(settings.SavePrintBtnEn);
        ui->historyDaysSB->setValue(settings.HistoryDays);
        ui->historyMbSB->setValue(settings.HistoryMB);
        ui->EnLogCB->setChecked(traceSwitch);
        // The entry's real state: it may have been switched from the command line meanwhile.
        ui->autoStartCB->setChecked(loginEntry.isEnabled());
    }
    fillGuards();
    ui->autoBildSaveCB->setEnabled(!settings.BildAllSaveEn && manualSavingShown);
    emit recordingAllowed(settings.BildAllSaveEn);
}

void systemPage::fillGuards()
{
    const QSignalBlocker viewer(ui->protViewCB);
    const QSignalBlocker settingsGuard(ui->protecEistellCB);
    ui->protViewCB->setChecked(protection.protectViewer);
    ui->protecEistellCB->setChecked(protection.protectSetting);
}

bool systemPage::guardChecked(int mode) const
{
    return (mode == accessProtection::viewerMode ? ui->protViewCB : ui->protecEistellCB)->isChecked();
}

QString systemPage::check() const
{
    const std::pair<QWidget *, QLineEdit *> fields[] = {{ui->steurTastTextL, ui->stTasteTxE},
                                                        {ui->label, ui->bildDirE},
                                                        {ui->audioEffCB, ui->audioEffE},
                                                        {ui->ownIpL, ui->ownIpE}};
    for (const auto &[label, field] : fields) {
        const QString name = label->property("text").toString().remove(QLatin1Char(':'));
        const QString problem = pageRules::textProblem(name, field->text());
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

void systemPage::storeButtonText()
{
    settings.ButtonText = camHandel::storedButtonText(ui->stTasteTxE->text());
}

void systemPage::store()
{
    settings.RemoteCtrl = ui->udpFernCB->isChecked();
    storeButtonText();
    settings.ownIP = ui->ownIpE->text();
    settings.Soundfile = ui->audioEffE->text();
    settings.SoundEn = ui->audioEffCB->isChecked();
    settings.NotifyEn = ui->notifyCB->isChecked();
    if (std::exchange(settings.SavePrintBtnEn, int(ui->savePrintCB->isChecked())) != settings.SavePrintBtnEn)
        requests.updatePanelButtons = true;
    settings.HistoryDays = ui->historyDaysSB->value();
    settings.HistoryMB = ui->historyMbSB->value();
    settings.ImageFolder = ui->bildDirE->text();
    settings.Autosave = ui->autoBildSaveCB->isChecked();
    settings.BildAllSaveEn = ui->allBildSaveCB->isChecked();
    settings.AlarmBildSaveEn = ui->AlarmBildSaveCB->isChecked();
}
