#pragma once

#include <QByteArray>
#include <QObject>
#include <QRect>
#include <QSize>

class QPrinter;
class QWidget;
class camData;

// Prints a camera's print snapshot: the standard print dialog opens without a loop of its own,
// so the tick goes on while it is open, and the job is finished when the dialog closes. The
// camera's `printing` flag keeps a second dialog for it from opening meanwhile.
class picturePrinter : public QObject {
    Q_OBJECT

public:
    // dialogParent: the print dialog and messages open over it.
    explicit picturePrinter(QWidget *dialogParent, QObject *parent = nullptr);

    // Opens the print dialog for the camera's print snapshot, over `over` when given (a window
    // that stays on top would cover it otherwise), else over the dialog parent. False (nothing
    // opened) when the snapshot is empty, the camera is printing already or the picture does not
    // decode.
    bool printPicture(camData *camera, QWidget *over = nullptr);

    // One page: the picture scaled to the page, its aspect kept. False when the picture does not
    // decode or the printer refuses.
    static bool paint(QPrinter &printer, const QByteArray &picture);
    // Where a picture of that size lands on a page with that viewport.
    static QRect pictureArea(const QRect &viewport, const QSize &picture);

signals:
    // After the dialog closed: whether a page went to the printer.
    void finished(bool printed);

private:
    void report(QWidget *parent, const QString &text);

    QWidget *dialogParent;
};
