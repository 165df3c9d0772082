#pragma once

#include "cameramodule.h"
#include "sipmodule.h"

#include <QString>

// How a module's typed address becomes the one it is reached at: a text naming a URL is kept
// as the URL, anything else is an IP address; the camera's stream address follows from it.
class cameraAddress {
public:
    // Exactly one of URL and IP is set afterwards.
    static void applyRule(cameraModule &module, const QString &text);
    static void applyRule(sipModule &module, const QString &text);
    static bool isUrlText(const QString &text);

    static QString streamUrlFor(const cameraModule &module);
    // The small second stream (same login); an address typed without a scheme gets the main
    // address's rule. Empty: none.
    static QString subStreamUrlFor(const cameraModule &module);
    // A camera whose stream URL starts with "rtsp://" or "rtsps://" is read over RTSP (H.264,
    // H.265 or Motion-JPEG), everything else over HTTP.
    static bool isRtspUrl(const QString &url);
};
