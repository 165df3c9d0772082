#include "einstdia.h"
#include "tracecategory.h"
#include "ui_einstdia.h"

#include "camdata.h"
#include "campage.h"
#include "pagerules.h"
#include "edition.h"
#include "settingsmodel.h"
#include "settingsrequests.h"
#include "shellsettings.h"
#include "sippage.h"
#include "standardmodule.h"
#include "systempage.h"
#include "videopage.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

EinstDia::EinstDia(shellSettings &settings, const QList<camData *> &cameras, settingsRequests &requests,
                   const bool &traceSwitch, const accessProtection &protection,
                   const autoStart &startAtLogin, QWidget *parent)
    : QDialog(parent), ui(new Ui::EinstDia), settings(settings), cameras(cameras), requests(requests)
{
    ui->setupUi(this);
    const int FaVers = settings.FaVers;
    const edition ed = edition::forVersion(FaVers);
    setWindowIcon(QIcon(ed.iconPath));

    camTab = new camPage(FaVers, ed.translatedCameraTypes());
    sipTab = new sipPage(FaVers);
    videoTab = new videoPage(FaVers, settings, requests);
    systemTab = new systemPage(FaVers, settings, traceSwitch, requests, protection, startAtLogin);
    ui->SipTW->addTab(camTab, QString());
    if (FaVers == 2) {
        // This edition has no intercom page; the module keeps its intercom values as they are.
        sipTab->setParent(this);
        sipTab->hide();
        ui->sipZuCamL->hide();
    } else {
        ui->SipTW->addTab(sipTab, QString());
    }
    ui->SysTW->addTab(videoTab, QString());
    ui->SysTW->addTab(systemTab, QString());
    texts();

    connect(camTab, &camPage::addClicked, this, &EinstDia::askAdd);
    connect(camTab, &camPage::generateClicked, this, &EinstDia::askGenerate);
    connect(camTab, &camPage::removeClicked, this, &EinstDia::askRemove);
    connect(camTab, &camPage::savePictureClicked, this, &EinstDia::savePicture);
    connect(videoTab, &videoPage::overlayPixelSizeChosen, this, &EinstDia::overlayPixelSizeChosen);
    connect(videoTab, &videoPage::autoPopupToggled, camTab, &camPage::setPopupAllowed);
    connect(videoTab, &videoPage::autoPopupToggled, sipTab, &sipPage::setPopupAllowed);
    connect(systemTab, &systemPage::recordingAllowed, camTab, &camPage::setRecordingAllowed);
    connect(systemTab, &systemPage::problem, this, &EinstDia::inform);

    videoTab->fill();
    systemTab->fill();
}

EinstDia::~EinstDia()
{
    delete ui;
}

void EinstDia::texts()
{
    setWindowTitle(edition::forVersion(settings.FaVers).translatedTitle() + QLatin1Char(' ') + tr("Einstellungen"));
    ui->SipTW->setTabText(ui->SipTW->indexOf(camTab), tr("Kamera"));
    ui->SipTW->setTabText(ui->SipTW->indexOf(sipTab), tr("Sprechstelle"));
    ui->SysTW->setTabText(ui->SysTW->indexOf(videoTab), tr("Videobild"));
    ui->SysTW->setTabText(ui->SysTW->indexOf(systemTab), tr("System"));
    showModuleState();
}

// The station label and what can be edited follow the module the pages show; without one there
// is nothing to edit but the button that adds a module.
void EinstDia::showModuleState()
{
    ui->sipZuCamL->setText(shown ? tr("Sprechstelle: %1").arg(shown->sipModuleRec.sipName) : QString());
    camTab->setModuleShown(shown != nullptr);
    sipTab->setEnabled(shown != nullptr);
}

void EinstDia::retranslate()
{
    ui->retranslateUi(this);
    camTab->retranslate(edition::forVersion(settings.FaVers).translatedCameraTypes());
    sipTab->retranslate();
    videoTab->retranslate();
    systemTab->retranslate();
    texts();
}

// ---------------------------------------------------------------- filling

void EinstDia::showCamera(camData *camera)
{
    if (followAsked)
        followCamera = camera;  // the pending answer decides
    else if (camera != shown && shown && pageEdited())
        followAfterAsking(camera);
    else if (camera != shown || !camera)
        fillFrom(camera);
    refreshCameraList();
}

bool EinstDia::pageEdited() const
{
    return camTab->edited() || sipTab->edited();
}

