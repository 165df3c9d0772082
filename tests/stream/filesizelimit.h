#pragma once

#include <csignal>
#include <sys/resource.h>

// Lowers this process's file size limit while it lives: a write past the limit fails (the
// signal it would raise is ignored), as on a full disk.
class fileSizeLimit {
public:
    explicit fileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = bytes;
        active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~fileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    fileSizeLimit(const fileSizeLimit &) = delete;
    fileSizeLimit &operator=(const fileSizeLimit &) = delete;

    bool active = false;

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};
