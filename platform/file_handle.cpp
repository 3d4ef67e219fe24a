#include "platform/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

namespace kelvara::platform {

OwnedDescriptor::~OwnedDescriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

OwnedDescriptor::OwnedDescriptor(OwnedDescriptor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(std::exchange(other.error_, 0)) {}

OwnedDescriptor& OwnedDescriptor::operator=(OwnedDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = std::exchange(other.error_, 0);
    }
    return *this;
}

FileHandle FileHandle::OpenForReading(const std::string& path) {
    // O_NONBLOCK: a named pipe without a writer opens at once instead of waiting for one; reads
    // of regular files ignore it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return FileHandle(fd, fd < 0 ? errno : 0);
}

namespace {

constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

}  // namespace

FileHandle FileHandle::CreateNew(const std::string& path, unsigned mode) {
    const int fd = ::open(path.c_str(), kCreateFlags, static_cast<mode_t>(mode & 0777));
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

bool FileHandle::SetModified(time_t when) {
    struct timespec times[2];
    times[0].tv_sec = when;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    if (::futimens(fd_, times) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

bool FileHandle::SetPermissions(unsigned mode) {
    if (::fchmod(fd_, static_cast<mode_t>(mode & 0777)) != 0) {
        error_ = errno;
        return false;
    }
    return true;
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

FolderHandle FolderHandle::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return FolderHandle(fd, fd < 0 ? errno : 0);
}

FolderHandle FolderHandle::OpenChild(const std::string& name) const {
    // O_PATH needs no read permission on the folder, only search permission on the way.
    const int fd = ::openat(fd_, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return FolderHandle(fd, fd < 0 ? errno : 0);
}

int FolderHandle::CreateChild(const std::string& name) const {
    return ::mkdirat(fd_, name.c_str(), 0777) == 0 ? 0 : errno;
}

ChildType FolderHandle::ChildTypeOf(const std::string& name, int* error) const {
    struct stat st;
    if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (error)
            *error = errno;
        return ChildType::kNone;
    }
    if (error)
        *error = 0;
    return S_ISLNK(st.st_mode)   ? ChildType::kSymlink
           : S_ISDIR(st.st_mode) ? ChildType::kFolder
                                 : ChildType::kOther;
}

bool FolderHandle::IsChildReadOnly(const std::string& name) const {
    struct stat st;
    return ::fstatat(fd_, name.c_str(), &st, 0) == 0 && (st.st_mode & S_IWUSR) == 0;
}

FileHandle FolderHandle::CreateFile(const std::string& name, unsigned mode) const {
    const int fd = ::openat(fd_, name.c_str(), kCreateFlags, static_cast<mode_t>(mode & 0777));
    return FileHandle(fd, fd < 0 ? errno : 0);
}

bool FolderHandle::RemoveFile(const std::string& name) const {
    int error = 0;
    const ChildType type = ChildTypeOf(name, &error);
    if (type == ChildType::kNone)
        return error == ENOENT;
    if (type == ChildType::kFolder)
        return false;
    return ::unlinkat(fd_, name.c_str(), 0) == 0;
}

bool IsOutOfSpace(int error) {
    return error == ENOSPC || error == EDQUOT;
}

}  // namespace kelvara::platform
