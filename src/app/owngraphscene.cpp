#include "owngraphscene.h"

#include "camdata.h"
#include "gridlayout.h"
#include "installation.h"
#include "tracecategory.h"
#include "windowrules.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsSceneMouseEvent>

ownGraphScene::ownGraphScene(installation &state, windowRules &window, const QSize &reference, QObject *parent)
    : QGraphicsScene(parent)
    , state(state)
    , window(window)
    , reference(reference)
{
    // Every tile item gets a new pixmap every tick; an index of twenty items would be rebuilt
    // for each, and finding one of them under the mouse needs none.
    setItemIndexMethod(QGraphicsScene::NoIndex);
}

void ownGraphScene::layOut(bool withSceneRect, bool windowVisible, bool controlBoxVisible)
{
    const shellSettings &settings = state.settings();
    if (withSceneRect)
        setSceneRect(20, 20, std::max(100.0, settings.width), std::max(100.0, settings.height));
    if (!state.isGridView()) {
        if (camData *current = state.currentCamera()) {
            const QRectF whole(0, 0, settings.width, settings.height);
            current->setTileRect(whole);
        }
        return;
    }
    const QList<camData *> &cameras = state.cameras();
    if (!windowVisible || cameras.isEmpty())
        return;
    pending = false;
    qCDebug(dxcamTrace) << "SHOW MULTICAM ...";
    const QSizeF margins = window.measurePictureArea(controlBoxVisible);
    const gridLayout::tileResult tiles = gridLayout::tileSize(QSizeF(settings.width, settings.height), margins,
                                                              settings.nPicCol, settings.nPicRow, true,
                                                              settings.scaleMode, reference);
    if (tiles.fitWindow)
        window.fitLater(QRectF(QPointF(settings.x, settings.y), tiles.windowSize));
    for (int i = 0; i < cameras.size(); ++i)
        cameras[i]->setTileRect(gridLayout::tileRect(i, tiles.tile, settings.nPicCol));
}

void ownGraphScene::applyViewVisibility()
{
    for (camData *cam : state.cameras())
        cam->item()->setVisible(state.isGridView() || cam == state.currentCamera());
}

bool ownGraphScene::moveDraggedCamera()
{
    moveRequest = false;
    dragging = false;
    const QList<camData *> &cameras = state.cameras();
    QList<camData *> moved;
    for (int i : gridLayout::moveOrder(int(cameras.size()), pressIndex, releaseIndex))
        moved.append(cameras[i]);
    if (moved == cameras)
        return false;
    state.reorder(moved);
    state.rebuildConfiguration();
    return true;
}

void ownGraphScene::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() != Qt::RightButton || dragging || moveRequest)
        return;
    pressPosition = event->scenePos();
    pressIndex = state.tileAt(pressPosition);
}

void ownGraphScene::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    ++releaseCounter;
    if (moveRequest)
        return;
    if (dragging) {
        // The drag is confirmed by the next release, whatever button.
        moveRequest = true;
        return;
    }
    scenePosition = event->scenePos();
    screenPosition = event->screenPos();
    lastSceneRect = sceneRect();

    if (event->button() == Qt::LeftButton) {
        if (state.isGridView()) {
            const int before = state.currentIndex();
            selectCameraUnder(scenePosition);
            if (state.currentIndex() != before) {
                currentChanged = true;
                return;
            }
        }
        state.shellRequests().leftClick = true;
        return;
    }
    if (event->button() == Qt::RightButton) {
        releaseIndex = state.tileAt(scenePosition);
        if (pressIndex == -1 || pressIndex != releaseIndex)
            dragging = true;
        else
            rightClick = true;
    }
}

int ownGraphScene::selectCameraUnder(const QPointF &scenePos)
{
    if (state.cameras().isEmpty()) {
        emit tileHit(QStringLiteral("-10"));
        return -1;
    }
    const int index = state.tileAt(scenePos);
    emit tileHit(QString::number(index));
    if (index < 0)
        return -1;
    state.makeCurrent(index);
    return index;
}

void ownGraphScene::mouseMoveEvent(QGraphicsSceneMouseEvent *)
{
}

void ownGraphScene::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *)
{
}
