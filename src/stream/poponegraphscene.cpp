#include "poponegraphscene.h"

#include <QGraphicsSceneMouseEvent>

popOneGraphScene::popOneGraphScene(QObject *parent)
    : QGraphicsScene(parent)
{
}

// Left unaccepted, the view passes the event on to its parents up to the window.
void popOneGraphScene::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}

void popOneGraphScene::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}

void popOneGraphScene::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}

void popOneGraphScene::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}
