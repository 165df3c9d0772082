#pragma once

#include <QDialog>
#include <QList>

class camData;
class QTime;

namespace Ui {
class service;
}

// "Service Daten": per camera the pictures received and displayed, the picture rates and why it
// shows no picture, and one line of door state. The main window's tick opens it and refreshes it while it is visible.
class service : public QDialog {
    Q_OBJECT

public:
    static constexpr int columns = 7;

    explicit service(QWidget *parent = nullptr);
    ~service() override;

    void setRow(int row, const QString &name, const QString &address);
    void setCounts(int row, qint64 received, qint64 displayed);
    void setRates(int row, const QString &average, const QString &current);
    void setInfo(const QString &text);

    // Opening: every camera's counters and rate samples start again from zero now.
    void prepare(const QList<camData *> &cameras, const QTime &now);
    // One row per camera in list order, as the list is now.
    void refresh(const QList<camData *> &cameras);

    // Rates are held in tenths of a picture per second.
    static QString rateText(qint64 tenths);
    // "-" while the camera has no rate sample.
    static QString averageText(qint64 sum, int samples);
    static QString currentText(double rate, int samples);
    static QString infoLine(int doorOutput, qint64 seconds);
    static QString stateText(const camData &camera);

    QString cellText(int row, int column) const;
    QString info() const;
    void retranslate();

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_servCancPB_clicked();

private:
    void setCell(int row, int column, const QString &text);

    Ui::service *ui;
    bool widthsStale = false;
};
