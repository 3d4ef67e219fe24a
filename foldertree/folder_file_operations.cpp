#include "foldertree/folder_file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace kelvara::foldertree {

bool AnythingAt(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the no-replace flag: check first (a small race, but no silent
    // overwrite in the ordinary case).
    if (AnythingAt(to))
        return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemovePath(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    return !AnythingAt(path);
}

}  // namespace kelvara::foldertree
