#include "tilerenderer.h"

#include "tiledecoder.h"
#include "tiletext.h"

#include <QGraphicsPixmapItem>
#include <QPainter>
#include <QtConcurrent/QtConcurrentMap>

namespace {
constexpr int captionOffset = 10;
constexpr int captionWidth = 350;
}  // namespace

tileRenderer::tileRenderer(const QPixmap &placeholderPicture) : placeholder(placeholderPicture)
{
    font.setFixedPitch(true);
    font.setWeight(QFont::Bold);
}

tileRenderer::~tileRenderer()
{
    if (scene || !itemPlaced)
        delete tileItem;
}

void tileRenderer::attachToScene(QGraphicsScene *target)
{
    if (tileItem && scene)
        scene->removeItem(tileItem);
    scene = target;
    if (!tileItem) {
        tileItem = new QGraphicsPixmapItem;
        tileItem->setOffset(20, 20);
    }
    if (scene)
        scene->addItem(tileItem);
    itemPlaced = scene != nullptr;
}

void tileRenderer::setTileRect(const QRectF &rect)
{
    tile = rect;
}

QRectF tileRenderer::tileRect() const
{
    return tile;
}

void tileRenderer::showPlaceholder()
{
    display = placeholder;
    drawn = drawnState();
    if (tileItem)
        tileItem->setPixmap(display);
}

// A pixmap set again repaints the tile in the view even when it is the same one.
void tileRenderer::updateSceneItem(const QString &toolTip)
{
    if (!tileItem)
        return;
    const QRectF rect = tileRect();
    if (displayChanged)
        tileItem->setPixmap(display);
    displayChanged = false;
    if (tileItem->toolTip() != toolTip)
        tileItem->setToolTip(toolTip);
    tileItem->setPos(rect.x(), rect.y());
}

void tileRenderer::plan(job next)
{
    pending = std::move(next);
    reuse = QImage();
}

bool tileRenderer::showsPictureFor(const QSize &size, int scaleMode) const
{
    return drawn.from == source::picture && drawn.tile == size && drawn.scaleMode == scaleMode;
}

// The picture before last is no longer on the tile item: its memory takes the next picture.
void tileRenderer::prepareDecode()
{
    if (alreadyShown())
        pending.from = source::none;
    if (!decodes())
        return;
    reuse = retired.toImage();
    retired = QPixmap();
}

void tileRenderer::decode()
{
    if (decodes())
        pending.decoded = tileDecoder::decode(pending.jpeg, pending.tile, pending.scaleMode, std::move(reuse));
    reuse = QImage();
    // Not held beyond the decode: the cutter adds the lines that follow a picture in place.
    pending.jpeg = QByteArray();
}

QPixmap tileRenderer::scaledPlaceholder(const QSize &size, int scaleMode, const QString &label)
{
    if (placeholderScaledFor != size || placeholderScaledMode != scaleMode || placeholderScaledLabel != label) {
        const QSize target = tileDecoder::targetSize(placeholder.size(), size, scaleMode);
        placeholderScaled = target.isEmpty()
            ? QPixmap()
            : placeholder.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (placeholderLabelled)
            tileText::drawLabel(placeholderScaled, label);
        placeholderScaledFor = size;
        placeholderScaledMode = scaleMode;
        placeholderScaledLabel = label;
    }
    return placeholderScaled;
}

// The same caption over the same pixels: drawing it again would change nothing but cost a copy
// of the pixmap (the tile item shares it) and a repaint of the tile.
bool tileRenderer::alreadyShown() const
{
    if (pending.from == source::none)
        return false;
    if (pending.caption != drawn.caption || pending.callCaption != drawn.callCaption
        || pending.pixelSize != drawn.pixelSize)
        return false;
    if (pending.from == source::placeholder && pending.placeholderLabel != drawn.placeholderLabel)
        return false;
    if (pending.from == source::keep)
        return true;
    if (pending.predecoded)
        return false;
    const bool samePicture = pending.from == source::placeholder || pending.serial == drawn.serial;
    return drawn.from == pending.from && samePicture && drawn.tile == pending.tile
        && drawn.scaleMode == pending.scaleMode;
}

void tileRenderer::paint()
{
    if (alreadyShown())
        pending.from = source::none;
    switch (pending.from) {
    case source::none:
        return;
    case source::keep:
        break;
    case source::placeholder:
        display = scaledPlaceholder(pending.tile, pending.scaleMode, pending.placeholderLabel);
        break;
    case source::picture:
        retired = std::move(display);
        display = QPixmap::fromImage(std::move(pending.decoded));
        break;
    }
    const source from = pending.from;
    pending.from = source::none;
    if (from != source::keep) {
        drawn = drawnState();
        drawn.from = from;
        drawn.serial = pending.serial;
        drawn.tile = pending.tile;
        drawn.scaleMode = pending.scaleMode;
        drawn.placeholderLabel = from == source::placeholder ? pending.placeholderLabel : QString();
        displayChanged = true;
    }
    drawn.caption = pending.caption;
    drawn.callCaption = pending.callCaption;
    drawn.pixelSize = pending.pixelSize;
    if (display.isNull()) {
        if (from != source::keep)
            drawnRect = QRect();
        return;
    }
    displayChanged = true;
    paintCaption(from == source::keep);
}

// A caption drawn again over the same picture first gets back the pixels it covered: the plate
// and text of the caption before would show through.
void tileRenderer::paintCaption(bool samePicture)
{
    drawnRect = display.rect();
    const int pixelSize = qMax(1, pending.pixelSize);
    // What does not fit the caption's place is shortened before the name, or cut off.
    const int width = qMin(captionWidth, drawnRect.width() - 2 * captionOffset);
    if (font.pixelSize() != pixelSize || captionFittedFor != pending.caption || captionFittedWidth != width) {
        font.setPixelSize(pixelSize);
        const QString prefix = pending.caption.left(pending.caption.size() - pending.captionName.size());
        captionText.setText(tileText::fitted(prefix, pending.captionName, QFontMetrics(font), width));
        captionText.setTextFormat(Qt::PlainText);
        captionText.prepare(QTransform(), font);
        captionFittedFor = pending.caption;
        captionFittedWidth = width;
    }
    const QRect place(drawnRect.left() + captionOffset, drawnRect.top() + captionOffset, captionWidth,
                      pending.pixelSize + captionOffset);
    const QRect strip = place.adjusted(-captionOffset, 0, 0, 0) & drawnRect;
    if (samePicture && !captionBackground.isNull()) {
        QPainter restore(&display);
        restore.setCompositionMode(QPainter::CompositionMode_Source);
        restore.drawPixmap(captionBackgroundAt, captionBackground);
    }
    captionBackground = display.copy(strip);
    captionBackgroundAt = strip.topLeft();
    QPainter painter(&display);
    painter.setFont(font);
    painter.setClipRect(strip);
    tileText::drawCaption(painter, place.topLeft(), captionText, pending.callCaption ? Qt::green : Qt::black);
}

void tileRenderer::finish()
{
    prepareDecode();
    decode();
    paint();
}

void tileRenderer::finishAll(const QList<tileRenderer *> &renderers)
{
    QList<tileRenderer *> decoding;
    for (tileRenderer *renderer : renderers) {
        renderer->prepareDecode();
        if (renderer->decodes())
            decoding.append(renderer);
    }
    if (decoding.size() > 1)
        QtConcurrent::blockingMap(decoding, [](tileRenderer *renderer) { renderer->decode(); });
    else if (!decoding.isEmpty())
        decoding.first()->decode();
    for (tileRenderer *renderer : renderers)
        renderer->paint();
}
