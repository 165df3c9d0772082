#include "recordfiles.h"

#include <QDir>
#include <QFileInfo>

namespace recordFiles {

namespace {

// A file name is at most 255 bytes on common file systems; the stamp, a collision suffix and the
// extension need about 30 of them.
constexpr int maxNameBytes = 200;
constexpr int maxCollisions = 1000;

bool refused(char32_t c)
{
    static const QString invalid = QStringLiteral("/\\:*?\"<>|");
    if (c < 0x20 || c == 0x7F)
        return true;
    if (c < 0x80)
        return invalid.contains(QChar(char16_t(c)));
    return !QChar::isPrint(c);
}

QString fitted(const QString &name)
{
    QString result = name;
    while (result.toUtf8().size() > maxNameBytes)
        result.chop(result.size() >= 2 && result.at(result.size() - 1).isLowSurrogate() ? 2 : 1);
    return result;
}

} // namespace

QString timeStamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyyMMdd_hhmmss_"));
}

QString safeName(const QString &name)
{
    QString result;
    for (const char32_t c : name.toUcs4()) {
        if (refused(c))
            result += QLatin1Char('_');
        else
            result += QString::fromUcs4(&c, 1);
    }
    return fitted(result);
}

QString automaticName(const QString &name)
{
    QString result = safeName(name);
    result.replace(QLatin1Char(' '), QLatin1Char('_'));
    result.replace(QLatin1Char('-'), QLatin1Char('_'));
    return result;
}

bool createNew(QFile &file, const QString &folder, const QString &stem, const QString &extension)
{
    const QDir dir(folder);
    for (int n = 0; n <= maxCollisions; ++n) {
        const QString suffix = n == 0 ? QString() : QStringLiteral("_%1").arg(n);
        file.setFileName(dir.filePath(stem + suffix + extension));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return true;
        // Only a name that is taken is worth another try; anything else fails for every name.
        if (!QFileInfo::exists(file.fileName()))
            return false;
    }
    return false;
}

bool writeAll(QFile &file, const QByteArray &bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

void closeRecording(QFile &file, qint64 written)
{
    if (!file.isOpen())
        return;
    if (written == 0) {
        file.remove();
        return;
    }
    if (file.size() > written)
        file.resize(written);
    file.close();
}

QString writeNew(const QString &folder, const QString &stem, const QString &extension, const QByteArray &bytes)
{
    QFile file;
    if (!createNew(file, folder, stem, extension))
        return QString();
    const bool written = writeAll(file, bytes);
    file.close();
    if (written && file.error() == QFileDevice::NoError)
        return file.fileName();
    file.remove();
    return QString();
}

} // namespace recordFiles
