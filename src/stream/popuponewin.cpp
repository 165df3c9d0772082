#include "popuponewin.h"
#include "ui_popuponewin.h"

#include "camdata.h"
#include "camhandel.h"
#include "poponegraphscene.h"
#include "popupgeometry.h"
#include "shellsettings.h"
#include "tiledecoder.h"
#include "tiletext.h"

#include <QCloseEvent>
#include <QGraphicsPixmapItem>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QStaticText>

namespace {
constexpr int maxPictures = 4;
constexpr int itemOffset = 20;
constexpr int captionOffset = 10;
constexpr int captionWidth = 350;
const char *const unconnectedPrefix = "!UNCONNECTED! : ";
// Drawn over the picture: the user reads it.
const char *const badPicturePrefix = QT_TRANSLATE_NOOP("popupOneWin", "!BILD Fehler! : ");
const char *const picturePrefix = "> ";
}  // namespace

popupOneWin::popupOneWin(shellSettings &shell, const bool &frame, const int &pixelSize, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::popupOneWin)
    , settings(shell)
    , frameShown(frame)
    , overlayPixelSize(pixelSize)
{
    ui->setupUi(this);
    // Door events show it: over what the user is doing, without taking the keyboard from it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The window's size is the picture's business (at least 50 × 50), not the tab widget's.
    ui->verticalLayout_2->setSizeConstraint(QLayout::SetNoConstraint);
    const QList<QGraphicsView *> views = {ui->grGW, ui->gr2GW, ui->gr3GW, ui->gr4GW, ui->gr5GW};
    for (int i = 0; i < maxTabs; ++i) {
        views[i]->setContentsMargins(0, 0, 0, 0);
        tabs.append({ui->popTW->widget(i), views[i], nullptr});
    }
    removeAllTabs();
    ready = true;
    commandPanel = new camHandel(settings, true, this);
    commandPanel->installEventFilter(this);
    commandPanel->setButtonLabels(settings.ButtonText);
    commandPanel->setAvailability(settings.BildAllSaveEn ? 1 : 0);
}

popupOneWin::~popupOneWin()
{
    delete ui;
}

void popupOneWin::initialise(const QPixmap &placeholderPicture, bool labelled)
{
    placeholder = placeholderPicture;
    placeholderLabelled = labelled;
    margin = popupGeometry::margins(frameShown);
    // A hand-edited size must not become a pixmap of gigabytes, nor the window land off-screen.
    QScreen *target = QGuiApplication::screenAt(QPoint(int(settings.hx), int(settings.hy)));
    if (!target)
        target = QGuiApplication::primaryScreen();
    if (target)
        setStoredArea(popupGeometry::clampToScreen(storedArea(), margin, target->availableGeometry()));
    targetSize = storedArea().size().toSize();
    setGeometry(popupGeometry::windowRect(storedArea(), margin));
    initialised = true;
    prepareScene();
}

void popupOneWin::prepareScene()
{
    unconnected = true;
    current = nullptr;
    resizePending = false;
    font.setPixelSize(15);
    font.setFixedPitch(true);
    font.setWeight(QFont::Bold);
    applyWindowFlags(settings.closeEn);
    scene = new popOneGraphScene(this);
    for (const tabEntry &entry : std::as_const(tabs))
        entry.view->setScene(scene);
    item = new QGraphicsPixmapItem;
    item->setOffset(itemOffset, itemOffset);
    item->setPos(itemPos);
    scene->addItem(item);
}

void popupOneWin::applyWindowFlags(bool closeButton)
{
    Qt::WindowFlags flags = Qt::Tool | Qt::WindowStaysOnTopHint;
    if (frameShown) {
        flags |= Qt::WindowTitleHint | Qt::CustomizeWindowHint;
        if (closeButton)
            flags |= Qt::WindowCloseButtonHint;
    } else {
        flags |= Qt::FramelessWindowHint;
    }
    margin = popupGeometry::margins(frameShown);
    if (flags == windowFlags())
        return;
    // Setting flags hides a visible window.
    const bool wasVisible = isVisible();
    setWindowFlags(flags);
    if (initialised)
        setGeometry(popupGeometry::windowRect(storedArea(), margin));
    if (wasVisible)
        show();
}

