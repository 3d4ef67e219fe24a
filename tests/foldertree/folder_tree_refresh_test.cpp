#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QThread>
#include <memory>

#include "foldertree/folder_tree_view.h"
#include "tree_test_support.h"

using namespace kelvara::foldertree;
using kelvara::test::ChildNamed;
using kelvara::test::ChildTexts;
using kelvara::test::MakeFolder;
using kelvara::test::TempFolder;
using kelvara::test::Touch;
using kelvara::test::WaitUntil;

namespace {

// The viewer's setup: all items listed, a notifier on the selected node.
class FolderTreeRefreshTest : public ::testing::Test {
  protected:
    FolderTreeRefreshTest() : root(dir / "pack") {
        MakeFolder(root + "/css");
        MakeFolder(root + "/img");
        Touch(root + "/img/a.png");
        Touch(root + "/file1.js");
        Touch(root + "/file10.js");
        tree = std::make_unique<TFolderTreeView>();
        tree->SetObjectTypes(otFolders | otNonFolders | otHidden);
        tree->SetAutoRefresh(true);
        tree->SetRoot(QString::fromStdString(root));
    }

    TempFolder dir;
    const std::string root;
    std::unique_ptr<TFolderTreeView> tree;
};

TEST_F(FolderTreeRefreshTest, TheTopNodeIsWatchedAfterTheRootIsSet) {
    ASSERT_NE(tree->Notifier(), nullptr);
    EXPECT_EQ(tree->Notifier()->Path(), root);
    EXPECT_TRUE(tree->Notifier()->Watching());
    EXPECT_FALSE(tree->Notifier()->WatchSubtree());
}

TEST_F(FolderTreeRefreshTest, SelectingAFileKeepsItsFolderWatched) {
    TFolderTreeNode* file = ChildNamed(tree->TopNode(), "file1.js");
    tree->SetSelected(file);
    ASSERT_NE(tree->Notifier(), nullptr);
    // The path is what the notifier falls back to; the folders are what it watches.
    EXPECT_EQ(tree->Notifier()->Path(), root + "/file1.js");
    EXPECT_TRUE(tree->Notifier()->Watching());
    EXPECT_EQ(tree->Notifier()->WatchedFolders(), std::vector<std::string>{root});

    // A selected folder is watched even while collapsed.
    tree->SetSelected(ChildNamed(tree->TopNode(), "img"));
    EXPECT_EQ(tree->Notifier()->Path(), root + "/img");
    EXPECT_EQ(tree->Notifier()->WatchedFolders(), (std::vector<std::string>{root, root + "/img"}));

    tree->SetAutoRefresh(false);
    EXPECT_EQ(tree->Notifier(), nullptr);
}

TEST_F(FolderTreeRefreshTest, ANewFileInTheSelectedFolderShowsInPlaceKeepingExpansionAndSelection) {
    ChildNamed(tree->TopNode(), "img")->setExpanded(true);
    Touch(root + "/file2.js");
    EXPECT_TRUE(WaitUntil([&] { return ChildNamed(tree->TopNode(), "file2.js") != nullptr; }));

    TFolderTreeNode* top = tree->TopNode();
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(top->Text(), "pack");
    EXPECT_EQ(ChildTexts(top), QStringList({"css", "img", "file1.js", "file2.js", "file10.js"}));
    EXPECT_TRUE(top->isExpanded());
    TFolderTreeNode* img = ChildNamed(top, "img");
    EXPECT_TRUE(img->isExpanded());
    EXPECT_EQ(ChildTexts(img), QStringList({"a.png"}));
    EXPECT_FALSE(ChildNamed(top, "css")->isExpanded());
    EXPECT_EQ(tree->Selected(), top);

    // Still watched after the refresh: a removal shows too, and is announced.
    QSignalSpy changed(tree.get(), &TFolderTreeView::ItemsChanged);
    std::filesystem::remove(root + "/file1.js");
    EXPECT_TRUE(WaitUntil([&] { return !ChildNamed(tree->TopNode(), "file1.js"); }));
    EXPECT_GE(changed.count(), 1);
}

TEST_F(FolderTreeRefreshTest, ASelectedSubfolderRefreshesOnlyItself) {
    TFolderTreeNode* img = ChildNamed(tree->TopNode(), "img");
    img->setExpanded(true);
    tree->SetSelected(img);
    MakeFolder(root + "/img/sub");
    EXPECT_TRUE(WaitUntil([&] {
        const TFolderTreeNode* now = ChildNamed(tree->TopNode(), "img");
        return now && ChildNamed(now, "sub");
    }));
    TFolderTreeNode* fresh = ChildNamed(tree->TopNode(), "img");
    EXPECT_EQ(tree->Selected(), fresh);
    EXPECT_TRUE(fresh->isExpanded());
    EXPECT_EQ(ChildTexts(fresh), QStringList({"sub", "a.png"}));
    EXPECT_EQ(tree->Notifier()->Path(), root + "/img");
}

TEST_F(FolderTreeRefreshTest, ASelectedFolderThatIsDeletedGoesWithoutError) {
    TFolderTreeNode* img = ChildNamed(tree->TopNode(), "img");
    img->setExpanded(true);
    tree->SetSelected(img);
    std::filesystem::remove_all(root + "/img");
    EXPECT_TRUE(WaitUntil([&] { return !ChildNamed(tree->TopNode(), "img"); }));
    // The selection falls back to the folder that held it, and the watch goes with the folder.
    EXPECT_EQ(tree->Selected(), tree->TopNode());
    EXPECT_EQ(tree->Notifier()->WatchedFolders(), std::vector<std::string>{root});
}

TEST_F(FolderTreeRefreshTest, WithoutWatchesLeftADeletedSelectedFolderGoesToo) {
    tree->SetMaxFolderWatches(1);
    TFolderTreeNode* img = ChildNamed(tree->TopNode(), "img");
    img->setExpanded(true);
    tree->SetSelected(img);
    ASSERT_EQ(tree->Notifier()->WatchedFolders(), std::vector<std::string>{root + "/img"});
    std::filesystem::remove_all(root + "/img");
    // Only the folder itself was watched: its parent is read to learn what became of it.
    EXPECT_TRUE(WaitUntil([&] { return !ChildNamed(tree->TopNode(), "img"); }));
    EXPECT_EQ(tree->Selected(), tree->TopNode());
    EXPECT_EQ(tree->Notifier()->WatchedFolders(), std::vector<std::string>{root});
}

TEST_F(FolderTreeRefreshTest, RefreshKeepsDeepExpansionAndTheTopVisibleNode) {
    MakeFolder(root + "/css/x/y");
    for (int i = 0; i < 60; ++i)
        Touch(root + "/css/x/f" + std::to_string(i));
    tree->resize(200, 150);
    tree->show();
    TFolderTreeNode* css = ChildNamed(tree->TopNode(), "css");
    css->setExpanded(true);
    ChildNamed(css, "x")->setExpanded(true);
    tree->SetSelected(ChildNamed(ChildNamed(css, "x"), "y"));
    TFolderTreeNode* f30 = ChildNamed(ChildNamed(css, "x"), "f30");
    tree->scrollToItem(f30, QAbstractItemView::PositionAtTop);
    tree->SetAutoRefresh(false);

    tree->RefreshNode(tree->TopNode());
    TFolderTreeNode* x = ChildNamed(ChildNamed(tree->TopNode(), "css"), "x");
    ASSERT_NE(x, nullptr);
    EXPECT_TRUE(x->isExpanded());
    EXPECT_EQ(tree->Selected(), ChildNamed(x, "y"));
    EXPECT_EQ(static_cast<TFolderTreeNode*>(tree->itemAt(QPoint(1, 1)))->Path(),
              root + "/css/x/f30");
}

TEST_F(FolderTreeRefreshTest, AnExpandedFolderReplacedByAFileIsNotOpened) {
    QStringList opened;
    tree->OpenFile = [&](const QString& path) { opened << path; };
    ChildNamed(tree->TopNode(), "css")->setExpanded(true);
    std::filesystem::remove(root + "/css");
    Touch(root + "/css");
    tree->SetAutoRefresh(false);
    tree->RefreshNode(tree->TopNode());
    EXPECT_FALSE(ChildNamed(tree->TopNode(), "css")->IsFolder());
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(FolderTreeRefreshTest, DestroyingTheTreeWhileAChangeIsPendingEndsCleanly) {
    Touch(root + "/late.txt");
    QThread::msleep(100);  // let the watcher queue its delivery before the tree goes
    tree.reset();
    QCoreApplication::processEvents();
    SUCCEED();
}

}  // namespace
