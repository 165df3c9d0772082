#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

// A loop of H.264 pictures, encoded once at start-up and served again and again, so that many
// RTSP cameras at a high rate cost the simulator little more than socket writes. The loop is
// two seconds of pictures with a key picture every second (or, encoded as cameras do, two key
// picture intervals of 50); each picture shows a moving bar and
// its number, so a viewer sees them change.
class H264Loop {
public:
    // NAL units of one picture, without start codes.
    using AccessUnit = QList<QByteArray>;

    struct encoding {
        int slices = 1;           // per picture, as an encoder on several cores makes them
        bool cameraLike = false;  // x264 veryfast, main profile (CABAC), GOP 50, 4 Mbit/s
    };
    bool encode(QSize size, int fps, encoding how, QString *error);

    int length() const { return int(units.size()); }
    const AccessUnit &unit(int index) const { return units.at(index); }
    bool isKey(int index) const { return keys.at(index); }
    // The SDP format parameters (packetization mode, profile and, unless left out, parameter sets).
    QByteArray fmtp(bool parameterSets = true) const;

    // NAL units of an Annex B byte stream.
    static AccessUnit splitAnnexB(const QByteArray &stream);

private:
    QList<AccessUnit> units;
    QList<bool> keys;
    QByteArray sps;
    QByteArray pps;
};
