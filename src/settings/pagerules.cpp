#include "pagerules.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStringList>

namespace {

template <typename number>
number takeNumber(number value, bool ok, number min, number max, number current, bool *replaced)
{
    *replaced = false;
    if (!ok)
        return current;
    if (value >= min && value <= max)
        return value;
    *replaced = true;
    return min;
}

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

QString pageRules::nameProblem(const QString &field, const QString &text)
{
    if (text.isEmpty())
        return tr("\"%1\" darf nicht leer sein.").arg(field);
    static const QString forbidden = QStringLiteral("[]=/\\");
    for (const QChar c : text) {
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            return tr("\"%1\" darf keines der Zeichen [ ] = / \\ und keine Steuerzeichen enthalten.").arg(field);
    }
    return QString();
}

QString pageRules::textProblem(const QString &field, const QString &text)
{
    if (hasControlCharacter(text))
        return tr("\"%1\" darf keine Steuerzeichen (z. B. Zeilenumbrüche) enthalten.").arg(field);
    return QString();
}

QString pageRules::passwordProblem(const QString &field, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 32 || c.unicode() > 125)
            return tr("\"%1\" darf nur Buchstaben ohne Umlaute, Ziffern, Leerzeichen und die Zeichen "
                      "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|} enthalten.").arg(field);
    }
    return QString();
}

bool pageRules::isIPv4(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        if (part.toInt() > 255)
            return false;
    }
    return true;
}

QString pageRules::addressProblem(const QString &field, const QString &text)
{
    if (isIPv4(text))
        return QString();
    return tr("\"%1\": \"%2\" ist keine gültige IPv4-Adresse. Die bisherige Adresse bleibt erhalten.")
        .arg(field, text);
}

QValidator *pageRules::ipv4Typing(QObject *parent)
{
    return new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^(([01]?\\d{1,2}|2[0-4]\\d|25[0-5])?\\.){3}([01]?\\d{1,2}|2[0-4]\\d|25[0-5])?$")),
        parent);
}

int pageRules::takeInt(const QString &text, int min, int max, int current, bool *replaced)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return takeNumber(value, ok, min, max, current, replaced);
}

double pageRules::takeReal(const QString &text, double min, double max, double current, bool *replaced)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return takeNumber(value, ok, min, max, current, replaced);
}

int pageRules::storeInt(QLineEdit *field, int min, int max, int current)
{
    bool replaced = false;
    const int value = takeInt(field->text(), min, max, current, &replaced);
    if (replaced)
        field->setText(QString::number(value));
    return value;
}

double pageRules::storeReal(QLineEdit *field, double min, double max, double current)
{
    bool replaced = false;
    const double value = takeReal(field->text(), min, max, current, &replaced);
    if (replaced)
        field->setText(QString::number(qRound(value)));
    return value;
}

void pageRules::chooseInto(QLineEdit *field, bool folder, const QString &title)
{
    auto *chooser = new QFileDialog(field->window(), title, field->text());
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setFileMode(folder ? QFileDialog::Directory : QFileDialog::ExistingFile);
    if (folder)
        chooser->setOption(QFileDialog::ShowDirsOnly);
    QObject::connect(chooser, &QFileDialog::fileSelected, field, &QLineEdit::setText);
    chooser->open();
}
