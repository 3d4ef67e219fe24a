#include <gtest/gtest.h>

#include <QLabel>
#include <QTreeWidget>
#include <filesystem>

#include "../app/fake_dialogs.h"
#include "app/main_window.h"
#include "highlight/css_highlighter.h"
#include "highlight/xml_highlighter.h"
#include "platform/documents_folder.h"
#include "platform/scratch_folder.h"
#include "preview/code_view.h"
#include "preview/folder_tree_view.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"
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
        auto* node = form2_->FolderTree1->FindNode(form1_->ViewerFolderPath() +
                                                   (relative.empty() ? "" : "/" + relative));
        ASSERT_NE(node, nullptr) << relative;
        form2_->FolderTree1->SetSelected(node);
        form2_->FolderTree1Click();
    }
    QString PathPanel() { return form2_->StatusPanels[5]->text(); }

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