void popupOneWin::retranslate(const QString &title)
{
    setWindowTitle(title);
    commandPanel->retranslate();
    commandPanel->setButtonLabels(settings.ButtonText);
    if (const camData *camera = commandPanel->camera())
        commandPanel->setWindowTitle(camera->camModule.camName);
}

// ---- tabs ------------------------------------------------------------------------------------

camData *popupOneWin::currentCamera() const
{
    return current;
}

bool popupOneWin::isShowing(const camData *camera) const
{
    return camera && isVisible() && current == camera;
}

int popupOneWin::tabCount() const
{
    return ui->popTW->count();
}

int popupOneWin::findCameraTab(const camData *camera) const
{
    if (!camera)
        return -1;
    for (int i = 0; i < tabCount(); ++i) {
        if (tabs[i].camera == camera)
            return i;
    }
    return -1;
}

int popupOneWin::addCameraTab(camData *camera)
{
    const int index = tabCount();
    if (!camera || index >= maxTabs)
        return -1;
    // Changes made by the program are no choice of the user.
    const QSignalBlocker block(ui->popTW);
    tabs[index].camera = camera;
    ui->popTW->addTab(tabs[index].page, camera->camModule.camName);
    return index;
}

// A tab's label always names its own camera (which may have been renamed since).
void popupOneWin::selectTab(int index)
{
    if (index < 0 || index >= tabCount())
        return;
    const QSignalBlocker block(ui->popTW);
    ui->popTW->setCurrentIndex(index);
    if (const camData *camera = tabs[index].camera)
        ui->popTW->setTabText(index, camera->camModule.camName);
}

void popupOneWin::removeAllTabs()
{
    const QSignalBlocker block(ui->popTW);
    while (ui->popTW->count() > 0)
        ui->popTW->removeTab(0);
    for (tabEntry &entry : tabs)
        entry.camera = nullptr;
}

bool popupOneWin::showCamera(camData *camera)
{
    int index = findCameraTab(camera);
    if (index < 0)
        index = addCameraTab(camera);
    if (index < 0)
        return false;
    setCurrent(camera);
    selectTab(index);
    return true;
}

// Only to a camera with a tab: the window shows no camera it has no tab for (a click on another
// tile of the main window, a sixth caller).
void popupOneWin::followCamera(camData *camera)
{
    const int tab = findCameraTab(camera);
    if (tab < 0 || current == camera)
        return;
    setCurrent(camera);
    selectTab(tab);
}

camData *popupOneWin::takeChosenCamera()
{
    camData *camera = chosen;
    chosen = nullptr;
    return camera;
}

void popupOneWin::on_popTW_currentChanged(int index)
{
    if (index < 0 || !ready || tabCount() < 2)
        return;
    const QWidget *page = ui->popTW->widget(index);
    for (const tabEntry &entry : std::as_const(tabs)) {
        if (entry.page != page)
            continue;
        if (entry.camera)
            chosen = entry.camera;
        return;
    }
}

void popupOneWin::releaseCamera(camData *camera)
{
    commandPanel->releaseCamera(camera);
    if (chosen == camera)
        chosen = nullptr;
    if (current == camera)
        setCurrent(nullptr);
    if (findCameraTab(camera) < 0)
        return;
    const int selected = ui->popTW->currentIndex();
    const camData *selectedCamera = selected >= 0 ? tabs[selected].camera.data() : nullptr;
    QList<camData *> kept;
    for (int i = 0; i < tabCount(); ++i) {
        if (tabs[i].camera != camera)
            kept.append(tabs[i].camera);
    }
    removeAllTabs();
    for (camData *other : std::as_const(kept))
        addCameraTab(other);
    selectTab(std::max(0, findCameraTab(selectedCamera)));
    if (kept.isEmpty())
        hide();
}

// ---- pictures --------------------------------------------------------------------------------

// Another camera's pictures are never shown under this one's name: until its own picture comes,
// the window shows it as not connected.
void popupOneWin::setCurrent(camData *camera)
{
    if (current == camera)
        return;
    current = camera;
    fedCamera = nullptr;
    unconnected = true;
    pictures.clear();
    renderDue = true;
}

