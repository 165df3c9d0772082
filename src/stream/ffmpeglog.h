#pragma once

#include <cstdarg>

// FFmpeg's log, process-wide: what its libraries say on a thread goes to the listener that
// thread has set (an RTSP reader learns so where its camera redirects it to, what the camera
// answered, and what the decoder could not decode). Nothing of it reaches the console unless
// DXCAM_FFMPEG_LOG is set: a camera's faults are reported by the viewer, once and in its own
// words, and requests with their credentials stay out of it.
class ffmpegLog {
public:
    class listener {
    public:
        // Called on the listener's thread, inside the FFmpeg call that logs; context is the
        // logging FFmpeg object (format, codec or I/O context).
        virtual void logged(void *context, int level, const char *format, va_list args) = 0;

    protected:
        ~listener() = default;
    };

    // Once, before any FFmpeg call that may log.
    static void install();
    // The listener of the calling thread; null for none.
    static void listenOnThisThread(listener *target);

private:
    static void dispatch(void *context, int level, const char *format, va_list args);
};
