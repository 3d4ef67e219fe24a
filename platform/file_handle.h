// An open file owned by one object: reading an existing file, or writing a file created new
// that never follows a symbolic link. Calls interrupted by a signal are retried; the error
// number of the latest failure is kept for reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace kelvara::platform {

enum class FileType { kRegular, kFolder, kOther };

struct FileStatus {
    FileType type = FileType::kOther;
    uint64_t size = 0;  // 0 for a file whose size is not known in advance (pipe, device)
};

// A descriptor owned by one object, with the error number of its latest failure: closed when
// it goes out of scope, moved, never copied.
class OwnedDescriptor {
  public:
    bool IsOpen() const { return fd_ >= 0; }
    // The error number of the latest failure (0 when there was none).
    int Error() const { return error_; }

  protected:
    OwnedDescriptor() = default;
    OwnedDescriptor(int fd, int error) : fd_(fd), error_(error) {}
    ~OwnedDescriptor();
    OwnedDescriptor(OwnedDescriptor&& other) noexcept;
    OwnedDescriptor& operator=(OwnedDescriptor&& other) noexcept;
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;

    int fd_ = -1;
    mutable int error_ = 0;
};

// A handle is used by one thread at a time. Closed when it goes out of scope.
class FileHandle : public OwnedDescriptor {
  public:
    FileHandle() = default;

    // Opens an existing file (or folder, device, ...) for reading, never waiting: a named pipe
    // opens at once and reads nothing until written to. Check IsOpen(); Error() tells why it
    // failed.
    static FileHandle OpenForReading(const std::string& path);
    // Creates a new, empty file for writing (mode less the umask). Fails (EEXIST) when
    // anything of that name exists, a symbolic link included: the link is never followed, so
    // nothing is written where it points.
    static FileHandle CreateNew(const std::string& path, unsigned mode = 0666);

    // The file's type and size, from the open file itself; empty on failure.
    std::optional<FileStatus> Status() const;
    // Reads up to n bytes at offset without moving the file position, going on after short
    // reads; returns how many arrived (fewer at the end of the file or on a failure).
    size_t ReadAt(uint64_t offset, void* buffer, size_t n) const;
    // One read of up to n bytes at the file position: how many arrived (0 at the end of the
    // file), or empty on a failure.
    std::optional<size_t> Read(void* buffer, size_t n);
    // Writes all n bytes at the file position, going on after short writes; returns how many
    // were written (fewer only on a failure).
    size_t WriteAll(const void* data, size_t n);
    // Sets the open file's access and modification times.
    bool SetModified(time_t when);
    // Applies permission bits to the open file (only 0777: never setuid, setgid or sticky).
    bool SetPermissions(unsigned mode);
    // Closes the file; false when the system reports a failure (a delayed write error, for
    // one). The handle is closed afterwards either way.
    bool Close();

  private:
    friend class FolderHandle;
    explicit FileHandle(int fd, int error) : OwnedDescriptor(fd, error) {}
};

// What a name in a folder is, looked at without following a symbolic link.
enum class ChildType { kNone, kFolder, kSymlink, kOther };

// An open folder in which files and folders are looked up and created by name, relative to the
// folder itself: once opened, a folder cannot be swapped for a symbolic link under the caller.
// Closed when it goes out of scope.
class FolderHandle : public OwnedDescriptor {
  public:
    FolderHandle() = default;

    // Opens a folder by path (symbolic links on the way are followed: the caller chose it).
    static FolderHandle Open(const std::string& path);

    // Opens the sub-folder `name` (one component). Never follows a symbolic link: a link, like
    // a file, fails (ELOOP or ENOTDIR; ChildTypeOf tells which).
    FolderHandle OpenChild(const std::string& name) const;
    // Creates the sub-folder `name` (mode 0777 less the umask): 0 or the error number (EEXIST
    // when anything of that name is there, a symbolic link included).
    int CreateChild(const std::string& name) const;
    // What `name` is, without following a symbolic link; kNone with the error number in error.
    ChildType ChildTypeOf(const std::string& name, int* error = nullptr) const;
    // True when `name` (a link followed) exists and its owner has no write permission bit.
    bool IsChildReadOnly(const std::string& name) const;
    // Creates the new, empty file `name` for writing (mode less the umask); fails (EEXIST) when
    // anything of that name exists, never following a symbolic link.
    FileHandle CreateFile(const std::string& name, unsigned mode) const;
    // Removes `name` unless it is a folder (a symbolic link itself, never its target); true when
    // nothing of that name is left.
    bool RemoveFile(const std::string& name) const;

  private:
    explicit FolderHandle(int fd, int error) : OwnedDescriptor(fd, error) {}
};

// True for an error number that means the file system is full (no space or quota left).
bool IsOutOfSpace(int error);

}  // namespace kelvara::platform
