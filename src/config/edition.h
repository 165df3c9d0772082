#pragma once

#include <QString>
#include <QStringList>

// Branding chosen by the edition number FaVers: window icon, title and the camera type names
// offered for a module. Texts are untranslated source texts; callers pass them through tr.
struct edition {
    QString iconPath;
    const char *title = nullptr;
    QList<const char *> cameraTypes;

    // Any number other than 1 and 2 is the standard edition.
    static edition forVersion(int FaVers);

    // The edition's icon as the desktop has it installed (a themed icon name).
    static QString installedIconName(int FaVers);

    QString translatedTitle() const;
    QStringList translatedCameraTypes() const;
};
