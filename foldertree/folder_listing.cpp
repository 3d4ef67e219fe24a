#include "foldertree/folder_listing.h"

#include <QString>
#include <algorithm>

#include "foldertree/folder_name_order.h"
#include "platform/file_system.h"

namespace kelvara::foldertree {
namespace {

bool Admits(ObjectTypeSet types, const std::string& name, bool isFolder) {
    if (!(types & otHidden) && !name.empty() && name[0] == '.')
        return false;
    return (types & (isFolder ? otFolders : otNonFolders)) != 0;
}

// Whether the listed entry is a folder, following symbolic links; asks the file system only
// when the listing does not tell.
bool EntryIsFolder(const std::string& folder, const std::string& name, platform::ListedType type) {
    using platform::ListedType;
    if (type == ListedType::kFolder)
        return true;
    if (type != ListedType::kSymbolicLink && type != ListedType::kUnknown)
        return false;
    return platform::IsDirectory(platform::JoinPath(folder, name));
}

}  // namespace

std::vector<FolderListEntry> ListFolderItems(const std::string& folder, ObjectTypeSet types) {
    struct Keyed {
        FolderListEntry entry;
        QString key;
    };
    std::vector<Keyed> keyed;
    // The listing's own entry types: only links and the rare unknown entry are looked up, so a
    // large folder costs no call per entry.
    platform::VisitFolderEntries(folder, [&](const std::string& name, platform::ListedType type) {
        const bool isFolder = EntryIsFolder(folder, name, type);
        if (Admits(types, name, isFolder))
            keyed.push_back({{name, isFolder}, QString::fromStdString(name)});
        return true;
    });
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
    bool found = false;
    platform::VisitFolderEntries(folder, [&](const std::string& name, platform::ListedType type) {
        if (!(types & otHidden) && name[0] == '.')
            return true;
        const ObjectTypeSet both = otFolders | otNonFolders;
        // With both kinds listed any entry counts; only a one-kind filter needs the type.
        found = (types & both) == both || Admits(types, name, EntryIsFolder(folder, name, type));
        return !found;
    });
    return found;
}

}  // namespace kelvara::foldertree
