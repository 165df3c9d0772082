#pragma once

#include <QGraphicsScene>

// The one scene that all views of the popup window share. It takes no mouse events, so a click
// on the picture reaches the window itself, which opens the command panel.
class popOneGraphScene : public QGraphicsScene {
    Q_OBJECT

public:
    explicit popOneGraphScene(QObject *parent = nullptr);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
};
