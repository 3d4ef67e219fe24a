// Which entries a list of masks selects, and where they are written.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_messages.h"
#include "archive/wildcard_mask.h"
#include "extract_helpers.h"
#include "platform/dos_time.h"
#include "platform/file_system.h"
#include "testkit/zip_builder.h"

namespace {

using namespace kelvara::archive;
using kelvara::test::BuildZipOf;
using kelvara::test::FileExists;
using kelvara::test::ReadFile;
using kelvara::test::Recorded;
using kelvara::test::TempFolder;
using kelvara::test::ZipEntrySpec;

ZipEntrySpec Stored(const std::string& name, const std::string& data = "x") {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    return e;
}

TEST(WildcardMask, Patterns) {
    EXPECT_TRUE(MatchesMask("*.png", "icon.PNG"));
    EXPECT_FALSE(MatchesMask("*.png", "icon.png.txt"));
    EXPECT_TRUE(MatchesMask("a?c", "abc"));
    EXPECT_FALSE(MatchesMask("a?c", "ac"));
    EXPECT_TRUE(MatchesMask("*?", "x"));  // "?" right after "*" is dropped
    EXPECT_TRUE(MatchesMask("*?", ""));
    EXPECT_TRUE(MatchesMask("a*b*c", "aXbYbZc"));
    EXPECT_FALSE(MatchesMask("a*b*c", "aXbYbZ"));
    EXPECT_TRUE(MatchesMask("*.", "README"));  // a trailing "." matches a name without one
    EXPECT_TRUE(MatchesMask("**x", "abx"));
}

TEST(WildcardMask, ManyStarGroupsNeedNoFixedLimit) {
    std::string mask, subject;
    for (int i = 0; i < 40; ++i) {
        mask += "*a";
        subject += "ba";
    }
    EXPECT_TRUE(MatchesMask(mask, subject));
    EXPECT_FALSE(MatchesMask(mask + "c", subject));
    EXPECT_FALSE(MatchesMask(mask, subject.substr(2)));
}

class Selection : public testing::Test {
  protected:
    int Extract(std::vector<ZipEntrySpec> entries, std::vector<std::string> masks) {
        kelvara::test::Prepare(zip_, dir_, BuildZipOf(std::move(entries)), std::move(masks));
        kelvara::test::Record(zip_, rec_, false);
        return zip_.Extract();
    }
    std::string Out(const std::string& rel) const { return dir_ / ("out/" + rel); }

