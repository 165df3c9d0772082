#pragma once

#include <QWidget>

class QLabel;

// The small notice that tells the user the program stays in the system tray after its window
// was closed, and how to leave it; on a desktop without a tray, how to come back and how to leave.
class ownMsgBox : public QWidget {
    Q_OBJECT

public:
    ownMsgBox(const QIcon &icon, const QString &title);
    void setEdition(const QIcon &icon, const QString &title);
    void retranslate();
    void setTrayShown(bool shown);
    QString text() const;

public slots:
    void butErg();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    QLabel *label;
    bool trayShown = true;
};
