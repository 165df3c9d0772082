#pragma once

#include <QByteArray>

// Status kept per module record and written by the status parser when a datagram of that
// module arrives; the popup logic and the tile caption read and clear the flags.
struct moduleStatus {
    bool isSipModule = false;
    bool callForced = false;   // a matching call raised a popup and has not ended
    bool callActive = false;   // a call event was seen since the last call end
    bool callEnded = false;
    bool popupRequest = false;
    bool statusEvent = false;
    bool input1Active = false;
    bool input2Active = false;
    quint8 lastCode = 0;
    QByteArray ioStatus;                       // payload of the last IO status report
    char statusChars[6] = {0, 0, 0, 0, 0, 0};  // its six bytes, 0 where missing
};
