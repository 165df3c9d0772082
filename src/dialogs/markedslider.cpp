#include "markedslider.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

markedSlider::markedSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
}

void markedSlider::setMark(int value)
{
    marked = value;
    update();
}

void markedSlider::paintEvent(QPaintEvent *event)
{
    QSlider::paintEvent(event);
    if (marked < minimum() || marked > maximum())
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const int x = groove.x() + QStyle::sliderPositionFromValue(minimum(), maximum(), marked, groove.width());
    QPainter painter(this);
    painter.setPen(QPen(Qt::red, 2));
    painter.drawLine(x, rect().top() + 1, x, rect().bottom() - 1);
}
