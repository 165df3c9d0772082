#include "tiletext.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QStaticText>

namespace {
constexpr int plateAlpha = 170;
constexpr int platePadding = 3;
// Where the built-in picture leaves room for its label, as parts of its height, and its colour.
constexpr double labelCentre = 0.75;
constexpr double labelHeight = 0.075;
const QColor labelColour(205, 206, 211);

double luminance(const QColor &colour)
{
    return 0.2126 * colour.redF() + 0.7152 * colour.greenF() + 0.0722 * colour.blueF();
}
} // namespace

QString tileText::fitted(const QString &prefix, const QString &name, const QFontMetrics &metrics, int width)
{
    const QString whole = prefix + name;
    if (metrics.horizontalAdvance(whole) <= width)
        return whole;
    const int nameWidth = metrics.horizontalAdvance(name);
    if (nameWidth > width)
        return metrics.elidedText(name, Qt::ElideRight, width);
    const QString shortened = metrics.elidedText(prefix, Qt::ElideRight, width - nameWidth);
    // An ellipsis alone says nothing.
    if (shortened.size() <= 1)
        return name;
    return shortened + name;
}

QColor tileText::plateFor(const QColor &text)
{
    QColor plate = luminance(text) > 0.4 ? QColor(Qt::black) : QColor(Qt::white);
    plate.setAlpha(plateAlpha);
    return plate;
}

void tileText::drawCaption(QPainter &painter, const QPoint &at, const QStaticText &text, const QColor &colour)
{
    const QSize size = text.size().toSize();
    if (size.isEmpty())
        return;
    painter.fillRect(QRect(at - QPoint(platePadding, 0), size + QSize(2 * platePadding, 0)), plateFor(colour));
    painter.setPen(colour);
    painter.drawStaticText(at, text);
}

void tileText::drawLabel(QPixmap &picture, const QString &label)
{
    if (picture.isNull() || label.isEmpty())
        return;
    const int height = picture.height();
    QFont font;
    font.setPixelSize(std::max(6, int(height * labelHeight)));
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(labelColour);
    const int lineHeight = QFontMetrics(font).height();
    const QRect line(0, int(height * labelCentre) - lineHeight / 2, picture.width(), lineHeight);
    painter.drawText(line, Qt::AlignCenter, QFontMetrics(font).elidedText(label, Qt::ElideRight, picture.width()));
}
