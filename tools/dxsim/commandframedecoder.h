#pragma once

#include <QByteArray>
#include <QString>

// Reads the relay ("BSREM") and intercom command ("BSRCMD") frames the viewer sends to the
// modules and renders them as one checkable line, e.g.
// "BSREM own=127.0.0.1 seq=00 out=1 dur=3 pw=4711 sum=ok". Written independently of the
// viewer's frame builder so that the simulator really checks it.
class CommandFrameDecoder {
public:
    static QString describe(const QByteArray &frame);
    static QByteArray checksum(const QByteArray &bytes);

private:
    static QString describeRelay(const QByteArray &frame);
    static QString describeCommand(const QByteArray &frame);
    static bool ownAddress(const QByteArray &hex, QString *text);
    static bool hexValue(const QByteArray &hex, int *value);
    static QString sumText(const QByteArray &frame);
    static QString malformed(const QByteArray &frame, const QString &why);
};
