#include "autorecorder.h"
#include "filesizelimit.h"
#include "manualrecorder.h"
#include "recordingsamples.h"
#include "testcamera.h"
#include "../modules/tracecapture.h"

#include <QDir>
#include <optional>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

namespace {

// Files of a folder in name order (the time stamp, then "_1", "_2", ...).
QStringList recordings(const QString &folder)
{
    QStringList paths;
    for (const QString &name : QDir(folder).entryList({QStringLiteral("*.MJPEG")}, QDir::Files, QDir::Name))
        paths << QDir(folder).filePath(name);
    return paths;
}

// One camera's recorder in a folder of its own, with a clock the test moves.
struct rig {
    QTemporaryDir dir;
    cameraModule module;
    autoRecorder recorder{module};
    qint64 nowMs = 0;
    bool motionEvent = false;

    rig()
    {
        module.camName = QStringLiteral("Tor-1 Ost");
        module.dirCamBild = dir.path();
        module.CAMautoSaveEn = true;
        recorder.setClock([this] { return nowMs; });
    }
    // Opens the file and lets writing start, as the tick does.
    void start()
    {
        recorder.controlRecording(true);
        recorder.motionTick(motionEvent);
    }
};

// Two seconds of a small H.264 stream as cameras send it, parameter sets before each key
// picture, and those parameter sets as a session description gives them. The number of
// reference pictures sets two streams apart.
struct h264Sample {
    QByteArray parameters;
    QList<QByteArray> pictures;
};

h264Sample encodeH264(const char *references)
{
    h264Sample sample;
    const AVCodec *encoder = avcodec_find_encoder_by_name("libx264");
    AVCodecContext *codec = encoder ? avcodec_alloc_context3(encoder) : nullptr;
    AVFrame *frame = av_frame_alloc();
    AVPacket *packet = av_packet_alloc();
    codec->width = 64;
    codec->height = 48;
    codec->time_base = AVRational{1, 25};
    codec->gop_size = 25;
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    av_opt_set(codec->priv_data, "preset", "ultrafast", 0);
    av_opt_set(codec->priv_data, "x264-params", references, 0);
    frame->format = codec->pix_fmt;
    frame->width = codec->width;
    frame->height = codec->height;
    if (avcodec_open2(codec, encoder, nullptr) == 0 && av_frame_get_buffer(frame, 0) == 0) {
        for (int i = 0; i <= 50; ++i) {
            av_frame_make_writable(frame);
            for (int plane = 0; plane < 3; ++plane)
                memset(frame->data[plane], 16 + 4 * i * (plane + 1), frame->linesize[plane] * (plane ? 24 : 48));
            frame->pts = i;
            avcodec_send_frame(codec, i < 50 ? frame : nullptr);
            while (avcodec_receive_packet(codec, packet) == 0) {
                sample.pictures << QByteArray(reinterpret_cast<const char *>(packet->data), packet->size);
                av_packet_unref(packet);
            }
        }
    }
    // What comes before the key picture's first slice (NAL unit type 5).
    const QByteArray key = sample.pictures.value(0);
    for (int i = 0; i + 3 < key.size() && sample.parameters.isEmpty(); ++i) {
        if (key.mid(i, 3) == QByteArray("\0\0\1", 3) && (key[i + 3] & 0x1F) == 5)
            sample.parameters = key.left(i);
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    return sample;
}

// The presentation times (ms) of the packets in a Matroska file, in file order; for H.264,
// "no picture: " before them when its first packet does not decode.
QString packetTimes(const QString &path)
{
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return QStringLiteral("unreadable");
    const AVCodecParameters *par = format->streams[0]->codecpar;
    AVCodecContext *decoder = nullptr;
    if (par->codec_id == AV_CODEC_ID_H264) {
        decoder = avcodec_alloc_context3(avcodec_find_decoder(par->codec_id));
        avcodec_parameters_to_context(decoder, par);
        avcodec_open2(decoder, decoder->codec, nullptr);
    }
    QStringList times;
    AVPacket *packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
        if (decoder && times.isEmpty()) {
            AVFrame *frame = av_frame_alloc();
            avcodec_send_packet(decoder, packet);
            avcodec_send_packet(decoder, nullptr);
            if (avcodec_receive_frame(decoder, frame) < 0 || frame->width != 64)
                times << QStringLiteral("no picture:");
            av_frame_free(&frame);
        }
        times << QString::number(av_rescale_q(packet->pts, format->streams[0]->time_base, AVRational{1, 1000}));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return times.join(QLatin1Char(' '));
}

// An RTSP camera's packets as a script tells them, recorded automatically or by hand; returns
// the packet times of each file, files parted by " | ". "K0/0" is a key packet the camera times
// at 0 ms that arrived at 0 ms by the recorder's clock, "40/40" one that is no key, "-/40" one
// without the camera's time; "c" starts a new connection, "z" another picture size (H.264:
// other parameter sets); "p-/t" pauses at t and "p+/t" goes on (automatic recording: the motion
// window closes and opens). Motion-JPEG, unless the script begins with "h264" (parameter sets in
// the description) or "h264-inband" (in the stream only).
QString recordScript(const QString &script, bool byHand, qint64 maxSize)
{
    QTemporaryDir dir;
    cameraModule module;
    module.camName = QStringLiteral("Tor");
    module.dirCamBild = dir.path();
    module.CAMsaveBeweg = true;
    module.stopTimeBeweg = 0;
    module.status.statusChars[3] = '0';
    autoRecorder automatic(module);
    automatic.setPacketMode(true);
    automatic.setMaxSize(maxSize);
    wiredCamera wired;
    wired.camera.camModule.URL = QStringLiteral("rtsp://127.0.0.1/stream");
    wired.camera.camModule.IP.clear();
    manualRecorder manual;
    qint64 clockMs = 0;
    manual.setClock([&clockMs] { return clockMs; });
    manual.setMaxSize(maxSize);
    bool motion = true;
    if (byHand && (manual.prepareFolder(dir.path()) != manualRecorder::folderResult::ready
                   || !manual.attach(&wired.camera, true)))
        return QStringLiteral("not attached");
    automatic.controlRecording(!byHand);
    automatic.motionTick(motion);

    AVCodecParameters *par = avcodec_parameters_alloc();
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_MJPEG;
    par->width = 64;
    par->height = 48;
    static const h264Sample streams[] = {encodeH264("ref=1"), encodeH264("ref=3")};
    const h264Sample *h264 = nullptr;
    const auto useH264 = [&](const h264Sample &sample, bool described) {
        h264 = &sample;
        par->codec_id = AV_CODEC_ID_H264;
        av_freep(&par->extradata);
        par->extradata_size = described ? int(sample.parameters.size()) : 0;
        par->extradata = described ? static_cast<uint8_t *>(av_mallocz(sample.parameters.size() + AV_INPUT_BUFFER_PADDING_SIZE)) : nullptr;
        if (described)
            memcpy(par->extradata, sample.parameters.constData(), sample.parameters.size());
    };
    AVPacket *packet = av_packet_alloc();
    cameraPacket taken{packet, par, 1, 90000, 1, 0};
    for (const QString &token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString camera = token.section(QLatin1Char('/'), 0, 0);
        clockMs = token.section(QLatin1Char('/'), 1, 1).toLongLong();
        if (token.startsWith(QLatin1String("h264"))) {
            useH264(streams[0], token == QLatin1String("h264"));
        } else if (token == QLatin1String("c")) {
            ++taken.connection;
        } else if (token == QLatin1String("z")) {
            if (h264)
                useH264(streams[1], par->extradata_size > 0);
            else
                par->width = 80;
        } else if (camera == QLatin1String("p-") || camera == QLatin1String("p+")) {
            motion = camera == QLatin1String("p+");
            if (!byHand)
                automatic.motionTick(motion);
            else if (motion)
                manual.startRecording();
            else
                manual.pauseRecording();
        } else {
            const bool key = camera.startsWith(QLatin1Char('K'));
            const QByteArray payload = h264 ? h264->pictures.value(key ? 0 : 1) : QByteArray(100, 0x55);
            av_new_packet(packet, int(payload.size()));
            memcpy(packet->data, payload.constData(), payload.size());
            packet->flags = key ? AV_PKT_FLAG_KEY : 0;
            const QString time = camera.mid(packet->flags ? 1 : 0);
            packet->pts = time == QLatin1String("-") ? AV_NOPTS_VALUE : time.toLongLong() * 90;
            taken.arrivedMs = clockMs;
            if (byHand)
                manual.appendPacket(taken);
            else
                automatic.takePacket(taken);
            av_packet_unref(packet);
        }
    }
    av_packet_free(&packet);
    avcodec_parameters_free(&par);
    automatic.close();
    manual.stopRecording();
    QStringList files;
    for (const QString &name : QDir(dir.path()).entryList({QStringLiteral("*.mkv")}, QDir::Files, QDir::Name))
        files << packetTimes(dir.filePath(name));
    return files.join(QStringLiteral(" | "));
}

} // namespace

class tst_autoRecorder : public QObject {
    Q_OBJECT

private slots:
    void saveInterval_data();
    void saveInterval();
    void thinning_data();
    void thinning();
    void tickJitterKeepsEveryPicture();
    void noBurstAfterPause();
    void writeFaultBacksOff_data();
    void writeFaultBacksOff();
    void oneEveryThirtySeconds();
    void wanted_data();
    void wanted();
    void rollover();
    void motionWindow_data();
    void motionWindow();
    void vanishedFolder();
    void packetFiles_data();
    void packetFiles();
};

void tst_autoRecorder::saveInterval_data()
{
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("stopTime");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("frequencyAfter");
    QTest::addColumn<int>("unitAfter");
    QTest::addColumn<int>("stopTimeAfter");
    QTest::newRow("default 15 a second") << 15 << 0 << 3 << 66 << 15 << 0 << 3;
    QTest::newRow("2 a minute") << 2 << 1 << 0 << 30000 << 2 << 1 << 0;
    QTest::newRow("60 an hour") << 60 << 2 << 0 << 60000 << 60 << 2 << 0;
    QTest::newRow("3600 an hour is taken as 1000") << 3600 << 2 << 0 << 3600 << 1000 << 2 << 0;
    QTest::newRow("unit 5 is per second") << 10 << 5 << 0 << 100 << 10 << 0 << 0;
    QTest::newRow("0 is taken as 1") << 0 << 0 << 0 << 1000 << 1 << 0 << 0;
    QTest::newRow("above 1000 a second gives 1000, not 0 ms") << 5000 << 0 << 0 << 1 << 1000 << 0 << 0;
    QTest::newRow("stop time above 5000 s") << 1 << 0 << 3000000 << 1000 << 1 << 0 << 5000;
    QTest::newRow("negative stop time") << 1 << 0 << -4 << 1000 << 1 << 0 << 0;
}

void tst_autoRecorder::saveInterval()
{
    QFETCH(int, frequency);
    QFETCH(int, unit);
    QFETCH(int, stopTime);
    cameraModule module;
    module.n_Bild_Freq = frequency;
    module.selFreqTip = unit;
    module.stopTimeBeweg = stopTime;
    autoRecorder recorder(module);
    recorder.computeSaveInterval();
    QTEST(recorder.saveInterval(), "interval");
    QTEST(module.n_Bild_Freq, "frequencyAfter");
    QTEST(module.selFreqTip, "unitAfter");
    QTEST(module.stopTimeBeweg, "stopTimeAfter");
}

void tst_autoRecorder::thinning_data()
{
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("spanMs");
    QTest::addColumn<int>("fewest");
    QTest::addColumn<int>("most");
    // Pictures arrive every 40 ms (25 a second) for the span. Every interval gets its picture,
    // and at most one picture per interval is written from the start on.
    QTest::newRow("25 a second keeps every picture") << 25 << 0 << 9900 << 248 << 248;
    QTest::newRow("15 a second: one per 66 ms") << 15 << 0 << 9900 << 9860 / 66 + 1 << 9880 / 66 + 1;
    QTest::newRow("10 a second, unit 5 taken as seconds") << 10 << 5 << 9900 << 99 << 9880 / 100 + 1;
    QTest::newRow("5 a second, the first second too") << 5 << 0 << 1000 << 5 << 5;
    QTest::newRow("one a second, strictly") << 1 << 0 << 9900 << 10 << 10;
    QTest::newRow("1000 an hour: one per 3.6 s") << 1000 << 2 << 9900 << 3 << 3;
    QTest::newRow("1000 a second keeps every picture") << 1000 << 0 << 2000 << 50 << 50;
    QTest::newRow("0 a second taken as 1") << 0 << 0 << 9900 << 10 << 10;
}

void tst_autoRecorder::thinning()
{
    QFETCH(int, frequency);
    QFETCH(int, unit);
    QFETCH(int, spanMs);
    QFETCH(int, fewest);
    QFETCH(int, most);
    rig r;
    r.module.n_Bild_Freq = frequency;
    r.module.selFreqTip = unit;
    r.start();
    QVERIFY(r.recorder.recordingActive());
    for (r.nowMs = 0; r.nowMs < spanMs; r.nowMs += 40)
        r.recorder.takePicture(samplePicture(int(r.nowMs / 40)));
    QVERIFY2(r.recorder.picturesWritten() >= fewest && r.recorder.picturesWritten() <= most,
             qPrintable(QString::number(r.recorder.picturesWritten())));
    QCOMPARE(r.recorder.bytesWritten(), r.recorder.picturesWritten() * 1000);
}

void tst_autoRecorder::tickJitterKeepsEveryPicture()
{
    // A camera at the set rate: its first pictures read 1.5 s after the recording began, then
    // seen 0 to 3 at a tick, once a tick 300 ms late, once one 3 s late. Only a picture read
    // early before any was late can find no room: at most one per interval from the start.
    rig r;
    r.module.n_Bild_Freq = 25;
    r.start();
    int sent = 0;
    r.nowMs = 1500;
    while (sent < 1500 / 40)
        r.recorder.takePicture(samplePicture(sent++));
    const int perTick[] = {1, 1, 2, 0, 1, 0, 2, 1, 3, 0, 0, 1};
    for (int round = 0; round < 20; ++round) {
        for (int pictures : perTick) {
            for (int i = 0; i < pictures; ++i)
                r.recorder.takePicture(samplePicture(sent++));
            r.nowMs += 40;
        }
    }
    r.nowMs += 300;
    for (int i = 0; i < 8; ++i)
        r.recorder.takePicture(samplePicture(sent++));
    // A tick held up for 3 s: the pictures of those seconds come at once.
    r.nowMs += 3000;
    for (int i = 0; i < 3000 / 40; ++i)
        r.recorder.takePicture(samplePicture(sent++));
    QVERIFY2(r.recorder.picturesWritten() >= sent - 2, qPrintable(QString::number(sent - r.recorder.picturesWritten())));
    QVERIFY(r.recorder.picturesWritten() <= r.nowMs / 40 + 1);
}

// A camera that paused goes on at the set rate, without a burst of the time it was away.
void tst_autoRecorder::noBurstAfterPause()
{
    rig r;
    r.module.n_Bild_Freq = 5;
    r.start();
    for (r.nowMs = 0; r.nowMs < 2000; r.nowMs += 40)
        r.recorder.takePicture(samplePicture(int(r.nowMs / 40)));
    const qint64 before = r.recorder.picturesWritten();
    for (r.nowMs = 7000; r.nowMs < 8000; r.nowMs += 40)
        r.recorder.takePicture(samplePicture(int(r.nowMs / 40)));
    QCOMPARE(r.recorder.picturesWritten() - before, qint64(5));
}

void tst_autoRecorder::oneEveryThirtySeconds()
{
    rig r;
    r.module.n_Bild_Freq = 2;
    r.module.selFreqTip = 1;
    r.start();
    for (r.nowMs = 0; r.nowMs < 90000; r.nowMs += 40)
        r.recorder.takePicture(samplePicture(int(r.nowMs / 40)));
    // The pictures of 0 s, 30 s and 60 s, nothing before, between or after them.
    QCOMPARE(fileContents(r.recorder.recordingPath()), samplePicture(0) + samplePicture(750) + samplePicture(1500));
}

void tst_autoRecorder::wanted_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("continuous");
    QTest::addColumn<bool>("motion");
    QTest::addColumn<char>("input2");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("active");
    QTest::newRow("continuous") << true << true << false << '1' << "" << true;
    QTest::newRow("automatic recording off as a whole") << false << true << false << '0' << "" << false;
    QTest::newRow("motion input active") << true << false << true << '0' << "" << true;
    QTest::newRow("motion input idle") << true << false << true << '1' << "" << false;
    QTest::newRow("neither") << true << false << false << '0' << "" << false;
    QTest::newRow("folder of four characters") << true << true << false << '1' << "C:/a" << false;
    QTest::newRow("no folder") << true << true << false << '1' << "none" << false;
}

