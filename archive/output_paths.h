// Entry names and the output paths formed from them below the target folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_handle.h"

namespace kelvara::archive {

// A stored name as the program uses it: UTF-8 when flag bit 11 says so, else CP866 converted to
// UTF-8 (when translateOem is set), with every "\" turned into "/".
std::string ConvertEntryName(std::string_view stored, uint16_t flags, bool translateOem);

// The folder part of a name (everything before the last "/" or ":") with a trailing "/", or ""
// for a name without one.
std::string EntryFolder(std::string_view name);
// The part after the last "/" or ":".
std::string EntryFileName(std::string_view name);

// The stored form of an assigned target folder: with a trailing "/". An empty value gives the
// folder of the archive file (or "").
std::string NormaliseExtractDir(const std::string& dir, const std::string& archiveFile);

// Where an entry goes: base (the target folder, ending in "/"), the entry's own folders below it
// and the file name. unsafe is set for a name that would leave the base (".."); nameRefused for
// one the file system cannot take (a component longer than NAME_MAX, a path of PATH_MAX bytes or
// more, or bytes that are not UTF-8).
struct OutputTarget {
    std::string base;
    std::string folder;  // relative, ends with "/" when not empty
    std::string fileName;
    bool unsafe = false;
    bool nameRefused = false;
    bool hostChosen = false;  // a path given by an event handler, taken as it is

    std::string Path() const { return base + folder + fileName; }
    bool Empty() const { return base.empty() && folder.empty() && fileName.empty(); }
};

OutputTarget FormOutputTarget(const std::string& name, const std::string& extractDir,
                              bool useStoredDirs);
// A target for a full path chosen by an event handler.
OutputTarget HostTarget(const std::string& path);

enum class FolderResult { kOk, kUnsafe, kFailed, kNameRefused };

// True for an error number by which the file system refuses a name (too long, bad encoding).
bool IsNameRefusal(int error);

// Creates a folder with all its parents (failures on the way are ignored); true when it exists.
bool CreateFolderWithParents(const std::string& path);
// Creates the target's base and its folders below it. A folder below the base that is a symbolic
// link is refused, so nothing is ever written outside the base; a folder name the file system
// refuses gives kNameRefused.
FolderResult CreateTargetFolders(const OutputTarget& target);

// Replaces any file of that name by a new empty one, never following a symbolic link; on
// failure the handle is not open and its Error() tells why.
platform::FileHandle CreateOutputFile(const std::string& path);

}  // namespace kelvara::archive
