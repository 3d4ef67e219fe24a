// Which changes a folder change notifier reports.
#pragma once

namespace kelvara::foldertree {

enum NotifyFilter : unsigned {
    nfFileNameChange = 1,    // a file created, deleted or renamed
    nfDirNameChange = 2,     // a folder created, deleted or renamed
    nfAttributeChange = 4,   // permissions, ownership, times set explicitly
    nfSizeChange = 8,        // content written
    nfLastWriteChange = 16,  // content written or a written file closed
    nfSecurityChange = 256,  // permissions or ownership
};
using NotifyFilterSet = unsigned;

constexpr NotifyFilterSet kDefaultNotifyFilters = nfFileNameChange | nfDirNameChange;

}  // namespace kelvara::foldertree
