#include "platform/scratch_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kelvara::platform {
namespace {

bool UsableFolder(const char* path) {
    struct stat st;
    return path && *path == '/' && stat(path, &st) == 0 && S_ISDIR(st.st_mode) &&
           access(path, W_OK | X_OK) == 0;
}

}  // namespace

std::string ScratchFolder() {
    std::string path;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (UsableFolder(runtime)) {
        path = std::string(runtime) + "/kelvara";
    } else {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = (tmp && *tmp == '/') ? tmp : "/tmp";
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        path = base + "/kelvara-" + std::to_string(getuid());
    }
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        throw ScratchFolderError("Cannot create the scratch folder \"" + path +
                                 "\": " + std::strerror(errno));
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        throw ScratchFolderError("Cannot open the scratch folder \"" + path +
                                 "\": " + std::strerror(errno));
    if (S_ISLNK(st.st_mode))
        throw ScratchFolderError("The scratch folder \"" + path + "\" is a symbolic link");
    if (!S_ISDIR(st.st_mode))
        throw ScratchFolderError("The scratch folder \"" + path + "\" is not a folder");
    if (st.st_uid != getuid())
        throw ScratchFolderError("The scratch folder \"" + path + "\" belongs to another user");
    if ((st.st_mode & 0077) != 0)
        throw ScratchFolderError("The scratch folder \"" + path + "\" is open to other users");
    return path;
}

}  // namespace kelvara::platform
