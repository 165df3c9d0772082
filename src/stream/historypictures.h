#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

// The caller's pictures of the call history: the picture as the camera sent it (or as JPEG) and a
// small thumbnail for the list, both in the history's picture folder, owner-only, named as
// the picture files of the command panel are: the event's start and the camera's name
// ("yyyyMMdd_hhmmss_<camera>.jpg", the thumbnail "….thumb.jpg").
namespace historyPictures {

inline const QString pictureExtension = QStringLiteral(".jpg");
inline const QString thumbnailExtension = QStringLiteral(".thumb.jpg");
// Thumbnails fit into this, their aspect kept.
inline constexpr QSize thumbnailSize{160, 120};

struct written {
    QString picture;    // file names in the folder, empty when not written
    QString thumbnail;
    qint64 bytes = 0;   // of both
    QString error;      // why not, when not
};

// The file stem for an event that began at startMs (ms since the epoch) on that camera.
QString stem(qint64 startMs, const QString &camName);
// The thumbnail as JPEG; empty when the picture does not decode.
QByteArray thumbnail(const QByteArray &jpeg);
// Writes both; a picture whose thumbnail cannot be written is removed again.
written write(const QString &folder, qint64 startMs, const QString &camName, const QByteArray &jpeg);

}  // namespace historyPictures
