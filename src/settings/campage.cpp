#include "campage.h"
#include "ui_campage.h"

#include "cameraaddress.h"
#include "camdata.h"
#include "cameramodule.h"
#include "fillblocker.h"
#include "pagerules.h"
#include "recordfiles.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QUrl>


namespace {

// Camera combo boxes: "kein", "IO.1", "IO.2" stand for the outputs 0, 3 and 4.
constexpr int cameraOutputs[] = {0, 3, 4};
// Frame and text margins of a line edit, with room to spare.
constexpr int fieldMargins = 16;

} // namespace

camPage::camPage(int FaVers, const QStringList &cameraTypes, QWidget *parent)
    : QWidget(parent), ui(new Ui::camPage), edition(FaVers)
{
    ui->setupUi(this);
    ui->camTipCB->addItems(cameraTypes);
    ui->ipAdrE->setValidator(pageRules::cameraAddressTyping(ui->ipAdrE));
    ui->urlSubE->setValidator(pageRules::cameraAddressTyping(ui->urlSubE));
    // A stream URL and a certificate's fingerprint are read whole; the fingerprint in a row of its
    // own, in a narrow fixed-pitch font, so that the dialog stays narrower than a screen.
    const QString longUrl = QStringLiteral("rtsp://192.168.100.200:8554/axis-media/media.amp");
    ui->ipAdrE->setMinimumWidth(QFontMetrics(ui->ipAdrE->font()).horizontalAdvance(longUrl) + fieldMargins);
    ui->urlSubE->setMinimumWidth(ui->ipAdrE->minimumWidth());
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(ui->zertE->font().pointSizeF() * 0.9);
    ui->zertE->setFont(fixed);
    const QString fingerprint = QStringLiteral("DD:").repeated(31) + QStringLiteral("DD");
    ui->zertE->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(fingerprint) + fieldMargins);
    applyEdition(FaVers);
    connectChoices();
    watchEdits();
    connect(ui->neuPB, &QPushButton::clicked, this, &camPage::addClicked);
    for (QLineEdit *edit : {ui->dirCAMbildE, ui->modNameE, ui->ipAdrE})
        connect(edit, &QLineEdit::textChanged, this, &camPage::showRecordingFile);
    connect(ui->neuGenPB, &QPushButton::clicked, this, &camPage::generateClicked);
    connect(ui->camLoeschPB, &QPushButton::clicked, this, &camPage::removeClicked);
    connect(ui->saveBildPB, &QPushButton::clicked, this, &camPage::savePictureClicked);
    connect(ui->zertVergessenPB, &QPushButton::clicked, this, [this] {
        certificateForgotten = true;
        edits = true;
        ui->zertE->clear();
        ui->zertE->setPlaceholderText(QString());
        ui->zertVergessenPB->setEnabled(false);
    });
    connect(ui->selDirTB, &QToolButton::clicked, this,
            [this] { pageRules::chooseInto(ui->dirCAMbildE, true, tr("Verzeichnis auswählen ...")); });
}

camPage::~camPage()
{
    delete ui;
}

void camPage::applyEdition(int FaVers)
{
    ui->neuGenPB->hide();
    if (FaVers == 1) {
        ui->saveBildPB->hide();
        ui->paswE->setEchoMode(QLineEdit::Password);
    }
    if (FaVers == 2) {
        ui->autoSpeichEnCB->setChecked(false);
        ui->autoSpeichEnCB->hide();
        ui->steuerGB->hide();
        ui->io2RB->hide();
    } else {
        ui->dxUdpStE->setReadOnly(true);
        ui->dxUdpSteuE->setReadOnly(true);
    }
    editionTexts();
}

void camPage::editionTexts()
{
    if (edition == 1) {
        ui->PaswPortsGB->setTitle(tr("HRM-410 Modul"));
        ui->popupCamGB->setTitle(tr("PopUp durch HRM-410 IO-Interface"));
    }
    if (edition == 2) {
        ui->io1RB->setText(tr("aktiv"));
        ui->startSpeichBewChB->setText(tr("Starten bei Gesprächsbeginn und stoppen nach"));
    }
}

void camPage::retranslate(const QStringList &cameraTypes)
{
    ui->retranslateUi(this);
    for (int i = 0; i < cameraTypes.size() && i < ui->camTipCB->count(); ++i)
        ui->camTipCB->setItemText(i, cameraTypes.at(i));
    editionTexts();
}

