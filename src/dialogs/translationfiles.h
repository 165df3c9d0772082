#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Finds the program's translation files: <base>*_<code>.qm in the given folders.
namespace translationFiles {

struct entry {
    QString name;  // base name, "_", language code
    QString code;
    QString path;  // absolute file path
};

// Beside the program (also the build folder), then the installed place
// <prefix>/share/dxcamviewer/translations.
QStringList defaultFolders();

// The text between the first '_' and the first '.'; empty when the '.' comes first.
QString codeOf(const QString &fileName);

// Folder by folder, each in name order; a code found once is not taken again from a later folder.
QList<entry> find(const QStringList &folders, const QString &baseName);

// The first entry whose code starts with "en", -1 for none.
int englishIndex(const QList<entry> &entries);

} // namespace translationFiles
