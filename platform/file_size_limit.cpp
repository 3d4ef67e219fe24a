#include "platform/file_size_limit.h"

#include <sys/resource.h>

#include <csignal>

namespace kelvara::platform {

FileSizeLimit::FileSizeLimit(uint64_t bytes) {
    rlimit saved{};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return;
    savedCurrent_ = saved.rlim_cur;
    savedMaximum_ = saved.rlim_max;
    // Going over the cap raises SIGXFSZ, which ends the process unless ignored.
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    saved_ = true;
    rlimit limit = saved;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    applied_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (!saved_)
        return;
    rlimit saved{};
    saved.rlim_cur = static_cast<rlim_t>(savedCurrent_);
    saved.rlim_max = static_cast<rlim_t>(savedMaximum_);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler_);
}

}  // namespace kelvara::platform
