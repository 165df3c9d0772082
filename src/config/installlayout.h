#pragma once

#include <QString>

// Whether the program runs installed or from its build folder. An installed program lies in the
// bin/ folder of a prefix that also holds its data folder share/dxcamviewer/ (as /usr/bin and
// /usr/share/dxcamviewer). Writability says nothing here: root may write to /usr/bin, and a
// copy in a read-only build folder is still no installation.
class installLayout
{
public:
    static bool isInstalled(const QString &programPath);
    static QString dataFolder(const QString &programPath);
};