void camPage::connectChoices()
{
    connect(ui->nichtAkRB, &QRadioButton::clicked, this, [this](bool on) { if (on) popupChosen(0); });
    connect(ui->io1RB, &QRadioButton::clicked, this, [this](bool on) { if (on) popupChosen(3); });
    connect(ui->io2RB, &QRadioButton::clicked, this, [this](bool on) { if (on) popupChosen(4); });
    connect(ui->turAufCamCB, &QComboBox::currentIndexChanged, this,
            [this](int index) { outputChosen(index, record ? &record->CAM_tuer : nullptr); });
    connect(ui->LichtEinCamCB, &QComboBox::currentIndexChanged, this,
            [this](int index) { outputChosen(index, record ? &record->CAM_light : nullptr); });
    connect(ui->camTipCB, &QComboBox::currentIndexChanged, this, &camPage::applyCameraType);
    // Without a small stream there is nothing to record from but the main one.
    connect(ui->urlSubE, &QLineEdit::textChanged, this,
            [this](const QString &text) { ui->aufnahmeQuelleCB->setEnabled(!text.trimmed().isEmpty()); });
}

// The fields store() takes over: a change the user made there is not in the record yet. Filling
// keeps every signal back, so only the user's (and the choosers') changes count.
void camPage::watchEdits()
{
    for (QLineEdit *field : {ui->modNameE, ui->UsNameE, ui->paswE, ui->ipAdrE, ui->urlSubE, ui->dxUdpStE, ui->dxUdpSteuE,
                             ui->relTimeE, ui->relTimeIE, ui->n_speichE, ui->stopSecE, ui->dirCAMbildE})
        connect(field, &QLineEdit::textChanged, this, [this] { edits = true; });
    for (QAbstractButton *box : std::initializer_list<QAbstractButton *>{
             ui->n_secRB, ui->n_minRB, ui->n_StuRB, ui->autoSpeichEnCB, ui->startSpeichBewChB})
        connect(box, &QAbstractButton::toggled, this, [this] { edits = true; });
    for (QComboBox *box : {ui->camTipCB, ui->aufnahmeQuelleCB})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { edits = true; });
}

void camPage::showCredentials(const cameraModule &values)
{
    const fillBlocker silent(this);
    ui->UsNameE->setText(values.CAM_User);
    ui->paswE->setText(values.CAM_Password);
    // The same camera without the login the prompt took out of its URL; another address typed
    // meanwhile stays.
    if (cameraModule::withoutLogin(ui->ipAdrE->text()) == values.addressText())
        ui->ipAdrE->setText(values.addressText());
}

void camPage::popupChosen(int value)
{
    if (record)
        record->CAM_popup = value;
}

void camPage::outputChosen(int index, int *output)
{
    // -1 (an emptied box, or a stored output the box does not offer) changes nothing.
    if (output && index >= 0 && index < 3)
        *output = cameraOutputs[index];
}

// The maker's own module has the IO interface and outputs; a plain AXIS camera has neither.
// Without a module nothing but "CAM hinzufügen" can be used.
void camPage::applyCameraType(int index)
{
    const bool ownModule = index <= 0;
    ui->PaswPortsGB->setEnabled(moduleShown);
    ui->popupCamGB->setEnabled(moduleShown && ownModule && popupAllowed);
    ui->steuerGB->setEnabled(moduleShown && ownModule);
    ui->bildSpeichGB->setEnabled(moduleShown && recordingAllowed);
    for (QPushButton *button : {ui->camLoeschPB, ui->neuGenPB, ui->saveBildPB})
        button->setEnabled(moduleShown);
}

void camPage::setPopupAllowed(bool allowed)
{
    popupAllowed = allowed;
    applyCameraType(ui->camTipCB->currentIndex());
}

void camPage::setRecordingAllowed(bool allowed)
{
    recordingAllowed = allowed;
    applyCameraType(ui->camTipCB->currentIndex());
}

void camPage::setModuleShown(bool shown)
{
    moduleShown = shown;
    applyCameraType(ui->camTipCB->currentIndex());
}

int camPage::outputIndex(int output)
{
    for (int i = 0; i < 3; ++i) {
        if (cameraOutputs[i] == output)
            return i;
    }
    return -1;
}

void camPage::fill(const cameraModule &values, cameraModule *target)
{
    {
        const fillBlocker silent(this);
        showValues(values);
    }
    record = target;
    edits = false;
    applyCameraType(ui->camTipCB->currentIndex());
}

