#include "installlayout.h"

#include <QDir>
#include <QFileInfo>

bool installLayout::isInstalled(const QString &programPath)
{
    const QFileInfo program(programPath);
    if (!program.isAbsolute() || program.absoluteDir().dirName() != QLatin1String("bin"))
        return false;
    return QFileInfo(dataFolder(programPath)).isDir();
}

QString installLayout::dataFolder(const QString &programPath)
{
    return QDir::cleanPath(QFileInfo(programPath).absolutePath() + QStringLiteral("/../share/dxcamviewer"));
}
