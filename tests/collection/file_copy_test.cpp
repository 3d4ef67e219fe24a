#include <gtest/gtest.h>

#include <filesystem>

#include "collection/file_copy.h"
#include "platform/dos_time.h"
#include "platform/file_system.h"
#include "testkit/temp_folder.h"

namespace {

using kelvara::collection::CopyError;
using kelvara::collection::CopyFileKeepDate;
using kelvara::test::ReadFile;
using kelvara::test::TempFolder;
using kelvara::test::WriteFile;

std::string ErrorOf(const std::string& source, const std::string& target) {
    try {
        CopyFileKeepDate(source, target);
    } catch (const CopyError& e) {
        return e.what();
    }
    return "";
}

TEST(CopyFileKeepDate, CopiesContentAndKeepsTheDateToTheEvenSecond) {
    TempFolder dir;
    WriteFile(dir / "a.wgt", std::string(200000, 'q') + "end");
    time_t odd = 1'234'567'891;  // an odd second
    kelvara::platform::SetFileModified(dir / "a.wgt", odd);
    WriteFile(dir / "b.wgt", "old content");
    CopyFileKeepDate(dir / "a.wgt", dir / "b.wgt");
    EXPECT_EQ(ReadFile(dir / "b.wgt"), ReadFile(dir / "a.wgt"));
    EXPECT_EQ(kelvara::platform::FileModified(dir / "b.wgt"),
              kelvara::platform::RoundToDosResolution(odd));
    // Nothing is left behind beside the target.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(CopyFileKeepDate, ReadOnlySourceGivesAWritableCopy) {
    TempFolder dir;
    WriteFile(dir / "a.wgt", "x");
    kelvara::platform::SetReadOnly(dir / "a.wgt", true);
    CopyFileKeepDate(dir / "a.wgt", dir / "b.wgt");
    EXPECT_FALSE(kelvara::platform::IsReadOnly(dir / "b.wgt"));
}

TEST(CopyFileKeepDate, MissingSourceNamesThePath) {
    TempFolder dir;
    EXPECT_EQ(ErrorOf(dir / "none.wgt", dir / "b.wgt"),
              "Cannot open file \"" + (dir / "none.wgt") + "\". No such file or directory");
    EXPECT_FALSE(kelvara::test::FileExists(dir / "b.wgt"));
}

TEST(CopyFileKeepDate, CopyOntoItselfIsRefusedAndThePackageStaysIntact) {
    TempFolder dir;
    WriteFile(dir / "a.wgt", "precious");
    std::string error = ErrorOf(dir / "a.wgt", dir / "a.wgt");
    EXPECT_EQ(error.rfind("Cannot create file \"" + (dir / "a.wgt") + "\". ", 0), 0u) << error;
    // The same file reached through another path.
    std::filesystem::create_directory_symlink(dir.Path(), dir / "link");
    EXPECT_NE(ErrorOf(dir / "a.wgt", dir / "link/a.wgt"), "");
    EXPECT_EQ(ReadFile(dir / "a.wgt"), "precious");
}

TEST(CopyFileKeepDate, FailedCreationKeepsTheExistingTarget) {
    TempFolder dir;
    WriteFile(dir / "a.wgt", "new");
    std::filesystem::create_directory(dir / "target");
    WriteFile(dir / "target/a.wgt", "old");
    // A folder of that name cannot be replaced by a file.
    std::filesystem::create_directory(dir / "target/b.wgt");
    EXPECT_EQ(ErrorOf(dir / "a.wgt", dir / "target/b.wgt").rfind("Cannot create file", 0), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "target/b.wgt"));
    // A missing target folder.
    EXPECT_EQ(ErrorOf(dir / "a.wgt", dir / "nowhere/a.wgt").rfind("Cannot create file", 0), 0u);
    EXPECT_EQ(ReadFile(dir / "target/a.wgt"), "old");
}

}  // namespace
