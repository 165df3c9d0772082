#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One viewer per INI file: two would share the status ports and overwrite each other's file.
// The first viewer listens on a local socket named after its INI file; a later start with the
// same file asks it to show its window, open its settings or end, and then leaves.
class singleInstance : public QObject {
    Q_OBJECT

public:
    enum class command { show, settings, quit };
    enum class quitOutcome { notRunning, ended, stillRunning };

    explicit singleInstance(const QString &iniPath, QObject *parent = nullptr);

    // True when another viewer of this INI file answered and was given the command.
    bool askRunningViewer(command what = command::show, int timeoutMs = 1000) const;
    // Asks the running viewer to end and waits until it has: its end closes the connection.
    quitOutcome askToQuit(int timeoutMs) const;
    // Starts listening; false when the name could not be taken.
    bool listen();
    QString serverName() const { return name; }

signals:
    void showRequested();
    void settingsRequested();
    void quitRequested();

private:
    void readRequest();
    void serve(QLocalSocket *socket);

    QString name;
    QLocalServer *server = nullptr;
};
