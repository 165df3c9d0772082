#pragma once

#include <QCoreApplication>
#include <QString>

class cameraSource;

// What the tool tip and the statistics say of each of a camera's two streams.
class streamSummary {
    Q_DECLARE_TR_FUNCTIONS(streamSummary)

public:
    // of: the stream's source, null while it is not connected; why: its reason for showing
    // nothing; rate: pictures a second.
    static QString line(bool sub, const cameraSource *of, const QString &why, double rate);
    // Both lines, and the time the last switch took when there was one (switchMs >= 0).
    static QString both(const QString &mainLine, const QString &subLine, qint64 switchMs, const QString &separator);
};
