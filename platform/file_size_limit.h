// A cap on the size of the files this process writes, so that a write fails part-way without
// root or a small file system.
#pragma once

#include <cstdint>

namespace kelvara::platform {

// While the object lives, a write that would make a file larger than `bytes` fails (EFBIG)
// instead of ending the process. Destruction restores the previous cap and signal handling.
// The cap is per process: every thread's writes are held to it.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the system refused the cap.
    bool Applied() const { return applied_; }

  private:
    uint64_t savedCurrent_ = 0;
    uint64_t savedMaximum_ = 0;
    void (*savedHandler_)(int) = nullptr;
    bool saved_ = false;  // the cap and handler above are to be restored
    bool applied_ = false;
};

}  // namespace kelvara::platform
