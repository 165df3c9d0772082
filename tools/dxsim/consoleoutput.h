#pragma once

#include <QString>

// Every line goes out flushed at once: scripts and tests read stdout through a pipe and wait
// for a line, so nothing may linger in a buffer.
class ConsoleOutput {
public:
    static void line(const QString &text);
    static void error(const QString &text);
};
