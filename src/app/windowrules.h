#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <Qt>

class QWidget;
struct shellSettings;

// The main window's frame and geometry rules: its window flags for the frame setting, its
// geometry against the stored one (the picture area, which leaves out the frame margins), whether
// a move or resize lays the grid out again, and the deferred fit of the window to the tiles. It
// works on the window it is given and on the geometry settings, and on nothing else.
class windowRules {
public:
    windowRules(QWidget &window, shellSettings &settings);

    // At start: a tool window that stays on top, without frame or close button.
    void applyStartFlags();
    // BildRahmeEin and closeEn: a title bar (with a close button when allowed) or no frame. The
    // window keeps its place, and stays visible when it was.
    void applyFrameRule();
    static Qt::WindowFlags frameFlags(bool frame, bool closeButton);
    // Where the command panel opens for a click at `click` (screen coordinates) on the window.
    static QPoint panelPlace(const QPoint &click, const QSize &panel, const QRect &window);
    // Whether the window has a title bar now; the popup window reads it through this reference.
    const bool &frameShown() const { return frame; }
    // Before the first frame rule: the frame as the setting wants it.
    void followFrameSetting();

    // The stored geometry is the picture area; the window is that plus its margins, so that a
    // start followed by a save writes back what was read.
    void placeAtStart();
    // The settings dialog's geometry. A window too small to be found again is not made, nor is a
    // maximised one moved.
    void applyStoredGeometry(bool controlBoxVisible);
    // The window less its margins goes into the geometry settings; returns the margins.
    QSizeF measurePictureArea(bool controlBoxVisible);

    // A move or resize of the window: its geometry is measured again. Unchanged geometry lays the
    // grid out again only for the first 21 events in a row.
    enum class moveOutcome { ignored, repeated, changed };
    moveOutcome windowMoved(bool controlBoxVisible);
    int repeatCount() const { return resizeRepeat; }
    int relayoutCount() const { return relayouts; }  // grid layouts run by moves and resizes

    // Scale modes 1 and 2: the window is fitted to the tiles on the third tick after the layout,
    // and not while it is maximised.
    void fitLater(const QRectF &target);
    bool restoreDue();
    int restoreCounter() const { return restoreTicks; }

    void toggleMaximised();

    // Wayland neither places a window where it is asked to nor tells where it is (the geometry
    // reads 0,0), and keeps no window on top.
    bool onWayland() const { return wayland; }
    void setOnWayland(bool on) { wayland = on; }

private:
    QWidget &window;
    shellSettings &settings;
    bool frame = true;
    int resizeRepeat = 0;
    int relayouts = 0;
    QRectF lastGeometry;
    int lastDispForm = -1;
    QRectF targetGeometry;
    int restoreTicks = 0;
    bool wayland = false;
};