void tst_autoRecorder::wanted()
{
    QFETCH(bool, enabled);
    QFETCH(bool, continuous);
    QFETCH(bool, motion);
    QFETCH(char, input2);
    QFETCH(QString, folder);
    rig r;
    r.module.CAMautoSaveEn = continuous;
    r.module.CAMsaveBeweg = motion;
    r.module.status.statusChars[3] = input2;
    if (folder == QLatin1String("none"))
        r.module.dirCamBild.clear();
    else if (!folder.isEmpty())
        r.module.dirCamBild = folder;
    r.recorder.controlRecording(enabled);
    QTEST(r.recorder.recordingActive(), "active");
    QCOMPARE(recordings(r.dir.path()).size(), r.recorder.recordingActive() ? 1 : 0);
    // "Tor-1 Ost": blanks and "-" replaced in the automatic name.
    if (r.recorder.recordingActive())
        QVERIFY(r.recorder.recordingPath().endsWith(QLatin1String("_Tor_1_Ost.MJPEG")));
    // No longer wanted: the file is closed.
    r.recorder.controlRecording(false);
    QVERIFY(!r.recorder.recordingActive());
    QVERIFY(!r.recorder.fileOpen());
}


void tst_autoRecorder::rollover()
{
    rig r;
    r.module.n_Bild_Freq = 25;
    r.recorder.setMaxSize(3000);
    r.start();
    QByteArray all;
    int index = 0;
    // 4, 4 and 2 pictures of 1000 bytes, a control step after each group.
    for (int group : {4, 4, 2}) {
        for (int i = 0; i < group; ++i, r.nowMs += 40) {
            all += samplePicture(index);
            r.recorder.takePicture(samplePicture(index++));
        }
        r.recorder.controlRecording(true);
    }
    const QStringList files = recordings(r.dir.path());
    QCOMPARE(files.size(), 3);
    QCOMPARE(QFileInfo(files[0]).size(), 4000);
    QCOMPARE(QFileInfo(files[1]).size(), 4000);
    QByteArray joined;
    for (const QString &path : files)
        joined += fileContents(path);
    QCOMPARE(joined, all);
}

