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

}  // namespace kelvara::platform
