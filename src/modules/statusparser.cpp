#include "statusparser.h"

#include "tracecategory.h"

#include <QStringList>

namespace {

constexpr int maxCalleeBytes = 26;
constexpr int ioStatusBytes = 6;

// SIP_popup bit values of the three call codes.
constexpr int bitBeingCalled = 1;
constexpr int bitCalling = 2;
constexpr int bitConversation = 4;

void trace(const char *line)
{
    qCDebug(dxcamTrace).noquote() << line;
}

} // namespace

bool statusParser::parse(moduleStatus &rec, int popupSelection, const QString &calleeList, bool allRufNr,
                         const QByteArray &datagram, QString *summary)
{
    if (summary)
        summary->clear();
    const int hash = datagram.indexOf('#');
    if (hash < 0)
        return false;
    const int at = datagram.indexOf('@', hash);
    if (at < 0)
        return false;
    bool ok = false;
    const int code = datagram.mid(hash + 1, at - hash - 1).toInt(&ok, 16);
    if (!ok)
        return false;
    rec.lastCode = quint8(code & 0xFF);
    const QByteArray payload = datagram.mid(at + 1);

    switch (code) {
    case 0x01:
    case 0x07:
        if (rec.isSipModule && (popupSelection & (code == 0x01 ? bitBeingCalled : bitCalling)))
            callEvent(rec, calleeList, allRufNr, payload, summary);
        return true;
    case 0x05:
        if (!rec.isSipModule)
            return true;
        if (popupSelection & bitConversation)
            callEvent(rec, calleeList, allRufNr, payload, summary);
        else
            callEnd(rec);
        return true;
    case 0x0A:
        callEnd(rec);
        return true;
    case 0x06:
    case 0x14:
    case 0x4C:
        return true;
    case 0x1E:
        if (summary)
            *summary = QStringLiteral("remACK");
        return true;
    case 0xA0:
        if (summary)
            *summary = QStringLiteral("A0");
        return true;
    case 0xA1:
        if (!rec.isSipModule)
            ioReport(rec, popupSelection, payload, summary);
        return true;
    default:
        return false;
    }
}

QString statusParser::extractCallee(const QByteArray &payload)
{
    const QByteArray bytes = payload.left(maxCalleeBytes);
    // The station appends two bytes (CR LF) that are not part of the number.
    const int keep = qMax(0, int(bytes.size()) - 2);
    QString text = QString::fromLatin1(bytes.constData(), int(qstrnlen(bytes.constData(), bytes.size())));
    text.truncate(keep);
    if (text.size() < 2)
        return QString();
    text.remove(QLatin1Char(' '));
    return text.size() < 2 ? QString() : text;
}

bool statusParser::calleeMatches(const QString &callee, const QString &calleeList, bool allRufNr)
{
    if (allRufNr)
        return true;
    return calleeList.split(QLatin1Char(','), Qt::KeepEmptyParts).contains(callee, Qt::CaseSensitive);
}

void statusParser::callEvent(moduleStatus &rec, const QString &calleeList, bool allRufNr,
                             const QByteArray &payload, QString *summary)
{
    const QString callee = extractCallee(payload);
    if (summary)
        *summary = callee;
    if (!calleeMatches(callee, calleeList, allRufNr))
        return;
    rec.callForced = true;
    // Only the first event of a call pops the picture up; 07 followed by 05 must not do it twice.
    if (rec.callActive) {
        rec.popupRequest = false;
        trace("***** Force FALSE....");
    } else {
        rec.popupRequest = true;
        trace("***** Force TRUE....");
    }
    rec.callActive = true;
    rec.statusEvent = true;
    rec.callEnded = false;
}

void statusParser::callEnd(moduleStatus &rec)
{
    rec.callEnded = true;
    rec.callForced = false;
    rec.callActive = false;
}

void statusParser::ioReport(moduleStatus &rec, int camPopup, const QByteArray &payload, QString *summary)
{
    rec.ioStatus = payload.left(ioStatusBytes);
    for (int i = 0; i < ioStatusBytes; ++i)
        rec.statusChars[i] = i < rec.ioStatus.size() ? rec.ioStatus.at(i) : 0;
    const char *c = rec.statusChars;
    if (summary)
        *summary = QString::asprintf("A1.v%c%c : io(%c%c);Dx(%c%c)", c[0], c[1], c[2], c[3], c[4], c[5]);

    // An input reads '0' while it is active. Every report of an active input raises the event
    // again; whether the popup reacts to levels or to edges is the popup logic's business.
    if (camPopup == 3) {
        if (c[2] == '0') {
            trace("##### Eingang 1 -> 1 #####");
            rec.popupRequest = rec.statusEvent = rec.input1Active = true;
        } else if (c[2] == '1') {
            trace("##### Eingang 1 -> 0 #####");
            rec.input1Active = false;
        }
    } else if (camPopup == 4) {
        if (c[3] == '0')
            rec.popupRequest = rec.statusEvent = rec.input2Active = true;
        else if (c[3] == '1')
            rec.input2Active = false;
    }
}
