#pragma once

#include <QString>

// The global settings of the [Window] and [System] sections, under their INI key names.
// The main window owns the one instance; camera records and dialogs read it through a pointer,
// so a change is seen everywhere at once. Initial values are the built-in ones that a missing
// key keeps.
struct shellSettings {
    // [Window]
    double x = 0;
    double y = 0;
    double width = 400;
    double height = 400;
    double hx = 0;
    double hy = 0;
    double hwidth = 400;
    double hheight = 400;
    bool Auto_Popup = false;
    bool Toolbar = false;
    int Timeout = 5;
    bool Autohide = false;
    bool Flanke = false;
    bool OwnPopWin = false;
    bool min_Alle = false;
    bool pop_Alle = false;
    bool closeEn = false;
    int nPicCol = 1;
    int nPicRow = 1;
    int dispForm = 0;
    int TextGroese = 0;
    int scaleMode = 0;
    bool einzelBild = false;
    bool stopInHide = false;
    bool BildRahmeEin = false;

    // [System]
    bool RemoteCtrl = false;
    QString ButtonText;
    QString ImageFolder;
    bool Autosave = false;
    bool SoundEn = false;
    QString Soundfile;
    bool AlarmBildSaveEn = false;
    bool BildAllSaveEn = false;
    int language = -1;
    QString ownIP;
    int FaVers = 0;
    int SavePrintBtnEn = 1;
    bool HideStartEn = false;
    bool trayEn = true;
    bool NotifyEn = true;  // door calls also as desktop notifications; missing in older files
    int HistoryDays = 90;  // the call history keeps events this many days ...
    int HistoryMB = 500;   // ... and at most this many MiB of their pictures
};