void tst_autoRecorder::motionWindow_data()
{
    QTest::addColumn<int>("stopSeconds");
    QTest::addColumn<int>("quietTicks");
    QTest::addColumn<bool>("writing");
    QTest::newRow("1 s: 25 quiet ticks keep writing") << 1 << 25 << true;
    QTest::newRow("1 s: 26 quiet ticks stop") << 1 << 26 << false;
    QTest::newRow("0 s: the first quiet tick stops") << 0 << 1 << false;
    QTest::newRow("5000 s is the most") << 9999 << 125001 << false;
}

void tst_autoRecorder::motionWindow()
{
    QFETCH(int, stopSeconds);
    QFETCH(int, quietTicks);
    rig r;
    r.module.CAMautoSaveEn = false;
    r.module.CAMsaveBeweg = true;
    r.module.stopTimeBeweg = stopSeconds;
    r.module.status.statusChars[3] = '0';
    r.recorder.controlRecording(true);
    r.recorder.motionTick(r.motionEvent);
    QVERIFY(!r.recorder.writeEnabled());
    r.motionEvent = true;
    r.recorder.motionTick(r.motionEvent);
    QVERIFY(r.recorder.writeEnabled());
    QVERIFY(!r.motionEvent);
    for (int i = 0; i < quietTicks; ++i)
        r.recorder.motionTick(r.motionEvent);
    QTEST(r.recorder.writeEnabled(), "writing");
    r.recorder.takePicture(samplePicture(1));
    QCOMPARE(r.recorder.picturesWritten(), r.recorder.writeEnabled() ? 1 : 0);
}


