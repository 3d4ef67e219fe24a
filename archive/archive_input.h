// Read-only access to the archive file by absolute offsets. The end of the file, where the
// directory and (in a small archive) everything else lies, is read once when the file is
// opened and served from memory. Small reads elsewhere are served from windows read ahead of
// them, so headers, names and the data of small entries that follow one another cost one
// system call between them. There are two windows, so that a walk that alternates between the
// central directory and the local headers keeps its place in both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_handle.h"

namespace kelvara::archive {

class ArchiveInput {
  public:
    ArchiveInput() = default;
    ~ArchiveInput();
    ArchiveInput(const ArchiveInput&) = delete;
    ArchiveInput& operator=(const ArchiveInput&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }
    uint64_t Size() const { return size_; }

    // Reads up to n bytes at offset; returns how many arrived (0 past the end or on error).
    // A negative offset reads nothing.
    size_t ReadAt(int64_t offset, void* buffer, size_t n) const;
    // Reads n bytes at offset; bytes that could not be read are zero. True when all arrived.
    bool ReadFullAt(int64_t offset, void* buffer, size_t n) const;

    // The n bytes at offset when they are all held in memory (no copy, no read), else null.
    // Valid until the next Open or Close.
    const uint8_t* View(int64_t offset, size_t n) const;

    // How much of the file's end is kept in memory; a file of at most kWholeFileBytes is kept
    // whole (its local headers are read when a directory is walked: one read beats many).
    static constexpr size_t kTailBytes = 64 * 1024;
    static constexpr size_t kWholeFileBytes = 256 * 1024;
    // How much a read-ahead window holds; reads of up to half of it go through a window.
    static constexpr size_t kWindowBytes = 64 * 1024;

  private:
    platform::FileHandle file_;
    uint64_t size_ = 0;
    std::vector<uint8_t> tail_;  // the file's last bytes, read at Open
    uint64_t tailStart_ = 0;
    struct Window {
        std::vector<uint8_t> bytes;  // the bytes read ahead (its size: those that arrived)
        uint64_t start = 0;
    };
    mutable Window windows_[2];
    mutable size_t lastWindow_ = 0;  // the window used last; a miss refills the other one
};

}  // namespace kelvara::archive
