#pragma once

#include "modulestatus.h"

#include <QByteArray>
#include <QString>

// Reads the status datagrams that camera/IO and intercom modules send ("17#A1@1000xy",
// "3#07@100\r\n", ...) and records their effect on a module record's status flags. Nothing is
// shown or sent from here: the popup logic and the tile overlay consume the flags on the tick.
class statusParser {
public:
    // popupSelection: CAM_popup for the camera/IO record, SIP_popup (bit mask) for the intercom
    // record; rec.isSipModule tells which. calleeList/allRufNr form the callee filter of call
    // events. summary (optional) receives a diagnostic text. Returns whether the datagram was
    // recognised.
    static bool parse(moduleStatus &rec, int popupSelection, const QString &calleeList, bool allRufNr,
                      const QByteArray &datagram, QString *summary = nullptr);

    // The callee number carried by a call event's payload (the bytes after '@').
    static QString extractCallee(const QByteArray &payload);
    static bool calleeMatches(const QString &callee, const QString &calleeList, bool allRufNr);

private:
    static void callEvent(moduleStatus &rec, const QString &calleeList, bool allRufNr,
                          const QByteArray &payload, QString *summary);
    static void callEnd(moduleStatus &rec);
    static void ioReport(moduleStatus &rec, int camPopup, const QByteArray &payload, QString *summary);
};
