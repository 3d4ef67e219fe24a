#include "foldertree/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QString>
#include <algorithm>
#include <cstring>

#include "foldertree/folder_name_order.h"
#include "platform/file_system.h"

namespace kelvara::foldertree {
namespace {

bool Admits(ObjectTypeSet types, const std::string& name, bool isFolder) {
    if (!(types & otHidden) && !name.empty() && name[0] == '.')
        return false;
    return (types & (isFolder ? otFolders : otNonFolders)) != 0;
}

// Whether the directory entry is a folder, following symbolic links; stat only when the
// entry's type does not tell.
bool EntryIsFolder(const std::string& folder, const dirent* entry) {
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    return platform::IsDirectory(JoinPath(folder, entry->d_name));
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::vector<FolderListEntry> ListFolderItems(const std::string& folder, ObjectTypeSet types) {
    struct Keyed {
        FolderListEntry entry;
        QString key;
    };
    std::vector<Keyed> keyed;
    for (auto& e : platform::ListFolder(folder)) {
        if (!Admits(types, e.name, e.isDirectory))
            continue;
        QString key = QString::fromStdString(e.name);
        keyed.push_back({{std::move(e.name), e.isDirectory}, std::move(key)});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.entry.isFolder != b.entry.isFolder)
            return a.entry.isFolder;
        return CompareNamesNaturally(a.key, b.key) < 0;
    });
    std::vector<FolderListEntry> entries;
    entries.reserve(keyed.size());
    for (auto& k : keyed)
        entries.push_back(std::move(k.entry));
    return entries;
}

bool FolderHasItems(const std::string& folder, ObjectTypeSet types) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    bool found = false;
    while (!found) {
        const dirent* entry = readdir(dir);
        if (!entry)
            break;
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        const std::string name = entry->d_name;
        if (!(types & otHidden) && name[0] == '.')
            continue;
        const ObjectTypeSet both = otFolders | otNonFolders;
        // With both kinds listed any entry counts; only a one-kind filter needs the type.
        found = (types & both) == both || Admits(types, name, EntryIsFolder(folder, entry));
    }
    closedir(dir);
    return found;
}

}  // namespace kelvara::foldertree