// The window shows its own camera's pictures, whichever camera the main window has selected:
// a picture that stopped changing must never pass for a live one. A camera that does not
// deliver now (silent, stalled, or a new connection without its first picture) is shown as not
// connected.
void popupOneWin::feedFrom(camData *camera, bool gridView)
{
    if (!gridView && camera && camera->hasPicture())
        followCamera(camera);
    camData *shownCamera = current;
    if (!shownCamera) {
        placeItem();
        return;
    }
    if (!shownCamera->isReceiving() || !shownCamera->hasPicture()) {
        feedPicture(QByteArray());
    } else if (isHidden()) {
        // Nothing is taken for a hidden window: an RTSP camera's newest picture would be encoded as
        // JPEG on every picture, for nothing. Once shown, the window takes the newest at the next tick.
    } else if (shownCamera != fedCamera || shownCamera->pictureSerial() != fedCount) {
        // The same newest picture is not taken, decoded and scaled again on every tick.
        fedCamera = shownCamera;
        fedCount = shownCamera->pictureSerial();
        feedPicture(shownCamera->newestPicture());
    }
    renderPopup();
    placeItem();
}

void popupOneWin::feedPicture(const QByteArray &picture)
{
    if (picture.isEmpty()) {
        if (!unconnected)
            renderDue = true;
        unconnected = true;
        return;
    }
    unconnected = false;
    pictures.append(picture);
    while (pictures.size() > maxPictures)
        pictures.removeFirst();
    renderDue = true;
}

void popupOneWin::renderPopup()
{
    if (isHidden() || !renderDue)
        return;
    applyPendingGeometry();
    renderDue = false;
    QByteArray jpeg;
    QPixmap shown;
    if (preparePicture(jpeg)) {
        // Decoded straight to the size shown, at the smallest reduction that covers it, into the
        // memory of the picture before last: no memory is taken and given back 25 times a second.
        QImage reuse = retired.toImage();
        retired = QPixmap();
        QImage decoded = tileDecoder::decode(jpeg, targetSize, settings.scaleMode, std::move(reuse));
        if (decoded.isNull())
            prefix = tr(badPicturePrefix);
        else
            shown = QPixmap::fromImage(std::move(decoded));
    }
    if (shown.isNull())
        shown = scaledPlaceholder();
    if (shown.isNull()) {
        resizePending = true;
        return;
    }
    retired = std::move(display);
    display = shown;
    if (const int index = findCameraTab(current); index >= 0)
        ui->popTW->setTabText(index, current->camModule.camName);
    paintCaption();
    displayChanged = true;
}

// Chooses what is shown: the newest picture (true, in `jpeg`) or the placeholder with the reason
// in the caption. A picture that cannot be read is a fault like a short one, never a reason to
// refit the window.
bool popupOneWin::preparePicture(QByteArray &jpeg)
{
    if (unconnected) {
        prefix = QString::fromLatin1(unconnectedPrefix);
        sourceSize = placeholder.size();
        return false;
    }
    const QByteArray newest = pictures.isEmpty() ? QByteArray() : pictures.last();
    const QSize size = newest.size() < shortestPicture ? QSize() : tileDecoder::pictureSize(newest);
    if (size.isEmpty()) {
        prefix = tr(badPicturePrefix);
        sourceSize = placeholder.size();
        return false;
    }
    prefix = QString::fromLatin1(picturePrefix);
    sourceSize = size;
    jpeg = newest;
    if (resizePending) {
        // Asked for only when it changes: a pixel's step to make the window manager take it
        // would move the stored position at every start.
        fitToPicture(storedArea());
        resizePending = false;
        lastRequested = windowRectangle;
        if (windowRectangle != geometry())
            setGeometry(windowRectangle);
    }
    return true;
}

QPixmap popupOneWin::scaledPlaceholder() const
{
    const QSize size = tileDecoder::targetSize(placeholder.size(), targetSize, settings.scaleMode);
    if (size.isEmpty())
        return QPixmap();
    QPixmap scaled = placeholder.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (placeholderLabelled)
        tileText::drawLabel(scaled, tileText::notConnected());
    return scaled;
}

void popupOneWin::paintCaption()
{
    lastDrawnRect = display.rect();
    const QString name = current ? current->camModule.camName : QString();
    lastCaption = prefix + name;
    font.setPixelSize(std::max(1, overlayPixelSize));
    const int width = std::min(captionWidth, lastDrawnRect.width() - 2 * captionOffset);
    QStaticText text(tileText::fitted(prefix, name, QFontMetrics(font), width));
    text.setTextFormat(Qt::PlainText);
    text.prepare(QTransform(), font);
    QPainter painter(&display);
    painter.setFont(font);
    tileText::drawCaption(painter, lastDrawnRect.topLeft() + QPoint(captionOffset, captionOffset), text, Qt::green);
}

