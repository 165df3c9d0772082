#include "owngraphscene.h"

#include "owncam.h"

#include <QGraphicsSceneMouseEvent>

ownGraphScene::ownGraphScene(ownCam *owner)
    : QGraphicsScene(owner)
    , owner(owner)
{
    // Every tile item gets a new pixmap every tick; an index of twenty items would be rebuilt
    // for each, and finding one of them under the mouse needs none.
    setItemIndexMethod(QGraphicsScene::NoIndex);
}

void ownGraphScene::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() != Qt::RightButton || dragging || moveRequest)
        return;
    pressPosition = event->scenePos();
    pressIndex = owner->tileAt(pressPosition);
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
        if (owner->isGridView()) {
            const int before = owner->currentIndex;
            owner->selectCameraUnder(scenePosition);
            if (owner->currentIndex != before) {
                currentChanged = true;
                return;
            }
        }
        owner->leftClickRequest = true;
        return;
    }
    if (event->button() == Qt::RightButton) {
        releaseIndex = owner->tileAt(scenePosition);
        if (pressIndex == -1 || pressIndex != releaseIndex)
            dragging = true;
        else
            rightClick = true;
    }
}

void ownGraphScene::mouseMoveEvent(QGraphicsSceneMouseEvent *)
{
}

void ownGraphScene::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *)
{
}
