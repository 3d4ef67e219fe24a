#include "main_window_fixture.h"
#include "platform/dos_time.h"
#include "platform/file_system.h"

namespace kelvara::test {
namespace {

using MainWindowCommandsTest = MainWindowTest;

TEST_F(MainWindowCommandsTest, DeleteWithNothingCheckedShowsAnErrorAndDeletesNothing) {
    WriteFile(Collection() + "a.wgt", "x");
    Form().FlatButton3Click();
    EXPECT_EQ(log_.errors,
              QStringList{QStringLiteral("Вы не выбрали ни одного виджета для удаления.")});
    EXPECT_TRUE(log_.confirmations.isEmpty());
    EXPECT_TRUE(FileExists(Collection() + "a.wgt"));
}

TEST_F(MainWindowCommandsTest, AnsweringNoChangesNothing) {
    for (const char* name : {"a.wgt", "b.wgt", "c.wgt", "d.wgt"})
        WriteFile(Collection() + name, "x");
    Check(0);
    Check(1);
    Check(3);
    log_.confirmAnswers = {false};
    Form().FlatButton3Click();
    EXPECT_EQ(log_.confirmations,
              QStringList{QStringLiteral(
                  "Внимание. Будет удалено 3 виджета(ов) из коллекции. Вы согласны?")});
    EXPECT_EQ(Form().CheckedCount(), 3);
    EXPECT_EQ(Form().ListView1->topLevelItemCount(), 4);
    EXPECT_TRUE(FileExists(Collection() + "a.wgt"));
}

TEST_F(MainWindowCommandsTest, DeleteRemovesCheckedPackagesAndRescans) {
    WriteFile(Collection() + "a.wgt", "x");
    WriteFile(Collection() + "b.wgt", "x");
    Check(1);
    log_.confirmAnswers = {true};
    Form().FlatButton3Click();
    EXPECT_FALSE(FileExists(Collection() + "b.wgt"));
    EXPECT_EQ(Column(0), QStringList{"a.wgt"});
    EXPECT_EQ(Status(0), QStringLiteral("Всего найдено виджетов:  1"));
    EXPECT_EQ(Status(2), QString());
    EXPECT_EQ(log_.informations,
              QStringList{QStringLiteral("Удаление виджетов успешно завершено.")});
}

TEST_F(MainWindowCommandsTest, ReadOnlyPackageIsKeptAndReportedInsteadOfSuccess) {
    WriteFile(Collection() + "locked.wgt", "x");
    platform::SetReadOnly(Collection() + "locked.wgt", true);
    Check(0);
    log_.confirmAnswers = {true};
    Form().FlatButton3Click();
    EXPECT_TRUE(FileExists(Collection() + "locked.wgt"));
    EXPECT_EQ(Column(0), QStringList{"locked.wgt"});
    EXPECT_TRUE(log_.informations.isEmpty());
    ASSERT_EQ(log_.errors.size(), 1);
    EXPECT_TRUE(log_.errors[0].contains(QStringLiteral("locked.wgt")));
}

TEST_F(MainWindowCommandsTest, AddCopiesWithTheirDatesAndCountsEveryChosenFile) {
    TempFolder source;
    WriteFile(source / "a.wgt", "a");
    WriteFile(source / "b.wgt", "b");
    platform::SetFileModified(source / "a.wgt", 1'000'000'001);
    WriteFile(Collection() + "b.wgt", "old b");
    Form();
    log_.filesToChoose = {
        {QString::fromStdString(source / "a.wgt"), QString::fromStdString(source / "b.wgt")}};
    Form().FlatButton5Click();
    EXPECT_EQ(log_.informations,
              QStringList{QStringLiteral(
                  "Добавление виджетов успешно завершено. Добавлено 2 виджета(ов).")});
    EXPECT_EQ(Column(0), (QStringList{"a.wgt", "b.wgt"}));
    EXPECT_EQ(ReadFile(Collection() + "b.wgt"), "b");
    EXPECT_EQ(platform::FileModified(Collection() + "a.wgt"),
              platform::RoundToDosResolution(1'000'000'001));
    EXPECT_EQ(Status(1), QStringLiteral("Выбрано виджетов:  0"));
}

TEST_F(MainWindowCommandsTest, AddingAPackageThatIsAlreadyInTheCollectionFailsAndKeepsIt) {
    WriteFile(Collection() + "a.wgt", "precious");
    Form();
    log_.filesToChoose = {{QString::fromStdString(Collection() + "a.wgt")}};
    Form().FlatButton5Click();
    ASSERT_EQ(log_.errors.size(), 1);
    EXPECT_TRUE(log_.errors[0].startsWith(QStringLiteral("Cannot create file \"")));
    EXPECT_TRUE(log_.informations.isEmpty());
    EXPECT_EQ(ReadFile(Collection() + "a.wgt"), "precious");
    EXPECT_EQ(Status(2), QStringLiteral("Добавление a.wgt..."));
}

TEST_F(MainWindowCommandsTest, CancelledAddDoesNothing) {
    Form().FlatButton5Click();
    EXPECT_TRUE(log_.informations.isEmpty());
    EXPECT_TRUE(log_.errors.isEmpty());
}

TEST_F(MainWindowCommandsTest, PackageNeedsACheckedRowAndRemembersItsFolder) {
    WriteFile(Collection() + "clock.wgt", "clock");
    WriteFile(Collection() + "notes.wgt", "notes");
    Form().FlatButton1Click();
    EXPECT_EQ(log_.errors, QStringList{QStringLiteral("Вы не выбрали ни одного виджета.")});
    EXPECT_EQ(log_.folderDialogs, 0);

    Form().N1Click();
    Form().FlatButton1Click();  // first use cancelled: nothing happens
    EXPECT_EQ(log_.folderDialogs, 1);
    EXPECT_TRUE(log_.informations.isEmpty());

    TempFolder target;
    log_.foldersToChoose = {QString::fromStdString(target.Path())};
    Form().FlatButton1Click();
    EXPECT_EQ(
        log_.informations,
        QStringList{QStringLiteral("Генерация пакета установки виджетов успешно завершена.")});
    EXPECT_EQ(ReadFile(target / "clock.wgt"), "clock");
    EXPECT_TRUE(FileExists(target / "Widgets.html"));

    std::filesystem::remove(target / "clock.wgt");
    Form().FlatButton1Click();  // cancelled again: the remembered folder is used
    EXPECT_EQ(ReadFile(target / "clock.wgt"), "clock");
    EXPECT_EQ(Form().DirPath(), QString::fromStdString(target.Path()));
}

TEST_F(MainWindowCommandsTest, ASecondCommandCannotStartWhileOneRuns) {
    TempFolder source;
    WriteFile(source / "a.wgt", "a");
    Form();
    log_.filesToChoose = {{QString::fromStdString(source / "a.wgt")}};
    int nested = 0;
    Form().onPump = [&] {
        // A click that arrives while the add command lets events run.
        Form().FlatButton3Click();
        Form().FlatButton5Click();
        ++nested;
    };
    Form().FlatButton5Click();
    EXPECT_GT(nested, 0);
    EXPECT_TRUE(log_.errors.isEmpty());
    EXPECT_EQ(log_.informations.size(), 1);
}

}  // namespace
}  // namespace kelvara::test
