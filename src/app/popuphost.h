#pragma once

class popupOneWin;

// What the popup logic needs of the main window that only the window can do.
class popupHost {
public:
    virtual ~popupHost() = default;

    virtual bool windowHidden() const = 0;
    virtual bool windowVisible() const = 0;
    virtual bool windowMaximised() const = 0;
    virtual void showMainWindow() = 0;  // shown and raised
    virtual void hideMainWindow() = 0;
    virtual void showWindowNormal() = 0;
    virtual void showWindowMaximised() = 0;
    // The separate popup window; none before it is made.
    virtual popupOneWin *popupWindow() const = 0;
    // A door call or alarm came while the window is shown, perhaps under other windows.
    virtual void callWhileShown() = 0;
    // Another camera became current: the grid scene's flag, served by the tick.
    virtual void currentCameraChanged() = 0;
};
