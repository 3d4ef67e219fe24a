#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/documents_folder.h"
#include "testkit/temp_folder.h"
#include "testkit/test_sandbox.h"

namespace {

using kelvara::platform::CollectionFolder;
using kelvara::platform::CreateFolderPath;
using kelvara::platform::DocumentsFolder;
using kelvara::test::TempFolder;
using kelvara::test::WriteFile;

// Restores HOME and XDG_CONFIG_HOME after a test changed them.
class DocumentsFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        home_ = std::getenv("HOME");
        config_ = std::getenv("XDG_CONFIG_HOME");
        setenv("HOME", dir_.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        std::filesystem::create_directories(dir_ / "config");
    }
    void TearDown() override {
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    }
    void WriteUserDirs(const std::string& line) { WriteFile(dir_ / "config/user-dirs.dirs", line); }

    TempFolder dir_;
    std::string home_, config_;
};

TEST_F(DocumentsFolderTest, ValueWithHomeIsExpandedAndGetsOneSeparator) {
    WriteUserDirs(
        "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    EXPECT_EQ(DocumentsFolder(), dir_.Path() + "/Docs/");
    EXPECT_EQ(CollectionFolder(), dir_.Path() + "/Docs/My Widgets/");
}

TEST_F(DocumentsFolderTest, AbsoluteValueWithTrailingSeparatorGetsNoSecondOne) {
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"/srv/papers/\"\n");
    EXPECT_EQ(DocumentsFolder(), "/srv/papers/");
}

TEST_F(DocumentsFolderTest, MissingFileOrValueFallsBackToHomeDocuments) {
    EXPECT_EQ(DocumentsFolder(), dir_.Path() + "/Documents/");
    WriteUserDirs("XDG_MUSIC_DIR=\"$HOME/Music\"\n");
    EXPECT_EQ(DocumentsFolder(), dir_.Path() + "/Documents/");
}

TEST_F(DocumentsFolderTest, ConfigHomeDefaultsToDotConfig) {
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::create_directories(dir_ / ".config");
    WriteFile(dir_ / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papiers\"\n");
    EXPECT_EQ(DocumentsFolder(), dir_.Path() + "/Papiers/");
}

TEST_F(DocumentsFolderTest, NoHomeAndNoValueGivesRelativeCollectionFolder) {
    unsetenv("HOME");
    EXPECT_EQ(DocumentsFolder(), "");
    EXPECT_EQ(CollectionFolder(), "My Widgets/");
    // A $HOME value cannot be expanded without HOME either.
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    EXPECT_EQ(DocumentsFolder(), "");
}

TEST_F(DocumentsFolderTest, FolderPathIsCreatedWithEveryMissingParent) {
    const std::string collection = CollectionFolder();  // <home>/Documents/My Widgets/
    ASSERT_FALSE(std::filesystem::exists(dir_ / "Documents"));
    EXPECT_EQ(CreateFolderPath(collection), "");
    EXPECT_TRUE(std::filesystem::is_directory(collection));
    EXPECT_EQ(CreateFolderPath(collection), "");  // already there
    EXPECT_EQ(CreateFolderPath(dir_ / "a//b/./c"), "");
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "a/b/c"));
    // A relative path is created below the working folder.
    std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    EXPECT_EQ(CreateFolderPath("My Widgets/"), "");
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "My Widgets"));
}

TEST_F(DocumentsFolderTest, AFileInTheWayIsReportedAndKept) {
    WriteFile(dir_ / "Documents", "my notes");
    EXPECT_EQ(CreateFolderPath(CollectionFolder()), "Not a directory");
    EXPECT_EQ(kelvara::test::ReadFile(dir_ / "Documents"), "my notes");
    WriteFile(dir_ / "plain", "x");
    EXPECT_EQ(CreateFolderPath(dir_ / "plain"), "Not a directory");
    EXPECT_NE(CreateFolderPath(""), "");
}

}  // namespace
