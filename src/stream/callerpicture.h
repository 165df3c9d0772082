#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <functional>

class camData;

// Waits for the caller's picture of one door call or IO alarm: the first complete picture of the
// camera that came after the event began on the connection it has now, never one of an earlier
// connection or one shown before (the rule of the alarm pictures). A Motion-JPEG camera's picture
// is taken as it came; an RTSP camera's newest decoded one is encoded as JPEG where the picture is
// written, not on the tick. A camera that delivers none within waitMs gets none, and the reason.
// GUI thread; the picture's source may be called on any thread.
class callerPicture {
    Q_DECLARE_TR_FUNCTIONS(callerPicture)

public:
    static constexpr qint64 waitMs = 60000;
    enum class outcome { waiting, picture, none };
    // The picture's JPEG bytes.
    using source = std::function<QByteArray()>;

    callerPicture() = default;
    // Remembers which picture the camera has at the event's start (ms of the caller's clock).
    callerPicture(const camData &camera, qint64 startMs);

    // picture: the caller's picture (outcome picture); reason: why there is none (outcome none).
    outcome poll(const camData &camera, qint64 nowMs, source &picture, QString &reason) const;

private:
    qint64 startMs = 0;
    qint64 serialAtStart = 0;
    const void *readerAtStart = nullptr;
};
