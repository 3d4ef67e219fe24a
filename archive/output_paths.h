// Entry names and the output paths formed from them below the target folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// Replaces any file of that name by a new empty one (mode less the umask), never following a
// symbolic link; on failure the handle is not open and its Error() tells why.
platform::FileHandle CreateOutputFile(const std::string& path, unsigned mode = 0666);

// The folders of the latest output file, held open from the target's base down, so that the
// next file in the same folder (or a neighbouring one) is created without looking up or
// creating anything on the way. Each folder below the base is opened by name from its parent
// without following a symbolic link: nothing is written outside the base, even when a folder
// is swapped for a link while the run goes on.
class OutputFolders {
  public:
    // Opens the target's base (created with its parents when missing) and its folders below
    // it, creating those that are missing. A symbolic link on the way gives kUnsafe, a name the
    // file system refuses kNameRefused.
    FolderResult Open(const OutputTarget& target);
    // The target's own folder after Open gave kOk.
    const platform::FolderHandle& Current() const;
    // Closes every folder; the next Open starts from the base again.
    void Clear();

  private:
    // Deep trees keep only the innermost folders open, so the handles stay few.
    static constexpr size_t kMaxOpen = 64;

    std::string base_;
    platform::FolderHandle baseFolder_;
    std::vector<std::string> names_;               // the folders below the base, outermost first
    std::vector<platform::FolderHandle> folders_;  // folders_[i] holds names_[0..i]; may be closed
};

}  // namespace kelvara::archive
