#pragma once

#include <QDialog>

struct cameraModule;

namespace Ui {
class paswDia;
}

// The camera login prompt: which camera asks for a login, with the user name and password the
// stream answers it with.
class paswDia : public QDialog {
    Q_OBJECT

public:
    explicit paswDia(int FaVers, QWidget *parent = nullptr);
    ~paswDia() override;

    void fill(const cameraModule &module);
    QString siteText() const;
    QString user() const;
    QString password() const;
    void retranslate();

private:
    void applyTitle();

    int FaVers;
    QString camName;
    QString address;
    Ui::paswDia *ui;
};
