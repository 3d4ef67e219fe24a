// Output folders are kept open from one entry to the next: files still land where their names
// say, however deep or scattered the folders, and whatever happens to a folder meanwhile.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive_input.h"
#include "archive/archive_messages.h"
#include "extract_helpers.h"
#include "testkit/zip_builder.h"

namespace {

using namespace kelvara::archive;
using kelvara::test::BuildZipOf;
using kelvara::test::FileExists;
using kelvara::test::ReadFile;
using kelvara::test::Recorded;
using kelvara::test::TempFolder;
using kelvara::test::ZipEntrySpec;
namespace fs = std::filesystem;

ZipEntrySpec Stored(const std::string& name, const std::string& data = "") {
    ZipEntrySpec e;
    e.name = name;
    e.data = data.empty() ? name : data;
    return e;
}

std::string Repeat(const std::string& part, int times) {
    std::string s;
    for (int i = 0; i < times; ++i)
        s += part;
    return s;
}

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

class OutputFolders : public ::testing::Test {
  protected:
    int Extract(std::vector<ZipEntrySpec> entries) {
        kelvara::test::Record(zip_, rec_, false);
        kelvara::test::Prepare(zip_, dir_, BuildZipOf(std::move(entries)));
        return zip_.Extract();
    }
    std::string Out(const std::string& name) const { return dir_ / ("out/" + name); }

