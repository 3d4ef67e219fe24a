// The tree following the disk wherever the selection is: changes made by another program in
// any shown folder appear, collapsed folders are read again when shown, and a burst of changes
// is read once.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foldertree/folder_tree_view.h"
#include "tree_test_support.h"

using namespace kelvara::foldertree;
using kelvara::test::ChildNamed;
using kelvara::test::ChildTexts;
using kelvara::test::MakeFolder;
using kelvara::test::TempFolder;
using kelvara::test::Touch;
using kelvara::test::WaitUntil;

namespace fs = std::filesystem;

namespace {

using Folders = std::vector<std::string>;

// The viewer's setup over a small widget, with a file selected.
class FolderTreeFollowTest : public ::testing::Test {
  protected:
    FolderTreeFollowTest() : root(dir / "pack") {
        MakeFolder(root + "/css/sub");
        Touch(root + "/css/a.css");
        Touch(root + "/css/d.css");
        Touch(root + "/css/sub/s.css");
        MakeFolder(root + "/img/deep");
        Touch(root + "/img/a.png");
        Touch(root + "/img/deep/x.png");
        MakeFolder(root + "/js/lib");
        Touch(root + "/js/lib/l.js");
        Touch(root + "/js/app.js");
        Touch(root + "/js/b.js");
        Touch(root + "/js/old.js");
        Touch(root + "/file1.js");
        Touch(root + "/file10.js");
        tree = std::make_unique<TFolderTreeView>();
        tree->SetObjectTypes(otFolders | otNonFolders | otHidden);
        tree->SetAutoRefresh(true);
        tree->ShowError = [this](const QString& message) { errors << message; };
        tree->SetRoot(QString::fromStdString(root));
        top = tree->TopNode();
        file1 = ChildNamed(top, "file1.js");
        tree->SetSelected(file1);
    }

    TFolderTreeNode* Expand(TFolderTreeNode* parent, const QString& name) {
        TFolderTreeNode* node = ChildNamed(parent, name);
        node->setExpanded(true);
        return node;
    }

    Folders Watched() const { return tree->Notifier()->WatchedFolders(); }

