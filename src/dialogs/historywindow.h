#pragma once

#include "historymodel.h"

#include <QIcon>
#include <QWidget>

struct shellSettings;
class QTableView;
class historyPicture;
class recordingPlayer;

namespace Ui {
class historyWindow;
}

// The call history window ("Verlauf"): the door calls and IO alarms newest first with thumbnail,
// time, camera and station, kind, duration and what happened; "nur verpasste" and a date range;
// Return or a double click shows the picture large (historyPicture), "Aufnahme ansehen" plays
// the camera's recording of that moment (recordingPlayer). Created once, shown and hidden.
class historyWindow : public QWidget {
    Q_OBJECT

public:
    historyWindow(const QString &databasePath, const QString &pictureFolder, const shellSettings &settings,
                  QWidget *parent = nullptr);
    ~historyWindow() override;

    // "3 verpasste Rufe"; empty for none.
    static QString missedText(int n);
    void setEdition(const QString &title, const QIcon &icon);
    // The missed calls its title names.
    void setMissed(int n);
    void showInFront();
    void retranslate();

    historyModel &events() { return model; }
    QTableView *table() const;
    historyPicture *pictureDialog() const { return picture; }
    recordingPlayer *player() const { return playerDialog; }
    // Why the chosen event's recording cannot be played; empty when it can.
    QString recordingWhyNot() const { return whyNot; }

public slots:
    void refresh();
    void showPicture();
    void showRecording();

private:
    bool ensureOpen();
    void applyFilter();
    void chosenChanged();
    QString captionOf(const historyEvent &event) const;
    void playRecording(const historyEvent &event);
    void updateTitle();

    Ui::historyWindow *ui;
    historyModel model;
    const shellSettings &settings;
    QString databasePath;
    QString pictures;
    QString title;
    int missed = 0;
    QString whyNot;
    historyPicture *picture = nullptr;
    recordingPlayer *playerDialog = nullptr;
};
