#include "autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString entryName = QStringLiteral(DXCAM_APP_ID ".desktop");

QString userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

QString systemEntryPath()
{
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        const QString path = folder + QStringLiteral("/autostart/") + entryName;
        if (folder != user && QFileInfo::exists(path))
            return path;
    }
    return QString();
}

// An entry starts the program unless its [Desktop Entry] group hides or disables it.
bool entryStarts(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inMainGroup = false;
    // An autostart entry is a few hundred bytes; stop at a sane bound on a hostile file.
    for (int lines = 0; !file.atEnd() && lines < 1000; ++lines) {
        const QString line = QString::fromUtf8(file.readLine(4096)).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if ((key == QLatin1String("Hidden") && value == QLatin1String("true"))
            || (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false")))
            return false;
    }
    return true;
}

QString quotedArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (const QChar c : argument)
        quote = quote || reserved.contains(c);
    QString text;
    for (const QChar c : argument) {
        if (c == QLatin1Char('%'))
            text += QLatin1Char('%');
        else if (quote && QStringLiteral("\"`$\\").contains(c))
            text += QLatin1Char('\\');
        text += c;
    }
    return quote ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

bool hasControlCharacter(const QStringList &command)
{
    for (const QString &argument : command) {
        for (const QChar c : argument) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                return true;
        }
    }
    return false;
}

} // namespace

autoStart::autoStart(const QString &program, const QString &configFile)
    : command{program}
{
    if (!configFile.isEmpty())
        command << QStringLiteral("--config") << QFileInfo(configFile).absoluteFilePath();
}

QString autoStart::entryPath() const
{
    return userFolder() + QLatin1Char('/') + entryName;
}

bool autoStart::isEnabled() const
{
    if (QFileInfo::exists(entryPath()))
        return entryStarts(entryPath());
    const QString system = systemEntryPath();
    return !system.isEmpty() && entryStarts(system);
}

bool autoStart::setEnabled(bool on)
{
    if (on)
        return writeEntry(false);
    const QString system = systemEntryPath();
    if (!system.isEmpty() && entryStarts(system))
        return writeEntry(true);
    return !QFileInfo::exists(entryPath()) || QFile::remove(entryPath());
}

QString autoStart::execLine(const QStringList &command)
{
    QStringList arguments;
    for (const QString &argument : command)
        arguments << quotedArgument(argument);
    // The string escapes of a desktop entry apply before the quoting is read.
    return arguments.join(QLatin1Char(' ')).replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

bool autoStart::writeEntry(bool hidden) const
{
    // A line break in the program's path would end the Exec line and forge further keys.
    if (hasControlCharacter(command) || !QDir().mkpath(userFolder()))
        return false;
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=DX-CAM Viewer\n"
                                  "Comment=Door camera viewer, started at login\n"
                                  "Comment[de]=Türkamera-Viewer, beim Anmelden gestartet\n"
                                  "Icon=" DXCAM_APP_ID "\n"
                                  "Terminal=false\n"
                                  "X-GNOME-Autostart-enabled=true\n");
    text += QStringLiteral("Exec=") + execLine(command) + QLatin1Char('\n');
    if (hidden)
        text += QStringLiteral("Hidden=true\n");
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
