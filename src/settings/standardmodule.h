#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The module "CAM hinzufügen" creates, with the names and addresses of the edition, and the
// reasons none can be created.
struct standardModule {
    Q_DECLARE_TR_FUNCTIONS(standardModule)

public:
    QString camName;
    QString camAddress;
    QString sipName;
    QString sipAddress;

    static standardModule forEdition(int FaVers);
    // Why no standard module can join modules of these names: its name is taken, or there are
    // moduleMax already. Empty when it can.
    static QString refusal(const QStringList &camNames, int FaVers, int moduleMax);
};
