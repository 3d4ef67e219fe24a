// The viewer window and its tree menu under the English catalogue, and in Russian without one.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QMenu>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/ui_language.h"
#include "foldertree/folder_tree_view.h"
#include "platform/documents_folder.h"
#include "platform/scratch_folder.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"
#include "viewer/viewer_window.h"

namespace kelvara::test {
namespace {

using app::UiLanguage;

class ViewerLanguageTest : public testing::TestWithParam<UiLanguage> {
  protected:
    void SetUp() override {
        translators_ = std::make_unique<app::UiTranslators>(GetParam());
        std::filesystem::remove_all(platform::DocumentsFolder());
        std::filesystem::create_directories(platform::CollectionFolder());
        WriteZip(platform::CollectionFolder() + "clock.wgt",
                 {{"config.xml", "<widget/>"}, {"index.html", "<p>x</p>"}});
        form_ = std::make_unique<viewer::TForm2>();
        form_->ShowError = [this](const QString& text) { errors_ << text; };
        form_->ViewPackage(platform::CollectionFolder() + "clock.wgt",
                           platform::ScratchFolder() + "/clock.wgt");
    }
    void TearDown() override {
        form_.reset();
        std::filesystem::remove_all(platform::DocumentsFolder());
        translators_.reset();
    }
    bool English() const { return GetParam() == UiLanguage::kEnglish; }

    // The texts of the tree's context menu, read while it is open and then closed.
    QStringList TreeMenuTexts() {
        foldertree::TFolderTreeView* tree = form_->FolderTree1;
        tree->SetSelected(tree->TopNode());
        QStringList texts;
        QTimer::singleShot(0, [&texts] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* action : menu->actions())
                    texts << action->text();
                menu->close();
            }
        });
        const QRect cell = tree->visualItemRect(tree->TopNode());
        QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(),
                                tree->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(tree->viewport(), &event);
        return texts;
    }

    std::unique_ptr<app::UiTranslators> translators_;
    std::unique_ptr<viewer::TForm2> form_;
    QStringList errors_;
    TempFolder scratch_;
};

TEST_P(ViewerLanguageTest, WindowTexts) {
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(' ').toStdString();
    ASSERT_TRUE(form_->isVisible());
    if (English()) {
        EXPECT_EQ(form_->windowTitle(), QStringLiteral("Widget viewer - clock.wgt"));
        EXPECT_EQ(form_->GroupBox1->title(), QStringLiteral(" Project tree "));
        EXPECT_EQ(form_->GroupBox2->title(), QStringLiteral(" Preview "));
    } else {
        EXPECT_EQ(form_->windowTitle(), QStringLiteral("Просмотр виджета - clock.wgt"));
        EXPECT_EQ(form_->GroupBox1->title(), QStringLiteral(" Дерево проекта "));
        EXPECT_EQ(form_->GroupBox2->title(), QStringLiteral(" Просмотр "));
    }
}

TEST_P(ViewerLanguageTest, TreeMenuAndDeleteQuestion) {
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(' ').toStdString();
    EXPECT_EQ(TreeMenuTexts(), English() ? QStringList({"&Open", "&Rename", "&Delete"})
                                         : QStringList({"&Открыть", "&Переименовать", "&Удалить"}));

    foldertree::TFolderTreeView* tree = form_->FolderTree1;
    QStringList questions;
    tree->ConfirmDelete = [&questions](const QString& question) {
        questions << question;
        return false;
    };
    tree->SetSelected(tree->FindNode(tree->RootFolder() + "/index.html"));
    tree->DeleteSelected();
    EXPECT_EQ(questions, QStringList({English() ? QStringLiteral("Delete \"index.html\"?")
                                                : QStringLiteral("Удалить \"index.html\"?")}));
    EXPECT_TRUE(FileExists(tree->RootFolder() + "/index.html"));
}

INSTANTIATE_TEST_SUITE_P(Languages, ViewerLanguageTest,
                         testing::Values(UiLanguage::kRussian, UiLanguage::kEnglish),
                         [](const testing::TestParamInfo<UiLanguage>& info) {
                             return info.param == UiLanguage::kEnglish ? "English" : "Russian";
                         });

}  // namespace
}  // namespace kelvara::test
