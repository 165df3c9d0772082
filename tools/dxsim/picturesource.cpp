#include "picturesource.h"

#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtMath>

const QByteArray PictureSource::boundary = QByteArrayLiteral("dxsimframe");

PictureSource::PictureSource(QSize size, int quality, int cycle)
    : size(size), quality(quality), cycle(cycle)
{
}

bool PictureSource::loadReplay(const QString &dir, bool toSize, QString *error)
{
    const QDir folder(dir);
    if (!folder.exists()) {
        *error = QStringLiteral("replay folder \"%1\" does not exist").arg(dir);
        return false;
    }
    const QStringList files = folder.entryList({QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"),
                                                QStringLiteral("*.JPG"), QStringLiteral("*.JPEG")},
                                               QDir::Files, QDir::Name);
    for (const QString &name : files) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray jpeg = file.readAll();
        if (!jpeg.startsWith("\xFF\xD8"))
            continue;
        if (!toSize) {
            replayParts.append(wrapPart(jpeg));
            continue;
        }
        const QImage picture = QImage::fromData(jpeg, "JPG");
        if (!picture.isNull())
            replayParts.append(wrapPart(encode(picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))));
    }
    if (replayParts.isEmpty()) {
        *error = QStringLiteral("replay folder \"%1\" holds no JPEG files").arg(dir);
        return false;
    }
    return true;
}

void PictureSource::setCameraNames(const QStringList &cameraNames)
{
    names = cameraNames;
    cycleParts = QVector<QVector<QByteArray>>(names.size());
}

void PictureSource::prepareCycle()
{
    for (int camera = 0; camera < names.size(); ++camera)
        part(camera, quint64(cycle - 1));
}

QByteArray PictureSource::wrapPart(const QByteArray &jpeg)
{
    QByteArray part;
    part.reserve(jpeg.size() + 100);
    part += "--" + boundary + "\r\nContent-Type: image/jpeg\r\nContent-Length: "
            + QByteArray::number(jpeg.size()) + "\r\n\r\n";
    part += jpeg;
    part += "\r\n";
    return part;
}

QByteArray PictureSource::part(int camera, quint64 number)
{
    if (!replayParts.isEmpty()) {
        // Cameras start at different files so that neighbouring tiles do not look alike.
        return replayParts.at(int((number + quint64(camera) * 7) % quint64(replayParts.size())));
    }
    if (cycle <= 0)
        return wrapPart(drawLive(camera, number));
    QVector<QByteArray> &parts = cycleParts[camera];
    const int slot = int(number % quint64(cycle));
    while (parts.size() <= slot)
        parts.append(wrapPart(drawLive(camera, quint64(parts.size()))));
    return parts.at(slot);
}

QByteArray PictureSource::drawLive(int camera, quint64 number) const
{
    QImage image(size, QImage::Format_RGB32);
    const QColor base = QColor::fromHsv((camera * 47) % 360, 120, 110);
    image.fill(base);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int w = size.width();
    const int h = size.height();

    // A ball that runs along a figure eight, one turn in about eight seconds at 10 pictures/s.
    const double t = double(number) / 12.0;
    const QPointF centre(w / 2.0 + w * 0.35 * qSin(t), h / 2.0 + h * 0.3 * qSin(2 * t));
    painter.setPen(Qt::NoPen);
    painter.setBrush(base.lighter(170));
    painter.drawEllipse(centre, h / 10.0, h / 10.0);
    painter.setBrush(QColor(240, 200, 40));
    painter.drawRect(QRectF(double(number % 100) / 100.0 * w, h - h / 12.0, w / 20.0, h / 24.0));

    QFont font = painter.font();
    font.setPixelSize(qMax(12, h / 10));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QString name = camera < names.size() ? names.at(camera) : QStringLiteral("Kamera %1").arg(camera + 1);
    painter.drawText(QRect(0, h / 8, w, h / 6), Qt::AlignHCenter | Qt::AlignVCenter, name);
    font.setPixelSize(qMax(10, h / 16));
    painter.setFont(font);
    const QString clock = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    painter.drawText(QRect(0, h / 3, w, h / 8), Qt::AlignHCenter | Qt::AlignVCenter, clock);
    painter.drawText(QRect(0, h / 3 + h / 8, w, h / 8), Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("#%1").arg(number));
    painter.end();
    return encode(image);
}

QByteArray PictureSource::encode(const QImage &image) const
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return jpeg;
}
