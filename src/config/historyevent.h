#pragma once

#include <QString>
#include <QtGlobal>

// One door call or IO alarm as the call history keeps it. Times are milliseconds since the epoch
// (UTC); 0 where not (yet) known.
struct historyEvent {
    // What the station or module reported first.
    enum class kind { beingCalled = 1, calling = 2, conversation = 3, input1 = 4, input2 = 5 };

    qint64 id = 0;  // the tracker's key in a session; the row's key once read back from the store
    kind what = kind::calling;
    qint64 startMs = 0;
    qint64 endMs = 0;          // 0 while it lasts
    bool endReported = false;  // the module reported the end (else it ended after the time-out)
    QString camName;           // the camera
    QString moduleName;        // the door station (intercom module) or the camera/IO module
    QString station;           // that module's address
    QString callee;            // the number called, calls only

    // What happened while it lasted.
    bool shown = false;      // the main window or the popup window showed its camera
    bool userShown = false;  // the user brought the window up (tray, notification, second start)
    bool talked = false;     // the station reported a conversation
    qint64 doorMs = 0;       // the door was opened from the viewer (first time)
    int doorOutput = 0;      // through this output (numbering of the door and light keys)
    bool light = false;
    bool panel = false;  // the command panel was opened over its camera or used for it
    bool hungUp = false;

    // The caller's picture: file names in the history's picture folder, or why there is none.
    QString picture;
    QString thumbnail;
    qint64 pictureBytes = 0;
    QString noPicture;

    // Where the camera's automatic recording lay at the start (empty when it recorded nothing).
    QString recordFolder;
    QString recordStem;

    // Nothing more will come for it in this session (the tracker's note to the writer).
    bool done = false;

    bool ended() const { return endMs > 0; }
    // Nobody answered it: no conversation, and nothing done from the viewer.
    bool missed() const
    {
        return ended() && !userShown && !talked && doorMs == 0 && !light && !panel && !hungUp;
    }
    bool isCall() const { return what == kind::beingCalled || what == kind::calling || what == kind::conversation; }
};
