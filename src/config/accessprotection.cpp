#include "accessprotection.h"

#include "passwordcodec.h"
#include "tracecategory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const char *const keyViewer = "paswViewer";
const char *const keySettings = "paswSettings";
const char *const keyProtectSetting = "protectSetting";
const char *const keyProtectViewer = "protectViewer";
const QString trueText = QStringLiteral("TRUE");
const QString falseText = QStringLiteral("FALSE");
constexpr int minimumLength = 3;

const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

const QString accessProtection::factoryPassword = QStringLiteral("4711");

QString accessProtection::defaultStorePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/dxcamviewer/passwords.conf");
}

accessProtection::accessProtection(const QString &storePath)
    : path(storePath)
{
}

QString accessProtection::password(int mode) const
{
    return mode == settingsMode ? settingsPassword : viewerPassword;
}

void accessProtection::setPassword(int mode, const QString &text)
{
    (mode == settingsMode ? settingsPassword : viewerPassword) = text;
}

int accessProtection::storedValueCount() const
{
    const QSettings store(path, QSettings::IniFormat);
    int count = 0;
    for (const char *key : {keyViewer, keySettings, keyProtectSetting, keyProtectViewer})
        count += store.contains(QLatin1String(key)) ? 1 : 0;
    return count;
}

void accessProtection::load()
{
    if (storedValueCount() < 3) {
        viewerPassword = settingsPassword = factoryPassword;
        protectSetting = protectViewer = false;
        save();
    }
    // A store made or copied with looser permissions would show the passwords to every user.
    if (QFileInfo::exists(path))
        QFile::setPermissions(path, ownerOnly);
    const QSettings store(path, QSettings::IniFormat);
    const auto read = [&](const char *key) {
        return passwordCodec::decode(store.value(QLatin1String(key)).toString().toLatin1(), shift);
    };
    const auto readPassword = [&](const char *key) {
        const passwordCodec::decoded value = read(key);
        const QString text = QString::fromLatin1(value.text);
        if (store.contains(QLatin1String(key)) && value.clean && nonBlankLength(text) >= minimumLength)
            return text;
        qCDebug(dxcamTrace).noquote()
            << QStringLiteral("accessProtection::load() :: -->> %1 unusable, the factory password applies")
                   .arg(QLatin1String(key));
        return factoryPassword;
    };
    viewerPassword = readPassword(keyViewer);
    settingsPassword = readPassword(keySettings);
    protectSetting = QString::fromLatin1(read(keyProtectSetting).text) == trueText;
    protectViewer = QString::fromLatin1(read(keyProtectViewer).text) == trueText;
}

bool accessProtection::save() const
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    // Created owner-only before the first write; later writes keep the mode of the file.
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
            return false;
    }
    QSettings store(path, QSettings::IniFormat);
    const auto write = [&](const char *key, const QString &text) {
        store.setValue(QLatin1String(key), QString::fromLatin1(passwordCodec::encode(text.toLatin1(), shift)));
    };
    write(keyViewer, viewerPassword);
    write(keySettings, settingsPassword);
    write(keyProtectSetting, protectSetting ? trueText : falseText);
    write(keyProtectViewer, protectViewer ? trueText : falseText);
    store.sync();
    QFile::setPermissions(path, ownerOnly);
    return store.status() == QSettings::NoError;
}

int accessProtection::nonBlankLength(const QString &text)
{
    return int(text.size() - text.count(QLatin1Char(' ')));
}

const char *accessProtection::changeRefusal(const QString &enteredOld, const QString &current,
                                            const QString &enteredNew, const QString &repetition)
{
    static const char *const tooShort =
        QT_TRANSLATE_NOOP("paswSettings", "Passwort muss mindestens 3 Zeichen lang sein");
    if (nonBlankLength(enteredOld) < minimumLength)
        return tooShort;
    if (enteredOld != current)
        return QT_TRANSLATE_NOOP("paswSettings", " Altes Passwort ist falsch ");
    if (nonBlankLength(enteredNew) < minimumLength)
        return tooShort;
    // The store keeps 8-bit characters; any other would silently become a different password.
    for (const QChar c : enteredNew) {
        if (c.unicode() > 0xff)
            return QT_TRANSLATE_NOOP("paswSettings",
                                     "Das neue Passwort enthält Zeichen, die nicht gespeichert werden können "
                                     "(zum Beispiel €). Bitte nur Buchstaben, Ziffern und Zeichen der "
                                     "westeuropäischen Tastatur verwenden.");
    }
    if (enteredNew != repetition)
        return QT_TRANSLATE_NOOP("paswSettings", "Neues Passwort und Wiederholung sind nicht identisch !");
    return nullptr;
}