void tst_autoRecorder::writeFaultBacksOff_data()
{
    QTest::addColumn<int>("firstLimit");  // what the first file may hold before the disk is full
    QTest::addColumn<int>("keptBytes");   // what stays of it; 0: removed
    QTest::addColumn<bool>("seen");       // whether the look at the folder sees it full
    QTest::addColumn<int>("failures");    // files that failed in ten minutes
    QTest::addColumn<int>("runsToRoom");  // control runs until a file is tried once there is room
    QTest::newRow("full from the first picture") << 500 << 0 << true << 1 << 1;
    QTest::newRow("full after two pictures") << 2500 << 2000 << true << 1 << 1;
    // The first file, then 3, 6, 12, 24, 48, 96 and 192 s later; the last, at 381 s, waits 100
    // runs, 73 of them within the ten minutes.
    QTest::newRow("full, though the folder seems to have room") << 500 << 0 << false << 8 << 28;
}

// A disk that stays full: each file that holds nothing is removed and the log says why. While
// the folder has no room no file is tried, and the next control run after there is room again
// (within about 3 s) tries one. Where the look at the folder cannot see the fault, the next
// file waits 3, 6, 12 ... s, at most about 5 minutes, instead of coming every 3 s. Once a
// picture is written again the waiting is over.
void tst_autoRecorder::writeFaultBacksOff()
{
    QFETCH(int, firstLimit);
    QFETCH(int, keptBytes);
    QFETCH(bool, seen);
    QFETCH(int, failures);
    QFETCH(int, runsToRoom);
    rig r;
    r.module.n_Bild_Freq = 25;
    if (!seen)
        r.recorder.setRoomNeeded(0);
    traceCapture trace;
    QStringList failed;
    {
        // A size limit stands in for the full disk: past it a write fails.
        std::optional<fileSizeLimit> full;
        full.emplace(rlim_t(firstLimit));
        QVERIFY(full->active);
        r.start();
        // Ten minutes, the control step every 3 s, a picture every 40 ms.
        for (r.nowMs = 0; r.nowMs < 600000; r.nowMs += 40) {
            if (r.nowMs == 1000)
                full.emplace(rlim_t(500));
            if (r.nowMs % 3000 == 0)
                r.recorder.controlRecording(true);
            r.recorder.takePicture(samplePicture(int(r.nowMs / 40)));
        }
    }
    for (const QString &line : trace.taken()) {
        if (line.contains(QLatin1String("Schreibfehler")))
            failed << line;
    }
    QCOMPARE(failed.size(), failures);
    QVERIFY2(failed.first().contains(QLatin1String("File too large")), qPrintable(failed.first()));
    const QStringList files = recordings(r.dir.path());
    QCOMPARE(files.size(), keptBytes ? 1 : 0);
    if (keptBytes)
        QCOMPARE(fileContents(files.first()), samplePicture(0) + samplePicture(1));

    // Room again: the next file comes after the wait, and then the waiting is over.
    int runs = 0;
    while (runs < 100 && !r.recorder.recordingActive()) {
        r.recorder.controlRecording(true);
        ++runs;
    }
    QCOMPARE(runs, runsToRoom);
    r.recorder.takePicture(samplePicture(1));
    QVERIFY(r.recorder.recordingActive());
    QCOMPARE(r.recorder.retryWaitRuns(), 0);
}

