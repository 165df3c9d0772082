#pragma once

#include "historyevent.h"

#include <QByteArray>
#include <QDialog>

struct shellSettings;

namespace Ui {
class historyPicture;
}

// One event's picture, large, with save and print as for a live picture (the picture file goes
// to ImageFolder when Autosave allows it, named by the event's time and camera) and the button
// to its recording.
class historyPicture : public QDialog {
    Q_OBJECT

public:
    historyPicture(const shellSettings &settings, QWidget *parent = nullptr);
    ~historyPicture() override;

    // recordingWhyNot: why "Aufnahme ansehen" is not possible, empty when it is.
    void present(const historyEvent &event, const QString &pictureFolder, const QString &caption,
                 const QString &recordingWhyNot);
    QString savedPath() const { return lastSaved; }
    void retranslate();

signals:
    void recordingRequested(const historyEvent &event);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void save();
    void print();
    void fit();

    Ui::historyPicture *ui;
    const shellSettings &settings;
    historyEvent shown;
    QByteArray jpeg;
    QString lastSaved;
};
