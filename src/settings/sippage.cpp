#include "sippage.h"
#include "ui_sippage.h"

#include "fillblocker.h"
#include "pagerules.h"
#include "sipmodule.h"


sipPage::sipPage(int FaVers, QWidget *parent)
    : QWidget(parent), ui(new Ui::sipPage), edition(FaVers)
{
    ui->setupUi(this);
    ui->ipSipAdrE->setValidator(pageRules::ipv4Typing(ui->ipSipAdrE));
    // Every save writes the door station's standard ports, whatever the fields hold.
    ui->dxSipUdpStE->setReadOnly(true);
    ui->dxSipUdpSteuE->setReadOnly(true);
    if (FaVers == 1)
        ui->paswSipE->setEchoMode(QLineEdit::Password);
    editionTexts();
    // Every choice recomputes all of them, so that no box is left out of the stored value.
    for (QCheckBox *box : {ui->rufAufbauCB, ui->RufEinCB, ui->rufAktivCB, ui->alleVerwendCB})
        connect(box, &QCheckBox::clicked, this, &sipPage::choicesChanged);
    for (QComboBox *box : {ui->turAufSipCB, ui->LichtEinSipCB})
        connect(box, &QComboBox::currentIndexChanged, this, &sipPage::choicesChanged);
    // The fields store() takes over; the choices above go into the record at once.
    for (QLineEdit *field : {ui->modSipNameE, ui->UsSipNameE, ui->ipSipAdrE, ui->paswSipE, ui->nrRufzielE,
                             ui->relSipTimeE, ui->relSipTimeIE})
        connect(field, &QLineEdit::textChanged, this, [this] { edits = true; });
}

sipPage::~sipPage()
{
    delete ui;
}

void sipPage::editionTexts()
{
    if (edition == 1)
        ui->SipGB->setTitle(tr("HSM-410 Modul"));
}

void sipPage::retranslate()
{
    ui->retranslateUi(this);
    editionTexts();
}

int sipPage::popupBits() const
{
    return (ui->RufEinCB->isChecked() ? 1 : 0) | (ui->rufAufbauCB->isChecked() ? 2 : 0)
           | (ui->rufAktivCB->isChecked() ? 4 : 0);
}

void sipPage::choicesChanged()
{
    ui->nrRufzielE->setEnabled(!ui->alleVerwendCB->isChecked());
    if (!record)
        return;
    record->SIP_popup = popupBits();
    record->allRufNr = ui->alleVerwendCB->isChecked();
    // An emptied box (index -1) changes nothing.
    if (ui->turAufSipCB->currentIndex() >= 0)
        record->SIP_tuer = clampedOutput(ui->turAufSipCB->currentIndex());
    if (ui->LichtEinSipCB->currentIndex() >= 0)
        record->SIP_light = clampedOutput(ui->LichtEinSipCB->currentIndex());
}

void sipPage::setPopupAllowed(bool allowed)
{
    ui->popupSipGB->setEnabled(allowed);
}

void sipPage::fill(const sipModule &values, sipModule *target)
{
    {
        const fillBlocker silent(this);
        showValues(values);
    }
    record = target;
    edits = false;
    ui->nrRufzielE->setEnabled(!ui->alleVerwendCB->isChecked());
}

void sipPage::showValues(const sipModule &values)
{
    ui->modSipNameE->setText(values.sipName);
    ui->UsSipNameE->setText(values.SIP_User);
    ui->ipSipAdrE->setText(values.addressText());
    ui->paswSipE->setText(values.SIP_Password);
    ui->dxSipUdpStE->setText(QString::number(values.UDP_Status_SIP));
    ui->dxSipUdpSteuE->setText(QString::number(values.UDP_Contrl_SIP));
    ui->nrRufzielE->setText(values.SIP_Callee);
    ui->alleVerwendCB->setChecked(values.allRufNr);
    ui->RufEinCB->setChecked(values.SIP_popup & 1);
    ui->rufAufbauCB->setChecked(values.SIP_popup & 2);
    ui->rufAktivCB->setChecked(values.SIP_popup & 4);
    ui->turAufSipCB->setCurrentIndex(clampedOutput(values.SIP_tuer));
    ui->LichtEinSipCB->setCurrentIndex(clampedOutput(values.SIP_light));
    ui->relSipTimeE->setText(QString::number(values.Relais_timeSIP));
    ui->relSipTimeIE->setText(QString::number(values.Relais_timeSIPI));
}

