#include "collection/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/dos_time.h"
#include "platform/file_system.h"

namespace kelvara::collection {
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
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

[[noreturn]] void Fail(const char* format, const std::string& path, int error) {
    std::string text = format;
    text.replace(text.find("%s"), 2, path);
    text.replace(text.find("%s"), 2, std::strerror(error));
    throw CopyError(text);
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

}  // namespace

void CopyFileKeepDate(const std::string& source, const std::string& target) {
    FileDescriptor in;
    in.fd = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0)
        Fail("Cannot open file \"%s\". %s", source, errno);
    struct stat sourceStat;
    if (fstat(in.fd, &sourceStat) != 0)
        Fail("Cannot open file \"%s\". %s", source, errno);
    if (!S_ISREG(sourceStat.st_mode))
        Fail("Cannot open file \"%s\". %s", source, EISDIR);

    // The source's own path cannot be created again while it is being read.
    struct stat targetStat;
    if (stat(target.c_str(), &targetStat) == 0 && targetStat.st_dev == sourceStat.st_dev &&
        targetStat.st_ino == sourceStat.st_ino)
        Fail("Cannot create file \"%s\". %s", target, EBUSY);

    std::string temporary = FolderOf(target) + ".kelvara-copy-XXXXXX";
    FileDescriptor out;
    out.fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (out.fd < 0)
        Fail("Cannot create file \"%s\". %s", target, errno);
    struct TemporaryGuard {
        const std::string& path;
        bool keep = false;
        ~TemporaryGuard() {
            if (!keep)
                unlink(path.c_str());
        }
    } guard{temporary};
    fchmod(
        out.fd, 0666 & ~[] {
            mode_t mask = umask(0);
            umask(mask);
            return mask;
        }());

    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t n = read(in.fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw CopyError("Stream read error");
        if (n == 0)
            break;
        if (!WriteAll(out.fd, buffer.data(), static_cast<size_t>(n)))
            throw CopyError("Stream write error");
    }
    if (fsync(out.fd) != 0 || close(out.fd) != 0) {
        out.fd = -1;
        throw CopyError("Stream write error");
    }
    out.fd = -1;
    platform::SetFileModified(temporary, platform::RoundToDosResolution(sourceStat.st_mtime));
    if (rename(temporary.c_str(), target.c_str()) != 0)
        Fail("Cannot create file \"%s\". %s", target, errno);
    guard.keep = true;
}

}  // namespace kelvara::collection
