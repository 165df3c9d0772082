#include "readtrace.h"

#include <QDateTime>
#include <QTime>

#include <charconv>
#include <limits>

namespace {
// printf's "%*lld": right-aligned in `width` with blanks, wider when it must. Several numbers go
// into the trace line of every read; QString::asprintf would parse its format each time.
void appendPadded(QString &text, qint64 value, int width)
{
    char digits[24];
    const int length = int(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
    for (int i = length; i < width; ++i)
        text += QLatin1Char(' ');
    text += QLatin1String(digits, length);
}

// The timing trace stamps every read and picture. QTime::currentTime() looks the time zone up
// anew on every call, a file system call each time; the zone's offset is taken once a minute.
QTime traceClock()
{
    constexpr qint64 dayMs = 24 * 3600 * 1000;
    static qint64 offsetMs = 0;
    static qint64 nextLookUp = std::numeric_limits<qint64>::min();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now >= nextLookUp) {
        offsetMs = qint64(QDateTime::currentDateTime().offsetFromUtc()) * 1000;
        nextLookUp = now + 60 * 1000;
    }
    return QTime::fromMSecsSinceStartOfDay(int(((now + offsetMs) % dayMs + dayMs) % dayMs));
}
}  // namespace

void readTrace::startLine(const QString &camName, qint64 perRate, qint64 extracted, qint64 displayed)
{
    if (!enabled())
        return;
    line = camName.leftJustified(20, QLatin1Char(' '), true) + QStringLiteral("   :: n[v=");
    appendPadded(line, perRate, 3);
    line += QLatin1String(",rd=");
    appendPadded(line, extracted, 3);
    line += QLatin1String(",ok=");
    appendPadded(line, displayed, 3);
    line += QLatin1String("] (Rd-> ");
    stamp("", " .");
}

void readTrace::stamp(const char *before, const char *after)
{
    // Stamps belong to the line a read started; a tick without a read adds no line.
    if (!enabled() || line.isEmpty())
        return;
    const QTime now = traceClock();
    line += QLatin1String(before);
    appendPadded(line, now.minute(), 2);
    line += QLatin1Char(',');
    appendPadded(line, now.second(), 2);
    line += QLatin1Char(',');
    appendPadded(line, now.msec(), 3);
    line += QLatin1String(after);
}

void readTrace::addLatency(qint64 sentMs, qint64 decodedMs)
{
    if (!enabled() || line.isEmpty())
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    line += QLatin1String(" Lat=");
    appendPadded(line, now - sentMs, 0);
    line += QLatin1Char(',');
    appendPadded(line, now - decodedMs, 0);
    line += QLatin1Char(' ');
}

void readTrace::finishLine()
{
    if (!enabled() || line.isEmpty())
        return;
    stamp("", ")");
    lines.append(line);
    line.clear();
}

void readTrace::append(const QString &text)
{
    if (!enabled())
        return;
    lines.append(text);
}

QStringList readTrace::takeLines()
{
    QStringList taken;
    taken.swap(lines);
    return taken;
}
