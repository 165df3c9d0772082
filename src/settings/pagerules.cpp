#include "pagerules.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStringList>
#include <QUrl>

namespace {

const QString ipv4Pattern =
    QStringLiteral("(([01]?\\d{1,2}|2[0-4]\\d|25[0-5])?\\.){3}([01]?\\d{1,2}|2[0-4]\\d|25[0-5])?");

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

// The first character the Latin-1 file cannot hold (a surrogate pair whole), or "" when none.
QString firstNonLatin1(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).unicode() <= 0xff)
            continue;
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size();
        return text.mid(i, pair ? 2 : 1);
    }
    return QString();
}

template <typename number>
number storeNumber(QLineEdit *field, const QString &name, number min, number max, number current,
                   QStringList &replaced, number (*take)(const QString &, number, number, number, bool *))
{
    bool wasReplaced = false;
    const QString typed = field->text().trimmed();
    const number value = take(typed, min, max, current, &wasReplaced);
    if (!wasReplaced)
        return value;
    const QString used = QString::number(qRound(double(value)));
    field->setText(used);
    replaced.append(pageRules::tr("\"%1\": %2 liegt nicht zwischen %3 und %4, verwendet wird %5.")
                        .arg(name, typed, QString::number(min), QString::number(max), used));
    return value;
}

} // namespace

QString pageRules::nameProblem(const QString &field, const QString &text)
{
    if (storedName(text).isEmpty())
        return tr("\"%1\" darf nicht leer sein.").arg(field);
    static const QString forbidden = QStringLiteral("[]=/\\");
    for (const QChar c : text) {
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            return tr("\"%1\" darf keines der Zeichen [ ] = / \\ und keine Steuerzeichen enthalten.").arg(field);
    }
    return textProblem(field, text);
}

QString pageRules::textProblem(const QString &field, const QString &text)
{
    if (hasControlCharacter(text))
        return tr("\"%1\" darf keine Steuerzeichen (z. B. Zeilenumbrüche) enthalten.").arg(field);
    const QString lost = firstNonLatin1(text);
    if (!lost.isEmpty())
        return tr("\"%1\" enthält Zeichen, die die Einstellungsdatei nicht speichern kann (\"%2\"). "
                  "Bitte nur Buchstaben, Ziffern und Zeichen der westeuropäischen Tastatur verwenden.")
            .arg(field, lost);
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
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.at(0) == QLatin1Char('0')))
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
    return new QRegularExpressionValidator(QRegularExpression(QLatin1Char('^') + ipv4Pattern + QLatin1Char('$')),
                                           parent);
}

QString pageRules::cameraAddressProblem(const QString &field, const QString &text)
{
    if (isIPv4(text))
        return QString();
    const qsizetype schemeEnd = text.indexOf(QLatin1String("://"));
    if (schemeEnd <= 0)
        return tr("\"%1\": \"%2\" ist weder eine IPv4-Adresse noch eine URL (http://, https://, rtsp:// oder "
                  "rtsps://). Die bisherige Adresse bleibt erhalten.")
            .arg(field, text);
    const QString scheme = text.left(schemeEnd).toLower();
    static const QStringList readable{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("rtsp"),
                                      QStringLiteral("rtsps")};
    if (!readable.contains(scheme))
        return tr("\"%1\": URLs mit \"%2://\" kann der Viewer nicht lesen, nur http://, https://, rtsp:// und "
                  "rtsps://. Die bisherige Adresse bleibt erhalten.")
            .arg(field, text.left(schemeEnd));
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || hasControlCharacter(text) || text.contains(QLatin1Char(' ')))
        return tr("\"%1\": \"%2\" ist keine gültige URL (Leerzeichen, Steuerzeichen oder ein Port über 65535?). "
                  "Die bisherige Adresse bleibt erhalten.")
            .arg(field, text);
    if (url.host().isEmpty())
        return tr("\"%1\": In \"%2\" fehlt nach \"://\" der Rechner (Adresse oder Name). Die bisherige Adresse "
                  "bleibt erhalten.")
            .arg(field, text);
    return textProblem(field, text);
}

QValidator *pageRules::cameraAddressTyping(QObject *parent)
{
    const QRegularExpression typing(QStringLiteral("^(%1|[A-Za-z].*)$").arg(ipv4Pattern),
                                    QRegularExpression::DotMatchesEverythingOption);
    return new QRegularExpressionValidator(typing, parent);
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

int pageRules::storeInt(QLineEdit *field, const QString &name, int min, int max, int current, QStringList &replaced)
{
    return storeNumber(field, name, min, max, current, replaced, &takeInt);
}

double pageRules::storeReal(QLineEdit *field, const QString &name, double min, double max, double current,
                            QStringList &replaced)
{
    return storeNumber(field, name, min, max, current, replaced, &takeReal);
}

QString pageRules::replacedMessage(const QStringList &replaced)
{
    if (replaced.isEmpty())
        return QString();
    return tr("Werte außerhalb ihres Bereichs wurden ersetzt:") + QLatin1Char('\n') + replaced.join(QLatin1Char('\n'));
}

QString pageRules::fieldName(std::initializer_list<const QWidget *> labels)
{
    QStringList texts;
    for (const QWidget *label : labels)
        texts.append(label->property("text").toString());
    QString name = texts.join(QLatin1Char(' ')).trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
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
