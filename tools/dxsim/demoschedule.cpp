#include "demoschedule.h"

#include "commandconsole.h"
#include "consoleoutput.h"

namespace {

constexpr int period = 50;

} // namespace

DemoSchedule::DemoSchedule(CommandConsole *console, int cameras, QObject *parent)
    : QObject(parent), console(console), inputCamera(cameras >= 2 ? 2 : 1)
{
    timer.setInterval(1000);
    connect(&timer, &QTimer::timeout, this, &DemoSchedule::step);
}

void DemoSchedule::start()
{
    ConsoleOutput::line(QStringLiteral("demo: every %1 s: call at 12 s, hang-up at 22 s, input on at 34 s, off at 40 s").arg(period));
    timer.start();
}

void DemoSchedule::step()
{
    second = (second + 1) % period;
    QString command;
    switch (second) {
    case 12: command = QStringLiteral("call 1 100"); break;
    case 22: command = QStringLiteral("hangup 1"); break;
    case 34: command = QStringLiteral("input %1 1 on").arg(inputCamera); break;
    case 40: command = QStringLiteral("input %1 1 off").arg(inputCamera); break;
    default: return;
    }
    ConsoleOutput::line(QStringLiteral("demo: %1 -> %2").arg(command, console->execute(command)));
}