    TempFolder dir;
    const std::string root;
    std::unique_ptr<TFolderTreeView> tree;
    TFolderTreeNode* top = nullptr;
    TFolderTreeNode* file1 = nullptr;
    QStringList errors;
};

TEST_F(FolderTreeFollowTest, ChangesBesideTheSelectedFileShowInPlace) {
    TFolderTreeNode* js = Expand(top, "js");
    TFolderTreeNode* app = ChildNamed(js, "app.js");
    tree->SetSelected(app);
    Touch(root + "/js/new.js");
    fs::rename(root + "/js/b.js", root + "/js/c.js");
    fs::remove(root + "/js/old.js");
    Touch(root + "/file2.js");
    EXPECT_TRUE(WaitUntil([&] {
        return ChildTexts(js) == QStringList({"lib", "app.js", "c.js", "new.js"}) &&
               ChildNamed(top, "file2.js");
    }));
    EXPECT_EQ(ChildTexts(top),
              QStringList({"css", "img", "js", "file1.js", "file2.js", "file10.js"}));
    // The same nodes, still expanded and selected.
    EXPECT_EQ(tree->TopNode(), top);
    EXPECT_EQ(ChildNamed(top, "js"), js);
    EXPECT_EQ(ChildNamed(js, "app.js"), app);
    EXPECT_EQ(tree->Selected(), app);
    EXPECT_TRUE(top->isExpanded());
    EXPECT_TRUE(js->isExpanded());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(FolderTreeFollowTest, AnExpandedDeeperFolderFollowsTheDisk) {
    TFolderTreeNode* img = Expand(top, "img");
    TFolderTreeNode* deep = Expand(img, "deep");
    EXPECT_EQ(Watched(), (Folders{root, root + "/img", root + "/img/deep"}));
    Touch(root + "/img/deep/y.png");
    fs::remove(root + "/img/deep/x.png");
    fs::rename(root + "/img/a.png", root + "/img/b.png");
    EXPECT_TRUE(WaitUntil([&] {
        return ChildTexts(deep) == QStringList({"y.png"}) &&
               ChildTexts(img) == QStringList({"deep", "b.png"});
    }));
    EXPECT_TRUE(img->isExpanded());
    EXPECT_TRUE(deep->isExpanded());
    EXPECT_EQ(tree->Selected(), file1);
}

TEST_F(FolderTreeFollowTest, ACollapsedFolderIsUnwatchedAndReadAgainWhenShown) {
    TFolderTreeNode* css = Expand(top, "css");
    TFolderTreeNode* sub = Expand(css, "sub");
    ASSERT_EQ(Watched(), (Folders{root, root + "/css", root + "/css/sub"}));
    css->setExpanded(false);
    // Its expanded subfolder is hidden with it and loses its watch too.
    EXPECT_EQ(Watched(), Folders{root});

    Touch(root + "/css/b.css");
    fs::rename(root + "/css/a.css", root + "/css/c.css");
    fs::remove(root + "/css/d.css");
    Touch(root + "/css/sub/t.css");
    css->setExpanded(true);
    EXPECT_EQ(ChildTexts(css), QStringList({"sub", "b.css", "c.css"}));
    EXPECT_EQ(ChildNamed(css, "sub"), sub);
    EXPECT_TRUE(sub->isExpanded());
    EXPECT_EQ(ChildTexts(sub), QStringList({"s.css", "t.css"}));
    EXPECT_EQ(Watched(), (Folders{root, root + "/css", root + "/css/sub"}));
    EXPECT_EQ(tree->Selected(), file1);

    // Watched again: later changes show by themselves.
    fs::remove(root + "/css/sub/s.css");
    EXPECT_TRUE(WaitUntil([&] { return ChildTexts(sub) == QStringList({"t.css"}); }));
}

TEST_F(FolderTreeFollowTest, AnExpandedFolderMovedAwayGoesWithItsWatch) {
    TFolderTreeNode* img = Expand(top, "img");
    Expand(img, "deep");
    Expand(top, "css");
    fs::rename(root + "/img", dir / "elsewhere");
    fs::rename(root + "/css", root + "/style");
    EXPECT_TRUE(WaitUntil([&] {
        return ChildTexts(top) == QStringList({"js", "style", "file1.js", "file10.js"});
    }));
    EXPECT_EQ(Watched(), Folders{root});
    EXPECT_EQ(tree->Selected(), file1);
    // The renamed folder is a new item: it shows collapsed and can be read.
    TFolderTreeNode* style = ChildNamed(top, "style");
    EXPECT_FALSE(style->isExpanded());
    style->setExpanded(true);
    EXPECT_EQ(ChildTexts(style), QStringList({"sub", "a.css", "d.css"}));
}

TEST_F(FolderTreeFollowTest, AFolderRenamedInTheTreeIsWatchedUnderItsNewName) {
    TFolderTreeNode* img = Expand(top, "img");
    tree->RenameNode(img, "pics");
    EXPECT_EQ(Watched(), (Folders{root, root + "/pics"}));
    EXPECT_EQ(tree->Selected(), file1);
    Touch(root + "/pics/new.png");
    EXPECT_TRUE(WaitUntil([&] { return ChildNamed(img, "new.png") != nullptr; }));
}

TEST_F(FolderTreeFollowTest, ASelectedFileDeletedElsewhereLeavesItsFolderSelected) {
    TFolderTreeNode* js = Expand(top, "js");
    tree->SetSelected(ChildNamed(js, "b.js"));
    fs::remove(root + "/js/b.js");
    EXPECT_TRUE(WaitUntil([&] { return !ChildNamed(js, "b.js"); }));
    EXPECT_EQ(tree->Selected(), js);
    EXPECT_TRUE(js->isExpanded());
}

TEST_F(FolderTreeFollowTest, WhenWatchesRunOutOnlyTheSelectedNodeIsWatched) {
    tree->SetMaxFolderWatches(2);
    TFolderTreeNode* css = Expand(top, "css");
    TFolderTreeNode* img = Expand(top, "img");
    // Three folders do not fit: the selected file is watched as before, which is nothing.
    EXPECT_TRUE(tree->Notifier()->FellBack());
    EXPECT_EQ(Watched(), Folders{});
    EXPECT_FALSE(tree->Notifier()->Watching());

    tree->SetSelected(img);
    EXPECT_EQ(Watched(), Folders{root + "/img"});
    Touch(root + "/img/new.png");
    EXPECT_TRUE(WaitUntil([&] { return ChildNamed(img, "new.png") != nullptr; }));
    EXPECT_EQ(tree->Selected(), img);

    // Once the shown folders fit again they are all watched.
    css->setExpanded(false);
    EXPECT_FALSE(tree->Notifier()->FellBack());
    EXPECT_EQ(Watched(), (Folders{root, root + "/img"}));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(FolderTreeFollowTest, ABurstOfChangesIsReadOnce) {
    TFolderTreeNode* js = Expand(top, "js");
    Expand(js, "lib");
    constexpr int kFiles = 2000;
    // The burst comes while the window's thread is busy elsewhere; a marker in another folder
    // afterwards shows that nothing of the burst is left to be read a second time.
    const size_t before = tree->FoldersListed();
    for (int i = 0; i < kFiles; ++i)
        Touch(root + "/js/f" + std::to_string(i));
    EXPECT_TRUE(WaitUntil([&] { return js->childCount() == kFiles + 4; }));
    Touch(root + "/marker");
    EXPECT_TRUE(WaitUntil([&] { return ChildNamed(top, "marker") != nullptr; }));
    EXPECT_EQ(tree->FoldersListed() - before, 2u);
    EXPECT_EQ(js->child(3)->text(0), "f0");
    EXPECT_EQ(js->child(4)->text(0), "f1");
    EXPECT_EQ(js->child(kFiles + 2)->text(0), "f1999");
    // Nodes of items that stayed keep their expansion, and the selection stays.
    EXPECT_TRUE(ChildNamed(js, "lib")->isExpanded());
    EXPECT_EQ(tree->Selected(), file1);

    const size_t afterCreating = tree->FoldersListed();
    for (int i = 0; i < kFiles; ++i)
        fs::remove(root + "/js/f" + std::to_string(i));
    EXPECT_TRUE(WaitUntil([&] { return js->childCount() == 4; }));
    fs::remove(root + "/marker");
    EXPECT_TRUE(WaitUntil([&] { return ChildNamed(top, "marker") == nullptr; }));
    EXPECT_EQ(tree->FoldersListed() - afterCreating, 2u);
    EXPECT_EQ(ChildTexts(js), QStringList({"lib", "app.js", "b.js", "old.js"}));
    EXPECT_TRUE(ChildNamed(js, "lib")->isExpanded());
    EXPECT_EQ(tree->Selected(), file1);
}

}  // namespace
