// Copying one file safely: through a temporary file that replaces the target only when complete.
#pragma once

#include <ctime>
#include <functional>
#include <string>

namespace kelvara::platform {

struct CopyOutcome {
    enum class Failure { kNone, kOpenSource, kCreateTarget, kRead, kWrite };
    Failure failure = Failure::kNone;
    int error = 0;  // errno of an open or create failure
};

// Copies the regular file `source` to `target`. The bytes go to a temporary file in the
// target's folder (0666 less the umask), which is synced, given the modification time that
// `dateOf` makes of the source's, and renamed over `target` only when all of it is there: a
// failure never harms an existing target and leaves no temporary file. A target that is the
// source itself is refused with kCreateTarget and EBUSY.
CopyOutcome CopyFileReplacing(const std::string& source, const std::string& target,
                              const std::function<time_t(time_t)>& dateOf);

}  // namespace kelvara::platform