    TempFolder dir_;
    TZipExtractor zip_;
    Recorded rec_;
};

TEST_F(Selection, MaskWithoutFolderMatchesInEveryFolder) {
    EXPECT_EQ(Extract({Stored("config.xml", "root"), Stored("x/config.xml", "sub"),
                       Stored("config.xmlx")},
                      {"config.xml"}),
              2);
    EXPECT_EQ(ReadFile(Out("config.xml")), "root");
    EXPECT_EQ(ReadFile(Out("x/config.xml")), "sub");
    EXPECT_FALSE(FileExists(Out("config.xmlx")));
}

TEST_F(Selection, WithoutRecursionOnlyTheMaskFolderCounts) {
    zip_.RecurseDirs = false;
    EXPECT_EQ(Extract({Stored("config.xml"), Stored("x/config.xml"), Stored("x/y.xml")},
                      {"config.xml", "X/*.xml"}),
              3);
    zip_.FileSpec = {"*.xml"};
    EXPECT_EQ(zip_.Extract(), 1);
}

TEST_F(Selection, StarDotStarTakesNamesWithoutDotAndCaseIsIgnored) {
    EXPECT_EQ(Extract({Stored("README"), Stored("img/a.png")}, {"*.*"}), 2);
    EXPECT_EQ(Extract({Stored("config.xml")}, {"Config.XML"}), 1);
    EXPECT_EQ(Extract({Stored("config.xml"), Stored("c.txt")}, {"", "*.PNG", "*.xml"}), 1);
    EXPECT_EQ(Extract({Stored("README")}, {"README"}), 1);
}

TEST_F(Selection, MaskWithoutDotGainsOneInFileSpec) {
    EXPECT_EQ(Extract({Stored("READ")}, {"RE*"}), 1);
    EXPECT_EQ(Extract({Stored("a.txt")}, {"b"}), 0);
    EXPECT_EQ(zip_.FileSpec, std::vector<std::string>{"b."});
}

TEST_F(Selection, ExtractDirIsStoredWithTrailingSeparator) {
    zip_.SetExtractDir(dir_ / "t");
    EXPECT_EQ(zip_.ExtractDir(), dir_ / "t/");
    zip_.SetExtractDir(dir_ / "t/");
    EXPECT_EQ(zip_.ExtractDir(), dir_ / "t/");
    kelvara::test::WriteFile(dir_ / "a.zip", BuildZipOf({Stored("f.txt")}));
    zip_.SetArchiveFile(dir_ / "a.zip");
    zip_.SetExtractDir("");
    EXPECT_EQ(zip_.ExtractDir(), dir_.Path() + "/");
}

TEST_F(Selection, StoredFoldersAndDrivesBecomeRelative) {
    EXPECT_EQ(Extract({Stored("C:\\x\\y.txt", "1"), Stored("\\z.txt", "2"),
                       Stored("a/b/c.txt", "3"), Stored("/abs/d.txt", "4")},
                      {"*.*"}),
              4);
    EXPECT_EQ(ReadFile(Out("x/y.txt")), "1");
    EXPECT_EQ(ReadFile(Out("z.txt")), "2");
    EXPECT_EQ(ReadFile(Out("a/b/c.txt")), "3");
    EXPECT_EQ(ReadFile(Out("abs/d.txt")), "4");
}

TEST_F(Selection, WithoutStoredDirsEverythingLandsInTheTarget) {
    zip_.UseStoredDirs = false;
    EXPECT_EQ(Extract({Stored("img/a.png", "p")}, {"*.png"}), 1);
    EXPECT_EQ(ReadFile(Out("a.png")), "p");
}

TEST_F(Selection, DirectoryEntriesNeedCreateStoredDirs) {
    ZipEntrySpec folder = Stored("empty/", "");
    folder.externalAttributes = 16;
    EXPECT_EQ(Extract({folder, Stored("full/f.txt")}, {"*.*"}), 1);
    EXPECT_FALSE(FileExists(Out("empty")));
    EXPECT_TRUE(FileExists(Out("full/f.txt")));
    zip_.CreateStoredDirs = true;
    EXPECT_EQ(zip_.Extract(), 1);
    EXPECT_TRUE(kelvara::platform::IsDirectory(Out("empty")));
}

TEST_F(Selection, OverwritePolicy) {
    EXPECT_EQ(Extract({Stored("f.txt", "new"), Stored("ro.txt", "new")}, {"*.*"}), 2);
    kelvara::test::WriteFile(Out("f.txt"), "old");
    kelvara::platform::SetReadOnly(Out("ro.txt"), true);
    kelvara::test::WriteFile(Out("f.txt"), "old");
    // The existing file is replaced; the read-only one stays and is not counted.
    EXPECT_EQ(zip_.Extract(), 1);
    EXPECT_EQ(ReadFile(Out("f.txt")), "new");
    EXPECT_EQ(rec_.ErrorCount(kMsgErrorOpeningFile), 1);

    zip_.OverwriteMode = omSkip;
    EXPECT_EQ(zip_.Extract(), 0);
}

TEST_F(Selection, ConfirmOverwritesAsksOrSkips) {
    EXPECT_EQ(Extract({Stored("f.txt", "new")}, {"*.*"}), 1);
    zip_.ConfirmOverwrites = true;
    EXPECT_EQ(zip_.Extract(), 0);  // no OnFileExists: reported and skipped
    EXPECT_EQ(rec_.ErrorCount(kMsgRequiredEventNotAssigned), 1);
    zip_.OnFileExists = [&](TArchiveCommon&, const std::string&, TOverwriteMode& mode,
                            std::string& newPath) {
        mode = omOverwrite;
        newPath = dir_ / "out/renamed.txt";
    };
    EXPECT_EQ(zip_.Extract(), 1);
    EXPECT_EQ(ReadFile(Out("renamed.txt")), "new");
}

TEST_F(Selection, BeginCanSkipAndEventsSeeOrdinals) {
    std::vector<int> ordinals;
    zip_.OnBegin = [&](TArchiveCommon&, const std::string& path, bool& proceed, int ordinal) {
        ordinals.push_back(ordinal);
        proceed = path.find("skip") == std::string::npos;
    };
    EXPECT_EQ(Extract({Stored("a.txt"), Stored("skip.txt"), Stored("b.txt")}, {"*.*"}), 2);
    EXPECT_EQ(ordinals, (std::vector<int>{1, 2, 2}));
    EXPECT_FALSE(FileExists(Out("skip.txt")));
}

TEST_F(Selection, NestedExtractFromThePumpIsRefused) {
    int nested = -1;
    zip_.ProcessMessages = [&] {
        if (nested < 0)
            nested = zip_.Extract();
    };
    EXPECT_EQ(Extract({Stored("a.txt"), Stored("b.txt")}, {"*.*"}), 2);
    EXPECT_EQ(nested, 0);
}

TEST_F(Selection, UnixPermissionsAndReadOnlyAttribute) {
    ZipEntrySpec unixEntry = Stored("run.sh");
    unixEntry.versionMadeBy = 3 << 8;
    unixEntry.externalAttributes = (0104755u << 16);  // setuid must not survive
    ZipEntrySpec dosReadOnly = Stored("ro.txt");
    dosReadOnly.externalAttributes = 33;
    EXPECT_EQ(Extract({unixEntry, dosReadOnly}, {"*.*"}), 2);
    std::error_code ec;
    const std::filesystem::perms mode = std::filesystem::status(Out("run.sh"), ec).permissions();
    ASSERT_FALSE(ec) << ec.message();
    EXPECT_EQ(static_cast<unsigned>(mode) & 07777, 0755u);
    EXPECT_TRUE(kelvara::platform::IsReadOnly(Out("ro.txt")));
}

}  // namespace

namespace {

TEST_F(Selection, FileDateComesFromTheEntryOrTheLatestOne) {
    ZipEntrySpec older = Stored("old.txt");
    ZipEntrySpec newer = Stored("new.txt");
    newer.dosDateTime += 1u << 25;  // a year later
    EXPECT_EQ(Extract({older, newer}, {"*.*"}), 2);
    EXPECT_EQ(kelvara::platform::FileModified(Out("old.txt")),
              kelvara::platform::DosDateTimeToUnix(older.dosDateTime));
    zip_.DateAttribute = daMaxFileDate;
    EXPECT_EQ(zip_.Extract(), 2);
    EXPECT_EQ(kelvara::platform::FileModified(Out("old.txt")),
              kelvara::platform::DosDateTimeToUnix(newer.dosDateTime));
}

}  // namespace
