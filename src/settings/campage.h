#pragma once

#include <QWidget>

struct cameraModule;

namespace Ui {
class camPage;
}

// The "Kamera" tab of the settings dialog: the camera/IO module of one module record.
// Filling shows a record without writing anything; the pop-up and output choices the user makes
// go at once into the record the page was filled for; everything else is taken over by store().
class camPage : public QWidget {
    Q_OBJECT

public:
    camPage(int FaVers, const QStringList &cameraTypes, QWidget *parent = nullptr);
    ~camPage() override;

    // record: where the immediate choices go; null while a new module is being prepared.
    void fill(const cameraModule &values, cameraModule *record);
    // The values a new module starts with; the fields the new module takes over unchanged
    // (light pulse, folder) keep what they show.
    void fillNewModule(const QString &name, const QString &address);
    void release() { record = nullptr; }

    QString moduleName() const;
    // The first text the page cannot store into `into`, as a message; empty when none.
    QString check(const cameraModule &into) const;
    void store(cameraModule &into);

    void setPopupAllowed(bool allowed);      // "Auto-PopUp aktivieren"
    void setRecordingAllowed(bool allowed);  // automatic recording switched on globally
    // Texts in the current language; what the user typed stays.
    void retranslate(const QStringList &cameraTypes);

signals:
    void addClicked();
    void generateClicked();
    void removeClicked();
    void savePictureClicked();

private:
    void applyEdition(int FaVers);
    void editionTexts();
    void showValues(const cameraModule &values);
    void connectChoices();
    void popupChosen(int value);
    void outputChosen(int index, int *output);
    void applyCameraType(int index);
    static int outputIndex(int output);

    Ui::camPage *ui;
    cameraModule *record = nullptr;
    int edition = 0;
    bool popupAllowed = true;
};
