#include <QHeaderView>

#include "main_window_fixture.h"

namespace kelvara::test {
namespace {

using MainWindowListTest = MainWindowTest;

TEST_F(MainWindowListTest, StartUpCreatesTheCollectionFolderAndShowsTheCounts) {
    std::filesystem::remove_all(Collection());
    EXPECT_EQ(Form().windowTitle(), QStringLiteral("Kelvara by Dostrin  v.0.3"));
    EXPECT_TRUE(std::filesystem::is_directory(Collection()));
    EXPECT_EQ(Status(0), QStringLiteral("Всего найдено виджетов:  0"));
    EXPECT_EQ(Status(1), QStringLiteral("Выбрано виджетов:  0"));
    EXPECT_EQ(Form().SortState().sortColumn, 0);
    EXPECT_FALSE(Form().SortState().sortAscending);
}

TEST_F(MainWindowListTest, FreshAccountGetsTheDocumentsFolderToo) {
    // No documents folder and no user-dirs.dirs: start-up creates the whole path, so the
    // first add works.
    std::filesystem::remove_all(platform::DocumentsFolder());
    Form();
    EXPECT_TRUE(std::filesystem::is_directory(Collection()));
    EXPECT_TRUE(log_.errors.isEmpty());
    EXPECT_EQ(Status(0), QStringLiteral("Всего найдено виджетов:  0"));
    TempFolder source;
    WriteFile(source / "clock.wgt", "clock");
    log_.filesToChoose = {{QString::fromStdString(source / "clock.wgt")}};
    Form().FlatButton5Click();
    EXPECT_TRUE(log_.errors.isEmpty()) << log_.errors.join("|").toStdString();
    EXPECT_EQ(Column(0), QStringList{"clock.wgt"});
}

TEST_F(MainWindowListTest, CollectionFolderThatCannotBeCreatedIsReportedOnce) {
    std::string documents = platform::DocumentsFolder();
    std::filesystem::remove_all(documents);
    documents.pop_back();
    WriteFile(documents, "not a folder");
    Form();
    EXPECT_EQ(log_.errors, QStringList{QString::fromStdString(
                               "Cannot create folder \"" + Collection() + "\". Not a directory")});
    EXPECT_EQ(Status(0), QStringLiteral("Всего найдено виджетов:  0"));
    EXPECT_EQ(Status(1), QStringLiteral("Выбрано виджетов:  0"));
    EXPECT_EQ(ReadFile(documents), "not a folder");
    std::filesystem::remove(documents);
}

TEST_F(MainWindowListTest, ColumnClicksSortAndMoveTheArrow) {
    WriteFile(Collection() + "a.wgt", std::string(9, 'x'));
    WriteFile(Collection() + "b.wgt", std::string(100, 'x'));
    WriteFile(Collection() + "c.wgt", std::string(10, 'x'));
    EXPECT_EQ(Column(0), (QStringList{"a.wgt", "b.wgt", "c.wgt"}));
    QTreeWidgetItem* header = Form().ListView1->headerItem();

    Form().ListView1ColumnClick(2);  // "Размер": largest first
    EXPECT_EQ(Column(2), (QStringList{"100", "10", "9"}));
    EXPECT_EQ(header->text(2), QStringLiteral("Размер   /\\"));
    Form().ListView1ColumnClick(2);
    EXPECT_EQ(Column(2), (QStringList{"9", "10", "100"}));
    EXPECT_EQ(header->text(2), QStringLiteral("Размер   \\/"));

    Form().ListView1ColumnClick(0);  // the direction carries over; the arrow moves
    EXPECT_EQ(Column(0), (QStringList{"a.wgt", "b.wgt", "c.wgt"}));
    EXPECT_EQ(header->text(2), QStringLiteral("Размер"));
    EXPECT_EQ(header->text(0), QStringLiteral("Имя файла   \\/"));
}

TEST_F(MainWindowListTest, FirstClickOnWidgetNameSortsAscending) {
    Form().ListView1ColumnClick(1);
    EXPECT_TRUE(Form().SortState().sortAscending);
    EXPECT_EQ(Form().ListView1->headerItem()->text(1), QStringLiteral("Название виджета   \\/"));
}

TEST_F(MainWindowListTest, RowsAlternateWhiteAndTheLight3DColour) {
    EXPECT_TRUE(Form().ListView1->alternatingRowColors());
    EXPECT_EQ(Form().ListView1->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(Form().ListView1->palette().color(QPalette::AlternateBase),
              Form().palette().color(QPalette::Midlight));
}

TEST_F(MainWindowListTest, SelectAllAndNoneUpdateTheCheckedCount) {
    for (const char* name : {"1.wgt", "2.wgt", "3.wgt", "4.wgt", "5.wgt"})
        WriteFile(Collection() + name, "x");
    Form().N1Click();
    EXPECT_EQ(Form().CheckedCount(), 5);
    EXPECT_EQ(Status(1), QStringLiteral("Выбрано виджетов:  5"));
    Form().N2Click();
    EXPECT_EQ(Status(1), QStringLiteral("Выбрано виджетов:  0"));
    Check(3);
    Form().ListView1Click();
    EXPECT_EQ(Status(1), QStringLiteral("Выбрано виджетов:  1"));
}

}  // namespace
}  // namespace kelvara::test
