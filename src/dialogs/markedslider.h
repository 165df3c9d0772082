#pragma once

#include <QSlider>

// A slider with one value marked by a line across its groove (the moment of a door call on the
// player's time line).
class markedSlider : public QSlider {
    Q_OBJECT

public:
    explicit markedSlider(QWidget *parent = nullptr);
    // Outside the range: no mark.
    void setMark(int value);
    int mark() const { return marked; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int marked = -1;
};
