// Files and folders made by name inside an open folder: links are never followed, and the
// open file takes its date and permissions without its path being looked up again.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/file_handle.h"
#include "platform/file_system.h"
#include "testkit/temp_folder.h"

namespace {

namespace fs = std::filesystem;
namespace platform = kelvara::platform;
using kelvara::test::ReadFile;
using kelvara::test::TempFolder;
using kelvara::test::WriteFile;
using platform::ChildType;
using platform::FolderHandle;

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// Sets the umask for one test and puts the old one back.
class MaskScope {
  public:
    explicit MaskScope(mode_t mask) : old_(::umask(mask)) {}
    ~MaskScope() { ::umask(old_); }

  private:
    mode_t old_;
};

TEST(FolderHandle, ChildFoldersAreMadeAndOpenedButLinksAreNot) {
    TempFolder dir;
    fs::create_directories(dir / "outside");
    fs::create_directory_symlink(dir / "outside", dir / "link");
    WriteFile(dir / "file", "x");
    const FolderHandle root = FolderHandle::Open(dir.Path());
    ASSERT_TRUE(root.IsOpen());

    EXPECT_EQ(root.CreateChild("made"), 0);
    EXPECT_EQ(root.CreateChild("made"), EEXIST);
    EXPECT_EQ(root.CreateChild("link"), EEXIST);  // a link is something of that name too
    const FolderHandle made = root.OpenChild("made");
    EXPECT_TRUE(made.IsOpen());
    EXPECT_EQ(root.ChildTypeOf("made"), ChildType::kFolder);

    const FolderHandle link = root.OpenChild("link");
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(root.ChildTypeOf("link"), ChildType::kSymlink);
    EXPECT_FALSE(root.OpenChild("file").IsOpen());
    EXPECT_EQ(root.ChildTypeOf("file"), ChildType::kOther);
    int error = 0;
    EXPECT_EQ(root.ChildTypeOf("missing", &error), ChildType::kNone);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(root.OpenChild("missing").Error(), ENOENT);

    // The opened folder stays the one it was, whatever its name points to later.
    fs::rename(dir / "made", dir / "moved");
    fs::create_directory_symlink(dir / "outside", dir / "made");
    platform::FileHandle inside = made.CreateFile("f.txt", 0644);
    ASSERT_TRUE(inside.IsOpen());
    EXPECT_TRUE(fs::exists(dir / "moved/f.txt"));
    EXPECT_FALSE(fs::exists(dir / "outside/f.txt"));
}

TEST(FolderHandle, CreatingNeverFollowsALinkAndRemovingTakesTheLinkOnly) {
    TempFolder dir;
    fs::create_directories(dir / "sub");
    WriteFile(dir / "target.txt", "kept");
    fs::create_symlink(dir / "target.txt", dir / "sub/live");
    fs::create_symlink(dir / "nowhere.txt", dir / "sub/dangling");
    const FolderHandle sub = FolderHandle::Open(dir / "sub");

    EXPECT_EQ(sub.CreateFile("live", 0644).Error(), EEXIST);
    EXPECT_EQ(sub.CreateFile("dangling", 0644).Error(), EEXIST);
    EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));

    EXPECT_TRUE(sub.RemoveFile("live"));
    EXPECT_TRUE(sub.RemoveFile("dangling"));
    EXPECT_TRUE(sub.RemoveFile("never-there"));
    EXPECT_EQ(ReadFile(dir / "target.txt"), "kept");
    EXPECT_EQ(sub.ChildTypeOf("live"), ChildType::kNone);

    fs::create_directories(dir / "sub/folder");
    EXPECT_FALSE(sub.RemoveFile("folder"));
    EXPECT_TRUE(fs::is_directory(dir / "sub/folder"));
}

TEST(FolderHandle, ReadOnlyIsToldByTheOwnerWriteBitThroughLinks) {
    TempFolder dir;
    WriteFile(dir / "ro.txt", "x");
    WriteFile(dir / "rw.txt", "x");
    fs::permissions(dir / "ro.txt", fs::perms::owner_read | fs::perms::group_write);
    fs::create_symlink(dir / "ro.txt", dir / "to-ro");
    const FolderHandle folder = FolderHandle::Open(dir.Path());
    EXPECT_TRUE(folder.IsChildReadOnly("ro.txt"));
    EXPECT_TRUE(folder.IsChildReadOnly("to-ro"));
    EXPECT_FALSE(folder.IsChildReadOnly("rw.txt"));
    EXPECT_FALSE(folder.IsChildReadOnly("missing"));
}

TEST(FolderHandle, NewFilesTakeTheirModeLessTheMaskAndExactBitsLater) {
    TempFolder dir;
    const MaskScope mask(027);
    EXPECT_EQ(platform::FileCreationMask(), 027u);
    const FolderHandle folder = FolderHandle::Open(dir.Path());

    platform::FileHandle file = folder.CreateFile("a.sh", 0775);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(ModeOf(dir / "a.sh"), 0750u);
    // A file created without write bits is still written through its open handle.
    platform::FileHandle readOnly = folder.CreateFile("ro.txt", 0444);
    ASSERT_TRUE(readOnly.IsOpen());
    EXPECT_EQ(readOnly.WriteAll("data", 4), 4u);
    EXPECT_TRUE(readOnly.SetPermissions(04666));  // never setuid
    EXPECT_TRUE(readOnly.SetModified(1000000000));
    EXPECT_TRUE(readOnly.Close());
    EXPECT_EQ(ModeOf(dir / "ro.txt"), 0666u);
    EXPECT_EQ(platform::FileModified(dir / "ro.txt"), 1000000000);
    EXPECT_EQ(ReadFile(dir / "ro.txt"), "data");
}

}  // namespace
