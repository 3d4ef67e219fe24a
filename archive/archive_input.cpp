#include "archive/archive_input.h"

#include <cstring>

namespace kelvara::archive {

ArchiveInput::~ArchiveInput() {
    Close();
}

bool ArchiveInput::Open(const std::string& path) {
    Close();
    file_ = platform::FileHandle::OpenForReading(path);
    if (!file_.IsOpen())
        return false;
    const std::optional<platform::FileStatus> status = file_.Status();
    if (!status || status->type != platform::FileType::kRegular) {
        Close();
        return false;
    }
    size_ = status->size;
    return true;
}

void ArchiveInput::Close() {
    file_.Close();
    size_ = 0;
}

size_t ArchiveInput::ReadAt(int64_t offset, void* buffer, size_t n) const {
    if (!file_.IsOpen() || offset < 0)
        return 0;
    return file_.ReadAt(static_cast<uint64_t>(offset), buffer, n);
}

bool ArchiveInput::ReadFullAt(int64_t offset, void* buffer, size_t n) const {
    const size_t got = ReadAt(offset, buffer, n);
    if (got < n)
        std::memset(static_cast<uint8_t*>(buffer) + got, 0, n - got);
    return got == n;
}

}  // namespace kelvara::archive
