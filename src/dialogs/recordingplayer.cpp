#include "recordingplayer.h"
#include "ui_recordingplayer.h"

#include "recordingplayback.h"

#include <QDateTime>
#include <QPixmap>
#include <QSignalBlocker>
#include <QtConcurrent>

namespace {

// At the end of a file still being written, playing looks for more this often.
constexpr int waitForMoreMs = 500;
constexpr int fastestMs = 20;
constexpr int slowestMs = 1000;

QString wallText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss.zzz"));
}

}  // namespace

recordingPlayer::recordingPlayer(QWidget *parent) : QDialog(parent), ui(new Ui::recordingPlayer)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    clock.setSingleShot(true);
    connect(&clock, &QTimer::timeout, this, &recordingPlayer::nextPicture);
    connect(&watcher, &QFutureWatcher<result>::finished, this, &recordingPlayer::finished);
    connect(ui->backPB, &QPushButton::clicked, this, [this] { stepBy(-1); });
    connect(ui->forwardPB, &QPushButton::clicked, this, [this] { stepBy(1); });
    connect(ui->playPB, &QPushButton::clicked, this, [this] { setPlaying(!playing); });
    connect(ui->closePB, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->timeS, &QSlider::sliderMoved, this, [this](int value) { seekTo(shown.firstMs + value); });
    present(shown);
}

recordingPlayer::~recordingPlayer()
{
    watcher.waitForFinished();
    delete ui;
}

void recordingPlayer::play(const QString &recordFolder, const QString &recordStem, qint64 momentMs,
                           const QString &caption)
{
    setPlaying(false);
    watcher.waitForFinished();
    pending.reset();
    folder = recordFolder;
    stem = recordStem;
    moment = momentMs;
    playback = std::make_shared<recordingPlayback>();
    ui->captionL->setText(caption);
    shown = result();
    ui->pictureL->setText(tr("Die Aufnahme wird geöffnet ..."));
    ask({op::open, 0});
}

void recordingPlayer::retranslate()
{
    ui->retranslateUi(this);
    ui->playPB->setText(playing ? tr("Pause") : tr("Abspielen"));
}

void recordingPlayer::stepBy(int delta)
{
    setPlaying(false);
    ask({op::step, delta});
}

void recordingPlayer::seekTo(qint64 wallMs)
{
    ask({op::seek, wallMs});
}

void recordingPlayer::setPlaying(bool on)
{
    playing = on;
    ui->playPB->setText(playing ? tr("Pause") : tr("Abspielen"));
    if (playing)
        nextPicture();
    else
        clock.stop();
}

void recordingPlayer::nextPicture()
{
    if (playing)
        ask({op::step, 1});
}

void recordingPlayer::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (shown.ok)
        ask({op::redraw, 0});
}

void recordingPlayer::hideEvent(QHideEvent *event)
{
    setPlaying(false);
    QDialog::hideEvent(event);
}

void recordingPlayer::ask(request next)
{
    if (!playback)
        return;
    if (watcher.isRunning()) {
        pending = next;
        return;
    }
    start(next);
}

void recordingPlayer::start(request next)
{
    running = next;
    const QSize fit = ui->pictureL->size();
    watcher.setFuture(QtConcurrent::run(
        [pb = playback, next, fit, folder = folder, stem = stem, moment = moment]() {
            result r;
            switch (next.what) {
            case op::open:
                if (!pb->open(folder, stem, moment))
                    r.reason = pb->reason();
                break;
            case op::seek:
                pb->seek(next.value);
                break;
            case op::step:
                r.moved = pb->step(int(next.value));
                // The end of a file being written: what was added since.
                if (!r.moved && next.value > 0 && pb->refresh())
                    r.moved = pb->step(int(next.value));
                break;
            case op::refresh:
                r.moved = pb->refresh();
                break;
            case op::redraw:
                break;
            }
            r.ok = pb->count() > 0;
            if (!r.ok)
                return r;
            r.image = pb->picture(fit);
            r.index = pb->index();
            r.count = pb->count();
            r.ms = pb->currentMs();
            r.firstMs = pb->firstMs();
            r.lastMs = pb->lastMs();
            r.momentMs = pb->momentMs();
            return r;
        }));
}

void recordingPlayer::finished()
{
    result r = watcher.result();
    if (!r.ok && r.reason.isEmpty())
        r.reason = shown.reason;
    const qint64 previousMs = shown.ms;
    present(r);
    if (pending) {
        const request next = *pending;
        pending.reset();
        start(next);
        return;
    }
    if (!playing || running.what != op::step)
        return;
    // The next picture after as long as the last two were apart (bounded), or later at the end.
    const int interval = r.moved ? int(qBound(qint64(fastestMs), r.ms - previousMs, qint64(slowestMs))) : waitForMoreMs;
    clock.start(interval);
}

void recordingPlayer::present(const result &r)
{
    shown = r;
    for (QWidget *w : std::initializer_list<QWidget *>{ui->backPB, ui->forwardPB, ui->playPB, ui->timeS})
        w->setEnabled(r.ok);
    if (!r.ok) {
        ui->pictureL->setPixmap(QPixmap());
        ui->pictureL->setText(r.reason);
        ui->timeL->clear();
        return;
    }
    ui->pictureL->setPixmap(QPixmap::fromImage(r.image));
    ui->timeL->setText(wallText(r.ms));
    const QSignalBlocker quiet(ui->timeS);
    ui->timeS->setRange(0, int(qMax<qint64>(0, r.lastMs - r.firstMs)));
    ui->timeS->setValue(int(r.ms - r.firstMs));
    ui->timeS->setMark(int(r.momentMs - r.firstMs));
}