// Another module became current while the pages hold edits not yet stored: the pages follow it
// once the user has said whether the edits go into their own module first.
void EinstDia::followAfterAsking(camData *camera)
{
    followCamera = camera;
    followAsked = true;
    ask(tr("Die Änderungen am Modul \"%1\" sind noch nicht gespeichert.\nSollen sie gespeichert werden?")
            .arg(shown->camModule.camName),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, [this](bool store) {
            followAsked = false;
            if (store) {
                const QString problem = storeModuleEdits();
                if (!problem.isEmpty()) {
                    // The pages stay with their module so that the user can mend them.
                    inform(problem);
                    return;
                }
            }
            fillFrom(followCamera);
            refreshCameraList();
        });
}

void EinstDia::takeCredentials(const camData *camera)
{
    if (camera && camera == shown)
        camTab->showCredentials(camera->camModule);
}

void EinstDia::takeCertificate(const camData *camera)
{
    if (camera && camera == shown)
        camTab->showCertificate(camera->camModule);
}

void EinstDia::refill()
{
    fillFrom(shown);
}

void EinstDia::fillFrom(camData *camera)
{
    shown = camera;
    followCamera = camera;
    if (camera) {
        camTab->fill(camera->camModule, &camera->camModule);
        sipTab->fill(camera->sipModuleRec, &camera->sipModuleRec);
    } else {
        camTab->fill(cameraModule(), nullptr);
        sipTab->fill(sipModule(), nullptr);
    }
    texts();
}

void EinstDia::fillNewModule(const QString &camName, const QString &camAddress, const QString &sipName,
                             const QString &sipAddress)
{
    shown = nullptr;
    camTab->fillNewModule(camName, camAddress);
    sipTab->fillNewModule(sipName, sipAddress);
}

void EinstDia::adoptCamera(camData *camera)
{
    shown = camera;
    followCamera = camera;
    camTab->fill(camera->camModule, &camera->camModule);
    sipTab->fill(camera->sipModuleRec, &camera->sipModuleRec);
    showModuleState();
    refreshCameraList();
}

void EinstDia::releaseCamera(camData *camera)
{
    if (removeAsked == camera)
        removeAsked = nullptr;
    if (followCamera == camera)
        followCamera = nullptr;
    if (shown != camera)
        return;
    shown = nullptr;
    camTab->release();
    sipTab->release();
    showModuleState();
}

void EinstDia::refreshCameraList()
{
    ui->camCBox->clear();
    for (const camData *camera : cameras)
        ui->camCBox->addItem(camera->camModule.camName);
    ui->camCBox->setCurrentIndex(int(cameras.indexOf(shown)));
}

void EinstDia::showGeometry(double x, double y, double width, double height)
{
    videoTab->showGeometry(x, y, width, height);
}

void EinstDia::showOrder(const QStringList &camNames, const QStringList &sipNames)
{
    videoTab->showOrder(camNames, sipNames);
}

void EinstDia::showPositions(const QList<int> &positions)
{
    videoTab->showPositions(positions);
}

int EinstDia::selectedOrderRow() const
{
    return videoTab->selectedOrderRow();
}

void EinstDia::selectOrderRow(int row)
{
    videoTab->selectOrderRow(row);
}

// Shown anew, the dialog starts from what is in effect, not from edits given up with "Abbrechen".
void EinstDia::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        videoTab->fill();
        systemTab->fill();
        fillFrom(shown);
        refreshCameraList();
    }
    QDialog::showEvent(event);
}

// ---------------------------------------------------------------- storing

QString EinstDia::pageModuleName() const
{
    return camTab->moduleName();
}

QString EinstDia::checkPage() const
{
    QString problem;
    if (shown) {
        problem = camTab->check(shown->camModule);
        if (problem.isEmpty())
            problem = sipTab->check(shown->sipModuleRec);
    }
    if (problem.isEmpty())
        problem = systemTab->check();
    return problem;
}

QString EinstDia::storePage()
{
    const QString problem = checkPage();
    if (!problem.isEmpty())
        return problem;
    QStringList replaced;
    videoTab->store(replaced);
    systemTab->store();
    storeShownModule(replaced);
    sayReplaced(replaced);
    return QString();
}

QString EinstDia::storeModuleEdits()
{
    QString problem = shown ? camTab->check(shown->camModule) : QString();
    if (problem.isEmpty() && shown)
        problem = sipTab->check(shown->sipModuleRec);
    if (problem.isEmpty())
        problem = duplicateNameProblem();
    if (!problem.isEmpty())
        return problem;
    QStringList replaced;
    storeShownModule(replaced);
    sayReplaced(replaced);
    return QString();
}

void EinstDia::storeShownModule(QStringList &replaced)
{
    if (!shown)
        return;
    const bool recordingBefore = shown->camModule.CAMautoSaveEn;
    camTab->store(shown->camModule, replaced);
    sipTab->store(shown->sipModuleRec, replaced);
    shown->sectionName = settingsModel::sectionName(shown->camModule);
    // A camera that records continuously streams whether shown or not.
    if (shown->camModule.CAMautoSaveEn && !recordingBefore)
        shown->setConnectRequest(true);
    showModuleState();
}