void camPage::showValues(const cameraModule &values)
{
    ui->modNameE->setText(values.camName);
    ui->UsNameE->setText(values.CAM_User);
    ui->paswE->setText(values.CAM_Password);
    ui->ipAdrE->setText(values.addressText());
    ui->urlSubE->setText(values.URL_Sub);
    ui->aufnahmeQuelleCB->setCurrentIndex(values.CAM_RecSub ? 1 : 0);
    ui->aufnahmeQuelleCB->setEnabled(!values.URL_Sub.trimmed().isEmpty());
    ui->dxUdpStE->setText(QString::number(values.UDP_Status_CAM));
    ui->dxUdpSteuE->setText(QString::number(values.UDP_Contrl_CAM));
    ui->camTipCB->setCurrentIndex(values.camTip >= 0 && values.camTip < ui->camTipCB->count() ? values.camTip : -1);
    ui->nichtAkRB->setChecked(values.CAM_popup != 3 && values.CAM_popup != 4);
    ui->io1RB->setChecked(values.CAM_popup == 3);
    ui->io2RB->setChecked(values.CAM_popup == 4);
    ui->turAufCamCB->setCurrentIndex(outputIndex(values.CAM_tuer));
    ui->LichtEinCamCB->setCurrentIndex(outputIndex(values.CAM_light));
    ui->relTimeE->setText(QString::number(values.Relais_timeCAM));
    ui->relTimeIE->setText(QString::number(values.Relais_timeCAMI));
    ui->n_speichE->setText(QString::number(values.n_Bild_Freq));
    ui->n_minRB->setChecked(values.selFreqTip == 1);
    ui->n_StuRB->setChecked(values.selFreqTip == 2);
    ui->n_secRB->setChecked(values.selFreqTip != 1 && values.selFreqTip != 2);
    ui->autoSpeichEnCB->setChecked(values.CAMautoSaveEn && edition != 2);
    ui->startSpeichBewChB->setChecked(values.CAMsaveBeweg);
    ui->stopSecE->setText(QString::number(values.stopTimeBeweg));
    ui->dirCAMbildE->setText(values.dirCamBild);
    showRecordingFile();
    showCertificate(values);
}

// The files automatic recording writes: an RTSP camera's packets go into Matroska files.
void camPage::showRecordingFile()
{
    const bool rtsp = cameraAddress::isRtspUrl(ui->ipAdrE->text());
    ui->recFileL->setText(tr("Dateien: %1/JJJJMMTT_hhmmss_%2%3")
                              .arg(ui->dirCAMbildE->text(), recordFiles::automaticName(ui->modNameE->text()),
                                   rtsp ? recordFiles::matroskaExtension : recordFiles::videoExtension));
}

// The certificate trusted for this camera although it does not verify, or the one declined:
// forgetting either brings the question back at the next connection.
void camPage::showCertificate(const cameraModule &values)
{
    certificateForgotten = false;
    ui->zertE->setText(values.CAM_Fingerprint);
    ui->zertE->setPlaceholderText(values.certificateDeclinedFor.isEmpty() ? QString() : tr("abgelehnt"));
    ui->zertVergessenPB->setEnabled(!values.CAM_Fingerprint.isEmpty() || !values.certificateDeclinedFor.isEmpty());
}

void camPage::fillNewModule(const QString &name, const QString &address)
{
    cameraModule values;
    values.camName = name;
    values.IP = address;
    values.CAM_User = QStringLiteral("admin");
    values.CAM_Password = QStringLiteral("4711");
    values.CAM_popup = 0;
    values.stopTimeBeweg = 3;
    values.dirCamBild = ui->dirCAMbildE->text();
    const QString lightPulse = ui->relTimeIE->text();
    fill(values, nullptr);
    ui->relTimeIE->setText(lightPulse);
}

// The login a URL carries, percent-decoded.
camPage::login camPage::loginOf(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (pageRules::isIPv4(address) || !url.isValid() || url.userInfo().isEmpty())
        return {};
    return {true, url.userName(QUrl::FullyDecoded), url.password(QUrl::FullyDecoded)};
}

// An address goes to IP, a URL to URL, as the file has them. A login typed into the URL goes to
// the user and password fields: it must land neither in the section name nor in the log.
void camPage::storeAddress(cameraModule &into)
{
    const QString address = ui->ipAdrE->text();
    if (!into.URL.isEmpty() && address == into.URL)
        return;
    if (pageRules::isIPv4(address)) {
        into.IP = address;
        into.URL.clear();
        // Commands go where the address now names, as status datagrams are matched by it.
        into.hostAddress = QHostAddress(address);
        into.addressIsIp = true;
        return;
    }
    if (const login typed = loginOf(address); typed.given) {
        ui->UsNameE->setText(typed.user);
        ui->paswE->setText(typed.password);
    }
    into.URL = cameraModule::withoutLogin(address);
    into.IP.clear();
    into.hostAddress = QHostAddress();
    into.addressIsIp = false;
    ui->ipAdrE->setText(into.URL);
}

