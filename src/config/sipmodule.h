#pragma once

#include "modulestatus.h"

#include <QHostAddress>
#include <QString>

// The intercom (SIP) module half of a module record, fields named by their INI keys.
struct sipModule {
    sipModule() { status.isSipModule = true; }

    QString sipName;
    QString SIP_IP;
    QString URL;
    bool addressIsIp = false;
    QHostAddress hostAddress;
    QString SIP_User;
    QString SIP_Password;          // clear text
    QString storedSipPassword;     // as stored in the INI file (scrambled)
    int UDP_Status_SIP = 8112;
    int UDP_Contrl_SIP = 8113;
    int Relais_timeSIP = 3;
    int Relais_timeSIPI = 30;
    int SIP_popup = 0;
    int SIP_tuer = 0;
    int SIP_light = 0;
    QString SIP_Callee = QStringLiteral("100,200");
    bool allRufNr = false;
    moduleStatus status;

    QString addressText() const { return URL.isEmpty() ? SIP_IP : URL; }
};
