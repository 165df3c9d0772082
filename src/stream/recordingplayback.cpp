#include "recordingplayback.h"

#include "mjpegfilereader.h"
#include "mkvfilereader.h"
#include "recordfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

QString timeText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

}  // namespace

recordingPlayback::recordingPlayback() = default;
recordingPlayback::~recordingPlayback() = default;

QList<recordingPlayback::file> recordingPlayback::filesOf(const QString &folder, const QString &stem)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{8}_\\d{6})_(.+)(\\.MJPEG|\\.mkv)$"));
    QList<file> found;
    if (stem.isEmpty())
        return found;
    const QDir dir(folder);
    const QFileInfoList infos = dir.entryInfoList(
        {QStringLiteral("*") + recordFiles::videoExtension, QStringLiteral("*") + recordFiles::matroskaExtension},
        QDir::Files, QDir::Name);
    QSet<QString> names;
    for (const QFileInfo &info : infos)
        names.insert(info.fileName());
    for (const QFileInfo &info : infos) {
        const QRegularExpressionMatch m = pattern.match(info.fileName());
        if (!m.hasMatch())
            continue;
        const QString rest = m.captured(2);
        // "_1", "_2", ... only where the name without it was taken at that second.
        const bool numbered = rest.startsWith(stem + QLatin1Char('_'))
                              && QRegularExpression(QStringLiteral("^\\d+$")).match(rest.mid(stem.size() + 1)).hasMatch()
                              && names.contains(m.captured(1) + QLatin1Char('_') + stem + m.captured(3));
        if (rest != stem && !numbered)
            continue;
        const QDateTime named = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd_hhmmss"));
        if (!named.isValid())
            continue;
        qint64 start = named.toMSecsSinceEpoch();
        // The name tells the second; the file system, where it keeps it, the millisecond.
        const QDateTime born = info.birthTime();
        if (born.isValid() && born.toMSecsSinceEpoch() >= start && born.toMSecsSinceEpoch() < start + 1000)
            start = born.toMSecsSinceEpoch();
        found << file{info.filePath(), start, info.lastModified().toMSecsSinceEpoch(),
                      m.captured(3) == recordFiles::matroskaExtension};
    }
    std::stable_sort(found.begin(), found.end(), [](const file &a, const file &b) { return a.startMs < b.startMs; });
    return found;
}

int recordingPlayback::fileFor(const QList<file> &files, qint64 momentMs)
{
    int before = -1;
    for (int i = 0; i < files.size(); ++i) {
        if (files.at(i).startMs <= momentMs)
            before = i;
    }
    if (before >= 0 && files.at(before).lastChangeMs >= momentMs - slackMs)
        return before;
    for (int i = 0; i < files.size(); ++i) {
        if (files.at(i).startMs > momentMs && files.at(i).startMs <= momentMs + lateStartMs)
            return i;
    }
    return -1;
}

QString recordingPlayback::unavailable(const QString &folder, const QString &stem, qint64 momentMs)
{
    if (folder.isEmpty() || stem.isEmpty())
        return tr("Die Kamera wurde zu der Zeit nicht automatisch aufgezeichnet.");
    if (!QFileInfo(folder).isDir())
        return tr("Der Aufnahmeordner \"%1\" fehlt.").arg(QDir::toNativeSeparators(folder));
    const QList<file> files = filesOf(folder, stem);
    if (files.isEmpty())
        return tr("Im Aufnahmeordner \"%1\" liegt keine Aufnahme dieser Kamera.").arg(QDir::toNativeSeparators(folder));
    if (fileFor(files, momentMs) < 0)
        return tr("Keine Aufnahme um %1.").arg(timeText(momentMs));
    return QString();
}

bool recordingPlayback::open(const QString &folder, const QString &stem, qint64 momentMs)
{
    moment = momentMs;
    reader.reset();
    fileIndex = -1;
    why = unavailable(folder, stem, momentMs);
    if (!why.isEmpty())
        return false;
    files = filesOf(folder, stem);
    const int which = fileFor(files, momentMs);
    if (!openFile(which)) {
        why = tr("Die Aufnahme \"%1\" lässt sich nicht lesen.").arg(QDir::toNativeSeparators(files.at(which).path));
        return false;
    }
    seek(qMax(momentMs - preRollMs, firstMs()));
    return true;
}

bool recordingPlayback::openFile(int which)
{
    if (which < 0 || which >= files.size())
        return false;
    const file &f = files.at(which);
    std::unique_ptr<recordingReader> next;
    if (f.matroska)
        next = std::make_unique<mkvFileReader>();
    else
        next = std::make_unique<mjpegFileReader>();
    if (!next->open(f.path, f.startMs))
        return false;
    reader = std::move(next);
    fileIndex = which;
    current = 0;
    return true;
}

QString recordingPlayback::path() const
{
    return fileIndex >= 0 ? files.at(fileIndex).path : QString();
}

int recordingPlayback::count() const
{
    return reader ? reader->count() : 0;
}

qint64 recordingPlayback::wallMs(int i) const
{
    if (!reader)
        return 0;
    return files.at(fileIndex).startMs + reader->offsetMs(i);
}

bool recordingPlayback::seek(qint64 at)
{
    if (!reader || count() == 0)
        return false;
    // The times only grow: the last picture at or before the time.
    int low = 0;
    int high = count() - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (wallMs(middle) <= at)
            low = middle;
        else
            high = middle - 1;
    }
    current = low;
    return true;
}

bool recordingPlayback::step(int delta)
{
    if (!reader)
        return false;
    const int target = current + delta;
    if (target >= 0 && target < count()) {
        current = target;
        return true;
    }
    if (target >= count() && openFile(fileIndex + 1))
        return true;
    if (target < 0 && openFile(fileIndex - 1)) {
        current = count() - 1;
        return true;
    }
    return false;
}

bool recordingPlayback::refresh()
{
    return reader && reader->refresh();
}

QImage recordingPlayback::picture(const QSize &fit)
{
    return reader ? reader->picture(current, fit) : QImage();
}
