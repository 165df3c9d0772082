#pragma once

// When a recording may try a new file after a write failed (a full disk, a file-size limit),
// counted in the recorder's control runs (about every 3 s): at the next run, then after 2, 4,
// 8 ... runs, at most every longestWaitRuns runs (about five minutes); a picture written in full
// ends the waiting. A disk that stays full so costs a handful of attempts an hour instead of a
// new empty file every few seconds.
class recordBackoff {
public:
    static constexpr int longestWaitRuns = 100;

    void failed();
    void succeeded() { wait = 0; }
    // One control run: true when a file may be tried now.
    bool mayTry();
    // Runs between the last failure and the next attempt; 0 while none failed.
    int waitRuns() const { return wait; }

private:
    int wait = 0;
    int waited = 0;
};
