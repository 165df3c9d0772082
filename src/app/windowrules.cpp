#include "windowrules.h"

#include "gridlayout.h"
#include "shellsettings.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>

namespace {
constexpr int minimumWindowSide = 50;
}

windowRules::windowRules(QWidget &window, shellSettings &settings)
    : window(window)
    , settings(settings)
    , wayland(QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
{
}

void windowRules::applyStartFlags()
{
    Qt::WindowFlags flags = window.windowFlags();
    flags &= ~(Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint | Qt::WindowType_Mask);
    flags |= Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint;
    window.setWindowFlags(flags);
}

Qt::WindowFlags windowRules::frameFlags(bool frame, bool closeButton)
{
    Qt::WindowFlags flags = Qt::Tool | Qt::WindowStaysOnTopHint;
    if (!frame)
        return flags | Qt::FramelessWindowHint;
    flags |= Qt::WindowTitleHint | Qt::CustomizeWindowHint;
    if (closeButton)
        flags |= Qt::WindowCloseButtonHint;
    return flags;
}

void windowRules::applyFrameRule()
{
    const Qt::WindowFlags flags = frameFlags(settings.BildRahmeEin, settings.closeEn);
    frame = settings.BildRahmeEin;
    if (flags == window.windowFlags())
        return;
    const bool wasVisible = window.isVisible();
    const QRect keep = window.geometry();
    window.setWindowFlags(flags);
    window.setGeometry(keep);
    if (wasVisible)
        window.show();
}

void windowRules::followFrameSetting()
{
    frame = settings.BildRahmeEin;
}

void windowRules::placeAtStart()
{
    const QSizeF margins = gridLayout::frameMargins(settings.BildRahmeEin, false);
    window.setGeometry(int(settings.x), int(settings.y), int(settings.width + margins.width()),
                       int(settings.height + margins.height()));
}

void windowRules::applyStoredGeometry(bool controlBoxVisible)
{
    if (settings.width < minimumWindowSide || settings.height < minimumWindowSide || window.isMaximized())
        return;
    const QSizeF margins = gridLayout::frameMargins(frame, controlBoxVisible);
    window.setGeometry(int(settings.x), int(settings.y), int(settings.width + margins.width()),
                       int(settings.height + margins.height()));
}

QSizeF windowRules::measurePictureArea(bool controlBoxVisible)
{
    const QSizeF margins = gridLayout::frameMargins(frame, controlBoxVisible);
    const QRectF area = gridLayout::pictureArea(window.geometry(), margins);
    // Otherwise the next start under X11 would open in the corner.
    if (!wayland) {
        settings.x = area.x();
        settings.y = area.y();
    }
    settings.width = area.width();
    settings.height = area.height();
    return margins;
}

windowRules::moveOutcome windowRules::windowMoved(bool controlBoxVisible)
{
    measurePictureArea(controlBoxVisible);
    const QRectF area(settings.x, settings.y, settings.width, settings.height);
    moveOutcome outcome = moveOutcome::changed;
    if (area == lastGeometry && settings.dispForm == lastDispForm) {
        if (resizeRepeat++ > 20) {
            resizeRepeat = 100;
            return moveOutcome::ignored;
        }
        outcome = moveOutcome::repeated;
    } else {
        resizeRepeat = 0;
    }
    lastGeometry = area;
    lastDispForm = settings.dispForm;
    ++relayouts;
    return outcome;
}

void windowRules::fitLater(const QRectF &target)
{
    targetGeometry = target;
    restoreTicks = 1;
}

bool windowRules::restoreDue()
{
    if (restoreTicks == 0)
        return false;
    if (++restoreTicks <= 3 || window.isMaximized())
        return false;
    window.setGeometry(targetGeometry.toRect());
    restoreTicks = 0;
    return true;
}

void windowRules::toggleMaximised()
{
    if (window.isMaximized())
        window.showNormal();
    else
        window.showMaximized();
}

// Beside the click, not under it: a second click where the first one was must not hit a button
// of the panel the first one opened. Right of the click where the window has room, else left of
// it; 8 pixels inside the window's bottom edge.
QPoint windowRules::panelPlace(const QPoint &click, const QSize &panel, const QRect &window)
{
    constexpr int gap = 16;
    constexpr int edge = 8;
    QPoint at(click.x() + gap, click.y() - panel.height() / 2);
    if (at.x() + panel.width() > window.right() - edge)
        at.setX(click.x() - gap - panel.width());
    at.setY(std::max(window.top(), std::min(at.y(), window.bottom() - edge - panel.height())));
    return at;
}
