// The status datagram parser on sequences of datagrams to one module record, camera/IO or
// intercom, as they arrive from the network.
//
// Input: one byte of settings, then datagrams, each a length byte and that many bytes (a length
// of 255 takes the rest of the input).
//   settings bit 0: intercom record; bits 1-3: CAM_popup / SIP_popup; bit 4: allRufNr;
//   bits 5-6: the callee list.
// fuzz options: -max_len=2048
#include "fuzzinput.h"
#include "modulestatus.h"
#include "statusparser.h"

#include <QString>

#include <algorithm>

namespace {

const char *const calleeLists[] = {"100,200", "", "100,,200", ",7"};

// Silences the parser's trace lines: a flood of them would measure the terminal.
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

bool sameRecord(const moduleStatus &a, const moduleStatus &b)
{
    return a.callForced == b.callForced && a.callActive == b.callActive && a.callEnded == b.callEnded
        && a.popupRequest == b.popupRequest && a.statusEvent == b.statusEvent
        && a.input1Active == b.input1Active && a.input2Active == b.input2Active && a.lastCode == b.lastCode
        && a.ioStatus == b.ioStatus && std::equal(a.statusChars, a.statusChars + 6, b.statusChars);
}

bool framed(const QByteArray &datagram)
{
    const qsizetype hash = datagram.indexOf('#');
    return hash >= 0 && datagram.indexOf('@', hash) >= 0;
}

void checkOne(moduleStatus &rec, int selection, const QString &callees, bool allRufNr, const QByteArray &datagram)
{
    const moduleStatus before = rec;
    QString summary;
    const bool recognised = statusParser::parse(rec, selection, callees, allRufNr, datagram, &summary);

    if (!framed(datagram)) {
        FUZZ_CHECK(!recognised, "a datagram without '#' ... '@' was recognised");
        FUZZ_CHECK(sameRecord(before, rec), "a datagram without '#' ... '@' changed the record");
        FUZZ_CHECK(summary.isEmpty(), "a datagram without '#' ... '@' left a summary");
    }
    if (!recognised)
        FUZZ_CHECK(before.popupRequest || !rec.popupRequest, "an unrecognised datagram requested a popup");

    // Both are set by a matching call event and cleared by a call end, nowhere else.
    FUZZ_CHECK(rec.callForced == rec.callActive, "callForced and callActive parted");
    FUZZ_CHECK(rec.ioStatus.size() <= 6, "more than six IO status bytes kept");
    if (rec.isSipModule) {
        FUZZ_CHECK(rec.ioStatus.isEmpty() && !rec.input1Active && !rec.input2Active,
                   "an intercom record took an IO status report");
    } else {
        FUZZ_CHECK(!rec.callForced && !rec.callActive, "a camera/IO record took a call event");
        FUZZ_CHECK(before.input1Active || !rec.input1Active || selection == 3, "input 1 set without being selected");
        FUZZ_CHECK(before.input2Active || !rec.input2Active || selection == 4, "input 2 set without being selected");
    }
    if (rec.popupRequest && !before.popupRequest && rec.isSipModule)
        FUZZ_CHECK(rec.callForced, "an intercom popup without a call");
    // A callee number is at most 26 bytes less the two trailing ones, without blanks.
    if (rec.isSipModule && summary != QLatin1String("remACK") && summary != QLatin1String("A0"))
        FUZZ_CHECK(summary.size() <= 24 && !summary.contains(QLatin1Char(' ')), "callee number malformed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool silenced = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(silenced);
    fuzzInput input(data, size);
    const uint8_t settings = input.byte();
    moduleStatus rec;
    rec.isSipModule = settings & 1;
    const int selection = (settings >> 1) & 7;
    const bool allRufNr = settings & 0x10;
    const QString callees = QLatin1String(calleeLists[(settings >> 5) & 3]);
    while (!input.empty()) {
        const uint8_t length = input.byte();
        const QByteArray datagram = length == 255 ? input.rest() : input.bytes(length);
        checkOne(rec, selection, callees, allRufNr, datagram);
    }
    return 0;
}
