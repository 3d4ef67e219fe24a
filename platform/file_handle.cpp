#include "platform/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

namespace kelvara::platform {

FileHandle::~FileHandle() {
    if (fd_ >= 0)
        ::close(fd_);
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(std::exchange(other.error_, 0)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = std::exchange(other.error_, 0);
    }
    return *this;
}

FileHandle FileHandle::OpenForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return FileHandle(fd, fd < 0 ? errno : 0);
}

FileHandle FileHandle::CreateNew(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return FileHandle(fd, fd < 0 ? errno : 0);
}

std::optional<FileStatus> FileHandle::Status() const {
    struct stat st;
    if (::fstat(fd_, &st) != 0) {
        error_ = errno;
        return std::nullopt;
    }
    FileStatus status;
    status.type = S_ISREG(st.st_mode)   ? FileType::kRegular
                  : S_ISDIR(st.st_mode) ? FileType::kFolder
                                        : FileType::kOther;
    status.size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    return status;
}

size_t FileHandle::ReadAt(uint64_t offset, void* buffer, size_t n) const {
    auto* p = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < n) {
        // Offsets the system cannot express read nothing.
        if (offset > static_cast<uint64_t>(INT64_MAX) - done) {
            error_ = EINVAL;
            break;
        }
        const ssize_t got = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error_ = errno;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

std::optional<size_t> FileHandle::Read(void* buffer, size_t n) {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, n);
        if (got >= 0)
            return static_cast<size_t>(got);
        if (errno != EINTR) {
            error_ = errno;
            return std::nullopt;
        }
    }
}

size_t FileHandle::WriteAll(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < n) {
        const ssize_t put = ::write(fd_, p + done, n - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            // A file never takes nothing without an error; should it, that is an I/O failure.
            error_ = put < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(put);
    }
    return done;
}

bool FileHandle::Close() {
    if (fd_ < 0)
        return true;
    const int fd = std::exchange(fd_, -1);
    // The descriptor is gone after close whatever it returns (EINTR included): never retried.
    if (::close(fd) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

bool IsOutOfSpace(int error) {
    return error == ENOSPC || error == EDQUOT;
}

}  // namespace kelvara::platform
