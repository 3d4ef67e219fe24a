// A package built to overlap its entries (one shared stream behind many names) sits in the
// collection: the scan, a selection and the view command each refuse it with one error and
// write nothing.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTreeWidget>
#include <filesystem>

#include "../app/fake_dialogs.h"
#include "app/main_window.h"
#include "platform/documents_folder.h"
#include "platform/scratch_folder.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"
#include "viewer/viewer_window.h"

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

const QString kBombText = QStringLiteral("Overlapping entries (possible archive bomb)");

// Every regular file below the scratch folder.
std::vector<fs::path> ScratchFiles() {
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(platform::ScratchFolder(), ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file())
            files.push_back(it->path());
    }
    return files;
}

class HostilePackageTest : public testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(platform::DocumentsFolder());
        fs::remove_all(platform::ScratchFolder());
        fs::create_directories(platform::CollectionFolder());
        fs::copy_file(TestData("zip/hostile/overlap_bomb.zip"),
                      platform::CollectionFolder() + "bomb.wgt");
        WriteZip(
            platform::CollectionFolder() + "clock.wgt",
            {{"config.xml", "<widget height=\"1\"><description>Clock</description></widget>"}});
    }
    void TearDown() override { fs::remove_all(platform::DocumentsFolder()); }
    DialogLog log_;
};

TEST_F(HostilePackageTest, ScanSelectionAndViewEachShowOneErrorAndWriteNothing) {
    app::TForm1 form1(std::make_unique<FakeDialogs>(log_));
    viewer::TForm2 form2;
    form1.onView = [&form2](const std::string& archive, const std::string& folder) {
        form2.ViewPackage(archive, folder);
    };
    form1.FormCreate();
    ASSERT_EQ(form1.ListView1->topLevelItemCount(), 2);  // the row stays, without a name
    ASSERT_EQ(log_.errors.size(), 1);
    EXPECT_EQ(log_.errors[0], "bomb.wgt:\n" + kBombText);
    EXPECT_TRUE(ScratchFiles().empty());

    QTreeWidgetItem* bomb = form1.ListView1->topLevelItem(0);
    ASSERT_EQ(bomb->text(0), "bomb.wgt");
    form1.ListView1SelectItem(bomb);
    ASSERT_EQ(log_.errors.size(), 2);
    EXPECT_EQ(log_.errors[1], kBombText);
    EXPECT_TRUE(ScratchFiles().empty());

    form1.N5Click();
    ASSERT_EQ(log_.errors.size(), 3);
    EXPECT_EQ(log_.errors[2], kBombText);
    EXPECT_TRUE(ScratchFiles().empty());
    EXPECT_FALSE(form2.isVisible());
}

// Selections read the manifest and icon in memory: the scratch folder gets nothing, and
// files that earlier versions left there are never shown for a package without them.
TEST_F(HostilePackageTest, SelectionReadsInMemoryAndIgnoresLeftoversInTheScratchFolder) {
    fs::create_directories(platform::ScratchFolder());
    WriteFile(platform::ScratchFolder() + "/config.xml", "<widget height=\"99\"/>");
    fs::copy_file(TestData("pngsuite/basn6a08.png"), platform::ScratchFolder() + "/icon.png");
    WriteZip(platform::CollectionFolder() + "bare.wgt", {{"index.html", "<p>x</p>"}});
    app::TForm1 form1(std::make_unique<FakeDialogs>(log_));
    form1.FormCreate();
    log_.errors.clear();
    for (int row = 0; row < form1.ListView1->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = form1.ListView1->topLevelItem(row);
        if (item->text(0) != "bare.wgt")
            continue;
        form1.ListView1SelectItem(item);
        EXPECT_EQ(form1.Label4->text(), QStringLiteral("Неизвестно"));
        EXPECT_TRUE(form1.Image1->pixmap().isNull());
    }
    EXPECT_TRUE(log_.errors.isEmpty());
    const std::vector<fs::path> files = ScratchFiles();
    EXPECT_EQ(files.size(), 2u);  // only the two leftovers
}

}  // namespace
}  // namespace kelvara::test