QString EinstDia::storeModulePage(cameraModule &cam, sipModule &sip)
{
    QString problem = camTab->check(cam);
    if (problem.isEmpty())
        problem = sipTab->check(sip);
    if (!problem.isEmpty())
        return problem;
    QStringList replaced;
    camTab->store(cam, replaced);
    sipTab->store(sip, replaced);
    sayReplaced(replaced);
    return QString();
}

// Out-of-range numbers follow their rule; the user learns once which values were used instead.
void EinstDia::sayReplaced(const QStringList &replaced)
{
    if (!replaced.isEmpty())
        inform(pageRules::replacedMessage(replaced));
}

// Sections are found by module name: two modules of one name would lose the second at the
// next start.
QString EinstDia::duplicateNameProblem() const
{
    const QString name = camTab->moduleName();
    for (const camData *camera : cameras) {
        if (camera != shown && camera->camModule.camName == name)
            return tr("Das Modul konnte nicht umbenannt werden.\nEin Modul mit gleichem Namen existiert bereits.");
    }
    return QString();
}

// ---------------------------------------------------------------- buttons

void EinstDia::on_okPB_clicked()
{
    QString problem = checkPage();
    if (problem.isEmpty())
        problem = duplicateNameProblem();
    if (problem.isEmpty())
        problem = storePage();
    if (!problem.isEmpty()) {
        inform(problem);
        return;
    }
    requests.rebuildOrderList = true;
    hide();
}

void EinstDia::on_anwPB_clicked()
{
    const QString problem = checkPage();
    if (!problem.isEmpty()) {
        inform(problem);
        return;
    }
    systemTab->storeButtonText();
    requests.applyButtonLabels = true;
    requests.applyPage = true;
}

void EinstDia::on_cancelPB_clicked()
{
    hide();
}

void EinstDia::on_camCBox_activated(int index)
{
    requests.selectCameraIndex = index;
}

void EinstDia::askAdd()
{
    QStringList names;
    for (const camData *camera : cameras)
        names.append(camera->camModule.camName);
    const QString refusal = standardModule::refusal(names, settings.FaVers, settingsModel::moduleMax);
    if (!refusal.isEmpty()) {
        inform(refusal);
        return;
    }
    ask(tr("Standard-Modul wird angelegt.\nBitte die Standard-Werte anpassen und übernehmen"),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, [this](bool accepted) {
            if (!accepted)
                return;
            requests.newModule = true;
            addAccepted = true;
        });
}

void EinstDia::askGenerate()
{
    if (!addAccepted) {
        inform(tr("Bitte mit 'CAM hinzufügen'\ndefault Daten laden und editieren"));
        return;
    }
    requests.newModule = true;
    addAccepted = false;
}

void EinstDia::askRemove()
{
    if (!shown)
        return;
    removeAsked = shown;
    ask(tr("Wollen Sie die Kamera \"%1\" wirklich entfernen?").arg(shown->camModule.camName),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
        [this](bool yes) {
            // The pages may have been filled from another module while the question was open.
            if (yes && removeAsked && removeAsked == shown)
                requests.removeModule = true;
            removeAsked = nullptr;
            requests.rebuildOrderList = true;
        });
}

void EinstDia::savePicture()
{
    qCDebug(dxcamTrace).noquote() << QStringLiteral("### CAM = %1").arg(camTab->moduleName());
    requests.savePicture = true;
}

bool EinstDia::guardChecked(int mode) const
{
    return systemTab->guardChecked(mode);
}

void EinstDia::showGuards()
{
    systemTab->fillGuards();
}

camData *EinstDia::pageCamera() const
{
    return shown;
}

void EinstDia::bringUp()
{
    show();
    raise();
    activateWindow();
}

void EinstDia::inform(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Information, edition::forVersion(settings.FaVers).translatedTitle(),
                                text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void EinstDia::ask(const QString &text, int buttons, int defaultButton, const std::function<void(bool)> &done)
{
    auto *box = new QMessageBox(QMessageBox::Question, edition::forVersion(settings.FaVers).translatedTitle(),
                                text, QMessageBox::StandardButtons(buttons), this);
    box->setDefaultButton(QMessageBox::StandardButton(defaultButton));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [box, done] {
        const QMessageBox::StandardButton chosen = box->standardButton(box->clickedButton());
        done(chosen == QMessageBox::Ok || chosen == QMessageBox::Yes);
    });
    box->open();
}

// ---------------------------------------------------------------- hiding

void EinstDia::closeEvent(QCloseEvent *event)
{
    hide();
    event->ignore();
}

void EinstDia::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        event->ignore();
        return;
    }
    // No default button: Enter in a field must not close the dialog.
    event->accept();
}
