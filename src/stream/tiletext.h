#pragma once

#include <QColor>
#include <QCoreApplication>
#include <QString>

class QFontMetrics;
class QPainter;
class QPixmap;
class QPoint;
class QStaticText;

// The texts drawn over a camera's picture: the caption, readable on any picture, and the label of
// the built-in not-connected picture, in the language in use.
class tileText {
    Q_DECLARE_TR_FUNCTIONS(tileText)

public:
    // The caption that fits `width` pixels: whole when it fits, else with the prefix before the
    // name shortened (the name is what the user needs), else the name alone, cut at its end.
    static QString fitted(const QString &prefix, const QString &name, const QFontMetrics &metrics, int width);
    // A translucent plate behind the text, light behind dark text and dark behind light text, so
    // that the text stands out from a bright and a dark picture alike.
    static QColor plateFor(const QColor &text);
    static void drawCaption(QPainter &painter, const QPoint &at, const QStaticText &text, const QColor &colour);

    static QString notConnected() { return tr("Nicht verbunden"); }
    // The label drawn below the middle of a not-connected picture scaled to any size, where the
    // built-in picture leaves room for it.
    static void drawLabel(QPixmap &picture, const QString &label);
};
