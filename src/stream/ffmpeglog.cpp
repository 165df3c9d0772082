#include "ffmpeglog.h"

#include <QtGlobal>

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace {
thread_local ffmpegLog::listener *threadListener = nullptr;
bool toConsole = false;
}  // namespace

void ffmpegLog::install()
{
    static std::once_flag once;
    std::call_once(once, [] {
        toConsole = qEnvironmentVariableIsSet("DXCAM_FFMPEG_LOG");
        av_log_set_level(toConsole ? AV_LOG_VERBOSE : AV_LOG_QUIET);
        av_log_set_callback(&ffmpegLog::dispatch);
    });
}

void ffmpegLog::listenOnThisThread(listener *target)
{
    threadListener = target;
}

void ffmpegLog::dispatch(void *context, int level, const char *format, va_list args)
{
    if (threadListener) {
        va_list copy;
        va_copy(copy, args);
        threadListener->logged(context, level, format, copy);
        va_end(copy);
    }
    if (toConsole)
        av_log_default_callback(context, level, format, args);
}
