#pragma once

#include <QByteArray>
#include <QString>

struct cameraModule;
struct sipModule;

// The outputs, pulse durations and password of one module record, as the relay frame needs them.
struct relayTarget {
    int doorOutput = 0;
    int doorSeconds = 0;
    int lightOutput = 0;
    int lightSeconds = 0;
    QString password;

    static relayTarget of(const cameraModule &rec);
    static relayTarget of(const sipModule &rec);
};

// Builds the ASCII command frames the modules accept: "BSREM" pulses an output, "BSRCMD" sends
// an intercom command. Both end with a one-byte additive checksum in hex.
class commandFrame {
public:
    static QByteArray relay(quint32 ownIPv4, quint8 sequence, int output, const relayTarget &target);
    static QByteArray intercom(quint32 ownIPv4, quint8 sequence, quint8 command, const QString &password);

    // The first four password characters; a shorter password gets 'F's before its last character.
    static QByteArray passwordField(const QString &password);
    static QByteArray hex2(int value);
    static QByteArray withChecksum(const QByteArray &frame);
};
