#pragma once

#include <QLoggingCategory>

// The program's trace lines ("#####", "*****", "-----> " and the like) go to this category. It is
// on by default; QT_LOGGING_RULES="dxcam.trace=false" silences it. Warnings are not traces and
// keep using qWarning().
Q_DECLARE_LOGGING_CATEGORY(dxcamTrace)

// Trace lines keep the form they always had on stderr, without the category in front: scripts
// and people grep for them as they are. A pattern of the user's own (QT_MESSAGE_PATTERN) is left
// to show the category as it likes.
void keepTraceLinesPlain();
