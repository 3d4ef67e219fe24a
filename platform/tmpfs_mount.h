// A memory-backed file system of a fixed size on a folder: a small disk on demand, for checks
// of what happens when one fills up.
#pragma once

#include <cstdint>
#include <string>

namespace kelvara::platform {

// A tmpfs of the given size mounted on an existing folder for the life of the object (needs
// the right to mount, which in practice means root). Unmounted, lazily, on destruction.
class TmpfsMount {
  public:
    TmpfsMount(const std::string& folder, uint64_t bytes);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool Mounted() const { return mounted_; }
    // Why mounting failed.
    const std::string& Error() const { return error_; }

  private:
    std::string folder_;
    bool mounted_ = false;
    std::string error_;
};

}  // namespace kelvara::platform