void popupOneWin::placeItem()
{
    if (!item)
        return;
    if (displayChanged) {
        displayChanged = false;
        item->setPixmap(display);
        scene->setSceneRect(QRectF(itemPos + QPointF(itemOffset, itemOffset), QSizeF(display.size())));
    }
    item->setPos(itemPos);
}

// ---- geometry --------------------------------------------------------------------------------

QRectF popupOneWin::storedArea() const
{
    return QRectF(settings.hx, settings.hy, settings.hwidth, settings.hheight);
}

void popupOneWin::setStoredArea(const QRectF &area)
{
    settings.hx = area.x();
    settings.hy = area.y();
    settings.hwidth = area.width();
    settings.hheight = area.height();
}

QRect popupOneWin::availableGeometry() const
{
    QScreen *target = QGuiApplication::screenAt(geometry().center());
    if (!target)
        target = screen();
    return target ? target->availableGeometry() : QRect(0, 0, 16384, 16384);
}

void popupOneWin::fitToPicture(const QRectF &area)
{
    if (sourceSize.isEmpty()) {
        resizePending = true;
        return;
    }
    const QSizeF limit = popupGeometry::areaLimit(availableGeometry(), margin);
    const QSizeF fitted = popupGeometry::fitToPicture(area.size(), sourceSize, settings.scaleMode, limit);
    setStoredArea(QRectF(area.topLeft(), fitted));
    windowRectangle = popupGeometry::windowRect(storedArea(), margin);
    itemPos = QPointF(0, 0);
    if (targetSize == fitted.toSize())
        return;
    targetSize = fitted.toSize();
    renderDue = true;
}

// A fit made while the user resizes is applied with the next picture, not from inside the
// event, and the same geometry is asked for only once (a window manager may insist on its own).
void popupOneWin::applyPendingGeometry()
{
    if (!geometryDue)
        return;
    geometryDue = false;
    lastRequested = windowRectangle;
    setGeometry(windowRectangle);
}

// The position stored is the one the window is given at start-up: that of its inside, not of the
// frame a window manager puts around it (the window would move up by a title bar every start).
void popupOneWin::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    if (!initialised)
        return;
    settings.hx = geometry().x();
    settings.hy = geometry().y();
}

void popupOneWin::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (!initialised)
        return;
    const QRectF area = popupGeometry::pictureArea(geometry(), margin);
    setStoredArea(area);
    if (area == lastApplied)
        return;
    lastApplied = area;
    fitToPicture(area);
    if (!resizePending && windowRectangle != geometry() && windowRectangle != lastRequested)
        geometryDue = true;
}

void popupOneWin::mousePressEvent(QMouseEvent *event)
{
    if (commandPanel->isVisible())
        commandPanel->hide();
    if (!current)
        return;
    commandPanel->setButtonLabels(settings.ButtonText);
    commandPanel->setAvailability(settings.BildAllSaveEn ? 1 : 0);
    commandPanel->setCamera(current);
    commandPanel->adjustSize();
    commandPanel->setWindowTitle(current->camModule.camName);
    panelClick = event->globalPosition().toPoint();
    placePanel();
    commandPanel->show();
    placePanel();
}

// A window manager adds the panel's frame only after it is shown, and that moves or resizes it:
// it is placed again then, so that it ends inside the window with its frame.
bool popupOneWin::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == commandPanel && commandPanel->isVisible()
        && (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        && commandPanel->frameGeometry().size() != placedPanelSize)
        placePanel();
    return QDialog::eventFilter(watched, event);
}

void popupOneWin::placePanel()
{
    placedPanelSize = commandPanel->frameGeometry().size();
    commandPanel->move(popupGeometry::panelPosition(panelClick, placedPanelSize, frameGeometry(), availableGeometry()));
}

void popupOneWin::closeEvent(QCloseEvent *event)
{
    if (isVisible())
        hide();
    event->ignore();
}

void popupOneWin::hideEvent(QHideEvent *event)
{
    if (commandPanel->isVisible())
        commandPanel->hide();
    QDialog::hideEvent(event);
}
