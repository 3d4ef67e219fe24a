// Copying a package file with its modification time.
#pragma once

#include <stdexcept>
#include <string>

namespace kelvara::collection {

class CopyError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Copies `source` to `target`, replacing a file of that name, and gives the copy the source's
// modification time at two-second resolution. The copy is written to a temporary file beside
// the target and renamed over it only when complete, so a failure never destroys an existing
// target; copying a file onto itself is refused. Throws CopyError with one of the texts
// "Cannot open file "%s". %s", "Cannot create file "%s". %s", "Stream read error",
// "Stream write error".
void CopyFileKeepDate(const std::string& source, const std::string& target);

}  // namespace kelvara::collection
