#pragma once

#include <QByteArray>
#include <QDialog>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace Ui {
class popupOneWin;
}
class QGraphicsPixmapItem;
class QGraphicsView;
class camData;
class camHandel;
class popOneGraphScene;
struct shellSettings;

// The separate, always-on-top window that shows one camera at a time: a tab per camera that was
// popped up (at most five), the newest picture of the current camera with its caption, and a
// command panel of its own on a click. Its geometry lives in the settings hx, hy, hwidth and
// hheight, always as the picture area; closing only hides it.
class popupOneWin : public QDialog {
    Q_OBJECT

public:
    static constexpr int maxTabs = 5;
    static constexpr int shortestPicture = 501;  // bytes; anything shorter is shown as a fault

    // settings: the geometry values (read and written), scaleMode, closeEn, ButtonText,
    // BildAllSaveEn. frameShown: the main window's frame state. overlayPixelSize: caption size.
    popupOneWin(shellSettings &settings, const bool &frameShown, const int &overlayPixelSize,
                QWidget *parent = nullptr);
    ~popupOneWin() override;

    // Takes the not-connected picture and the stored geometry (kept inside the screen).
    // labelled: the placeholder is the built-in picture, which gets its label in the language in use.
    void initialise(const QPixmap &placeholder, bool labelled = false);
    // Frame and stays-on-top flags after the main window's frame state; the margins follow.
    void applyWindowFlags(bool closeButton);
    // After a language change: the edition title and the panel's texts.
    void retranslate(const QString &title);

    // Tabs
    int findCameraTab(const camData *camera) const;
    int addCameraTab(camData *camera);  // -1 when all five are in use
    void selectTab(int index);
    void removeAllTabs();
    int tabCount() const;
    // The camera's tab (added when missing) becomes the selected one and the camera the current
    // one; false for a camera that gets no tab.
    bool showCamera(camData *camera);
    // The main window's current camera changed: show that one when it has a tab here.
    void followCamera(camData *camera);
    camData *currentCamera() const;
    bool isShowing(const camData *camera) const;
    // The camera the user picked on the tab bar since the last call, or none.
    camData *takeChosenCamera();
    // Lets go of a camera about to be deleted: its tab, and any hold of the window or panel on it.
    void releaseCamera(camData *camera);

    // Pictures. feedFrom is the tick's hand-over of the main window's selected camera: in single
    // view the window follows it when it has a picture and a tab here; then the window takes its
    // own camera's newest picture, or shows it not connected while it delivers none.
    void feedFrom(camData *camera, bool gridView);
    void feedPicture(const QByteArray &picture);  // empty: the camera delivers nothing
    void renderPopup();
    void placeItem();

    camHandel *panel() const { return commandPanel; }
    QString caption() const { return lastCaption; }
    QPixmap displayPixmap() const { return display; }
    QRect lastPictureRect() const { return lastDrawnRect; }
    bool resizeIsPending() const { return resizePending; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_popTW_currentChanged(int index);

private:
    struct tabEntry {
        QWidget *page = nullptr;
        QGraphicsView *view = nullptr;
        QPointer<camData> camera;
    };

    void prepareScene();
    void setCurrent(camData *camera);
    bool preparePicture(QByteArray &jpeg);
    void fitToPicture(const QRectF &area);
    QRectF storedArea() const;
    void setStoredArea(const QRectF &area);
    QRect availableGeometry() const;
    void applyPendingGeometry();
    QPixmap scaledPlaceholder() const;
    void paintCaption();
    void placePanel();

    Ui::popupOneWin *ui;
    shellSettings &settings;
    const bool &frameShown;
    const int &overlayPixelSize;

    popOneGraphScene *scene = nullptr;
    QGraphicsPixmapItem *item = nullptr;
    QPixmap placeholder;
    bool placeholderLabelled = false;
    QPixmap display;
    QPixmap retired;  // the picture shown before, until the item has let it go: the next one's memory
    QSize sourceSize;  // the picture the window fits to
    bool resizePending = false;
    QSizeF margin;
    QRectF lastApplied;
    QPointer<camData> current;
    QPointer<camData> chosen;
    QList<tabEntry> tabs;
    bool ready = false;
    bool initialised = false;
    QString prefix;
    bool unconnected = true;
    QList<QByteArray> pictures;  // newest last, at most four
    QRect windowRectangle;
    QPointF itemPos;
    QSize targetSize;
    QRect lastDrawnRect;
    QFont font;
    camHandel *commandPanel = nullptr;
    QPoint panelClick;       // where the panel was opened
    QSize placedPanelSize;   // its size with frame when it was placed there

    // Work is done only when something changed: a new picture, another camera or state, a fit.
    bool renderDue = false;
    bool displayChanged = false;
    bool geometryDue = false;
    QRect lastRequested;
    QPointer<camData> fedCamera;
    qint64 fedCount = -1;
    QString lastCaption;
};
