#pragma once

#include <QGraphicsScene>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

class installation;
class windowRules;

// The scene that holds the camera tiles and lays them out, in the grid or as the single view of
// the current camera. Mouse clicks only leave flags and indexes here and in the installation's
// requests; the main window's tick acts on them. A left click in the grid makes the camera under
// it current.
class ownGraphScene : public QGraphicsScene {
    Q_OBJECT

public:
    // The not-connected picture's size is the aspect that scale modes 1 and 2 keep.
    ownGraphScene(installation &state, windowRules &window, const QSize &reference, QObject *parent);

    // The scene rectangle (when asked) and the tiles: every camera's in the grid view, which waits
    // while the window is hidden, or the current camera's over the whole picture area.
    void layOut(bool withSceneRect, bool windowVisible, bool controlBoxVisible);
    // The grid view came while the window was hidden: it is laid out once the window shows.
    bool layoutPending() const { return pending; }
    void setLayoutPending() { pending = true; }
    // Grid view shows every tile, the single view only the current camera's.
    void applyViewVisibility();
    // A confirmed drag moves the camera in the list; true when the order changed.
    bool moveDraggedCamera();

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

signals:
    // The tile a left click hit: its index, "-1" for none, "-10" without cameras.
    void tileHit(const QString &info);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;

private:
    // The camera under a left click in the grid view becomes current; its index, or -1.
    int selectCameraUnder(const QPointF &scenePos);

    installation &state;
    windowRules &window;
    QSize reference;
    bool pending = false;
};
