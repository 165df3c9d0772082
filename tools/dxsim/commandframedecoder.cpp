#include "commandframedecoder.h"

#include <QStringList>

namespace {

constexpr int ownLength = 8;
constexpr int seqLength = 2;
constexpr int passwordLength = 4;
constexpr int sumLength = 2;

} // namespace

QByteArray CommandFrameDecoder::checksum(const QByteArray &bytes)
{
    unsigned sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    return QByteArray::number(sum & 0xFF, 16).toUpper().rightJustified(2, '0');
}

QString CommandFrameDecoder::describe(const QByteArray &frame)
{
    // "BSRCMD" first: "BSREM" is no prefix of it, but the order keeps the intent plain.
    if (frame.startsWith("BSRCMD"))
        return describeCommand(frame);
    if (frame.startsWith("BSREM"))
        return describeRelay(frame);
    return malformed(frame, QStringLiteral("unknown header"));
}

QString CommandFrameDecoder::describeRelay(const QByteArray &frame)
{
    const int head = 5;
    const int fixed = head + ownLength + seqLength + passwordLength + sumLength;
    const int variable = int(frame.size()) - fixed;   // output (1-2 hex digits) and optional duration
    if (variable < 1 || variable > 4)
        return malformed(frame, QStringLiteral("length %1").arg(frame.size()));
    QString own;
    int seq = 0;
    if (!ownAddress(frame.mid(head, ownLength), &own) || !hexValue(frame.mid(head + ownLength, seqLength), &seq))
        return malformed(frame, QStringLiteral("address or sequence not hexadecimal"));
    const int outLength = variable % 2 == 1 ? 1 : 2;
    const bool hasDuration = variable > 2;
    const int outPos = head + ownLength + seqLength;
    int out = 0;
    int duration = 0;
    if (!hexValue(frame.mid(outPos, outLength), &out)
        || (hasDuration && !hexValue(frame.mid(outPos + outLength, 2), &duration)))
        return malformed(frame, QStringLiteral("output or duration not hexadecimal"));
    const QByteArray pw = frame.mid(int(frame.size()) - sumLength - passwordLength, passwordLength);
    return QStringLiteral("BSREM own=%1 seq=%2 out=%3 dur=%4 pw=%5 sum=%6")
        .arg(own, QString::fromLatin1(frame.mid(head + ownLength, seqLength)))
        .arg(out)
        .arg(hasDuration ? QString::number(duration) : QStringLiteral("none"),
             QString::fromLatin1(pw), sumText(frame));
}

QString CommandFrameDecoder::describeCommand(const QByteArray &frame)
{
    const int head = 6;
    const int pwPos = head + ownLength + seqLength;
    const int markerPos = pwPos + passwordLength;
    const int suffixLength = 3;
    const int commandLength = int(frame.size()) - markerPos - 1 - suffixLength - sumLength;
    if (commandLength < 1 || commandLength > 3)
        return malformed(frame, QStringLiteral("length %1").arg(frame.size()));
    QString own;
    int seq = 0;
    if (!ownAddress(frame.mid(head, ownLength), &own) || !hexValue(frame.mid(head + ownLength, seqLength), &seq))
        return malformed(frame, QStringLiteral("address or sequence not hexadecimal"));
    if (frame.at(markerPos) != 'r' || frame.mid(markerPos + 1 + commandLength, suffixLength) != "000")
        return malformed(frame, QStringLiteral("no r<command>000"));
    bool ok = false;
    const int command = frame.mid(markerPos + 1, commandLength).toInt(&ok);
    if (!ok)
        return malformed(frame, QStringLiteral("command not decimal"));
    return QStringLiteral("BSRCMD own=%1 seq=%2 pw=%3 cmd=%4 sum=%5")
        .arg(own, QString::fromLatin1(frame.mid(head + ownLength, seqLength)),
             QString::fromLatin1(frame.mid(pwPos, passwordLength)))
        .arg(command)
        .arg(sumText(frame));
}

bool CommandFrameDecoder::ownAddress(const QByteArray &hex, QString *text)
{
    QStringList octets;
    for (int i = 0; i < ownLength; i += 2) {
        int octet = 0;
        if (!hexValue(hex.mid(i, 2), &octet))
            return false;
        octets.append(QString::number(octet));
    }
    *text = octets.join(QLatin1Char('.'));
    return true;
}

bool CommandFrameDecoder::hexValue(const QByteArray &hex, int *value)
{
    // The viewer writes uppercase digits; lowercase or signs would be a fault worth seeing.
    for (char c : hex) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    bool ok = false;
    *value = hex.toInt(&ok, 16);
    return ok && !hex.isEmpty();
}

QString CommandFrameDecoder::sumText(const QByteArray &frame)
{
    const QByteArray body = frame.left(frame.size() - sumLength);
    const QByteArray expected = checksum(body);
    if (frame.right(sumLength) == expected)
        return QStringLiteral("ok");
    return QStringLiteral("BAD expected=%1").arg(QString::fromLatin1(expected));
}

QString CommandFrameDecoder::malformed(const QByteArray &frame, const QString &why)
{
    return QStringLiteral("malformed (%1) \"%2\"").arg(why, QString::fromLatin1(frame.toPercentEncoding(" !\"#$&'()*+,-./:;<=>?@[]^_`{|}~")));
}
