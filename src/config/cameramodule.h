#pragma once

#include "modulestatus.h"

#include <QHostAddress>
#include <QString>

// The camera/IO module half of a module record, fields named by their INI keys.
struct cameraModule {
    QString camName;
    QString IP;
    QString URL;
    bool addressIsIp = false;
    QHostAddress hostAddress;      // resolved from the address text; invalid for a URL
    QString CAM_User;
    QString CAM_Password;          // clear text
    QString storedCamPassword;     // as stored in the INI file (scrambled)
    QString Picture_User;
    QString Picture_Password;
    int UDP_Status_CAM = 5000;
    int UDP_Contrl_CAM = 4005;
    int Relais_timeCAM = 2;
    int Relais_timeCAMI = 20;
    int camTip = 0;
    int CAM_popup = 3;
    int CAM_tuer = 0;
    int CAM_light = 0;
    int prior = 0;
    bool CAMautoSaveEn = false;
    int n_Bild_Freq = 15;
    int selFreqTip = 0;
    bool CAMsaveBeweg = false;
    int stopTimeBeweg = 0;
    QString dirCamBild;
    // SHA-256 of the certificate the user trusted for this camera although it does not verify
    // ("AB:CD:…"); empty: none.
    QString CAM_Fingerprint;
    // The camera's small second stream for the grid (same login; an IPv4 address gets the main
    // address's rule); empty: the grid shows the main stream as well.
    QString URL_Sub;
    // Recording takes the small stream instead of the main one.
    bool CAM_RecSub = false;
    // The address for which the user declined a certificate that does not verify (not stored):
    // it is neither asked for nor connected again until the address changes or this is cleared.
    QString certificateDeclinedFor;
    QString callee = QStringLiteral("100,200");  // counterpart of SIP_Callee, never stored
    bool allRufNr = false;
    bool startupMark = false;
    moduleStatus status;

    QString addressText() const { return URL.isEmpty() ? IP : URL; }
    // The address as shown and logged: a URL's password left out, its user kept.
    QString shownAddress() const { return withoutPassword(addressText()); }
    static QString withoutPassword(const QString &address);
    // A URL without its login (user and password), so that the module's login is the one sent.
    static QString withoutLogin(const QString &address);
};
