#pragma once

#include "guardedsettings.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <functional>

class accessProtection;
class autoStart;
class camData;
class camPage;
class sipPage;
class systemPage;
class videoPage;
struct cameraModule;
struct settingsRequests;
struct shellSettings;
struct sipModule;

namespace Ui {
class EinstDia;
}

// The settings dialog: created once, shown without blocking the viewer and hidden again by
// OK, "Abbrechen", Escape or its close button. It edits one module at a time, the one its pages
// were filled from, and the global settings. Whatever touches more than that (adding, applying,
// removing, selecting, ordering modules) it leaves as a request for the main window's tick.
class EinstDia : public QDialog, public guardedSettings {
    Q_OBJECT

public:
    EinstDia(shellSettings &settings, const QList<camData *> &cameras, settingsRequests &requests,
             const bool &traceSwitch, const accessProtection &protection,
             const autoStart &startAtLogin, QWidget *parent = nullptr);
    ~EinstDia() override;

    // The main window's current camera: the pages show it unless they already do.
    void showCamera(camData *camera);
    // Shows the stored values of the camera the pages were filled from again.
    void refill();
    // The values of a new module, shown before the module exists.
    void fillNewModule(const QString &camName, const QString &camAddress, const QString &sipName,
                       const QString &sipAddress);
    // The module created from the page: the page's values belong to it from now on.
    void adoptCamera(camData *camera);
    // The camera is about to be deleted: nothing may refer to it afterwards.
    void releaseCamera(camData *camera);
    camData *pageCamera() const;
    // The login prompt changed the camera's user and password: the pages show them if they
    // show that camera, so that storing the pages cannot bring the old ones back.
    void takeCredentials(const camData *camera) override;
    void takeCertificate(const camData *camera) override;
    QString pageModuleName() const;

    // Stores the pages into the camera they were filled from and into the global settings; on a
    // problem nothing is stored and its message is returned.
    QString storePage();
    // Stores the module pages into the given records (a module about to be created).
    QString storeModulePage(cameraModule &cam, sipModule &sip);

    void refreshCameraList();
    void showGeometry(double x, double y, double width, double height);
    void showOrder(const QStringList &camNames, const QStringList &sipNames);
    void showPositions(const QList<int> &positions);
    int selectedOrderRow() const;
    void selectOrderRow(int row);

    // The "System" page's guard switches: what the box of a guard shows now
    // (accessProtection::viewerMode or settingsMode), and the protection record shown again.
    bool guardChecked(int mode) const override;
    void showGuards() override;

    // A message that does not block: the viewer keeps ticking while it is shown.
    void inform(const QString &text) override;
    bool shownToUser() const override { return isVisible(); }
    void bringUp() override;
    // Texts in the current language; what the pages show stays.
    void retranslate();

signals:
    // The picture page's overlay font: its pixel size, in use at once.
    void overlayPixelSizeChosen(int pixels);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void on_okPB_clicked();
    void on_anwPB_clicked();
    void on_cancelPB_clicked();
    void on_camCBox_activated(int index);

private:
    void texts();
    void showModuleState();
    void fillFrom(camData *camera);
    bool pageEdited() const;
    void followAfterAsking(camData *camera);
    QString storeModuleEdits();
    void storeShownModule(QStringList &replaced);
    void sayReplaced(const QStringList &replaced);
    QString checkPage() const;
    QString duplicateNameProblem() const;
    void askAdd();
    void askGenerate();
    void askRemove();
    void savePicture();
    void ask(const QString &text, int buttons, int defaultButton, const std::function<void(bool)> &done);

    Ui::EinstDia *ui;
    shellSettings &settings;
    const QList<camData *> &cameras;
    settingsRequests &requests;
    camPage *camTab;
    sipPage *sipTab;
    videoPage *videoTab;
    systemPage *systemTab;
    // Guarded as well as released: the dialog outlives every camera.
    QPointer<camData> shown;
    QPointer<camData> removeAsked;
    QPointer<camData> followCamera;  // the camera the pages follow once the user has answered
    bool followAsked = false;
    bool addAccepted = false;
};
