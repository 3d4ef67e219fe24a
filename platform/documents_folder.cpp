#include "platform/documents_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace kelvara::platform {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// Reads XDG_DOCUMENTS_DIR="..." from a user-dirs.dirs file: shell-style double quotes with
// backslash escapes and a leading $HOME. Returns the empty string when absent.
std::string ReadUserDirsValue(const std::string& file, const std::string& home) {
    std::ifstream in(file);
    std::string line, value;
    while (std::getline(in, line)) {
        size_t p = line.find_first_not_of(" \t");
        if (p == std::string::npos || line[p] == '#')
            continue;
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.compare(p, key.size(), key) != 0)
            continue;
        std::string raw = line.substr(p + key.size());
        std::string v;
        if (!raw.empty() && raw[0] == '"') {
            for (size_t i = 1; i < raw.size() && raw[i] != '"'; ++i) {
                if (raw[i] == '\\' && i + 1 < raw.size())
                    ++i;
                v += raw[i];
            }
        } else {
            v = raw.substr(0, raw.find_first_of(" \t"));
        }
        if (v.rfind("$HOME", 0) == 0 && (v.size() == 5 || v[5] == '/')) {
            if (home.empty())
                continue;  // cannot be expanded
            v = home + v.substr(5);
        } else if (!v.empty() && v[0] != '/') {
            if (home.empty())
                continue;
            v = home + "/" + v;  // relative values are taken from the home folder
        }
        value = v;  // the last assignment wins, as in a shell
    }
    return value;
}

}  // namespace

std::string DocumentsFolder() {
    std::string home = Env("HOME");
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty() && !home.empty())
        config = home + "/.config";
    std::string folder;
    if (!config.empty())
        folder = ReadUserDirsValue(config + "/user-dirs.dirs", home);
    if (folder.empty() && !home.empty())
        folder = home + "/Documents";
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string CollectionFolder() {
    return DocumentsFolder() + "My Widgets/";
}

std::string CreateFolderPath(const std::string& folder) {
    if (folder.empty())
        return std::strerror(ENOENT);
    auto isDirectory = [](const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    // Each prefix that ends just before a separator, then the whole path: the folders from the
    // top down.
    for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string prefix = folder.substr(0, end);
        if (!prefix.empty() && prefix.back() != '/' && !isDirectory(prefix)) {
            if (mkdir(prefix.c_str(), 0777) != 0) {
                int error = errno;
                if (error == EEXIST) {
                    // Made meanwhile by someone else, or a file that is in the way.
                    if (!isDirectory(prefix))
                        return std::strerror(ENOTDIR);
                } else {
                    return std::strerror(error);
                }
            }
        }
        if (end == std::string::npos)
            break;
    }
    return isDirectory(folder) ? std::string() : std::strerror(ENOTDIR);
}

}  // namespace kelvara::platform
