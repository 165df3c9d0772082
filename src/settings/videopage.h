#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

struct settingsRequests;
struct shellSettings;

namespace Ui {
class videoPage;
}

// The "Videobild" tab of the settings dialog: window geometry, pop-up and auto-hide behaviour,
// grid and scaling, and the table of the module order. Check boxes marked "at once" write the
// main window's settings when clicked; the fields are taken over by store().
class videoPage : public QWidget {
    Q_OBJECT

public:
    videoPage(int FaVers, shellSettings &settings, settingsRequests &requests, QWidget *parent = nullptr);
    ~videoPage() override;

    void fill();
    // Texts in the current language; what the user typed stays.
    void retranslate();
    // The picture area of the main window, as the resize handler measures it.
    void showGeometry(double x, double y, double width, double height);
    // replaced: a line for each number that was outside its range.
    void store(QStringList &replaced);

    // Module order table: one row per module, "Pos." 1..n.
    void showOrder(const QStringList &camNames, const QStringList &sipNames);
    void showPositions(const QList<int> &positions);
    int selectedOrderRow() const;
    void selectOrderRow(int row);

    static int fontPixelSize(int index);

signals:
    void autoPopupToggled(bool on);
    // The overlay font chosen: its pixel size, in use at once.
    void overlayPixelSizeChosen(int pixels);

private:
    void texts();
    void connectImmediate();
    void ownWindowChosen(bool on);
    void applyOwnWindowRules(bool own);
    void chooseFont(int index);
    void chooseScale(int mode);
    void showGridHint();

    Ui::videoPage *ui;
    shellSettings &settings;
    settingsRequests &requests;
    int edition;
    QStringList moduleNames;  // in grid order
};
