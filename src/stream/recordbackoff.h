#pragma once

#include <functional>

// When a recording may try a new file after a write failed (a full disk, a file-size limit),
// counted in the recorder's control runs (about every 3 s). While a failure is pending, each run
// looks whether the folder has room (a cheap look, no file made): while it has none no file is
// tried, and the run that finds room again tries at once. Where the look cannot see the fault
// (there seems to be room, and writing fails all the same), the next file waits 1, 2, 4 ... runs,
// at most longestWaitRuns (about five minutes). A picture written in full ends the waiting. So
// a disk that stays full costs no new empty file every few seconds, and recording resumes
// within a run of there being room again.
class recordBackoff {
public:
    static constexpr int longestWaitRuns = 100;

    void failed();
    void succeeded() { wait = 0; }
    // One control run: true when a file may be tried now. room is asked only while a failure
    // is pending.
    bool mayTry(const std::function<bool()> &room);
    // Runs between the last failure and the next attempt while the look finds room; 0 while
    // none failed.
    int waitRuns() const { return wait; }

private:
    int wait = 0;
    int waited = 0;
    bool full = false;  // the last look found no room
};
