#pragma once

#include <QString>
#include <QStringList>

// The timing trace of one camera, kept while the trace switch is on: a line per read, stamped
// as the read's pictures are cut, decoded and put on the tile, plus the camera's reason lines.
class readTrace {
public:
    // The main window's trace switch; without one nothing is traced.
    void wire(const bool *traceSwitch) { enabledBy = traceSwitch; }
    bool enabled() const { return enabledBy && *enabledBy; }

    // A read begins a line: "<name>   :: n[v=<rate>,rd=<extracted>,ok=<displayed>] (Rd-> <time> ."
    void startLine(const QString &camName, qint64 perRate, qint64 extracted, qint64 displayed);
    // "%2d,%2d,%3d" of minute, second and millisecond, between `before` and `after`.
    void stamp(const char *before, const char *after);
    // How long the picture now put on the tile took since the camera sent it, and since it was
    // decoded and scaled (milliseconds since the epoch): " Lat=<ms>,<ms>".
    void addLatency(qint64 sentMs, qint64 decodedMs);
    // A read that brought nothing leaves no line.
    void dropLine() { line.clear(); }
    // The line of this tick's read, if any, is complete.
    void finishLine();
    void append(const QString &text);
    QStringList takeLines();

private:
    const bool *enabledBy = nullptr;
    QString line;
    QStringList lines;
};
