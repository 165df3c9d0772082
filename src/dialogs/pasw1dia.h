#pragma once

#include <QDialog>
#include <QPointer>

class accessProtection;
class QMessageBox;

namespace Ui {
class pasw1Dia;
}

// The password entry: asks for the viewer or the settings password without blocking anything.
// The main window's tick polls the result. Escape and the window's close button cancel, like
// "Abbrechen": a prompt that merely vanished would leave its caller waiting for good.
class pasw1Dia : public QDialog {
    Q_OBJECT

public:
    // What an accepted password is for.
    enum purpose { showNormal = 1, showMaximised = 2, openSettings = 3, confirmGuard = 4 };
    enum class result { none, accepted, cancelled };

    pasw1Dia(accessProtection &protection, int FaVers, QWidget *parent = nullptr);
    ~pasw1Dia() override;

    // Reloads the record from the store and takes its passwords as the expected ones.
    void readAllSettings();
    // mode: accessProtection::settingsMode or viewerMode.
    void prompt(int mode, int purpose);
    int currentMode() const { return mode; }
    int currentPurpose() const { return purposeValue; }
    // The outcome of the last prompt, handed out once.
    result takeResult();
    void retranslate();

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_okPB_clicked();
    void on_CancPB_clicked();

private:
    void applyTitle();

    accessProtection &protection;
    QString viewerCopy;
    QString settingsCopy;
    int mode;
    int purposeValue = showNormal;
    result outcome = result::none;
    int FaVers;
    QPointer<QMessageBox> wrongBox;
    Ui::pasw1Dia *ui;
};
