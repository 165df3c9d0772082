#pragma once

// Pictures and files of the recording tests.

#include <QByteArray>
#include <QFile>
#include <QString>

// A picture as the cutter hands it on: start-of-image marker, its number, then filler (no 0xFF)
// telling it apart.
inline QByteArray samplePicture(int index, int size = 1000)
{
    QByteArray bytes("\xFF\xD8");
    bytes += QByteArray::number(index);
    bytes.append(size - bytes.size(), char('a' + index % 26));
    return bytes;
}

inline QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
