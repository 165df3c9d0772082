#pragma once

#include <QDialog>
#include <QPointer>

class accessProtection;
class QMessageBox;

namespace Ui {
class paswSettings;
}

// Changes the viewer or the settings password: old password, new one, repetition. The new
// password is kept as typed (blanks included) and written to the store at once.
class paswSettings : public QDialog {
    Q_OBJECT

public:
    paswSettings(accessProtection &protection, int FaVers, QWidget *parent = nullptr);
    ~paswSettings() override;

    // mode: accessProtection::settingsMode or viewerMode. Empty fields, the record reloaded;
    // while the dialog is open with something typed for the other mode, the user is asked first.
    void start(int mode);
    int currentMode() const { return mode; }
    void retranslate();

private slots:
    void on_okPB_clicked();

private:
    void begin(int mode);
    void applyTitle();
    void refuse(const QString &text);

    accessProtection &protection;
    int mode;
    int FaVers;
    QPointer<QMessageBox> messageBox;
    Ui::paswSettings *ui;
};