void sipPage::fillNewModule(const QString &name, const QString &address)
{
    sipModule values;
    values.sipName = name;
    values.SIP_IP = address;
    values.SIP_User = QStringLiteral("admin");
    values.SIP_Password = QStringLiteral("4711");
    values.SIP_popup = 0;
    values.allRufNr = false;
    const QString lightPulse = ui->relSipTimeIE->text();
    fill(values, nullptr);
    ui->relSipTimeIE->setText(lightPulse);
}

QString sipPage::moduleName() const
{
    return pageRules::storedName(ui->modSipNameE->text());
}

QString sipPage::check(const sipModule &into) const
{
    QString problem = pageRules::nameProblem(ui->modSipNameL->text(), ui->modSipNameE->text());
    const QString address = ui->ipSipAdrE->text();
    if (problem.isEmpty() && (into.URL.isEmpty() || address != into.URL))
        problem = pageRules::addressProblem(ui->ipSipAdrL->text(), address);
    if (problem.isEmpty())
        problem = pageRules::textProblem(ui->UsSipNameL->text(), ui->UsSipNameE->text());
    if (problem.isEmpty())
        problem = pageRules::passwordProblem(ui->paswSipL->text(), ui->paswSipE->text());
    if (problem.isEmpty())
        problem = pageRules::textProblem(ui->nrRufzielL->text(), ui->nrRufzielE->text());
    return problem;
}

void sipPage::store(sipModule &into, QStringList &replaced)
{
    into.sipName = moduleName();
    ui->modSipNameE->setText(into.sipName);
    const QString address = ui->ipSipAdrE->text();
    if (into.URL.isEmpty() || address != into.URL) {
        into.SIP_IP = address;
        into.URL.clear();
        // Commands go where the address now names, as status datagrams are matched by it.
        into.hostAddress = QHostAddress(address);
        into.addressIsIp = true;
    }
    into.SIP_User = ui->UsSipNameE->text();
    into.SIP_Password = ui->paswSipE->text();
    into.UDP_Status_SIP = pageRules::storePort(ui->dxSipUdpStE, pageRules::fieldName({ui->dxSipUdpStL}),
                                               into.UDP_Status_SIP, replaced);
    into.UDP_Contrl_SIP = pageRules::storePort(ui->dxSipUdpSteuE, pageRules::fieldName({ui->dxSipUdpSteuL}),
                                               into.UDP_Contrl_SIP, replaced);
    into.SIP_Callee = ui->nrRufzielE->text();
    into.allRufNr = ui->alleVerwendCB->isChecked();
    into.SIP_popup = popupBits();
    for (QComboBox *box : {ui->turAufSipCB, ui->LichtEinSipCB}) {
        if (box->currentIndex() < 0 || box->currentIndex() > 4)
            box->setCurrentIndex(0);
    }
    into.SIP_tuer = ui->turAufSipCB->currentIndex();
    into.SIP_light = ui->LichtEinSipCB->currentIndex();
    into.Relais_timeSIP = pageRules::storePulse(
        ui->relSipTimeE, pageRules::fieldName({ui->turAufSipL, ui->relSipTimeL}), into.Relais_timeSIP, replaced);
    into.Relais_timeSIPI = pageRules::storePulse(
        ui->relSipTimeIE, pageRules::fieldName({ui->LichtEinSipL, ui->relSipTimeIL}), into.Relais_timeSIPI, replaced);
    edits = false;
}
