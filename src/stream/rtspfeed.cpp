#include "rtspfeed.h"

#include "httpstream.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QThread>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>

rtspFeed::reason rtspFeed::reasonFor(const rtspReader &reader)
{
    using kind = connectionReason::kind;
    switch (reader.failed()) {
    case rtspReader::failure::loginRefused:
        return {kind::loginRefused, QString()};
    case rtspReader::failure::unknownCodec:
        return {kind::unknownCodec, reader.codecName()};
    case rtspReader::failure::refused:
        return {kind::refused, QString()};
    case rtspReader::failure::noAnswer:
        return {kind::noAnswer, QString()};
    case rtspReader::failure::stalled:
        return {kind::stalled, QString()};
    case rtspReader::failure::closed:
        return {kind::closed, QString()};
    case rtspReader::failure::redirected:
        return {kind::redirected, reader.failureText()};
    case rtspReader::failure::status:
        if (reader.failureText() == QLatin1String("404"))
            return {kind::notFound, QString()};
        return {kind::otherStatus, reader.failureText()};
    case rtspReader::failure::tooLarge:
        return {kind::tooLarge, QString()};
    case rtspReader::failure::unreadable:
        return {kind::unreadable, QString()};
    case rtspReader::failure::untrustedCertificate:
        return {kind::certificateUntrusted,
                httpStream::fingerprintText(reader.refusedCertificate().digest(QCryptographicHash::Sha256))};
    case rtspReader::failure::changedCertificate:
        return {kind::certificateChanged,
                httpStream::fingerprintText(reader.refusedCertificate().digest(QCryptographicHash::Sha256))};
    case rtspReader::failure::error:
    case rtspReader::failure::none:
        break;
    }
    return {kind::badAnswer, QString()};
}

void rtspFeed::start(const QString &url, int stallTimeoutMs, const QByteArray &trustedSha256)
{
    retire();
    if (url != startedUrl)
        redirectsLeft = rtspReader::maxRedirects;
    startedUrl = url;
    current = std::make_unique<rtspReader>(url, stallTimeoutMs, redirectsLeft);
    current->setTrustedFingerprint(trustedSha256);
    seenCount = 0;
    packetsSeen = 0;
    droppedSeen = 0;
    lagNoticed = false;
    ++connection;
    picture = QImage();
    current->start();
}

// A reader is stopped without waiting for it: its thread ends within moments, and is joined
// once it has (or when the camera goes).
void rtspFeed::retire()
{
    retired.erase(std::remove_if(retired.begin(), retired.end(),
                                 [](const std::unique_ptr<rtspReader> &reader) { return reader->finished(); }),
                  retired.end());
    if (!current)
        return;
    const bool played = current->packetCount() > 0;
    redirectsLeft = played ? rtspReader::maxRedirects : qMax(0, redirectsLeft - current->redirectsFollowed());
    current->requestStop();
    retired.push_back(std::move(current));
}

void rtspFeed::close()
{
    retire();
    std::vector<std::unique_ptr<rtspReader>> &handedOver = closed();
    handedOver.erase(std::remove_if(handedOver.begin(), handedOver.end(),
                                    [](const std::unique_ptr<rtspReader> &reader) { return reader->finished(); }),
                     handedOver.end());
    for (auto &reader : retired)
        handedOver.push_back(std::move(reader));
    retired.clear();
}

std::vector<std::unique_ptr<rtspReader>> &rtspFeed::closed()
{
    static std::vector<std::unique_ptr<rtspReader>> readers;
    return readers;
}

void rtspFeed::finishAll(int waitMs)
{
    std::vector<std::unique_ptr<rtspReader>> &readers = closed();
    for (const auto &reader : readers)
        reader->requestStop();
    QDeadlineTimer deadline(waitMs);
    for (auto &reader : readers) {
        while (!reader->finished() && !deadline.hasExpired())
            QThread::msleep(5);
        if (!reader->finished()) {
            reader->detach();
            (void)reader.release();
        }
    }
    readers.clear();
}

// Packets tell that the camera sends: a camera with a long key picture interval, or one whose
// window is hidden (only key pictures are decoded then), goes long without a new picture.
std::optional<qint64> rtspFeed::takeProgress()
{
    const quint64 packets = current->packetCount();
    if (packets == packetsSeen)
        return std::nullopt;
    packetsSeen = packets;
    const quint64 count = current->decodedCount();
    const qint64 fresh = qint64(count - seenCount);
    seenCount = count;
    return fresh;
}

qint64 rtspFeed::takeDropped(bool *lagged)
{
    *lagged = !lagNoticed && current->lagDropCount() > 0;
    lagNoticed = lagNoticed || *lagged;
    const quint64 count = current->droppedCount();
    return qint64(count - std::exchange(droppedSeen, count));
}

void rtspFeed::forwardPackets(bool keep, const packetSink &sink)
{
    current->setKeepPackets(keep);
    if (current->takeLostPackets() > 0)
        ++connection;
    if (!keep)
        return;
    AVCodecParameters *par = avcodec_parameters_alloc();
    cameraPacket taken;
    taken.par = par;
    taken.connection = connection;
    if (par && current->streamParameters(par, &taken.timeBaseNum, &taken.timeBaseDen)) {
        while (AVPacket *packet = current->takePacket(&taken.arrivedMs)) {
            taken.packet = packet;
            sink(taken);
            av_packet_free(&packet);
        }
    }
    avcodec_parameters_free(&par);
}

bool rtspFeed::fetchPicture()
{
    return current->takePicture(picture, &lastTimes);
}
