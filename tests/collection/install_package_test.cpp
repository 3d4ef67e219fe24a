#include <gtest/gtest.h>

#include <filesystem>

#include "collection/install_package.h"
#include "collection/package_deletion.h"
#include "platform/file_system.h"
#include "testkit/temp_folder.h"

namespace {

using kelvara::collection::BuildInstallPackage;
using kelvara::collection::DeletePackages;
using kelvara::collection::LinkLine;
using kelvara::test::FileExists;
using kelvara::test::ReadFile;
using kelvara::test::TempFolder;
using kelvara::test::WriteFile;

class InstallPackageTest : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_ / "collection");
        std::filesystem::create_directories(dir_ / "target");
        WriteFile(dir_ / "collection/clock.wgt", "clock package");
        WriteFile(dir_ / "collection/notes.wgt", "notes package");
        WriteFile(dir_ / "temp", "<html>\n<body>\n");
    }
    void Build(const std::vector<std::string>& captions,
               std::vector<std::string>* statuses = nullptr) {
        BuildInstallPackage(dir_ / "collection/", dir_ / "target", captions, dir_ / "temp",
                            [&](const std::string& s) {
                                if (statuses)
                                    statuses->push_back(s);
                            });
    }
    TempFolder dir_;
};

TEST_F(InstallPackageTest, PageHoldsTheTemplateThenOneLinkPerPackageAndTheClosingTags) {
    std::vector<std::string> statuses;
    Build({"clock.wgt", "notes.wgt"}, &statuses);
    EXPECT_EQ(ReadFile(dir_ / "target/clock.wgt"), "clock package");
    EXPECT_EQ(ReadFile(dir_ / "target/notes.wgt"), "notes package");
    EXPECT_EQ(ReadFile(dir_ / "target/Widgets.html"),
              "<html>\n<body>\n"
              "<p><a href=\"clock.wgt\"> Установить clock.wgt</a></p>\r\n"
              "<p><a href=\"notes.wgt\"> Установить notes.wgt</a></p>\r\n"
              "</body>\r\n</html>\r\n");
    EXPECT_EQ(statuses,
              (std::vector<std::string>{"Копирование clock.wgt...", "Копирование notes.wgt...",
                                        "Генерация страницы..."}));
}

TEST_F(InstallPackageTest, TemplateWithoutFinalBreakAndASecondRunReplacingTheFirst) {
    WriteFile(dir_ / "temp", "<body>");
    Build({"clock.wgt", "notes.wgt"});
    Build({"notes.wgt"});
    EXPECT_EQ(
        ReadFile(dir_ / "target/Widgets.html"),
        "<body><p><a href=\"notes.wgt\"> Установить notes.wgt</a></p>\r\n</body>\r\n</html>\r\n");
}

TEST_F(InstallPackageTest, MissingTemplateFailsAfterTheCopies) {
    std::filesystem::remove(dir_ / "temp");
    try {
        Build({"clock.wgt"});
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + (dir_ / "temp") + "\". No such file or directory");
    }
    EXPECT_TRUE(FileExists(dir_ / "target/clock.wgt"));
    EXPECT_FALSE(FileExists(dir_ / "target/Widgets.html"));
}

TEST_F(InstallPackageTest, NamesThatAreNotPlainFileNamesAreRefusedBeforeAnythingIsCopied) {
    std::filesystem::create_directories(dir_ / "elsewhere");
    WriteFile(dir_ / "elsewhere/w1.wgt", "outside");
    const std::string bad[] = {"",
                               ".",
                               "..",
                               "../elsewhere/w1.wgt",
                               "sub/clock.wgt",
                               "clock.wgt/",
                               "/etc/hostname",
                               std::string("a\0b", 3)};
    for (const std::string& name : bad) {
        try {
            Build({"clock.wgt", name});
            ADD_FAILURE() << "accepted \"" << name << "\"";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("Invalid package name"), std::string::npos)
                << e.what();
        }
        EXPECT_TRUE(std::filesystem::is_empty(dir_ / "target")) << name;
    }
    EXPECT_FALSE(FileExists(dir_ / "w1.wgt"));
    EXPECT_EQ(ReadFile(dir_ / "elsewhere/w1.wgt"), "outside");
    EXPECT_TRUE(kelvara::collection::IsPlainFileName("..clock.wgt"));
    EXPECT_TRUE(kelvara::collection::IsPlainFileName("my clock\\1.wgt"));
}

TEST(InstallPageLinks, CaptionsAreEscapedSoTheyCannotInjectMarkup) {
    EXPECT_EQ(LinkLine("a&b\".wgt"),
              "<p><a href=\"a%26b%22.wgt\"> Установить a&amp;b&quot;.wgt</a></p>");
    EXPECT_EQ(LinkLine("<x>.wgt"), "<p><a href=\"%3Cx%3E.wgt\"> Установить &lt;x&gt;.wgt</a></p>");
    EXPECT_EQ(LinkLine("my clock.wgt"),
              "<p><a href=\"my%20clock.wgt\"> Установить my clock.wgt</a></p>");
}

TEST(PackageDeletion, ReadOnlyAndMissingPackagesAreReportedAndKept) {
    TempFolder dir;
    WriteFile(dir / "a.wgt", "a");
    WriteFile(dir / "b.wgt", "b");
    kelvara::platform::SetReadOnly(dir / "b.wgt", true);
    std::vector<std::string> statuses;
    auto failed = DeletePackages(dir.Path() + "/", {"a.wgt", "b.wgt", "gone.wgt"},
                                 [&](const std::string& s) { statuses.push_back(s); });
    EXPECT_EQ(failed, (std::vector<std::string>{"b.wgt", "gone.wgt"}));
    EXPECT_FALSE(FileExists(dir / "a.wgt"));
    EXPECT_TRUE(FileExists(dir / "b.wgt"));
    EXPECT_EQ(statuses.front(), "Удаление a.wgt...");
}

}  // namespace
