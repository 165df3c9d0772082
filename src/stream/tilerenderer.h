#pragma once

#include "tilejob.h"

#include <QByteArray>
#include <QFont>
#include <QGraphicsScene>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QStaticText>
#include <QString>

class QGraphicsPixmapItem;

// A camera's tile in the grid: the scene item, its place, and the pixels it shows (the picture
// or the placeholder scaled to the tile, the caption drawn over it). The camera's tick plans what
// the tile is to show; finish() decodes and paints it later, for several tiles side by side
// through finishAll(). GUI thread: finishAll() decodes on the pool's threads while it waits.
class tileRenderer {
public:
    using source = tileJob::source;
    using job = tileJob;

    // placeholder: picture shown while the camera delivers nothing.
    explicit tileRenderer(const QPixmap &placeholder);
    ~tileRenderer();
    tileRenderer(const tileRenderer &) = delete;
    tileRenderer &operator=(const tileRenderer &) = delete;

    void attachToScene(QGraphicsScene *scene);
    void setTileRect(const QRectF &rect);
    QRectF tileRect() const;
    QGraphicsPixmapItem *item() const { return tileItem; }
    void showPlaceholder();
    void setPlaceholderLabelled(bool on) { placeholderLabelled = on; }
    void updateSceneItem(const QString &toolTip);

    void plan(job next);
    const QString &plannedCaption() const { return pending.caption; }
    // The picture (not the placeholder) is on the display, drawn for this tile size and scale.
    bool showsPictureFor(const QSize &tile, int scaleMode) const;
    void finish();
    static void finishAll(const QList<tileRenderer *> &renderers);
    QPixmap pixmap() const { return display; }
    QRect lastDrawnRect() const { return drawnRect; }

private:
    // What the display pixmap shows, so that a tick that would draw the same again does not.
    struct drawnState {
        source from = source::none;
        qint64 serial = -1;  // of the picture (its bytes are not held: the cutter adds to them in place)
        QSize tile;
        int scaleMode = -1;
        QString caption;
        bool callCaption = false;
        int pixelSize = 0;
        QString placeholderLabel;
    };

    void prepareDecode();
    bool decodes() const { return pending.from == source::picture && !pending.predecoded; }
    void decode();
    void paint();
    bool alreadyShown() const;
    QPixmap scaledPlaceholder(const QSize &tile, int scaleMode, const QString &label);
    void paintCaption(bool samePicture);

    job pending;
    QImage reuse;  // memory of an earlier picture, for the decoder to write into
    drawnState drawn;

    QPixmap placeholder;
    QPixmap placeholderScaled;
    QSize placeholderScaledFor;
    int placeholderScaledMode = -1;
    QString placeholderScaledLabel;
    bool placeholderLabelled = false;
    QPixmap display;
    QPixmap retired;  // the display before the current one, until the tile item has let it go
    QFont font;
    QStaticText captionText;  // laid out once for the text and font it shows, drawn many times
    QString captionFittedFor;  // the caption captionText was fitted from, at that width
    int captionFittedWidth = -1;
    QPixmap captionBackground;  // the pixels under the caption, as the picture had them
    QPoint captionBackgroundAt;
    QRect drawnRect;
    bool displayChanged = false;  // the tile item still shows an older display pixmap

    QPointer<QGraphicsScene> scene;
    QGraphicsPixmapItem *tileItem = nullptr;
    bool itemPlaced = false;  // the item went into a scene, which deletes it if it goes first
    QRectF tile;
};
