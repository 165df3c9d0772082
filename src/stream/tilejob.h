#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// What the pixels of a camera's tile must become; fixed by the camera's tick, so that the
// caption shows the state at render time. Filled by the camera's picture source, drawn by its
// tileRenderer.
struct tileJob {
    enum class source { none, keep, placeholder, picture };

    source from = source::none;
    QByteArray jpeg;
    qint64 serial = -1;  // of the picture
    QSize tile;
    int scaleMode = 0;
    int pixelSize = 20;
    QString caption;
    QString captionName;       // the end of the caption that must stay readable
    QString placeholderLabel;  // drawn on the placeholder; empty: none
    bool callCaption = false;
    QImage decoded;
    bool predecoded = false;  // decoded (and scaled) by the RTSP reader already
};
