#pragma once

#include <QGraphicsScene>
#include <QPointF>
#include <QRectF>

class ownCam;

// The scene that holds the camera tiles. Mouse clicks only leave flags and indexes here; the
// main window's tick acts on them.
class ownGraphScene : public QGraphicsScene {
    Q_OBJECT

public:
    explicit ownGraphScene(ownCam *owner);

    int releaseCounter = 0;
    int pressIndex = 0;
    int releaseIndex = 0;
    bool currentChanged = false;
    bool rightClick = false;
    bool dragging = false;
    bool moveRequest = false;
    QPointF pressPosition;
    QPointF scenePosition;
    QPointF screenPosition;
    QRectF lastSceneRect;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;

private:
    ownCam *owner;
};
