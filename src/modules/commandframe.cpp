#include "commandframe.h"

#include "cameramodule.h"
#include "sipmodule.h"

namespace {

constexpr int passwordLength = 4;

QByteArray addressField(quint32 ownIPv4)
{
    return QByteArray::number(ownIPv4, 16).toUpper().rightJustified(8, '0');
}

} // namespace

relayTarget relayTarget::of(const cameraModule &rec)
{
    return {rec.CAM_tuer, rec.Relais_timeCAM, rec.CAM_light, rec.Relais_timeCAMI, rec.CAM_Password};
}

relayTarget relayTarget::of(const sipModule &rec)
{
    return {rec.SIP_tuer, rec.Relais_timeSIP, rec.SIP_light, rec.Relais_timeSIPI, rec.SIP_Password};
}

QByteArray commandFrame::relay(quint32 ownIPv4, quint8 sequence, int output, const relayTarget &target)
{
    QByteArray frame = "BSREM" + addressField(ownIPv4) + hex2(sequence);
    frame += QByteArray::number(uint(output), 16).toUpper();
    // The duration field has two hex digits: a longer pulse is sent as the longest one that
    // fits rather than as the wrapped low byte (300 s must not become 44 s).
    if (output == target.doorOutput)
        frame += hex2(qBound(0, target.doorSeconds, 255));
    else if (output == target.lightOutput)
        frame += hex2(qBound(0, target.lightSeconds, 255));
    frame += passwordField(target.password);
    return withChecksum(frame);
}

QByteArray commandFrame::intercom(quint32 ownIPv4, quint8 sequence, quint8 command, const QString &password)
{
    QByteArray frame = "BSRCMD" + addressField(ownIPv4) + hex2(sequence) + passwordField(password);
    frame += 'r' + QByteArray::number(command) + "000";
    return withChecksum(frame);
}

QByteArray commandFrame::passwordField(const QString &password)
{
    const QByteArray text = password.left(passwordLength).toLatin1();
    if (text.isEmpty())
        return QByteArray(passwordLength, 'F');
    const int missing = passwordLength - int(text.size());
    return text.left(text.size() - 1) + QByteArray(missing, 'F') + text.right(1);
}

QByteArray commandFrame::hex2(int value)
{
    return QByteArray::number(value & 0xFF, 16).toUpper().rightJustified(2, '0');
}

QByteArray commandFrame::withChecksum(const QByteArray &frame)
{
    int sum = 0;
    for (const char c : frame)
        sum += quint8(c);
    return frame + hex2(sum);
}
