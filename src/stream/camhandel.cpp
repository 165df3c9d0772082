#include "camhandel.h"

#include "camdata.h"
#include "shellsettings.h"
#include "tracecategory.h"
#include "ui_camhandel.h"

namespace {

constexpr int panelHeight = 160;

// What a new INI file holds for the labels: German data, not a text the user chose.
const char *const defaultLabels = QT_TRANSLATE_NOOP("camHandel", "Tür öffnen,Beleuchtung ein");

QString withoutLeadingBlanks(const QString &text)
{
    int first = 0;
    while (first < text.size() && text.at(first) == QLatin1Char(' '))
        ++first;
    return text.mid(first);
}

} // namespace

camHandel::camHandel(const shellSettings &settings, bool popupPanel, QWidget *parent)
    : QDialog(parent), ui(new Ui::camHandel), settings(settings)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Calling the station has no command frame yet.
    ui->callSIPPB->hide();
    ui->verticalLayout->setSizeConstraint(QLayout::SetFixedSize);
    if (!settings.SavePrintBtnEn) {
        ui->saveJPG->hide();
        ui->printPB->hide();
        ui->verbTrennPB->hide();
        ui->speichernAVIPB->hide();
        shrink();
    }
    if (popupPanel) {
        ui->StartStopVideoPB->hide();
        ui->Voll_AlleBilderPB->hide();
        shrink();
    }
}

camHandel::~camHandel()
{
    delete ui;
}

QString camHandel::defaultButtonText()
{
    return QString::fromUtf8(defaultLabels);
}

QString camHandel::shownButtonText(const QString &stored)
{
    return stored == defaultButtonText() ? tr(defaultLabels) : stored;
}

QString camHandel::storedButtonText(const QString &shown)
{
    return shown == tr(defaultLabels) ? defaultButtonText() : shown;
}

void camHandel::setButtonLabels(const QString &storedText)
{
    const QString buttonText = shownButtonText(storedText);
    if (buttonText.indexOf(QLatin1Char(','), 1) < 0) {
        const QString doorText = withoutLeadingBlanks(buttonText);
        if (!doorText.isEmpty())
            ui->TuerOfnenPB->setText(doorText);
        ui->switchLightPB->setText(QString());
        return;
    }
    const QStringList parts = buttonText.split(QLatin1Char(','), Qt::KeepEmptyParts);
    ui->TuerOfnenPB->setText(withoutLeadingBlanks(parts.at(0)));
    ui->switchLightPB->setText(withoutLeadingBlanks(parts.at(1)));
}

void camHandel::setViewLabel(bool gridView)
{
    ui->Voll_AlleBilderPB->setText(gridView ? tr("Vollbild") : tr("Alle Bilder"));
}

void camHandel::setStartStopLabel(bool streamIdle)
{
    ui->StartStopVideoPB->setText(streamIdle ? tr("Start Kamera") : tr("Stop Kamera"));
}

void camHandel::setAvailability(int mode)
{
    // The settings dialog may have switched the saving buttons since the panel was made.
    const bool saving = settings.SavePrintBtnEn;
    for (QPushButton *b : {ui->saveJPG, ui->printPB, ui->verbTrennPB, ui->speichernAVIPB})
        b->setVisible(saving);
    if (mode == 0) {
        for (QPushButton *b : {ui->printPB, ui->saveJPG, ui->speichernAVIPB})
            b->setEnabled(true);
    } else if (mode == 1) {
        // Automatic recording owns the picture files; printing stays usable.
        ui->saveJPG->setEnabled(false);
        ui->speichernAVIPB->setEnabled(false);
    }
    shrink();
}

int camHandel::pendingButton() const
{
    static constexpr int priority[] = {doorAndHangUp, door, light, callStation, savePicture, print,
                                       saveVideo, startStop};
    for (const int b : priority) {
        if (requests[b].pending)
            return b;
    }
    return none;
}

void camHandel::setCamera(camData *camera)
{
    panelCamera = camera;
}

camData *camHandel::camera() const
{
    return panelCamera;
}

bool camHandel::isBound(int button) const
{
    return button > none && button <= startStop && requests[button].bound;
}

camData *camHandel::requestCamera(int button) const
{
    return isBound(button) ? requests[button].camera.data() : nullptr;
}

void camHandel::clearRequest(int button)
{
    if (button > none && button <= startStop)
        requests[button] = press();
}

void camHandel::releaseCamera(const camData *camera, bool current)
{
    for (press &p : requests) {
        if (p.bound ? p.camera == camera : current)
            p = press();
    }
    if (panelCamera == camera) {
        panelCamera = nullptr;
        hide();
    }
}

void camHandel::retranslate()
{
    qCDebug(dxcamTrace).noquote() << " ********  camHandel::retranslate() ";
    ui->retranslateUi(this);
}

void camHandel::request(int button)
{
    requests[button] = {true, panelCamera != nullptr, panelCamera};
    close();
}

void camHandel::shrink()
{
    resize(width(), panelHeight);
}

void camHandel::on_TuerOfnenPB_clicked() { request(door); }
void camHandel::on_verbTrennPB_clicked() { request(doorAndHangUp); }
void camHandel::on_switchLightPB_clicked() { request(light); }
void camHandel::on_callSIPPB_clicked() { request(callStation); }
void camHandel::on_saveJPG_clicked() { request(savePicture); }
void camHandel::on_speichernAVIPB_clicked() { request(saveVideo); }
void camHandel::on_printPB_clicked() { request(print); }
void camHandel::on_StartStopVideoPB_clicked() { request(startStop); }

void camHandel::on_Voll_AlleBilderPB_clicked()
{
    // The view changes on the next tick; the panel stays open for further commands.
    emit viewToggleAsked();
}

void camHandel::on_verlaufPB_clicked()
{
    close();
    emit historyRequested();
}
