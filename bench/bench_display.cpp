// Cost of turning one received picture into a captioned tile: the worker's path (reduced-scale
// TurboJPEG decode, fast scale, caption) against a full decode plus fast scale through QImage.
#include "benchpictures.h"
#include "tiledecoder.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int rounds = 15;

void paintCaption(QPixmap &pixmap, QFont &font, QPen &pen)
{
    QPainter painter(&pixmap);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(pen);
    painter.drawText(QRect(10, 10, 350, 30), Qt::AlignLeft, QStringLiteral("> Eingang"));
}

using pictureWork = std::function<void(const QByteArray &)>;

// Mean cost per picture in microseconds, the best of several rounds. The variants take turns
// round by round, so that load from other processes falls on all of them alike; the minimum
// is the figure least disturbed by it.
std::vector<double> microsecondsPerPicture(const QList<QByteArray> &pictures, const std::vector<pictureWork> &variants)
{
    std::vector<double> best(variants.size(), 1e12);
    for (int round = 0; round < rounds; ++round) {
        for (size_t v = 0; v < variants.size(); ++v) {
            QElapsedTimer timer;
            timer.start();
            for (const QByteArray &picture : pictures)
                variants[v](picture);
            best[v] = std::min(best[v], timer.nsecsElapsed() / 1000.0 / pictures.size());
        }
    }
    return best;
}

void measure(const QString &folder, const QString &size, const QSize &tile)
{
    const QList<QByteArray> pictures = benchPictures::load(folder, size);
    if (pictures.isEmpty())
        return;
    QFont font;
    font.setFixedPitch(true);
    font.setWeight(QFont::Bold);
    QPen pen(Qt::black, 5);

    const std::vector<double> cost = microsecondsPerPicture(pictures, {
        [&](const QByteArray &jpeg) {
            QPixmap pixmap = QPixmap::fromImage(tileDecoder::decode(jpeg, tile, 0));
            paintCaption(pixmap, font, pen);
        },
        [&](const QByteArray &jpeg) {
            const QImage scaled = QImage::fromData(jpeg).scaled(tile, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            Q_UNUSED(scaled);
        },
        [&](const QByteArray &jpeg) {
            QPixmap pixmap = QPixmap::fromImage(
                QImage::fromData(jpeg).scaled(tile, Qt::IgnoreAspectRatio, Qt::FastTransformation));
            paintCaption(pixmap, font, pen);
        },
    });
    const double tileCost = cost[0];
    const double fullCost = cost[1];
    const double fullCaptioned = cost[2];

    std::printf("%s -> %dx%d (%d pictures)\n", qPrintable(size), tile.width(), tile.height(), int(pictures.size()));
    std::printf("  tile path (decode, scale, caption):        %8.0f us\n", tileCost);
    std::printf("  full decode + fast scale:                  %8.0f us\n", fullCost);
    std::printf("  full decode + fast scale + caption:        %8.0f us\n", fullCaptioned);
    std::printf("  ratio to full decode + fast scale:         %8.2f\n", tileCost / fullCost);
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = benchPictures::folder(argc, argv);
    measure(folder, QStringLiteral("640x480"), QSize(320, 240));
    measure(folder, QStringLiteral("1280x720"), QSize(426, 240));
    std::printf("target for 640x480 -> 320x240: ratio <= 0.55\n");
    return 0;
}
