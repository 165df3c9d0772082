#pragma once

#include <QtGlobal>

class QByteArray;
struct cameraPacket;

// Whatever takes a camera's pictures one by one as they come, undecoded: the manual video
// recording. The camera record knows its pictures' taker only through this.
class pictureSink {
public:
    // A Motion-JPEG picture. False when it was not taken (nothing recording, or a write error).
    virtual bool append(const QByteArray &picture) = 0;
    // An RTSP camera's packet as received.
    virtual bool appendPacket(const cameraPacket &packet) = 0;
    // The camera's automatic recording takes its pictures from now on.
    virtual void takenOver() = 0;

protected:
    ~pictureSink() = default;
};
