#include "consoleoutput.h"

#include <cstdio>

void ConsoleOutput::line(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void ConsoleOutput::error(const QString &text)
{
    std::fputs("dxsim: ", stderr);
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