void tst_autoRecorder::vanishedFolder()
{
    rig r;
    r.module.n_Bild_Freq = 25;
    r.module.dirCamBild = r.dir.filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(r.module.dirCamBild));
    r.start();
    r.recorder.takePicture(samplePicture(0));
    QVERIFY(QDir(r.module.dirCamBild).removeRecursively());
    r.recorder.controlRecording(true);
    QVERIFY(!r.recorder.recordingActive());
    r.nowMs += 40;
    r.recorder.takePicture(samplePicture(1));
    QCOMPARE(r.recorder.picturesWritten(), qint64(1));
    QCOMPARE(r.recorder.bytesWritten(), qint64(0));
    // The folder is back: the next control step records again.
    QVERIFY(QDir().mkpath(r.module.dirCamBild));
    r.recorder.controlRecording(true);
    QVERIFY(r.recorder.recordingActive());
    r.nowMs += 40;
    r.recorder.takePicture(samplePicture(2));
    QCOMPARE(fileContents(r.recorder.recordingPath()), samplePicture(2));
}

void tst_autoRecorder::packetFiles_data()
{
    QTest::addColumn<QString>("script");  // see recordScript
    QTest::addColumn<qint64>("maxSize");
    QTest::addColumn<QString>("automatic");  // the packet times of each file
    QTest::addColumn<QString>("byHand");
    const qint64 big = recordingFile::defaultMaxSize;
    // The camera's spacing, not the jitter of arrival.
    QTest::newRow("steady camera, uneven arrival") << "K0/0 40/90 80/95 120/180 160/330 200/335" << big
                                                   << "0 40 80 120 160 200" << "0 40 80 120 160 200";
    QTest::newRow("B-pictures in decoding order") << "K0/0 120/40 40/80 80/120 240/160 160/200 200/240" << big
                                                  << "0 120 40 80 240 160 200" << "0 120 40 80 240 160 200";
    QTest::newRow("a connection's first packet has no time") << "K-/0 120/40 40/80 80/120" << big << "0 120 40 80"
                                                             << "0 120 40 80";
    // Automatic recording follows the clock: a gap stays a gap. By hand the pause is left out.
    QTest::newRow("reconnection after 12 s") << "K0/0 40/40 80/80 c K-/12100 40/12140 80/12180" << big
                                             << "0 40 80 12100 12140 12180" << "0 40 80 12100 12140 12180";
    QTest::newRow("paused") << "K0/0 40/40 80/80 p-/100 120/120 p+/5000 5040/5040 K5080/5080 5120/5120" << big
                            << "0 40 80 5080 5120" << "0 40 80 180 220";
    // A new file starts with the key packet after the size limit or a change of picture size:
    // nothing is lost between two files.
    QTest::newRow("size limit") << "K0/0 40/40 80/80 K120/120 160/160 K200/200" << qint64(1) << "0 40 80 | 0 40 | 0"
                                << "0 40 80 | 0 40 | 0";
    QTest::newRow("another size after a reconnection") << "K0/0 40/40 c z K-/100 40/140" << big << "0 40 | 0 40"
                                                       << "0 40 | 0 40";
    // Parameter sets from the description or, where it has none, from the stream; others after
    // a reconnection start a new file.
    QTest::newRow("H.264") << "h264 K0/0 40/40 80/80" << big << "0 40 80" << "0 40 80";
    QTest::newRow("H.264, parameter sets only in the stream") << "h264-inband K0/0 40/40 80/80" << big << "0 40 80"
                                                              << "0 40 80";
    QTest::newRow("H.264, other parameter sets after a reconnection") << "h264 K0/0 40/40 c z K-/100 40/140" << big
                                                                       << "0 40 | 0 40" << "0 40 | 0 40";
    QTest::newRow("H.264, other parameter sets in the stream after a reconnection")
        << "h264-inband K0/0 40/40 c z K-/100 40/140" << big << "0 40 | 0 40" << "0 40 | 0 40";
    // The camera's clock jumps: the file goes on at the recorder's time.
    QTest::newRow("camera clock back 30 s") << "K30000/0 30040/40 30080/80 40/120 80/160" << big << "0 40 80 120 160"
                                            << "0 40 80 120 160";
    QTest::newRow("camera clock ahead 30 s") << "K0/0 40/40 30080/80 30120/120" << big << "0 40 80 120"
                                             << "0 40 80 120";
    QTest::newRow("camera clock at random") << "K0/0 40/40 -9000/80 -8960/120 77000/160 77040/200 5/240" << big
                                            << "0 40 80 120 160 200 240" << "0 40 80 120 160 200 240";
    // A camera ahead within the tolerance is drawn back, 1 ms a picture.
    QTest::newRow("camera clock ahead 0.8 s") << "K0/0 40/40 840/80 880/120 920/160" << big << "0 40 840 879 918"
                                              << "0 40 840 879 918";
    QTest::newRow("camera clock back 0.8 s") << "K0/0 40/40 80/80 -720/120 -680/160" << big << "0 40 80 120 160"
                                             << "0 40 80 120 160";
}

// What a recording of an RTSP camera writes into its files, read back as a player does.
void tst_autoRecorder::packetFiles()
{
    QFETCH(QString, script);
    QFETCH(qint64, maxSize);
    QTEST(recordScript(script, false, maxSize), "automatic");
    QTEST(recordScript(script, true, maxSize), "byHand");
}

QTEST_MAIN(tst_autoRecorder)
#include "tst_autorecorder.moc"
