#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kelvara::platform {
namespace {

ListedType ListedTypeOf(unsigned char type) {
    switch (type) {
        case DT_DIR:
            return ListedType::kFolder;
        case DT_LNK:
            return ListedType::kSymbolicLink;
        case DT_UNKNOWN:
            return ListedType::kUnknown;
        default:
            return ListedType::kOther;
    }
}

}  // namespace

bool VisitFolderEntries(
    const std::string& folder,
    const std::function<bool(const std::string& name, ListedType type)>& visit) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    while (const dirent* d = readdir(dir)) {
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
            continue;
        if (!visit(d->d_name, ListedTypeOf(d->d_type)))
            break;
    }
    closedir(dir);
    return true;
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    VisitFolderEntries(folder, [&](const std::string& name, ListedType) {
        FolderEntry e;
        e.name = name;
        struct stat st;
        if (stat((prefix + e.name).c_str(), &st) == 0) {
            e.isDirectory = S_ISDIR(st.st_mode);
            e.size = static_cast<uint64_t>(st.st_size);
            e.modified = st.st_mtime;
        }
        entries.push_back(std::move(e));
        return true;
    });
    return entries;
}

std::vector<FolderEntry> ListFolderMatching(const std::string& folder,
                                            const std::function<bool(const std::string&)>& keep) {
    std::vector<FolderEntry> entries;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return entries;
    const int fd = dirfd(dir);
    while (const dirent* d = readdir(dir)) {
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
            continue;
        FolderEntry e;
        e.name = d->d_name;
        if (!keep(e.name))
            continue;
        struct stat st;
        if (fstatat(fd, d->d_name, &st, 0) == 0) {
            e.isDirectory = S_ISDIR(st.st_mode);
            e.size = static_cast<uint64_t>(st.st_size);
            e.modified = st.st_mtime;
        }
        entries.push_back(std::move(e));
    }
    closedir(dir);
    return entries;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

bool PathExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool AnythingAt(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CreateFolder(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 || IsDirectory(path);
}

bool SetFileModified(const std::string& path, time_t when) {
    struct timespec times[2];
    times[0].tv_sec = when;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

time_t FileModified(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mtime : static_cast<time_t>(-1);
}

bool IsReadOnly(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return false;
    mode_t mode = st.st_mode & 0777;
    mode = readOnly ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
    return chmod(path.c_str(), mode) == 0;
}

bool SetPermissions(const std::string& path, unsigned mode) {
    return chmod(path.c_str(), static_cast<mode_t>(mode & 0777)) == 0;
}

std::optional<uint64_t> FreeSpace(const std::string& path) {
    std::string at = path.empty() ? "." : path;
    while (true) {
        while (at.size() > 1 && at.back() == '/')
            at.pop_back();
        struct statvfs fs;
        if (statvfs(at.c_str(), &fs) == 0)
            return static_cast<uint64_t>(fs.f_bavail) * static_cast<uint64_t>(fs.f_frsize);
        if (errno != ENOENT && errno != ENOTDIR)
            return std::nullopt;
        // Not there yet: the folder will be created inside the nearest existing parent.
        const size_t cut = at.find_last_of('/');
        if (at == "/" || at == ".")
            return std::nullopt;
        at = cut == std::string::npos ? "." : (cut == 0 ? "/" : at.substr(0, cut));
    }
}

unsigned FileCreationMask() {
    // Read where the system shows it, so the mask is never changed, even for a moment, under
    // another thread that creates files.
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return mask & 0777;
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return static_cast<unsigned>(mask) & 0777;
}

bool RemoveFile(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
}

bool RemoveWithContents(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    return !AnythingAt(path);
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

std::string ExecutableFolder() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "./";
    std::string path(buffer, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string LastErrorText() {
    return std::strerror(errno);
}

std::string CurrentFolder() {
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer))
        return "./";
    std::string dir = buffer;
    return dir.back() == '/' ? dir : dir + "/";
}

LinkStatus StatusNoFollow(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return LinkStatus{LinkType::kNone, errno};
    const LinkType type = S_ISLNK(st.st_mode)   ? LinkType::kSymlink
                          : S_ISDIR(st.st_mode) ? LinkType::kFolder
                          : S_ISREG(st.st_mode) ? LinkType::kRegular
                                                : LinkType::kOther;
    return LinkStatus{type, 0};
}

int TryCreateFolder(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

}  // namespace kelvara::platform