    TempFolder dir_;
    TZipExtractor zip_;
    Recorded rec_;
};

TEST_F(OutputFolders, DeepAndScatteredFoldersEachGetTheirFiles) {
    // Deeper than the folders held open at once, then out to the root, back in part of the way,
    // into a sibling branch, and from the deepest folder up to one whose handle was let go.
    const std::string deep = Repeat("d/", 100);
    const std::string half = Repeat("d/", 50);
    EXPECT_EQ(Extract({Stored(deep + "1.txt"), Stored("top.txt"), Stored(half + "e/2.txt"),
                       Stored(deep + "3.txt"), Stored(half + "4.txt"), Stored("x/y/5.txt"),
                       Stored("x/6.txt"), Stored(deep + "7.txt"), Stored("d/d/8.txt")}),
              9);
    EXPECT_TRUE(rec_.errors.empty());
    for (const std::string& name :
         {deep + "1.txt", std::string("top.txt"), half + "e/2.txt", deep + "3.txt", half + "4.txt",
          std::string("x/y/5.txt"), std::string("x/6.txt"), deep + "7.txt"}) {
        EXPECT_EQ(ReadFile(Out(name)), name);
    }
    // A second run into the same folders (now all there) replaces the files.
    EXPECT_EQ(zip_.Extract(), 9);
    EXPECT_EQ(ReadFile(Out(deep + "7.txt")), deep + "7.txt");
}

TEST_F(OutputFolders, FolderRemovedBetweenEntriesIsMadeAgain) {
    zip_.OnBegin = [&](TArchiveCommon&, const std::string&, bool&, int ordinal) {
        if (ordinal == 2)
            fs::remove_all(Out("a"));
    };
    EXPECT_EQ(Extract({Stored("a/b/1.txt"), Stored("a/b/2.txt")}), 2);
    EXPECT_TRUE(rec_.errors.empty());
    EXPECT_FALSE(FileExists(Out("a/b/1.txt")));
    EXPECT_EQ(ReadFile(Out("a/b/2.txt")), "a/b/2.txt");
}

TEST_F(OutputFolders, FolderSwappedForALinkBetweenEntriesIsNotFollowed) {
    fs::create_directories(dir_ / "outside");
    zip_.OnBegin = [&](TArchiveCommon&, const std::string&, bool&, int ordinal) {
        if (ordinal == 2) {
            fs::remove_all(Out("a"));
            fs::create_directory_symlink(dir_ / "outside", Out("a"));
        }
    };
    EXPECT_EQ(Extract({Stored("a/1.txt"), Stored("a/2.txt"), Stored("c.txt")}), 2);
    EXPECT_EQ(rec_.ErrorCount(kMsgUnsafeEntryPath), 1);
    EXPECT_TRUE(fs::is_empty(dir_ / "outside"));
    EXPECT_EQ(ReadFile(Out("c.txt")), "c.txt");
}

TEST_F(OutputFolders, ExistingFilesAreReplacedUnlessReadOnly) {
    fs::create_directories(Out("f"));
    kelvara::test::WriteFile(Out("f/old.txt"), "old");
    kelvara::test::WriteFile(Out("f/kept.txt"), "kept");
    fs::permissions(Out("f/kept.txt"), fs::perms::owner_read);
    fs::create_directories(Out("f/folder.txt"));
    EXPECT_EQ(Extract({Stored("f/old.txt", "new"), Stored("f/kept.txt", "new"),
                       Stored("f/folder.txt", "new"), Stored("f/fresh.txt", "new")}),
              2);
    EXPECT_EQ(rec_.ErrorCount(kMsgErrorOpeningFile), 2);
    EXPECT_EQ(ReadFile(Out("f/old.txt")), "new");
    EXPECT_EQ(ReadFile(Out("f/kept.txt")), "kept");
    EXPECT_TRUE(fs::is_directory(Out("f/folder.txt")));
    EXPECT_EQ(ReadFile(Out("f/fresh.txt")), "new");
}

TEST_F(OutputFolders, StoredPermissionsAreExactAndOthersFollowTheUmask) {
    const mode_t old = ::umask(077);
    ZipEntrySpec shared = Stored("shared.txt");
    shared.versionMadeBy = 3 << 8;
    shared.externalAttributes = 0100664u << 16;
    ZipEntrySpec script = Stored("run.sh");
    script.versionMadeBy = 3 << 8;
    script.externalAttributes = 0100700u << 16;  // nothing for the umask to take
    ZipEntrySpec readOnly = Stored("ro.txt");
    readOnly.externalAttributes = 33;
    ZipEntrySpec plain = Stored("plain.txt");
    const int count = Extract({shared, script, readOnly, plain});
    ::umask(old);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(ModeOf(Out("shared.txt")), 0664u);
    EXPECT_EQ(ModeOf(Out("run.sh")), 0700u);
    EXPECT_EQ(ModeOf(Out("ro.txt")), 0400u);
    EXPECT_EQ(ModeOf(Out("plain.txt")), 0600u);
}

// Reads through the read-ahead windows give exactly the file's bytes, wherever they fall.
TEST(ArchiveInputWindows, ReadsMatchTheFileAtEveryPlace) {
    TempFolder dir;
    std::string bytes(300 * 1024 + 123, '\0');
    uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    kelvara::test::WriteFile(dir / "f.bin", bytes);
    ArchiveInput input;
    ASSERT_TRUE(input.Open(dir / "f.bin"));
    const int64_t size = static_cast<int64_t>(bytes.size());
    const int64_t window = static_cast<int64_t>(ArchiveInput::kWindowBytes);
    struct Read {
        int64_t at;
        size_t n;
    };
    // Alternating far-apart places, reads across a window's end, the largest read a window
    // serves and one larger, reads that run into the kept tail and past the file's end.
    const std::vector<Read> reads = {{0, 30},
                                     {200000, 46},
                                     {40, 100},
                                     {200046, 20},
                                     {window - 10, 30},
                                     {window + 5, 32768},
                                     {window * 2, 40000},
                                     {3, 32768},
                                     {size - 70000, 9000},
                                     {size - 10, 30},
                                     {size, 5},
                                     {size + 100, 5},
                                     {100, 0},
                                     {-1, 10}};
    for (const Read& r : reads) {
        std::string got(r.n, '\x55');
        const size_t n = input.ReadAt(r.at, got.data(), r.n);
        const int64_t available = r.at < 0 || r.at >= size ? 0 : size - r.at;
        const size_t expected = static_cast<size_t>(std::min<int64_t>(available, r.n));
        ASSERT_EQ(n, expected) << "at " << r.at;
        if (n > 0) {
            EXPECT_EQ(got.substr(0, n), bytes.substr(static_cast<size_t>(r.at), n))
                << "at " << r.at;
        }
    }
}

}  // namespace
