#include "historypictures.h"

#include "recordfiles.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace historyPictures {

namespace {

constexpr int thumbnailQuality = 80;

// Writes into a new file; its name in the folder, or empty with the reason.
QString writeFile(const QString &folder, const QString &stem, const QString &extension, const QByteArray &bytes,
                  QString &error)
{
    QFile file;
    if (!recordFiles::createNew(file, folder, stem, extension)) {
        error = file.errorString();
        return QString();
    }
    if (!recordFiles::writeAll(file, bytes)) {
        error = file.errorString();
        file.close();
        file.remove();
        return QString();
    }
    file.close();
    return QFileInfo(file.fileName()).fileName();
}

}  // namespace

QString stem(qint64 startMs, const QString &camName)
{
    return recordFiles::timeStamp(QDateTime::fromMSecsSinceEpoch(startMs)) + recordFiles::safeName(camName);
}

QByteArray thumbnail(const QByteArray &jpeg)
{
    QBuffer source;
    source.setData(jpeg);
    QImageReader reader(&source);
    const QSize size = reader.size();
    if (!size.isValid())
        return QByteArray();
    // The JPEG decoder scales while it decodes: a fraction of the work of the whole picture.
    reader.setScaledSize(size.scaled(thumbnailSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    const QImage image = reader.read();
    if (image.isNull())
        return QByteArray();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    image.save(&out, "JPEG", thumbnailQuality);
    return out.data();
}

written write(const QString &folder, qint64 startMs, const QString &camName, const QByteArray &jpeg)
{
    written result;
    const QByteArray small = thumbnail(jpeg);
    if (small.isEmpty()) {
        result.error = QStringLiteral("JPEG");
        return result;
    }
    const QString name = stem(startMs, camName);
    result.picture = writeFile(folder, name, pictureExtension, jpeg, result.error);
    if (result.picture.isEmpty())
        return result;
    result.thumbnail = writeFile(folder, name, thumbnailExtension, small, result.error);
    if (result.thumbnail.isEmpty()) {
        QFile::remove(QDir(folder).filePath(result.picture));
        result.picture.clear();
        return result;
    }
    result.bytes = jpeg.size() + small.size();
    return result;
}

}  // namespace historyPictures
