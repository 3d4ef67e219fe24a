#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "../app/fake_dialogs.h"
#include "app/main_window.h"
#include "foldertree/folder_tree_view.h"
#include "highlight/css_highlighter.h"
#include "highlight/xml_highlighter.h"
#include "platform/documents_folder.h"
#include "platform/scratch_folder.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"
#include "textview/qt/code_view.h"
#include "viewer/preview_kind.h"
#include "viewer/viewer_window.h"

namespace kelvara::test {
namespace {

using viewer::PreviewKind;
using viewer::PreviewKindOf;

class ViewerTest : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(platform::DocumentsFolder());
        std::filesystem::create_directories(platform::CollectionFolder());
        WriteZip(platform::CollectionFolder() + "clock.wgt",
                 {{"config.xml", "<widget height=\"1\"><description>Clock</description></widget>"},
                  {"icon.png", ReadFile(TestData("pngsuite/basn6a08.png"))},
                  {"readme.txt", "plain text\nsecond line"},
                  {"STYLE.Css", "a { color: red; }"},
                  {"style.css", "b { color: blue; }"},
                  {"page.htm", "<p>x</p>"},
                  {"data.json", "{}"},
                  {"Makefile", "all:"},
                  {"notes.abcdefghijkl", "long extension"},
                  {"js/main.js", "var x = 1;"}});
        form1_ = std::make_unique<app::TForm1>(std::make_unique<FakeDialogs>(log_));
        form1_->FormCreate();
        form2_ = std::make_unique<viewer::TForm2>();
        form2_->ShowError = [this](const QString& text) { viewerErrors_ << text; };
        form1_->onView = [this](const std::string& archive, const std::string& folder) {
            form2_->ViewPackage(archive, folder);
        };
    }
    void TearDown() override {
        form2_.reset();
        form1_.reset();
        std::filesystem::remove_all(platform::DocumentsFolder());
    }
    void ViewFirstPackage() {
        form1_->ListView1SelectItem(form1_->ListView1->topLevelItem(0));
        form1_->N5Click();
    }
    void Click(const std::string& relative) {
        auto* node = form2_->FolderTree1->FindNode(form2_->FolderTree1->RootFolder() +
                                                   (relative.empty() ? "" : "/" + relative));
        ASSERT_NE(node, nullptr) << relative;
        form2_->FolderTree1->SetSelected(node);
        form2_->FolderTree1Click();
    }
    QString PathPanel() { return form2_->StatusPanels[5]->text(); }
    // Nothing previewed: no picture, no lines, no path.
    bool PreviewIsEmpty() {
        return form2_->Image1->pixmap().isNull() && form2_->CodeView1->Lines().Count() == 0 &&
               PathPanel().isEmpty();
    }
    // Selects a node as the keyboard does: no click, so the preview stays.
    void Select(const std::string& relative) {
        auto* node = form2_->FolderTree1->FindNode(form2_->FolderTree1->RootFolder() +
                                                   (relative.empty() ? "" : "/" + relative));
        ASSERT_NE(node, nullptr) << relative;
        form2_->FolderTree1->SetSelected(node);
    }

    DialogLog log_;
    QStringList viewerErrors_;
    std::unique_ptr<app::TForm1> form1_;
    std::unique_ptr<viewer::TForm2> form2_;
};

TEST_F(ViewerTest, ViewUnpacksThePackageAndShowsItsTree) {
    ViewFirstPackage();
    EXPECT_TRUE(log_.errors.isEmpty()) << log_.errors.join("|").toStdString();
    EXPECT_TRUE(form2_->isVisible());
    EXPECT_EQ(form2_->windowTitle(), QStringLiteral("Просмотр виджета - clock.wgt"));
    ASSERT_EQ(form2_->FolderTree1->topLevelItemCount(), 1);
    EXPECT_EQ(form2_->FolderTree1->TopNode()->Text(), QStringLiteral("clock.wgt"));
    EXPECT_TRUE(FileExists(form1_->ViewerFolderPath() + "/js/main.js"));
    EXPECT_EQ(form1_->ViewerFolderPath(), platform::ScratchFolder() + "/clock.wgt");
}

TEST_F(ViewerTest, ClickingTheTopNodeOnlySetsThePath) {
    ViewFirstPackage();
    Click("");
    EXPECT_EQ(PathPanel(), QString::fromStdString(form1_->ViewerFolderPath()));
    EXPECT_EQ(form2_->CodeView1->Lines().Count(), 0);
    EXPECT_EQ(form2_->CodeView1->Highlighter(), nullptr);
}

