#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

// Names and creation of the picture and video files. A name part comes from the camera name the
// user typed; it never leads out of its folder, and no file is ever overwritten: a name taken
// already gets "_1", "_2", ... before its extension. Files are created readable by their owner
// only, as they show who stood at the door.
namespace recordFiles {

inline const QString jpgExtension = QStringLiteral(".jpg");
inline const QString videoExtension = QStringLiteral(".MJPEG");
// Recordings of RTSP cameras: the packets as received, in Matroska.
inline const QString matroskaExtension = QStringLiteral(".mkv");

// "yyyyMMdd_hhmmss_" (24-hour clock).
QString timeStamp(const QDateTime &when);

// Path separators, control characters and characters that file systems refuse become "_";
// blanks and "-" stay. Long names are cut so that the file name stays within the usual limit.
QString safeName(const QString &name);
// As safeName, and blanks and "-" become "_" as well.
QString automaticName(const QString &name);

// Creates a new file folder/stem+extension (or with "_1", "_2", ... when that exists) and opens
// it for writing, unbuffered, so that a write reports its own failure. False when no new file
// could be created (no folder, no permission, too many collisions).
bool createNew(QFile &file, const QString &folder, const QString &stem, const QString &extension);

// Writes all the bytes to an open file. A write that stops short (the disk filled up, the file
// reached the size limit) is tried once more for the rest, so that the file's error names the
// cause instead of an unknown one. False when not everything was written.
bool writeAll(QFile &file, const QByteArray &bytes);

// Closes a recording file that holds `written` good bytes: a picture written in part after them
// is cut off again (it would break the file for a reader), and a file that holds nothing is
// removed.
void closeRecording(QFile &file, qint64 written);

// Writes bytes into a new file; returns its path, or an empty string when any part of it could
// not be written (a partly written file is removed again).
QString writeNew(const QString &folder, const QString &stem, const QString &extension, const QByteArray &bytes);

} // namespace recordFiles
