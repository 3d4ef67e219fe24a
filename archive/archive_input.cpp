#include "archive/archive_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvara::archive {

ArchiveInput::~ArchiveInput() {
    Close();
}

bool ArchiveInput::Open(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    struct stat st;
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        Close();
        return false;
    }
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
}

void ArchiveInput::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

size_t ArchiveInput::ReadAt(int64_t offset, void* buffer, size_t n) const {
    if (fd_ < 0 || offset < 0)
        return 0;
    size_t done = 0;
    auto* p = static_cast<uint8_t*>(buffer);
    while (done < n) {
        const ssize_t got = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

bool ArchiveInput::ReadFullAt(int64_t offset, void* buffer, size_t n) const {
    const size_t got = ReadAt(offset, buffer, n);
    if (got < n)
        std::memset(static_cast<uint8_t*>(buffer) + got, 0, n - got);
    return got == n;
}

}  // namespace kelvara::archive
