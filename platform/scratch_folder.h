// The private per-user scratch folder into which manifests, icons and viewer folders go.
#pragma once

#include <stdexcept>
#include <string>

namespace kelvara::platform {

class ScratchFolderError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// $XDG_RUNTIME_DIR/kelvara when that variable names a usable folder, else
// <$TMPDIR or /tmp>/kelvara-<uid>. Created with mode 0700 when missing. Throws
// ScratchFolderError when the path is a symlink, not a folder, not owned by the user, or
// open to others (a planted folder could redirect what the program extracts). No trailing "/".
std::string ScratchFolder();

}  // namespace kelvara::platform
