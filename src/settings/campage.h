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
    // replaced: a line for each number that was outside its range.
    void store(cameraModule &into, QStringList &replaced);

    // Whether the user changed a field that store() has not taken over yet.
    bool edited() const { return edits; }
    // The login prompt's answer (and the address it leaves), shown without counting as an edit.
    void showCredentials(const cameraModule &values);
    // The certificate trusted or declined, as the certificate question's answer left it.
    void showCertificate(const cameraModule &values);

    void setPopupAllowed(bool allowed);      // "Auto-PopUp aktivieren"
    void setRecordingAllowed(bool allowed);  // automatic recording switched on globally
    void setModuleShown(bool shown);         // false: no module to edit
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
    void showRecordingFile();
    void connectChoices();
    void watchEdits();
    void popupChosen(int value);
    void outputChosen(int index, int *output);
    void applyCameraType(int index);
    static int outputIndex(int output);
    struct login {
        bool given = false;
        QString user;
        QString password;
    };
    static login loginOf(const QString &address);
    void storeAddress(cameraModule &into);
    void storeSubStream(cameraModule &into);

    bool certificateForgotten = false;
    Ui::camPage *ui;
    cameraModule *record = nullptr;
    int edition = 0;
    bool popupAllowed = true;
    bool recordingAllowed = true;
    bool moduleShown = false;
    bool edits = false;
};
