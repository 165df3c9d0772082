#pragma once

#include <QtGlobal>

#include <chrono>

struct AVCodecParameters;
struct AVPacket;

// One packet of an RTSP camera's picture stream as a recording takes it: the packet as received,
// the stream it belongs to, and when it arrived.
struct cameraPacket {
    const AVPacket *packet = nullptr;
    const AVCodecParameters *par = nullptr;  // codec, size and parameter sets of the stream
    int timeBaseNum = 1;
    int timeBaseDen = 1;
    // Changes with every new connection and after lost packets, so that a recording resumes at
    // a key picture.
    quint64 connection = 0;
    qint64 arrivedMs = 0;  // steadyMs() when the reader received it

    // The clock arrivals are stamped on: steady, so that neither an NTP step nor a clock set by
    // hand moves a recording's time line.
    static qint64 steadyMs()
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};
