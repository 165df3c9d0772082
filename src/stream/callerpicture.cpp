#include "callerpicture.h"

#include "camdata.h"
#include "framejpeg.h"
#include "rtspreader.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <memory>

callerPicture::callerPicture(const camData &camera, qint64 start)
    : startMs(start), serialAtStart(camera.pictureSerial()), readerAtStart(camera.rtspStream())
{
}

callerPicture::outcome callerPicture::poll(const camData &camera, qint64 nowMs, source &picture,
                                           QString &reason) const
{
    // An RTSP camera counts the pictures of each connection anew; another connection has only
    // pictures that came after the start.
    const bool newer = camera.rtspStream() != readerAtStart || camera.pictureSerial() != serialAtStart;
    if (newer && camera.state() == camData::connectionState::connected && camera.isReceiving() && camera.hasPicture()
        && camera.hasFrame()) {
        if (rtspReader *reader = camera.rtspStream()) {
            std::shared_ptr<AVFrame> frame(av_frame_alloc(), [](AVFrame *f) { av_frame_free(&f); });
            if (frame && reader->newestFrame(frame.get())) {
                picture = [frame] { return frameJpeg::encode(frame.get()); };
                return outcome::picture;
            }
        } else if (const QByteArray bytes = camera.newestPicture(); !bytes.isEmpty()) {
            picture = [bytes] { return bytes; };
            return outcome::picture;
        }
    }
    if (nowMs - startMs < waitMs)
        return outcome::waiting;
    reason = camera.notShownReason();
    if (reason.isEmpty())
        reason = camera.state() == camData::connectionState::unconnected ? tr("Kamera nicht verbunden")
                                                                         : tr("keine Bilder von der Kamera");
    return outcome::none;
}
