#pragma once

#include <QList>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

// The arithmetic of the camera grid: picture area inside the window, tile size per scale mode,
// tile placement and the reordering of a right-button drag. No widgets involved.
class gridLayout {
public:
    // Margins between window and picture area: 10 across with a frame; 60 down with frame and
    // control box, 10 with frame only, none without frame.
    static QSizeF frameMargins(bool frameShown, bool controlBoxVisible);
    // x, y = window position; width, height = window size less the margins.
    static QRectF pictureArea(const QRect &window, const QSizeF &margins);

    struct tileResult {
        QSizeF tile;
        bool fitWindow = false;  // scale modes 1 and 2 ask the window to fit the tiles
        QSizeF windowSize;       // the window size that fits them, margins included
    };
    static tileResult tileSize(const QSizeF &area, const QSizeF &margins, int nPicCol, int nPicRow,
                               bool gridView, int scaleMode, const QSize &reference);

    // Tile of camera `index` when walking the list row by row. The column counter wraps when it
    // reaches nPicCol, so nPicCol below 1 puts every camera in a row of its own.
    static QRectF tileRect(int index, const QSizeF &tile, int nPicCol);

    // New list order after dragging the camera at `from` onto the one at `to`: the moved camera
    // is inserted before the camera that was at `to`. Invalid or equal indexes: no change.
    static QList<int> moveOrder(int count, int from, int to);

    // Size of a picture scaled to a width or height with its aspect kept, as the toolkit's
    // fast scaling computes it.
    static QSize scaledToWidth(const QSize &source, int width);
    static QSize scaledToHeight(const QSize &source, int height);
};
