#include "standardmodule.h"

standardModule standardModule::forEdition(int FaVers)
{
    if (FaVers == 1)
        return {QStringLiteral("HRM-410 Default"), QStringLiteral("192.168.0.200"), QStringLiteral("HSM-410 Default"),
                QStringLiteral("192.168.0.210")};
    return {QStringLiteral("Standard CAM"), QStringLiteral("192.168.1.180"), QStringLiteral("Standard SIP"),
            QStringLiteral("192.168.1.200")};
}

QString standardModule::refusal(const QStringList &camNames, int FaVers, int moduleMax)
{
    if (camNames.contains(forEdition(FaVers).camName))
        return tr("Das Standard-Modul konnte nicht angelegt werden.\nEin Modul mit gleichem Namen existiert bereits.");
    // More would run until the next start and then be left out of the file.
    if (camNames.size() >= moduleMax)
        return tr("Es können höchstens %1 Module angelegt werden.").arg(moduleMax);
    return QString();
}
