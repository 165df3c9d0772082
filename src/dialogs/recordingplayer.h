#pragma once

#include <QDialog>
#include <QFutureWatcher>
#include <QImage>
#include <QTimer>

#include <memory>
#include <optional>

class recordingPlayback;

namespace Ui {
class recordingPlayer;
}

// The small player of "Aufnahme ansehen": the automatic recording around a door call from
// 10 s before it, with play, pause, a picture back and forth, a time line with the call marked
// and the wall time of the picture shown. Files are opened and pictures decoded on the thread
// pool (recordingPlayback), one request at a time, so that a large file never holds up the tick;
// a request made meanwhile waits, and a newer one of the same kind replaces it.
class recordingPlayer : public QDialog {
    Q_OBJECT

public:
    explicit recordingPlayer(QWidget *parent = nullptr);
    // Waits for the request on its way.
    ~recordingPlayer() override;

    void play(const QString &folder, const QString &stem, qint64 momentMs, const QString &caption);
    void retranslate();

    // What is shown (tests).
    bool working() const { return watcher.isRunning() || pending.has_value(); }
    bool isPlaying() const { return playing; }
    int shownIndex() const { return shown.index; }
    qint64 shownMs() const { return shown.ms; }
    QString shownReason() const { return shown.reason; }

public slots:
    void stepBy(int delta);
    void seekTo(qint64 wallMs);
    void setPlaying(bool on);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    enum class op { open, seek, step, refresh, redraw };
    struct request {
        op what = op::redraw;
        qint64 value = 0;
    };
    struct result {
        bool ok = false;
        bool moved = false;
        QString reason;
        QImage image;
        int index = 0;
        int count = 0;
        qint64 ms = 0;
        qint64 firstMs = 0;
        qint64 lastMs = 0;
        qint64 momentMs = 0;
    };

    void ask(request next);
    void start(request next);
    void finished();
    void present(const result &r);
    void nextPicture();

    Ui::recordingPlayer *ui;
    std::shared_ptr<recordingPlayback> playback;
    QFutureWatcher<result> watcher;
    std::optional<request> pending;
    request running;
    result shown;
    QTimer clock;
    bool playing = false;
    QString folder;
    QString stem;
    qint64 moment = 0;
};
