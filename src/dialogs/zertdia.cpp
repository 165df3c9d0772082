#include "zertdia.h"
#include "ui_zertdia.h"

#include "cameramodule.h"
#include "edition.h"
#include "httpstream.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QPushButton>

namespace {
// A certificate's names are the camera's to choose; a screenful is more than any real one has.
constexpr int longestName = 200;

QString bounded(QString text)
{
    if (text.size() > longestName)
        text = text.left(longestName - 1) + QChar(0x2026);
    return text;
}
} // namespace

zertDia::zertDia(int FaVers, QWidget *parent)
    : QDialog(parent)
    , FaVers(FaVers)
    , ui(new Ui::zertDia)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Trusting has to be chosen; Return alone does not do it.
    ui->abbrechenPB->setDefault(true);
    connect(ui->vertrauenPB, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->abbrechenPB, &QPushButton::clicked, this, &QDialog::reject);
    retranslate();
}

zertDia::~zertDia()
{
    delete ui;
}

void zertDia::fill(const cameraModule &module, const QSslCertificate &certificate, const QList<QSslError> &found)
{
    camName = module.camName;
    address = module.addressText();
    shown = certificate;
    errors = found;
    showTexts();
}

QString zertDia::siteText() const
{
    return tr("%1 at %2").arg(camName, address);
}

QString zertDia::fingerprint() const
{
    return shown.isNull() ? QString()
                          : httpStream::fingerprintText(shown.digest(QCryptographicHash::Sha256));
}

void zertDia::showTexts()
{
    ui->siteTxL->setText(camName.isEmpty() && address.isEmpty() ? QString() : bounded(siteText()));
    ui->subjectTxL->setText(subjectText(shown));
    ui->validTxL->setText(validityText(shown));
    ui->fingerTxL->setText(fingerprint());
    ui->reasonTxL->setText(reasonText(errors));
}

QString zertDia::subjectText(const QSslCertificate &certificate)
{
    QStringList parts;
    for (const QByteArray &attribute : certificate.subjectInfoAttributes()) {
        const QStringList values = certificate.subjectInfo(attribute);
        parts.append(QString::fromLatin1(attribute) + QLatin1Char('=') + values.join(QLatin1Char('+')));
    }
    return bounded(parts.join(QStringLiteral(", ")));
}

QString zertDia::validityText(const QSslCertificate &certificate)
{
    if (certificate.isNull())
        return QString();
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm 'UTC'");
    return tr("%1 bis %2").arg(certificate.effectiveDate().toUTC().toString(format),
                               certificate.expiryDate().toUTC().toString(format));
}

// Qt's own texts would stay English in a German viewer; the usual reasons get this program's.
QString zertDia::reasonText(const QList<QSslError> &errors)
{
    QStringList reasons;
    for (const QSslError &error : errors) {
        QString text;
        switch (error.error()) {
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
            text = tr("Selbst ausgestellt, von keiner bekannten Stelle bestätigt");
            break;
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::CertificateUntrusted:
            text = tr("Von einer unbekannten Stelle ausgestellt");
            break;
        case QSslError::CertificateExpired:
            text = tr("Abgelaufen");
            break;
        case QSslError::CertificateNotYetValid:
            text = tr("Noch nicht gültig");
            break;
        case QSslError::HostNameMismatch:
            text = tr("Ausgestellt für einen anderen Namen als die Adresse der Kamera");
            break;
        default:
            text = error.errorString();
        }
        if (!reasons.contains(text))
            reasons.append(text);
    }
    return reasons.join(QLatin1Char('\n'));
}

void zertDia::retranslate()
{
    ui->retranslateUi(this);
    showTexts();
    applyTitle();
}

void zertDia::applyTitle()
{
    const edition ed = edition::forVersion(FaVers);
    setWindowTitle(ed.translatedTitle());
    setWindowIcon(QIcon(ed.iconPath));
}
