#include "platform/tmpfs_mount.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace kelvara::platform {

TmpfsMount::TmpfsMount(const std::string& folder, uint64_t bytes) : folder_(folder) {
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        error_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

TmpfsMount::~TmpfsMount() {
    if (mounted_)
        ::umount2(folder_.c_str(), MNT_DETACH);
}

}  // namespace kelvara::platform
