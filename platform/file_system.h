// File and folder services used across the program (POSIX underneath).
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvara::platform {

struct FolderEntry {
    std::string name;
    bool isDirectory = false;  // a symlink counts as what it points to
    uint64_t size = 0;
    time_t modified = 0;
};

// The entries of a folder (without "." and ".."), in the order the system returns them.
// An unreadable folder gives an empty list.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// The entries of a folder whose names `keep` accepts (asked with the name alone, before
// anything else is looked up), each looked up relative to the open folder: a few files of a
// large folder cost no look-ups of the others nor of the folder's own path again.
std::vector<FolderEntry> ListFolderMatching(const std::string& folder,
                                            const std::function<bool(const std::string&)>& keep);

// What an entry is as the folder listing reports it, without following symbolic links or
// asking the file system again.
enum class ListedType { kFolder, kSymbolicLink, kOther, kUnknown };

// Calls visit with the name and listed type of each entry of the folder (without "." and
// ".."), in the order the system returns them, until visit returns false: no more of the
// folder is read than that. False when the folder cannot be read.
bool VisitFolderEntries(const std::string& folder,
                        const std::function<bool(const std::string& name, ListedType type)>& visit);

// folder + "/" + name, without doubling a separator at the end of folder.
std::string JoinPath(const std::string& folder, const std::string& name);

bool PathExists(const std::string& path);
// True when anything, a dangling symbolic link included, exists at the path.
bool AnythingAt(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);
// Creates one folder level (mode 0777 less the umask); true when it exists afterwards.
bool CreateFolder(const std::string& path);
// Sets the file's access and modification times.
bool SetFileModified(const std::string& path, time_t when);
// The file's modification time, or -1.
time_t FileModified(const std::string& path);

// Read-only means the owner has no write permission bit. The bits are checked directly:
// root is never refused by the kernel.
bool IsReadOnly(const std::string& path);
bool SetReadOnly(const std::string& path, bool readOnly);
// Applies permission bits (only 0777: never setuid, setgid or sticky).
bool SetPermissions(const std::string& path, unsigned mode);

// Bytes an unprivileged user may still write on the file system that holds path (blocks
// available to non-root users times the fragment size). A path that does not exist yet is looked
// up through its nearest existing parent folder. Empty when the system cannot tell.
std::optional<uint64_t> FreeSpace(const std::string& path);

// The process's file-creation mask (the permission bits that new files and folders lose).
unsigned FileCreationMask();

// Removes a file (not a folder); true when it is gone afterwards.
bool RemoveFile(const std::string& path);
// Deletes a file, a symbolic link (not its target) or a folder with everything in it. True
// when nothing is left at the path afterwards.
bool RemoveWithContents(const std::string& path);
// Renames from to to; fails rather than replace an existing item at to.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

// The folder of the running executable, ending in "/" ("./" when it cannot be told).
std::string ExecutableFolder();

// True when both paths name the same existing file (device and inode).
bool IsSameFile(const std::string& a, const std::string& b);

// The text of errno for messages.
std::string LastErrorText();

// The current working folder, ending in "/" ("./" when it cannot be told).
std::string CurrentFolder();

// What a path names itself: a symbolic link is reported as one and never followed.
enum class LinkType { kNone, kRegular, kFolder, kSymlink, kOther };
struct LinkStatus {
    LinkType type = LinkType::kNone;
    int error = 0;  // with kNone: why nothing was found (ENOENT, ENAMETOOLONG, ...)
};
LinkStatus StatusNoFollow(const std::string& path);

// Creates one folder level (mode 0777 less the umask) and looks nothing up: 0 on success, else
// the error number (EEXIST when anything of that name is there, a symbolic link included).
int TryCreateFolder(const std::string& path);

}  // namespace kelvara::platform
