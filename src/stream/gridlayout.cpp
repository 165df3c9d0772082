#include "gridlayout.h"

#include <algorithm>

QSizeF gridLayout::frameMargins(bool frameShown, bool controlBoxVisible)
{
    if (!frameShown)
        return {0, 0};
    return {10, controlBoxVisible ? 60.0 : 10.0};
}

QRectF gridLayout::pictureArea(const QRect &window, const QSizeF &margins)
{
    return {double(window.left()), double(window.top()),
            window.right() - window.left() + 1 - margins.width(),
            window.bottom() - window.top() + 1 - margins.height()};
}

gridLayout::tileResult gridLayout::tileSize(const QSizeF &area, const QSizeF &margins, int nPicCol,
                                            int nPicRow, bool gridView, int scaleMode,
                                            const QSize &reference)
{
    const int columns = std::max(1, nPicCol);
    const int rows = std::max(1, nPicRow);
    tileResult result;
    result.tile = gridView ? QSizeF(area.width() / columns, area.height() / rows) : area;
    if ((scaleMode != 1 && scaleMode != 2) || reference.isEmpty())
        return result;

    const QSize scaled = scaleMode == 1 ? scaledToWidth(reference, int(result.tile.width()))
                                        : scaledToHeight(reference, int(result.tile.height()));
    result.tile = QSizeF(scaled);
    const int across = gridView ? columns : 1;
    const int down = gridView ? rows : 1;
    result.fitWindow = true;
    result.windowSize = QSizeF(result.tile.width() * across + margins.width(),
                               result.tile.height() * down + margins.height());
    return result;
}

QRectF gridLayout::tileRect(int index, const QSizeF &tile, int nPicCol)
{
    int column = 0;
    int row = 0;
    for (int i = 0; i < index; ++i) {
        if (++column >= nPicCol) {
            column = 0;
            ++row;
        }
    }
    return {column * tile.width(), row * tile.height(), tile.width(), tile.height()};
}

QList<int> gridLayout::moveOrder(int count, int from, int to)
{
    QList<int> order;
    const bool valid = from >= 0 && to >= 0 && from < count && to < count && from != to;
    for (int i = 0; i < count; ++i) {
        if (valid && i == to)
            order.append(from);
        if (!valid || i != from)
            order.append(i);
    }
    return order;
}

QSize gridLayout::scaledToWidth(const QSize &source, int width)
{
    if (source.isEmpty())
        return {};
    const double factor = double(width) / source.width();
    return {width, int(factor * source.height() + 0.9999)};
}

QSize gridLayout::scaledToHeight(const QSize &source, int height)
{
    if (source.isEmpty())
        return {};
    const double factor = double(height) / source.height();
    return {int(factor * source.width() + 0.9999), height};
}
