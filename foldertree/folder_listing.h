// Reading a folder for the folder tree: which items are listed, in which order, and whether a
// folder has anything to list at all.
#pragma once

#include <string>
#include <vector>

namespace kelvara::foldertree {

// Kinds of items the tree lists; combine with |.
enum ObjectType : unsigned {
    otFolders = 1,
    otNonFolders = 2,
    otHidden = 4,  // names starting with "."
};
using ObjectTypeSet = unsigned;

struct FolderListEntry {
    std::string name;
    bool isFolder = false;  // a symbolic link counts as what it points to
};

// The items of a folder that the types admit, folders first, each in natural name order.
// An unreadable folder gives an empty list.
std::vector<FolderListEntry> ListFolderItems(const std::string& folder, ObjectTypeSet types);

// True when the folder holds at least one item that the types admit; stops at the first one.
bool FolderHasItems(const std::string& folder, ObjectTypeSet types);

}  // namespace kelvara::foldertree