TEST_F(ViewerTest, ExtensionsChooseTheHighlighterOrThePicture) {
    ViewFirstPackage();
    Click("config.xml");
    EXPECT_TRUE(form2_->CodeView1->isVisible());
    EXPECT_EQ(form2_->CodeView1->Highlighter(), form2_->XmlHighlighter1.get());
    EXPECT_EQ(PathPanel(), QString::fromStdString(form1_->ViewerFolderPath() + "/config.xml"));

    Click("icon.png");
    EXPECT_FALSE(form2_->CodeView1->isVisible());
    EXPECT_EQ(form2_->Image1->geometry(), QRect(16, 24, 32, 32));
    EXPECT_FALSE(form2_->Image1->pixmap().isNull());

    Click("readme.txt");  // the picture stays on view
    EXPECT_FALSE(form2_->CodeView1->isVisible());
    EXPECT_EQ(form2_->CodeView1->Lines().Count(), 2);
    EXPECT_EQ(form2_->CodeView1->Highlighter(), form2_->XmlHighlighter1.get());

    Click("STYLE.Css");
    EXPECT_TRUE(form2_->CodeView1->isVisible());
    EXPECT_EQ(form2_->CodeView1->Highlighter(), form2_->CssHighlighter1.get());
    Click("style.css");
    EXPECT_EQ(form2_->CodeView1->Highlighter(), form2_->CssHighlighter1.get());
    for (const char* other : {"page.htm", "data.json", "Makefile", "notes.abcdefghijkl"}) {
        Click(other);
        EXPECT_EQ(form2_->CodeView1->Highlighter(), form2_->CssHighlighter1.get()) << other;
        EXPECT_TRUE(form2_->CodeView1->isVisible());
        EXPECT_EQ(form2_->CodeView1->Lines().Count(), 1) << other;
    }
    EXPECT_TRUE(viewerErrors_.isEmpty());
}

TEST_F(ViewerTest, EnterBeforeAnySelectionReportsTheEmptyPathAndShowsNoWindow) {
    form1_->N5Click();
    EXPECT_EQ(log_.errors, QStringList{QStringLiteral("Error setting path: \"\"")});
    EXPECT_FALSE(form2_->isVisible());
}

TEST_F(ViewerTest, ViewingTheSamePackageAgainKeepsTheTreeAndDropsStaleFiles) {
    ViewFirstPackage();
    auto* js = form2_->FolderTree1->FindNode(form1_->ViewerFolderPath() + "/js");
    ASSERT_NE(js, nullptr);
    form2_->FolderTree1->expandItem(js);
    WriteFile(form1_->ViewerFolderPath() + "/stale.txt", "from another package");
    form1_->N5Click();
    EXPECT_FALSE(FileExists(form1_->ViewerFolderPath() + "/stale.txt"));
    EXPECT_EQ(form2_->FolderTree1->TopNode()->Text(), QStringLiteral("clock.wgt"));
    EXPECT_TRUE(log_.errors.isEmpty());
}

TEST_F(ViewerTest, ClosingTheMainWindowEndsTheProgramWithTheViewerOpen) {
    ViewFirstPackage();
    form1_->show();
    ASSERT_TRUE(form2_->isVisible());
    ASSERT_TRUE(form2_->FolderTree1->Notifier() && form2_->FolderTree1->Notifier()->Watching());

    QTimer::singleShot(0, form1_.get(), [this] { form1_->close(); });
    // Should the loop not end, give up rather than hang.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    giveUp.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);

    EXPECT_FALSE(form1_->isVisible());
    EXPECT_FALSE(form2_->isVisible());
    const foldertree::TFolderChangeNotifier* notifier = form2_->FolderTree1->Notifier();
    EXPECT_TRUE(!notifier || !notifier->Watching());
}

TEST_F(ViewerTest, ClosingTheViewerStopsItsWatcherUntilTheNextView) {
    ViewFirstPackage();
    form2_->close();
    EXPECT_FALSE(form2_->isVisible());
    EXPECT_EQ(form2_->FolderTree1->Notifier(), nullptr);

    // Viewed again, the tree follows the disk once more.
    form1_->N5Click();
    ASSERT_TRUE(form2_->isVisible());
    ASSERT_TRUE(form2_->FolderTree1->Notifier() && form2_->FolderTree1->Notifier()->Watching());
    WriteFile(form1_->ViewerFolderPath() + "/new.txt", "new");
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return form2_->FolderTree1->FindNode(form1_->ViewerFolderPath() + "/new.txt"); },
        5000));
}

TEST_F(ViewerTest, EachViewStartsWithAnEmptyPreview) {
    WriteZip(platform::CollectionFolder() + "other.wgt", {{"index.html", "<p>other</p>"}});
    const std::string otherFolder = platform::ScratchFolder() + "/other.wgt";
    ViewFirstPackage();
    Click("icon.png");
    ASSERT_FALSE(form2_->Image1->pixmap().isNull());
    form2_->ViewPackage(platform::CollectionFolder() + "other.wgt", otherFolder);
    EXPECT_TRUE(viewerErrors_.isEmpty());
    EXPECT_EQ(form2_->FolderTree1->TopNode()->Text(), QStringLiteral("other.wgt"));
    EXPECT_TRUE(PreviewIsEmpty());

    // Text, and the same package viewed again.
    Click("index.html");
    ASSERT_EQ(form2_->CodeView1->Lines().Count(), 1);
    form2_->ViewPackage(platform::CollectionFolder() + "other.wgt", otherFolder);
    EXPECT_TRUE(PreviewIsEmpty());

    // A view that fails on the tree still leaves nothing of the earlier preview.
    Click("index.html");
    EXPECT_THROW(form2_->ViewPackage(platform::CollectionFolder() + "none.wgt", ""),
                 std::exception);
    EXPECT_TRUE(PreviewIsEmpty());
}

