#include "popupgeometry.h"

#include "gridlayout.h"

#include <algorithm>

QSizeF popupGeometry::margins(bool frameShown)
{
    return frameShown ? QSizeF(frameMargin, frameMargin) : QSizeF(0, 0);
}

QRect popupGeometry::windowRect(const QRectF &area, const QSizeF &margins)
{
    return QRect(int(area.x()), int(area.y()), int(area.width() + margins.width()),
                 int(area.height() + margins.height()));
}

QRectF popupGeometry::pictureArea(const QRect &window, const QSizeF &margins)
{
    return QRectF(window.x(), window.y(), window.width() - margins.width(), window.height() - margins.height());
}

QSizeF popupGeometry::areaLimit(const QRect &available, const QSizeF &margins)
{
    return QSizeF(std::max<double>(minimumSide, available.width() - margins.width()),
                  std::max<double>(minimumSide, available.height() - margins.height()));
}

QRectF popupGeometry::clampToScreen(const QRectF &area, const QSizeF &margins, const QRect &available)
{
    const QSizeF limit = areaLimit(available, margins);
    const double width = std::clamp<double>(area.width(), minimumSide, limit.width());
    const double height = std::clamp<double>(area.height(), minimumSide, limit.height());
    const double right = available.x() + available.width() - (width + margins.width());
    const double bottom = available.y() + available.height() - (height + margins.height());
    const double x = std::max<double>(available.x(), std::min(area.x(), right));
    const double y = std::max<double>(available.y(), std::min(area.y(), bottom));
    return QRectF(x, y, width, height);
}

QSizeF popupGeometry::fitToPicture(const QSizeF &area, const QSize &picture, int scaleMode, const QSizeF &limit)
{
    double width = std::max<double>(minimumSide, area.width());
    double height = std::max<double>(minimumSide, area.height());
    if (!picture.isEmpty() && scaleMode == 1) {
        height = gridLayout::scaledToWidth(picture, int(width)).height();
        if (height > limit.height()) {
            height = limit.height();
            width = gridLayout::scaledToHeight(picture, int(height)).width();
        }
    } else if (!picture.isEmpty() && scaleMode == 2) {
        width = gridLayout::scaledToHeight(picture, int(height)).width();
        if (width > limit.width()) {
            width = limit.width();
            height = gridLayout::scaledToWidth(picture, int(width)).height();
        }
    }
    return QSizeF(std::clamp<double>(width, 1, std::max<double>(minimumSide, limit.width())),
                  std::clamp<double>(height, 1, std::max<double>(minimumSide, limit.height())));
}

QPoint popupGeometry::panelPosition(const QPoint &click, const QSize &panel, const QRect &window, const QRect &screen)
{
    int x = std::min(click.x(), window.right() - panelInset - panel.width());
    int y = std::min(click.y(), window.bottom() - panelInset - panel.height());
    x = std::max(x, window.left());
    y = std::max(y, window.top());
    // A panel larger than the window still stays where the user can reach it.
    x = std::max(screen.left(), std::min(x, screen.right() + 1 - panel.width()));
    y = std::max(screen.top(), std::min(y, screen.bottom() + 1 - panel.height()));
    return QPoint(x, y);
}
