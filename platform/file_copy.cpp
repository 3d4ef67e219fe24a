#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/file_system.h"

namespace kelvara::platform {
namespace {

// Closes a descriptor when it goes out of scope.
struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor() {
        if (fd >= 0)
            close(fd);
    }
};

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

mode_t CurrentUmask() {
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

CopyOutcome Failed(CopyOutcome::Failure failure, int error = 0) {
    return CopyOutcome{failure, error};
}

}  // namespace

CopyOutcome CopyFileReplacing(const std::string& source, const std::string& target,
                              const std::function<time_t(time_t)>& dateOf) {
    using Failure = CopyOutcome::Failure;
    FileDescriptor in;
    in.fd = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0)
        return Failed(Failure::kOpenSource, errno);
    struct stat sourceStat;
    if (fstat(in.fd, &sourceStat) != 0)
        return Failed(Failure::kOpenSource, errno);
    if (!S_ISREG(sourceStat.st_mode))
        return Failed(Failure::kOpenSource, EISDIR);

    // The source's own path cannot be created again while it is being read.
    struct stat targetStat;
    if (stat(target.c_str(), &targetStat) == 0 && targetStat.st_dev == sourceStat.st_dev &&
        targetStat.st_ino == sourceStat.st_ino)
        return Failed(Failure::kCreateTarget, EBUSY);

    std::string temporary = FolderOf(target) + ".kelvara-copy-XXXXXX";
    FileDescriptor out;
    out.fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (out.fd < 0)
        return Failed(Failure::kCreateTarget, errno);
    struct TemporaryGuard {
        const std::string& path;
        bool keep = false;
        ~TemporaryGuard() {
            if (!keep)
                unlink(path.c_str());
        }
    } guard{temporary};
    fchmod(out.fd, 0666 & ~CurrentUmask());

    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t n = read(in.fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Failed(Failure::kRead);
        if (n == 0)
            break;
        if (!WriteAll(out.fd, buffer.data(), static_cast<size_t>(n)))
            return Failed(Failure::kWrite);
    }
    const bool synced = fsync(out.fd) == 0;
    const bool closed = close(out.fd) == 0;
    out.fd = -1;
    if (!synced || !closed)
        return Failed(Failure::kWrite);
    SetFileModified(temporary, dateOf ? dateOf(sourceStat.st_mtime) : sourceStat.st_mtime);
    if (rename(temporary.c_str(), target.c_str()) != 0)
        return Failed(Failure::kCreateTarget, errno);
    guard.keep = true;
    return CopyOutcome{};
}

}  // namespace kelvara::platform
