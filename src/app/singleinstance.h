#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One viewer per INI file: two would share the status ports and overwrite each other's file.
// The first viewer listens on a local socket named after its INI file; a second start with the
// same file asks it to show its window and then leaves.
class singleInstance : public QObject {
    Q_OBJECT

public:
    explicit singleInstance(const QString &iniPath, QObject *parent = nullptr);

    // True when another viewer of this INI file answered and was asked to show itself.
    bool askRunningViewer(int timeoutMs = 1000) const;
    // Starts listening; false when the name could not be taken.
    bool listen();
    QString serverName() const { return name; }

signals:
    void showRequested();

private:
    void readRequest();

    QString name;
    QLocalServer *server = nullptr;
};
