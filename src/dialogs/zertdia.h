#pragma once

#include <QDialog>
#include <QList>
#include <QSslCertificate>
#include <QSslError>

struct cameraModule;

namespace Ui {
class zertDia;
}

// The question whether to trust a camera's certificate that does not verify (most cameras ship
// a self-signed one): which camera, what the certificate says about itself, its SHA-256
// fingerprint to compare with the camera's, and why it did not verify. "Vertrauen" accepts,
// "Abbrechen", Escape and the close button reject.
class zertDia : public QDialog {
    Q_OBJECT

public:
    explicit zertDia(int FaVers, QWidget *parent = nullptr);
    ~zertDia() override;

    void fill(const cameraModule &module, const QSslCertificate &certificate, const QList<QSslError> &errors);
    QString siteText() const;
    QString fingerprint() const;
    const QSslCertificate &certificate() const { return shown; }
    void retranslate();

    // Everything here comes from the camera: shown as plain text, and cut to a sane length.
    static QString subjectText(const QSslCertificate &certificate);
    static QString validityText(const QSslCertificate &certificate);
    static QString reasonText(const QList<QSslError> &errors);

private:
    void showTexts();
    void applyTitle();

    int FaVers;
    QString camName;
    QString address;
    QSslCertificate shown;
    QList<QSslError> errors;
    Ui::zertDia *ui;
};
