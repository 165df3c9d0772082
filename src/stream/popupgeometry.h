#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

// The arithmetic of the separate popup window, no widgets involved. The stored geometry (hx, hy,
// hwidth, hheight) is always the picture area; the window is that area plus the frame margins.
class popupGeometry {
public:
    static constexpr int minimumSide = 50;
    static constexpr int frameMargin = 10;
    // Panel edges keep this distance inside the window's right and bottom edges.
    static constexpr int panelInset = 8;

    // 10 in each direction while the window has a frame, none without.
    static QSizeF margins(bool frameShown);

    static QRect windowRect(const QRectF &area, const QSizeF &margins);
    static QRectF pictureArea(const QRect &window, const QSizeF &margins);

    // Largest picture area whose window still fits into the screen's available geometry.
    static QSizeF areaLimit(const QRect &available, const QSizeF &margins);

    // The area sized between 50 × 50 and the limit, and moved so that its window lies inside
    // `available` (as far as a window of at least 50 × 50 can).
    static QRectF clampToScreen(const QRectF &area, const QSizeF &margins, const QRect &available);

    // Picture area fitted to a picture of `picture` pixels: each side raised to at least 50;
    // then scaleMode 1 keeps the width and takes the height of the picture scaled to it, 2 keeps
    // the height; other modes keep both. A fitted side beyond `limit` shrinks both sides with the
    // aspect kept.
    static QSizeF fitToPicture(const QSizeF &area, const QSize &picture, int scaleMode, const QSizeF &limit);

    // Top-left of a panel of `panel` pixels opened by a click at `click`: at the click, moved
    // left and up so that it ends 8 pixels inside the window, never left of or above the window,
    // and in any case inside the screen.
    static QPoint panelPosition(const QPoint &click, const QSize &panel, const QRect &window, const QRect &screen);
};
