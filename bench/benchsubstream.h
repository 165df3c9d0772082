#pragma once

// What the benchmarks of cameras with a second, small stream share: the viewer's trace lines that
// say when a tile or the popup went over to the other stream, the camera records of the INI
// `dxsim --sub` writes (each with `URL` and `URL_Sub`), and a user's mouse on an X server
// (xdotool, through the XTEST extension: the viewer gets real button events).

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace benchSubStream {

// ---- the viewer's trace -----------------------------------------------------------------------

// "##### switched to the main stream after N ms: <camera>" (single view: the main stream's first
// picture on the tile), "##### switched to the sub-stream after N ms: <camera>" (back in the
// grid), "##### main stream first picture after N ms: <camera>" (a main stream started for the
// popup, a door call or a saved picture while the grid shows the sub-streams).
enum class switchKind { toMain, toSub, mainForPopup };

struct switchLine {
    switchKind kind = switchKind::toMain;
    qint64 viewerMs = 0;  // N, the viewer's own count since the stream was started
    QString camera;
    qint64 seenAtMs = 0;  // the bench's clock when the line arrived
};

inline bool parseSwitchLine(const QString &line, switchLine &parsed)
{
    static const QRegularExpression form(QStringLiteral(
        "##### (switched to the main stream|switched to the sub-stream|main stream first picture) after (\\d+) ms: (.+)$"));
    const QRegularExpressionMatch m = form.match(line);
    if (!m.hasMatch())
        return false;
    const QString what = m.captured(1);
    parsed.kind = what.endsWith(QLatin1String("main stream")) ? switchKind::toMain
        : what.endsWith(QLatin1String("sub-stream"))         ? switchKind::toSub
                                                              : switchKind::mainForPopup;
    parsed.viewerMs = m.captured(2).toLongLong();
    parsed.camera = m.captured(3).trimmed();
    return true;
}

// The viewer's output as it comes, line by line: the switch lines with the time they arrived, and
// how often each other line of interest was seen.
class traceWatch {
public:
    QElapsedTimer clock;
    QList<switchLine> switches;

    traceWatch() { clock.start(); }

    void add(const QByteArray &bytes)
    {
        pending += bytes;
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            switchLine parsed;
            if (parseSwitchLine(line, parsed)) {
                parsed.seenAtMs = clock.elapsed();
                switches.append(parsed);
            }
            if (line.startsWith(QLatin1String("TITEL:")))
                lastPanelTitle = line.mid(6).trimmed().remove(QLatin1Char('"'));
            ++lines;
        }
        if (pending.size() > 1 << 16)
            pending.clear();
    }

    // The first switch line of that kind and camera after index `from` of `switches`, or null.
    const switchLine *find(switchKind kind, const QString &camera, qsizetype from) const
    {
        for (qsizetype i = from; i < switches.size(); ++i) {
            if (switches[i].kind == kind && switches[i].camera == camera)
                return &switches[i];
        }
        return nullptr;
    }

    QString lastPanelTitle;  // the camera named by the newest "TITEL:" line (the command panel opened)
    qint64 lines = 0;

private:
    QByteArray pending;
};

// ---- the camera records of the INI ------------------------------------------------------------

struct cameraRecord {
    QString name;  // camName
    QString url;   // URL, the main stream
    QString subUrl;  // URL_Sub, empty when none
};

// The module sections in file order (= grid order).
inline QList<cameraRecord> cameraRecords(const QString &iniPath)
{
    QList<cameraRecord> records;
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    for (const QByteArray &bytes : file.readAll().split('\n')) {
        const QString line = QString::fromLatin1(bytes).trimmed();
        if (line.startsWith(QLatin1String("camName=")))
            records.append({line.mid(8), {}, {}});
        else if (!records.isEmpty() && line.startsWith(QLatin1String("URL=")))
            records.last().url = line.mid(4);
        else if (!records.isEmpty() && line.startsWith(QLatin1String("URL_Sub=")))
            records.last().subUrl = line.mid(8);
    }
    return records;
}

// The same installation with every camera's small stream as its only stream: URL takes the
// value of URL_Sub, which goes. The cameras, their streams and everything else stay the same.
inline bool subStreamsOnly(const QString &fromPath, const QString &toPath)
{
    QFile from(fromPath);
    if (!from.open(QIODevice::ReadOnly))
        return false;
    QStringList lines = QString::fromLatin1(from.readAll()).split(QLatin1Char('\n'));
    int changed = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(QLatin1String("URL_Sub=")))
            continue;
        // The URL line of the same section, before it.
        for (qsizetype j = i - 1; j >= 0 && !lines[j].startsWith(QLatin1Char('[')); --j) {
            if (lines[j].startsWith(QLatin1String("URL="))) {
                lines[j] = QStringLiteral("URL=") + lines[i].mid(8);
                ++changed;
                break;
            }
        }
        lines.removeAt(i--);
    }
    QFile to(toPath);
    if (changed == 0 || !to.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return to.write(lines.join(QLatin1Char('\n')).toLatin1()) > 0;
}

// ---- a user's mouse on the X server -----------------------------------------------------------

inline QByteArray xdotool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(5000)) {
        tool.kill();
        tool.waitForFinished();
        return {};
    }
    return tool.readAllStandardOutput();
}

inline bool haveXdotool()
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), {QStringLiteral("version")});
    return tool.waitForFinished(5000) && tool.exitCode() == 0;
}

// Where a window is on the screen (no window manager under Xvfb: no frame).
inline QRect windowGeometry(const QByteArray &window)
{
    QRect rect;
    const QByteArray text = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::fromLatin1(window)});
    for (const QByteArray &line : text.split('\n')) {
        const int value = line.mid(line.indexOf('=') + 1).toInt();
        if (line.startsWith("X="))
            rect.moveLeft(value);
        else if (line.startsWith("Y="))
            rect.moveTop(value);
        else if (line.startsWith("WIDTH="))
            rect.setWidth(value);
        else if (line.startsWith("HEIGHT="))
            rect.setHeight(value);
    }
    return rect;
}

// The visible windows of a process whose title matches the pattern; the largest first.
inline QList<QRect> visibleWindows(qint64 pid, const QString &titlePattern)
{
    QList<QRect> found;
    const QByteArray ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                    QString::number(pid), QStringLiteral("--name"), titlePattern});
    for (const QByteArray &id : ids.split('\n')) {
        if (!id.trimmed().isEmpty())
            found.append(windowGeometry(id.trimmed()));
    }
    std::sort(found.begin(), found.end(), [](const QRect &a, const QRect &b) {
        return a.width() * a.height() > b.width() * b.height();
    });
    return found;
}

inline void click(const QPoint &at)
{
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QStringLiteral("1")});
}

}  // namespace benchSubStream
