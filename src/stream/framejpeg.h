#pragma once

#include <QByteArray>

struct AVFrame;

// A decoded picture as JPEG, for saving, printing and the popup window: its planes go to the
// JPEG encoder as they are where they can, else converted to planar 4:2:0 first.
class frameJpeg {
public:
    static QByteArray encode(const AVFrame *frame);
};
