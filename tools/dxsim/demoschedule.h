#pragma once

#include <QObject>
#include <QTimer>

class CommandConsole;

// Plays a door call and an input change every 40 s so that the viewer's popups can be watched
// without typing: call at 4 s, hang-up at 12 s, input 1 of camera 2 on at 20 s, off at 26 s.
class DemoSchedule : public QObject {
    Q_OBJECT
public:
    DemoSchedule(CommandConsole *console, int cameras, QObject *parent = nullptr);
    void start();

private:
    void step();

    CommandConsole *console;
    int inputCamera;
    int second = 0;
    QTimer timer;
};
