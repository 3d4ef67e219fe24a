// Large archives made on the fly and a small file system to extract them into.
#pragma once

#include <cstdint>
#include <string>

namespace kelvara::test {

// A raw Deflate stream (one fixed-code block) that decodes to `size` zero bytes: one literal,
// then matches of 258 bytes at distance 1, about 13 bits each.
std::string ZeroDeflate(uint64_t size);
// CRC-32 of `size` zero bytes.
uint32_t ZeroCrc(uint64_t size);
// A one-entry archive whose Deflate entry `name` honestly decodes to `size` zero bytes.
std::string ZeroArchive(const std::string& name, uint32_t size);

// A tmpfs of the given size mounted on a folder for the life of the object (root only).
class TmpfsMount {
  public:
    TmpfsMount(const std::string& folder, uint64_t bytes);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool Mounted() const { return mounted_; }
    // Why mounting failed, for the skip message.
    const std::string& Error() const { return error_; }

  private:
    std::string folder_;
    bool mounted_ = false;
    std::string error_;
};

// Writes `bytes` zero bytes to path; false when they did not all fit.
bool FillFile(const std::string& path, uint64_t bytes);

}  // namespace kelvara::test
