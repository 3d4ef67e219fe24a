#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "foldertree/folder_tree_view.h"
#include "tree_test_support.h"

using namespace kelvara::foldertree;
using kelvara::test::ChildNamed;
using kelvara::test::ChildTexts;
using kelvara::test::MakeFolder;
using kelvara::test::TempFolder;
using kelvara::test::Touch;

namespace {

constexpr ObjectTypeSet kAllTypes = otFolders | otNonFolders | otHidden;

// A widget folder "clock.wgt" in a temporary folder, with a subfolder and a hidden file.
class FolderTreeViewTest : public ::testing::Test {
  protected:
    FolderTreeViewTest() : root(dir / "clock.wgt") {
        MakeFolder(root + "/img/icons");
        for (const char* f : {"config.xml", "file10.js", "file2.js", ".hidden", "Index.html"})
            Touch(root + "/" + f);
        Touch(root + "/img/icon.png");
        tree.SetObjectTypes(kAllTypes);
        tree.OpenFile = [this](const QString& path) { opened << path; };
    }

    TempFolder dir;
    const std::string root;
    TFolderTreeView tree;
    QStringList opened;
};

TEST_F(FolderTreeViewTest, RootGivesOneExpandedSelectedTopNodeWithSortedChildren) {
    tree.SetRoot(QString::fromStdString(root));
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    TFolderTreeNode* top = tree.TopNode();
    EXPECT_EQ(top->Text(), "clock.wgt");
    EXPECT_EQ(top->Path(), root);
    EXPECT_TRUE(top->isExpanded());
    EXPECT_EQ(tree.Selected(), top);
    EXPECT_EQ(ChildTexts(top),
              QStringList({"img", ".hidden", "config.xml", "file2.js", "file10.js", "Index.html"}));
    EXPECT_EQ(tree.Root(), QString::fromStdString(root));
    EXPECT_EQ(tree.RootFolder(), root);
}

TEST_F(FolderTreeViewTest, TheSameRootInAnotherCaseLeavesTheTreeAlone) {
    const QString value = QString::fromStdString(root);
    tree.SetRoot(value);
    TFolderTreeNode* img = ChildNamed(tree.TopNode(), "img");
    img->setExpanded(true);
    TFolderTreeNode* icon = ChildNamed(img, "icon.png");
    tree.SetSelected(icon);
    TFolderTreeNode* top = tree.TopNode();

    tree.SetRoot(value.toUpper());
    EXPECT_EQ(tree.TopNode(), top);
    EXPECT_TRUE(img->isExpanded());
    EXPECT_EQ(tree.Selected(), icon);
    EXPECT_EQ(tree.Root(), value);
}

TEST_F(FolderTreeViewTest, AFolderThatCannotBeResolvedRaisesAndKeepsThePreviousRoot) {
    const QString value = QString::fromStdString(root);
    tree.SetRoot(value);
    for (const std::string& bad : {dir / "missing", root + "/config.xml", std::string()}) {
        try {
            tree.SetRoot(QString::fromStdString(bad));
            ADD_FAILURE() << "no error for " << bad;
        } catch (const EFolderTreeError& e) {
            EXPECT_EQ(std::string(e.what()), "Error setting path: \"" + bad + "\"");
        }
        EXPECT_EQ(tree.Root(), value);
        ASSERT_EQ(tree.topLevelItemCount(), 1);
        EXPECT_EQ(tree.TopNode()->Text(), "clock.wgt");
        EXPECT_EQ(tree.TopNode()->Path(), root);
        EXPECT_TRUE(tree.TopNode()->isExpanded());
        EXPECT_EQ(tree.Selected(), tree.TopNode());
    }
}

TEST_F(FolderTreeViewTest, TheDesktopRootIsTheHomeFolder) {
    TFolderTreeView fresh;
    EXPECT_EQ(fresh.Root(), "rfDesktop");
    EXPECT_EQ(fresh.RootFolder(), QDir::homePath().toStdString());
    ASSERT_NE(fresh.TopNode(), nullptr);
    EXPECT_EQ(fresh.TopNode()->Text(), "rfDesktop");
}

TEST_F(FolderTreeViewTest, ChildrenAreReadOnlyWhenANodeIsFirstExpanded) {
    MakeFolder(root + "/a/b/c/d");
    MakeFolder(root + "/empty");
    tree.SetRoot(QString::fromStdString(root));
    TFolderTreeNode* a = ChildNamed(tree.TopNode(), "a");
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(a->Enumerated());
    EXPECT_EQ(a->childCount(), 0);
    EXPECT_EQ(a->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(ChildNamed(tree.TopNode(), "empty")->childIndicatorPolicy(),
              QTreeWidgetItem::DontShowIndicator);

    a->setExpanded(true);
    EXPECT_EQ(ChildTexts(a), QStringList({"b"}));
    TFolderTreeNode* b = ChildNamed(a, "b");
    EXPECT_FALSE(b->Enumerated());
    EXPECT_EQ(b->childCount(), 0);
    EXPECT_EQ(b->Path(), root + "/a/b");
}

TEST_F(FolderTreeViewTest, ExpandingAFileOpensItInstead) {
    tree.SetRoot(QString::fromStdString(root));
    TFolderTreeNode* config = ChildNamed(tree.TopNode(), "config.xml");
    config->setExpanded(true);
    EXPECT_FALSE(config->isExpanded());
    EXPECT_EQ(opened, QStringList({QString::fromStdString(root + "/config.xml")}));
}

TEST_F(FolderTreeViewTest, ObjectTypesDecideWhatIsListed) {
    tree.SetObjectTypes(otFolders);
    tree.SetRoot(QString::fromStdString(root));
    EXPECT_EQ(ChildTexts(tree.TopNode()), QStringList({"img"}));
    tree.SetObjectTypes(otFolders | otNonFolders);
    EXPECT_EQ(ChildTexts(tree.TopNode()),
              QStringList({"img", "config.xml", "file2.js", "file10.js", "Index.html"}));
}

TEST_F(FolderTreeViewTest, ClickRunsAfterSelectingTheNode) {
    tree.SetRoot(QString::fromStdString(root));
    tree.resize(300, 400);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    TFolderTreeNode* config = ChildNamed(tree.TopNode(), "config.xml");
    QStringList clicked;
    int emitted = 0;
    tree.OnClick = [&] { clicked << (tree.Selected() ? tree.Selected()->Text() : "-"); };
    QObject::connect(&tree, &TFolderTreeView::Click, [&] { ++emitted; });

    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(config).center());
    EXPECT_EQ(clicked, QStringList({"config.xml"}));
    EXPECT_EQ(emitted, 1);

    // Selection by keyboard is no click.
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_EQ(clicked.size(), 1);
}

TEST_F(FolderTreeViewTest, RightClickSelectsOnlyWhenAsked) {
    tree.SetRoot(QString::fromStdString(root));
    tree.SetAutoContextMenus(false);
    tree.resize(300, 400);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    TFolderTreeNode* config = ChildNamed(tree.TopNode(), "config.xml");
    TFolderTreeNode* index = ChildNamed(tree.TopNode(), "Index.html");

    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, tree.visualItemRect(config).center());
    EXPECT_EQ(tree.Selected(), config);
    tree.SetRightClickSelect(false);
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, tree.visualItemRect(index).center());
    EXPECT_EQ(tree.Selected(), config);
}

TEST_F(FolderTreeViewTest, ImagesCanBeSwitchedOff) {
    tree.SetRoot(QString::fromStdString(root));
    EXPECT_FALSE(ChildNamed(tree.TopNode(), "img")->icon(0).isNull());
    tree.SetUseShellImages(false);
    EXPECT_TRUE(ChildNamed(tree.TopNode(), "img")->icon(0).isNull());
}

}  // namespace
