// The user's documents folder and the collection folder below it, computed afresh on each call.
#pragma once

#include <string>

namespace kelvara::platform {

// XDG_DOCUMENTS_DIR from $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config), with $HOME
// expanded; else $HOME/Documents. One "/" is appended when missing. With neither a value nor
// HOME: the empty string.
std::string DocumentsFolder();

// DocumentsFolder() + "My Widgets/".
std::string CollectionFolder();

// Creates `folder` together with every missing folder above it, as "mkdir -p" does (mode 0777
// less the umask); a relative path is taken from the working folder. Returns the empty string
// when `folder` is a directory afterwards, else the system's reason ("Not a directory" when a
// file stands in the way, "Permission denied", ...). Existing files are never touched.
std::string CreateFolderPath(const std::string& folder);

}  // namespace kelvara::platform
