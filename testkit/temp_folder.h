// Scratch folders and whole files for the tests, benchmarks and fuzz targets: a temporary folder
// removed with its contents when it goes out of scope, and whole-file read and write.
#pragma once

#include <string>

namespace kelvara::test {

// A fresh folder below $TMPDIR (the sandbox), removed with its contents on destruction.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, without a trailing "/".
    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Removes everything below `folder`, read-only entries included; the folder itself stays.
void EmptyFolder(const std::string& folder);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// Path of a file below tests/data.
std::string TestData(const std::string& name);

}  // namespace kelvara::test
