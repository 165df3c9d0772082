#pragma once

class camData;

// Learns what the user did for a camera through the command panel and the dispatch: the call
// history notes it with the camera's door calls.
class commandObserver {
public:
    virtual ~commandObserver() = default;

    // A frame went to the module: the door opener or the light through that output (the numbering
    // of the door and light keys), the hang-up to the door station.
    virtual void doorOpened(const camData *camera, int output) = 0;
    virtual void lightSwitched(const camData *camera, int output) = 0;
    virtual void hungUp(const camData *camera) = 0;
    // The panel was opened over the camera, or one of its buttons pressed for it.
    virtual void panelUsed(const camData *camera) = 0;
};
