#include "translationfiles.h"

#include "installlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace translationFiles {

QStringList defaultFolders()
{
    const QString program = QCoreApplication::applicationFilePath();
    return {QCoreApplication::applicationDirPath(), installLayout::dataFolder(program) + QStringLiteral("/translations")};
}

QString codeOf(const QString &fileName)
{
    const qsizetype underscore = fileName.indexOf(QLatin1Char('_'));
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    if (underscore < 0 || dot < 0 || underscore >= dot)
        return QString();
    return fileName.mid(underscore + 1, dot - underscore - 1);
}

QList<entry> find(const QStringList &folders, const QString &baseName)
{
    QList<entry> found;
    QStringList codes;
    for (const QString &folder : folders) {
        const QDir dir(folder);
        const QFileInfoList files = dir.entryInfoList({baseName + QStringLiteral("*_*.qm")},
                                                      QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo &file : files) {
            const QString code = codeOf(file.fileName());
            if (code.isEmpty() || codes.contains(code))
                continue;
            codes.append(code);
            found.append({baseName + QLatin1Char('_') + code, code, file.absoluteFilePath()});
        }
    }
    return found;
}

int englishIndex(const QList<entry> &entries)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].code.startsWith(QLatin1String("en")))
            return i;
    }
    return -1;
}

} // namespace translationFiles
