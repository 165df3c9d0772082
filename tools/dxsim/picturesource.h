#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

class QImage;

// Delivers, for camera and picture number, one complete multipart part (boundary line, part
// headers, JPEG, CRLF). Live pictures are drawn and encoded on demand; with a cycle length the
// first N pictures of each camera are kept and served again, and a replay folder is read once,
// so that many cameras at a high rate cost little more than socket writes.
class PictureSource {
public:
    static const QByteArray boundary;

    PictureSource(QSize size, int quality, int cycle);
    // toSize: every picture is scaled to this source's size once, for a camera's small stream.
    bool loadReplay(const QString &dir, bool toSize, QString *error);
    void setCameraNames(const QStringList &names);
    // Encodes the whole cycle now, so that a benchmark measures serving, not encoding.
    void prepareCycle();

    QByteArray part(int camera, quint64 number);

    static QByteArray wrapPart(const QByteArray &jpeg);

private:
    QByteArray drawLive(int camera, quint64 number) const;
    QByteArray encode(const QImage &image) const;

    QSize size;
    int quality;
    int cycle;
    QStringList names;
    QVector<QByteArray> replayParts;
    QVector<QVector<QByteArray>> cycleParts;
};
