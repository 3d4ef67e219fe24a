#include "archive/output_paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/code_pages.h"
#include "platform/file_system.h"

namespace kelvara::archive {
namespace {

constexpr uint16_t kUtf8NameFlag = 1u << 11;

size_t LastSeparator(std::string_view name) {
    return name.find_last_of("/:");
}

bool HasParentComponent(std::string_view path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (path.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

// Whether the file system can hold the relative part of a target below its base.
bool NameAccepted(const OutputTarget& t) {
    const std::string relative = t.folder + t.fileName;
    if (!platform::IsValidUtf8(relative) || t.Path().size() >= PATH_MAX)
        return false;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        if (end - start > NAME_MAX)
            return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

bool IsNameRefusal(int error) {
    return error == ENAMETOOLONG || error == EILSEQ;
}

std::string ConvertEntryName(std::string_view stored, uint16_t flags, bool translateOem) {
    std::string name = (flags & kUtf8NameFlag) || !translateOem ? std::string(stored)
                                                                : platform::Cp866ToUtf8(stored);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::string EntryFolder(std::string_view name) {
    const size_t cut = LastSeparator(name);
    if (cut == std::string_view::npos || cut == 0)
        return "";
    return std::string(name.substr(0, cut)) + "/";
}

std::string EntryFileName(std::string_view name) {
    const size_t cut = LastSeparator(name);
    return std::string(cut == std::string_view::npos ? name : name.substr(cut + 1));
}

std::string NormaliseExtractDir(const std::string& dir, const std::string& archiveFile) {
    if (dir.empty()) {
        const size_t cut = archiveFile.find_last_of('/');
        return cut == std::string::npos ? "" : archiveFile.substr(0, cut + 1);
    }
    return dir.back() == '/' ? dir : dir + "/";
}

OutputTarget FormOutputTarget(const std::string& nameIn, const std::string& extractDir,
                              bool useStoredDirs) {
    OutputTarget t;
    if (nameIn.empty())
        return t;
    t.base = extractDir.empty() || extractDir.back() == '/' ? extractDir : extractDir + "/";
    std::string name = nameIn;
    if (useStoredDirs) {
        // Drive letters and leading separators are dropped: the name is always taken as
        // relative to the target folder.
        if (name.find(':') != std::string::npos) {
            name.erase(0, std::min(name.size(), name.find('/') == 2 ? size_t{3} : size_t{2}));
        }
        const size_t first = name.find_first_not_of('/');
        name.erase(0, first == std::string::npos ? name.size() : first);
        const size_t cut = name.find_last_of('/');
        if (cut != std::string::npos) {
            t.folder = name.substr(0, cut + 1);
            t.fileName = name.substr(cut + 1);
        } else {
            t.fileName = name;
        }
    } else {
        t.fileName = EntryFileName(name);
    }
    // A NUL byte would cut the path short where the system reads it.
    t.unsafe = HasParentComponent(t.folder) || t.fileName == ".." ||
               nameIn.find('\0') != std::string::npos;
    t.nameRefused = !NameAccepted(t);
    return t;
}

OutputTarget HostTarget(const std::string& path) {
    OutputTarget t;
    const size_t cut = path.find_last_of('/');
    t.base = cut == std::string::npos ? "" : path.substr(0, cut + 1);
    t.fileName = cut == std::string::npos ? path : path.substr(cut + 1);
    t.hostChosen = true;
    return t;
}

bool CreateFolderWithParents(const std::string& path) {
    if (path.empty() || platform::IsDirectory(path))
        return true;
    const std::string full = path.back() == '/' ? path : path + "/";
    for (size_t i = full.find('/', 1); i != std::string::npos; i = full.find('/', i + 1)) {
        platform::CreateFolder(full.substr(0, i));
    }
    return platform::IsDirectory(path);
}

FolderResult CreateTargetFolders(const OutputTarget& target) {
    if (!CreateFolderWithParents(target.base))
        return FolderResult::kFailed;
    std::string path = target.base;
    size_t start = 0;
    while (start < target.folder.size()) {
        size_t end = target.folder.find('/', start);
        if (end == std::string::npos)
            end = target.folder.size();
        const std::string component = target.folder.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        if (component == "..")
            return FolderResult::kUnsafe;
        path += component;
        // Each component is looked at itself: a symbolic link is refused, never followed.
        platform::LinkStatus found = platform::StatusNoFollow(path);
        if (found.type == platform::LinkType::kNone) {
            if (IsNameRefusal(found.error))
                return FolderResult::kNameRefused;
            const int error = platform::TryCreateFolder(path);
            if (error != 0 && error != EEXIST)
                return IsNameRefusal(error) ? FolderResult::kNameRefused : FolderResult::kFailed;
            found = platform::StatusNoFollow(path);
            if (found.type == platform::LinkType::kNone)
                return FolderResult::kFailed;
        }
        if (found.type == platform::LinkType::kSymlink)
            return FolderResult::kUnsafe;
        if (found.type != platform::LinkType::kFolder)
            return FolderResult::kFailed;
        path += "/";
    }
    return FolderResult::kOk;
}

platform::FileHandle CreateOutputFile(const std::string& path, unsigned mode) {
    // A folder stays and makes the creation fail; anything else (a symbolic link included) goes.
    platform::RemoveFile(path);
    return platform::FileHandle::CreateNew(path, mode);
}

FolderResult OutputFolders::Open(const OutputTarget& target) {
    if (!baseFolder_.IsOpen() || base_ != target.base) {
        Clear();
        if (!CreateFolderWithParents(target.base))
            return FolderResult::kFailed;
        baseFolder_ = platform::FolderHandle::Open(target.base.empty() ? "." : target.base);
        if (!baseFolder_.IsOpen())
            return FolderResult::kFailed;
        base_ = target.base;
    }
    std::vector<std::string_view> parts;
    const std::string_view folder = target.folder;
    size_t start = 0;
    while (start < folder.size()) {
        size_t end = folder.find('/', start);
        if (end == std::string_view::npos)
            end = folder.size();
        const std::string_view part = folder.substr(start, end - start);
        start = end + 1;
        if (part == "..")
            return FolderResult::kUnsafe;
        if (!part.empty() && part != ".")
            parts.push_back(part);
    }
    // Keep the open folders the new target shares with the last one.
    size_t kept = 0;
    while (kept < names_.size() && kept < parts.size() && names_[kept] == parts[kept])
        ++kept;
    while (kept > 0 && !folders_[kept - 1].IsOpen())
        --kept;
    names_.resize(kept);
    folders_.resize(kept);
    for (size_t i = kept; i < parts.size(); ++i) {
        const platform::FolderHandle& parent = folders_.empty() ? baseFolder_ : folders_.back();
        const std::string name(parts[i]);
        platform::FolderHandle child = parent.OpenChild(name);
        if (!child.IsOpen() && child.Error() == ENOENT) {
            const int error = parent.CreateChild(name);
            if (error != 0 && error != EEXIST)
                return IsNameRefusal(error) ? FolderResult::kNameRefused : FolderResult::kFailed;
            child = parent.OpenChild(name);
        }
        if (!child.IsOpen()) {
            if (IsNameRefusal(child.Error()))
                return FolderResult::kNameRefused;
            // A symbolic link is refused, never followed; a file in the way simply fails.
            return parent.ChildTypeOf(name) == platform::ChildType::kSymlink
                       ? FolderResult::kUnsafe
                       : FolderResult::kFailed;
        }
        names_.push_back(name);
        folders_.push_back(std::move(child));
        if (folders_.size() > kMaxOpen)
            folders_[folders_.size() - 1 - kMaxOpen] = platform::FolderHandle();
    }
    return FolderResult::kOk;
}

const platform::FolderHandle& OutputFolders::Current() const {
    return folders_.empty() ? baseFolder_ : folders_.back();
}

void OutputFolders::Clear() {
    folders_.clear();
    names_.clear();
    baseFolder_ = platform::FolderHandle();
    base_.clear();
}

}  // namespace kelvara::archive
