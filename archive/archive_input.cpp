#include "archive/archive_input.h"

#include <algorithm>
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
    const size_t want = static_cast<size_t>(
        std::min<uint64_t>(size_, size_ <= kWholeFileBytes ? kWholeFileBytes : kTailBytes));
    tail_.resize(want);
    tailStart_ = size_ - want;
    tail_.resize(file_.ReadAt(tailStart_, tail_.data(), want));
    if (tail_.size() < want) {
        // The file shrank under us: what could not be read is left to later reads.
        tailStart_ = size_;
        tail_.clear();
    }
    return true;
}

void ArchiveInput::Close() {
    file_.Close();
    size_ = 0;
    tail_.clear();
    tailStart_ = 0;
    for (Window& window : windows_)
        window = Window{};
}

size_t ArchiveInput::ReadAt(int64_t offset, void* buffer, size_t n) const {
    if (!file_.IsOpen() || offset < 0)
        return 0;
    const uint64_t at = static_cast<uint64_t>(offset);
    if (at >= tailStart_ && !tail_.empty()) {
        if (at >= tailStart_ + tail_.size())
            return 0;
        const size_t from = static_cast<size_t>(at - tailStart_);
        const size_t count = std::min(n, tail_.size() - from);
        std::memcpy(buffer, tail_.data() + from, count);
        return count;
    }
    if (n > kWindowBytes / 2)
        return file_.ReadAt(at, buffer, n);
    auto holds = [&](const Window& w) {
        return at >= w.start && at - w.start + n <= w.bytes.size();
    };
    if (!holds(windows_[lastWindow_])) {
        lastWindow_ ^= 1;
        Window& w = windows_[lastWindow_];
        if (!holds(w)) {
            w.bytes.resize(kWindowBytes);
            w.start = at;
            w.bytes.resize(file_.ReadAt(at, w.bytes.data(), kWindowBytes));
        }
    }
    const Window& w = windows_[lastWindow_];
    const size_t from = static_cast<size_t>(at - w.start);
    const size_t count = from < w.bytes.size() ? std::min(n, w.bytes.size() - from) : 0;
    std::memcpy(buffer, w.bytes.data() + from, count);
    return count;
}

const uint8_t* ArchiveInput::View(int64_t offset, size_t n) const {
    if (!file_.IsOpen() || offset < 0 || tail_.empty())
        return nullptr;
    const uint64_t at = static_cast<uint64_t>(offset);
    if (at < tailStart_ || at - tailStart_ > tail_.size() || n > tail_.size() - (at - tailStart_))
        return nullptr;
    return tail_.data() + (at - tailStart_);
}

bool ArchiveInput::ReadFullAt(int64_t offset, void* buffer, size_t n) const {
    const size_t got = ReadAt(offset, buffer, n);
    if (got < n)
        std::memset(static_cast<uint8_t*>(buffer) + got, 0, n - got);
    return got == n;
}

}  // namespace kelvara::archive
