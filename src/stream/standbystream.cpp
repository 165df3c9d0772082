#include "standbystream.h"

namespace {
constexpr int refusedRetryMs = 10000;  // as a refused login of the tile's stream
}

void standbyStream::begin(std::unique_ptr<cameraSource> next, bool subStream, const QString &url,
                          const cameraSource::target &to)
{
    adopt(std::move(next), subStream, to.stallTimeoutMs);
    firstSeen = false;
    src->renew(url);
    src->connectTo(to);
}

void standbyStream::adopt(std::unique_ptr<cameraSource> running, bool subStream, int stallTimeoutMs)
{
    end();
    src = std::move(running);
    sub = subStream;
    stallMs = stallTimeoutMs > 0 ? stallTimeoutMs : stallMs;
    failureLink = QObject::connect(src.get(), &cameraSource::failed, src.get(),
                                   [this](const cameraSource::failure &why) { noteFailure(why); });
    reason.set(connectionReason::kind::none);
    ended = false;
    firstSeen = true;
    count = 0;
    started.start();
    quiet.start();
}

void standbyStream::end()
{
    QObject::disconnect(failureLink);
    src.reset();
    started.invalidate();
}

std::unique_ptr<cameraSource> standbyStream::handOver()
{
    QObject::disconnect(failureLink);
    started.invalidate();
    return std::move(src);
}

void standbyStream::noteFailure(const cameraSource::failure &why)
{
    reason.set(why.loginRefused ? connectionReason::kind::loginRefused : why.what, why.detail);
    if (!why.endsStream)
        return;
    ended = true;
    retryAt = QDeadlineTimer(why.loginRefused ? qMax(stallMs, refusedRetryMs) : stallMs);
}

void standbyStream::poll(const QSize &target, int scaleMode, bool keepPackets, readTrace &trace)
{
    if (!src || ended)
        return;
    src->setTarget(target, scaleMode);
    src->feedRecording(keepPackets);
    const cameraSource::reading got = src->read();
    std::optional<cameraSource::arrival> pictures = got.pictures;
    if (const std::optional<cameraSource::arrival> cut = src->cutPending(trace))
        pictures = cut;
    if (got.read || pictures)
        quiet.start();
    if (pictures) {
        count += pictures->pictures;
        if (pictures->progress)
            reason.set(connectionReason::kind::none);
    }
    if (ended || quiet.elapsed() <= stallMs)
        return;
    reason.set(count > 0 ? connectionReason::kind::stalled
                         : src->state() == cameraSource::connectionState::connecting ? connectionReason::kind::noAnswer
                                                                                      : connectionReason::kind::noPictures);
    ended = true;
    retryAt = QDeadlineTimer(0);
}

bool standbyStream::wantsRestart() const
{
    return src && ended && retryAt.hasExpired();
}

bool standbyStream::coming() const
{
    return src && !ended;
}

bool standbyStream::takeFirstPicture(qint64 *afterMs)
{
    if (firstSeen || !hasPicture())
        return false;
    firstSeen = true;
    *afterMs = started.elapsed();
    return true;
}
