#pragma once

#include <QCoreApplication>
#include <QString>

// Why a camera shows no picture, in the words its tile's tool tip, the statistics and the log
// use. Whatever kind of stream feeds the camera reports into it.
class connectionReason {
    Q_DECLARE_TR_FUNCTIONS(connectionReason)

public:
    enum class kind {
        none,                 // pictures are shown
        refused,              // the connection was refused
        noAnswer,             // nothing answered
        loginRefused,         // 401 to the credentials
        loginUnsupported,     // 401 without a way of logging in that this viewer speaks
        notFound,             // 404
        otherStatus,          // another refusing status; detail: the code
        certificateUntrusted, // detail: the SHA-256 fingerprint
        certificateChanged,   // detail: the fingerprint of the new certificate
        badAnswer,            // an answer that is not HTTP, or a failed encryption
        noPictures,           // an answer without pictures in it
        stalled,              // pictures came, then stopped
        closed,               // the camera ended the connection
        unknownCodec,         // pictures in a format this viewer cannot decode; detail: its name
        redirected,           // sent to another host, not followed; detail: the target without login
        tooLarge,             // pictures beyond what one camera may take
        unreadable,           // pictures come but none can be decoded
    };

    // True when the reason is another one than before.
    bool set(kind what, const QString &detail = QString());
    kind current() const { return reason; }
    QString detail() const { return extra; }
    // Empty while pictures are shown.
    QString text() const;
    // What the log says when the reason changes to this one.
    QString logText() const;

private:
    kind reason = kind::none;
    QString extra;
};
