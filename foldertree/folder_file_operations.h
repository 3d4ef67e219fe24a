// File operations behind the folder tree's context menu.
#pragma once

#include <string>

namespace kelvara::foldertree {

// Renames from to to; fails rather than replace an existing item at to.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

// Deletes a file, a symbolic link (not its target) or a folder with everything in it.
// True when nothing is left at the path afterwards.
bool RemovePath(const std::string& path);

// True when anything (a dangling symbolic link included) exists at the path.
bool AnythingAt(const std::string& path);

}  // namespace kelvara::foldertree