// The small stream takes the module's login: one typed into its URL does not go into the file.
void camPage::storeSubStream(cameraModule &into)
{
    into.URL_Sub = cameraModule::withoutLogin(ui->urlSubE->text().trimmed());
    ui->urlSubE->setText(into.URL_Sub);
    // An emptied box changes nothing; without a small stream recording takes the main one.
    if (ui->aufnahmeQuelleCB->currentIndex() >= 0)
        into.CAM_RecSub = ui->aufnahmeQuelleCB->currentIndex() == 1;
    if (into.URL_Sub.isEmpty())
        into.CAM_RecSub = false;
}

QString camPage::moduleName() const
{
    return pageRules::storedName(ui->modNameE->text());
}

QString camPage::check(const cameraModule &into) const
{
    QString problem = pageRules::nameProblem(ui->modNameL->text(), ui->modNameE->text());
    const QString address = ui->ipAdrE->text();
    // A URL stored as the file had it stays as long as the field still shows it.
    if (problem.isEmpty() && (into.URL.isEmpty() || address != into.URL))
        problem = pageRules::cameraAddressProblem(ui->ipAdrL->text(), address);
    const login typed = loginOf(address);
    const QString sub = ui->urlSubE->text().trimmed();
    if (problem.isEmpty() && !sub.isEmpty())
        problem = pageRules::cameraAddressProblem(ui->urlSubL->text(), sub);
    if (problem.isEmpty())
        problem = pageRules::textProblem(ui->UsNameL->text(), typed.given ? typed.user : ui->UsNameE->text());
    if (problem.isEmpty())
        problem = pageRules::passwordProblem(ui->paswL->text(), typed.given ? typed.password : ui->paswE->text());
    if (problem.isEmpty())
        problem = pageRules::textProblem(pageRules::fieldName({ui->dirCAMbildL}), ui->dirCAMbildE->text());
    return problem;
}

void camPage::store(cameraModule &into, QStringList &replaced)
{
    into.camName = moduleName();
    ui->modNameE->setText(into.camName);
    storeAddress(into);
    storeSubStream(into);
    into.CAM_User = ui->UsNameE->text();
    into.CAM_Password = ui->paswE->text();
    into.UDP_Status_CAM = pageRules::storePort(ui->dxUdpStE, pageRules::fieldName({ui->dxUdpStL}),
                                               into.UDP_Status_CAM, replaced);
    into.UDP_Contrl_CAM = pageRules::storePort(ui->dxUdpSteuE, pageRules::fieldName({ui->dxUdpSteuL}),
                                               into.UDP_Contrl_CAM, replaced);
    if (ui->camTipCB->currentIndex() >= 0)
        into.camTip = ui->camTipCB->currentIndex();
    into.CAM_popup = ui->io1RB->isChecked() ? 3 : ui->io2RB->isChecked() ? 4 : 0;
    outputChosen(ui->turAufCamCB->currentIndex(), &into.CAM_tuer);
    outputChosen(ui->LichtEinCamCB->currentIndex(), &into.CAM_light);
    into.Relais_timeCAM = pageRules::storePulse(ui->relTimeE, pageRules::fieldName({ui->turAufCamL, ui->relTimeL}),
                                                into.Relais_timeCAM, replaced);
    into.Relais_timeCAMI = pageRules::storePulse(
        ui->relTimeIE, pageRules::fieldName({ui->LichtEinCamL, ui->relTimeIL}), into.Relais_timeCAMI, replaced);
    // A rate of 0 would never record a picture.
    into.n_Bild_Freq = pageRules::storeInt(ui->n_speichE, pageRules::fieldName({ui->n_speichL}), 1, 1000,
                                           into.n_Bild_Freq, replaced);
    if (!ui->n_minRB->isChecked() && !ui->n_StuRB->isChecked())
        ui->n_secRB->setChecked(true);
    into.selFreqTip = ui->n_minRB->isChecked() ? 1 : ui->n_StuRB->isChecked() ? 2 : 0;
    into.CAMautoSaveEn = ui->autoSpeichEnCB->isChecked();
    into.CAMsaveBeweg = ui->startSpeichBewChB->isChecked();
    into.stopTimeBeweg = pageRules::storeInt(ui->stopSecE, pageRules::fieldName({ui->startSpeichBewChB, ui->stopSecL}),
                                             0, 5000, into.stopTimeBeweg, replaced);
    into.dirCamBild = ui->dirCAMbildE->text();
    edits = false;
    if (certificateForgotten) {
        into.CAM_Fingerprint.clear();
        into.certificateDeclinedFor.clear();
    }
}
