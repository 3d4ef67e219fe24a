#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "preview/folder_tree_view.h"
#include "tree_test_support.h"

using namespace kelvara::preview;
using kelvara::test::ChildNamed;
using kelvara::test::ChildTexts;
using kelvara::test::FileExists;
using kelvara::test::MakeFolder;
using kelvara::test::ReadFile;
using kelvara::test::TempFolder;
using kelvara::test::Touch;
using kelvara::test::WriteFile;

namespace {

class FolderTreeCommandsTest : public ::testing::Test {
  protected:
    FolderTreeCommandsTest() : root(dir / "pack") {
        MakeFolder(root + "/img/deep");
        Touch(root + "/img/deep/x.png");
        WriteFile(root + "/a.js", "A");
        WriteFile(root + "/b.js", "B");
        tree.SetObjectTypes(otFolders | otNonFolders | otHidden);
        tree.SetRoot(QString::fromStdString(root));
        tree.ConfirmDelete = [this](const QString& question) {
            questions << question;
            return answer;
        };
        tree.ShowError = [this](const QString& message) { errors << message; };
    }

    TFolderTreeNode* Child(const char* name) { return ChildNamed(tree.TopNode(), name); }

    TempFolder dir;
    const std::string root;
    TFolderTreeView tree;
    QStringList questions, errors;
    bool answer = true;
};

TEST_F(FolderTreeCommandsTest, RenameChangesTheFileAndTheNode) {
    QSignalSpy changed(&tree, &TFolderTreeView::ItemsChanged);
    TFolderTreeNode* img = Child("img");
    img->setExpanded(true);
    tree.RenameNode(img, "pictures");
    EXPECT_EQ(changed.count(), 1);  // what was below img/ is gone
    EXPECT_EQ(img->Text(), "pictures");
    EXPECT_TRUE(FileExists(root + "/pictures/deep/x.png"));
    EXPECT_FALSE(FileExists(root + "/img"));
    // Nodes below follow the new name.
    EXPECT_EQ(ChildNamed(img, "deep")->Path(), root + "/pictures/deep");
}

TEST_F(FolderTreeCommandsTest, RenameFailsRatherThanReplaceAndOnBadNames) {
    QSignalSpy changed(&tree, &TFolderTreeView::ItemsChanged);
    TFolderTreeNode* a = Child("a.js");
    for (const char* bad : {"b.js", "..", "sub/c.js"}) {
        try {
            tree.RenameNode(a, bad);
            ADD_FAILURE() << bad;
        } catch (const EFolderTreeError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("Rename to ") + bad + " failed");
        }
        EXPECT_EQ(a->Text(), "a.js");
    }
    EXPECT_EQ(ReadFile(root + "/a.js"), "A");
    EXPECT_EQ(ReadFile(root + "/b.js"), "B");

    // The top node and an empty name keep their text without an error.
    tree.RenameNode(tree.TopNode(), "other");
    EXPECT_EQ(tree.TopNode()->Text(), "pack");
    tree.RenameNode(a, "");
    EXPECT_EQ(a->Text(), "a.js");
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(FolderTreeCommandsTest, RenameThroughTheEditorAndErrorsAreShown) {
    tree.resize(300, 300);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    tree.SetSelected(Child("a.js"));
    tree.RenameSelected();
    auto* editor = tree.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("c.js");
    QTest::keyClick(editor, Qt::Key_Return);  // the edit is committed from the event loop
    EXPECT_TRUE(kelvara::test::WaitUntil([&] { return FileExists(root + "/c.js"); }));
    EXPECT_NE(Child("c.js"), nullptr);

    tree.SetSelected(Child("c.js"));
    tree.RenameSelected();
    editor = tree.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("b.js");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(kelvara::test::WaitUntil([&] { return !errors.isEmpty(); }));
    EXPECT_EQ(errors, QStringList({"Rename to b.js failed"}));
    EXPECT_NE(Child("c.js"), nullptr);
    EXPECT_EQ(ReadFile(root + "/b.js"), "B");
}

TEST_F(FolderTreeCommandsTest, DeleteAsksAndRemovesFileAndNode) {
    QSignalSpy changed(&tree, &TFolderTreeView::ItemsChanged);
    tree.SetSelected(Child("a.js"));
    answer = false;
    tree.DeleteSelected();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains("a.js"));
    EXPECT_TRUE(FileExists(root + "/a.js"));
    EXPECT_NE(Child("a.js"), nullptr);

    answer = true;
    tree.DeleteSelected();
    EXPECT_FALSE(FileExists(root + "/a.js"));
    EXPECT_EQ(Child("a.js"), nullptr);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(FolderTreeCommandsTest, DeleteTakesAFolderWithItsContents) {
    tree.SetSelected(Child("img"));
    tree.DeleteSelected();
    EXPECT_FALSE(FileExists(root + "/img"));
    EXPECT_EQ(ChildTexts(tree.TopNode()), QStringList({"a.js", "b.js"}));
}

}  // namespace
