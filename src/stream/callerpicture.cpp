#include "callerpicture.h"

#include "camdata.h"

callerPicture::callerPicture(const camData &camera, qint64 start)
    : startMs(start), serialAtStart(camera.pictureSerial()), readerAtStart(camera.rtspStream())
{
}

callerPicture::outcome callerPicture::poll(const camData &camera, qint64 nowMs, QByteArray &picture,
                                           QString &reason) const
{
    // An RTSP camera counts the pictures of each connection anew; another connection has only
    // pictures that came after the start.
    const bool newer = camera.rtspStream() != readerAtStart || camera.pictureSerial() != serialAtStart;
    if (newer && camera.state() == camData::connectionState::connected && camera.receiving && camera.hasPicture()) {
        picture = camera.newestPicture();
        if (!picture.isEmpty())
            return outcome::picture;
    }
    if (nowMs - startMs < waitMs)
        return outcome::waiting;
    reason = camera.notShownReason();
    if (reason.isEmpty())
        reason = camera.state() == camData::connectionState::unconnected ? tr("Kamera nicht verbunden")
                                                                         : tr("keine Bilder von der Kamera");
    return outcome::none;
}