TEST_F(ViewerTest, DeletingThePreviewedFileThroughTheTreeClearsThePreview) {
    form2_->FolderTree1->ConfirmDelete = [](const QString&) { return true; };
    ViewFirstPackage();
    Click("icon.png");
    ASSERT_FALSE(form2_->Image1->pixmap().isNull());
    form2_->FolderTree1->DeleteSelected();
    EXPECT_TRUE(PreviewIsEmpty());
    EXPECT_FALSE(form2_->CodeView1->isVisible());  // the visibility stays as it was

    // Renamed away through the tree.
    Click("config.xml");
    ASSERT_EQ(form2_->CodeView1->Lines().Count(), 1);
    form2_->FolderTree1->RenameNode(form2_->FolderTree1->Selected(), "renamed.xml");
    EXPECT_TRUE(PreviewIsEmpty());

    // Its folder deleted.
    form2_->FolderTree1->expandItem(
        form2_->FolderTree1->FindNode(form1_->ViewerFolderPath() + "/js"));
    Click("js/main.js");
    ASSERT_EQ(form2_->CodeView1->Lines().Count(), 1);
    Select("js");
    form2_->FolderTree1->DeleteSelected();
    EXPECT_TRUE(PreviewIsEmpty());
}

TEST_F(ViewerTest, DeletingAnotherFileKeepsThePreview) {
    form2_->FolderTree1->ConfirmDelete = [](const QString&) { return true; };
    ViewFirstPackage();
    Click("config.xml");
    Select("readme.txt");
    form2_->FolderTree1->DeleteSelected();
    EXPECT_EQ(form2_->CodeView1->Lines().Count(), 1);
    EXPECT_EQ(form2_->CodeView1->Highlighter(), form2_->XmlHighlighter1.get());
    EXPECT_EQ(PathPanel(), QString::fromStdString(form1_->ViewerFolderPath() + "/config.xml"));
}

TEST_F(ViewerTest, APictureKeptOnViewGoesWithItsFileAndAClickedFolderWithItsPath) {
    form2_->FolderTree1->ConfirmDelete = [](const QString&) { return true; };
    ViewFirstPackage();
    Click("icon.png");
    Click("readme.txt");  // the picture stays on view over the hidden lines
    Select("icon.png");
    form2_->FolderTree1->DeleteSelected();
    EXPECT_TRUE(form2_->Image1->pixmap().isNull());
    EXPECT_EQ(form2_->CodeView1->Lines().Count(), 2);
    EXPECT_EQ(PathPanel(), QString::fromStdString(form1_->ViewerFolderPath() + "/readme.txt"));

    Click("js");  // a folder: only the path changes
    form2_->FolderTree1->DeleteSelected();
    EXPECT_TRUE(PathPanel().isEmpty());
}

TEST_F(ViewerTest, AFileThatVanishesFromTheWatchedFolderLeavesThePreview) {
    ViewFirstPackage();
    Click("readme.txt");
    ASSERT_EQ(form2_->CodeView1->Lines().Count(), 2);
    Select("");  // the tree watches the package's folder again
    std::filesystem::remove(form1_->ViewerFolderPath() + "/readme.txt");
    EXPECT_TRUE(QTest::qWaitFor([this] { return PreviewIsEmpty(); }, 5000));

    // A picture renamed away by another program.
    Click("icon.png");
    ASSERT_FALSE(form2_->Image1->pixmap().isNull());
    Click("");
    std::filesystem::rename(form1_->ViewerFolderPath() + "/icon.png",
                            form1_->ViewerFolderPath() + "/icon2.png");
    EXPECT_TRUE(QTest::qWaitFor([this] { return PreviewIsEmpty(); }, 5000));
    EXPECT_TRUE(viewerErrors_.isEmpty());
}

TEST(PreviewKind, ExtensionTable) {
    EXPECT_EQ(PreviewKindOf("/a/b/icon.PNG"), PreviewKind::Picture);
    EXPECT_EQ(PreviewKindOf("/a/b/x.xml"), PreviewKind::Xml);
    EXPECT_EQ(PreviewKindOf("/a/STYLE.Css"), PreviewKind::Css);
    EXPECT_EQ(PreviewKindOf("/a/main.js"), PreviewKind::JavaScript);
    EXPECT_EQ(PreviewKindOf("/a/index.html"), PreviewKind::Html);
    EXPECT_EQ(PreviewKindOf("/a/page.htm"), PreviewKind::None);
    EXPECT_EQ(PreviewKindOf("/a/Makefile"), PreviewKind::None);
    EXPECT_EQ(PreviewKindOf("/a.b/Makefile"), PreviewKind::None);
    EXPECT_EQ(PreviewKindOf("/a/x.pngabcdefghijk"), PreviewKind::None);
    EXPECT_EQ(PreviewKindOf("/a/x.html"), PreviewKind::Html);
}

}  // namespace
}  // namespace kelvara::test
