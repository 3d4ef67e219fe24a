// The interface language: its choice from the user's languages, and the main window's texts in
// Russian (no translator) and in English (the embedded catalogue).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QProcess>
#include <QToolButton>
#include <cstdlib>

#include "app/texts.h"
#include "app/ui_language.h"
#include "collection/texts.h"
#include "main_window_fixture.h"
#include "testkit/zip_builder.h"

namespace kelvara::test {
namespace {

using app::ChooseUiLanguage;
using app::UiLanguage;
using app::UiLanguageOf;
using app::UiTranslators;

TEST(UiLanguageChoice, EnglishOnlyWhenPreferredBeforeRussian) {
    EXPECT_EQ(ChooseUiLanguage({"en-US", "ru-RU"}), UiLanguage::kEnglish);
    EXPECT_EQ(ChooseUiLanguage({"en", "en-Latn-US", "en-US", "ru", "ru-RU"}), UiLanguage::kEnglish);
    EXPECT_EQ(ChooseUiLanguage({"de-DE", "en-GB"}), UiLanguage::kEnglish);
    EXPECT_EQ(ChooseUiLanguage({"en_US.UTF-8"}), UiLanguage::kEnglish);
    EXPECT_EQ(ChooseUiLanguage({"EN-us"}), UiLanguage::kEnglish);

    EXPECT_EQ(ChooseUiLanguage({"ru-RU", "en-US"}), UiLanguage::kRussian);
    EXPECT_EQ(ChooseUiLanguage({"de-DE", "ru-RU", "en-US"}), UiLanguage::kRussian);
    EXPECT_EQ(ChooseUiLanguage({"de-DE"}), UiLanguage::kRussian);
    EXPECT_EQ(ChooseUiLanguage({}), UiLanguage::kRussian);
    // Languages that merely start with the letters "en" or "ru" are other languages.
    EXPECT_EQ(ChooseUiLanguage({"eng", "enx-US"}), UiLanguage::kRussian);
    EXPECT_EQ(ChooseUiLanguage({"rue-UA", "en"}), UiLanguage::kEnglish);
}

TEST(UiLanguageChoice, CLocaleKeepsRussian) {
    EXPECT_EQ(ChooseUiLanguage({"C"}), UiLanguage::kRussian);
    EXPECT_EQ(ChooseUiLanguage({"POSIX"}), UiLanguage::kRussian);
    EXPECT_EQ(UiLanguageOf(QLocale::c()), UiLanguage::kRussian);
    EXPECT_EQ(UiLanguageOf(QLocale(QLocale::Russian, QLocale::Russia)), UiLanguage::kRussian);
    EXPECT_EQ(UiLanguageOf(QLocale(QLocale::German, QLocale::Germany)), UiLanguage::kRussian);
    EXPECT_EQ(UiLanguageOf(QLocale(QLocale::English, QLocale::UnitedStates)), UiLanguage::kEnglish);
}

// The system locale is read once per process, so each environment gets a process of its own:
// this test binary, run on the child test below.
constexpr const char* kChildVariable = "KELVARA_UI_LANGUAGE_CHILD_EXPECTS";

TEST(UiLanguageChoice, SystemLocaleChild) {
    const char* expected = std::getenv(kChildVariable);
    if (!expected)
        GTEST_SKIP() << "runs only as a child of SystemLocaleFollowsEnvironment";
    const QLocale system = QLocale::system();
    const UiLanguage language = UiLanguageOf(system);
    EXPECT_EQ(language == UiLanguage::kEnglish ? "en" : "ru", std::string(expected))
        << system.name().toStdString() << " "
        << system.uiLanguages().join(QLatin1Char(',')).toStdString();
}

TEST(UiLanguageChoice, SystemLocaleFollowsEnvironment) {
    struct Case {
        QStringList environment;
        const char* expected;
    };
    const Case cases[] = {
        {{"LANG=C.UTF-8"}, "ru"},
        {{"LANG=C"}, "ru"},
        {{"LANG=POSIX"}, "ru"},
        {{}, "ru"},
        {{"LC_ALL=C", "LANG=en_US.UTF-8"}, "ru"},
        {{"LANG=en_US.UTF-8"}, "en"},
        {{"LANG=C.UTF-8", "LANGUAGE=en"}, "en"},
        {{"LANG=ru_RU.UTF-8", "LANGUAGE=en:ru"}, "en"},
        {{"LANG=en_US.UTF-8", "LANGUAGE=ru:en"}, "ru"},
        {{"LANG=C.UTF-8", "LC_MESSAGES=en_GB.UTF-8"}, "en"},
        {{"LANG=de_DE.UTF-8"}, "ru"},
    };
    for (const Case& c : cases) {
        QProcessEnvironment environment;
        for (const char* keep : {"HOME", "TMPDIR", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"})
            if (const char* value = std::getenv(keep))
                environment.insert(QString::fromLatin1(keep), QString::fromLocal8Bit(value));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QString::fromLatin1(kChildVariable), QString::fromLatin1(c.expected));
        for (const QString& setting : c.environment)
            environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=UiLanguageChoice.SystemLocaleChild")});
        ASSERT_TRUE(child.waitForFinished(-1));
        const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
        EXPECT_EQ(child.exitCode(), 0) << c.environment.join(' ').toStdString() << "\n"
                                       << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    }
}

class MainWindowLanguageTest : public MainWindowTest {
  protected:
    void Use(UiLanguage language) { translators_ = std::make_unique<UiTranslators>(language); }
    void TearDown() override {
        MainWindowTest::TearDown();
        translators_.reset();
    }
    QStringList Headers() {
        QStringList texts;
        for (int i = 0; i < Form().ListView1->columnCount(); ++i)
            texts << Form().ListView1->headerItem()->text(i);
        return texts;
    }
    QStringList MenuTexts() {
        QStringList texts;
        for (QAction* action : Form().PopupMenu1->actions())
            if (!action->isSeparator())
                texts << action->text();
        return texts;
    }
    std::unique_ptr<UiTranslators> translators_;
};

TEST_F(MainWindowLanguageTest, RussianInstallsNoTranslator) {
    Use(UiLanguage::kRussian);
    EXPECT_FALSE(translators_->CatalogueInstalled());
    EXPECT_EQ(Form().windowTitle(), QStringLiteral("Kelvara by Dostrin  v.0.3"));
    EXPECT_EQ(Form().GroupBox1->title(), QStringLiteral(" Виджеты "));
    EXPECT_EQ(Form().GroupBox2->title(), QStringLiteral(" Информация "));
    EXPECT_EQ(Form().GroupBox3->title(), QStringLiteral("Действия"));
    EXPECT_EQ(Form().FlatButton5->text(), QStringLiteral("Добавить виджет в коллекцию"));
    EXPECT_EQ(Form().FlatButton3->text(), QStringLiteral("Удалить выделенные виджеты"));
    EXPECT_EQ(Form().FlatButton1->text(), QStringLiteral("Создать пакет установки"));
    EXPECT_EQ(Headers(), QStringList({"Имя файла", "Название виджета", "Размер", "Дата создания"}));
    EXPECT_EQ(MenuTexts(), QStringList({"Выделить все", "Снять выделения", "Просмотр"}));
    EXPECT_EQ(Form().Label10->text(), QStringLiteral("Доступ к сети:"));
    EXPECT_EQ(Form().Label11->text(), QStringLiteral("Неизвестно"));
    EXPECT_EQ(Status(0), QStringLiteral("Всего найдено виджетов:  0"));
    Form().FlatButton3Click();
    EXPECT_EQ(log_.errors,
              QStringList({QStringLiteral("Вы не выбрали ни одного виджета для удаления.")}));
    // Qt's standard buttons keep their English texts: no Qt catalogue is loaded either.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&No"), QStringLiteral("&No"));
}

TEST_F(MainWindowLanguageTest, EnglishCatalogueTranslatesTheWindow) {
    Use(UiLanguage::kEnglish);
    ASSERT_TRUE(translators_->CatalogueInstalled());
    EXPECT_EQ(Form().windowTitle(), QStringLiteral("Kelvara by Dostrin  v.0.3"));
    EXPECT_EQ(Form().GroupBox1->title(), QStringLiteral(" Widgets "));
    EXPECT_EQ(Form().GroupBox2->title(), QStringLiteral(" Information "));
    EXPECT_EQ(Form().GroupBox3->title(), QStringLiteral("Actions"));
    EXPECT_EQ(Form().FlatButton5->text(), QStringLiteral("Add widget to collection"));
    EXPECT_EQ(Form().FlatButton3->text(), QStringLiteral("Delete checked widgets"));
    EXPECT_EQ(Form().FlatButton1->text(), QStringLiteral("Create installation package"));
    EXPECT_EQ(Headers(), QStringList({"File name", "Widget name", "Size", "Date created"}));
    EXPECT_EQ(MenuTexts(), QStringList({"Check all", "Uncheck all", "View"}));
    EXPECT_EQ(Form().Label2->text(), QStringLiteral("Height:"));
    EXPECT_EQ(Form().Label10->text(), QStringLiteral("Network access:"));
    EXPECT_EQ(Form().Label4->text(), QStringLiteral("Unknown"));
    EXPECT_EQ(Status(0), QStringLiteral("Widgets found:  0"));
    EXPECT_EQ(Status(1), QStringLiteral("Widgets checked:  0"));
    Form().FlatButton3Click();
    Form().FlatButton1Click();
    EXPECT_EQ(log_.errors,
              QStringList({QStringLiteral("You have not checked any widget to delete."),
                           QStringLiteral("You have not checked any widget.")}));
}

TEST_F(MainWindowLanguageTest, EnglishCommandsAndDetails) {
    Use(UiLanguage::kEnglish);
    WriteZip(Collection() + "clock.wgt",
             {{"config.xml", "<widget><access network=\"true\"/></widget>"}});
    WriteZip(Collection() + "notes.wgt", {{"config.xml", "<widget/>"}});
    QStringList verdicts;
    for (int row = 0; row < 2; ++row) {
        QTreeWidgetItem* item = Form().ListView1->topLevelItem(row);
        Form().ListView1SelectItem(item);
        verdicts << item->text(0) + QLatin1Char(' ') + Form().Label11->text();
    }
    verdicts.sort();
    EXPECT_EQ(verdicts, QStringList({"clock.wgt Allowed", "notes.wgt Denied"}));

    // The collection's progress texts are translated with the package name kept.
    QStringList progress;
    Form().onPump = [&] { progress << Status(2); };
    Check(0);
    Check(1);
    log_.confirmAnswers = {true};
    Form().FlatButton3Click();
    EXPECT_EQ(log_.confirmations,
              QStringList({QStringLiteral(
                  "Attention. This will delete 2 widget(s) from the collection. Do you agree?")}));
    EXPECT_TRUE(progress.contains(QStringLiteral("Deleting clock.wgt...")));
    EXPECT_TRUE(progress.contains(QStringLiteral("Deleting notes.wgt...")));
    EXPECT_EQ(log_.informations, QStringList({QStringLiteral("Widgets deleted successfully.")}));
}

TEST(CollectionProgressText, TranslatesOnlyTheKnownPrefix) {
    const UiTranslators english(UiLanguage::kEnglish);
    using app::CollectionProgressText;
    EXPECT_EQ(CollectionProgressText(std::string(collection::kStatusCopying) + "Удаление x.wgt..."),
              QStringLiteral("Copying Удаление x.wgt..."));
    EXPECT_EQ(CollectionProgressText(collection::kStatusGeneratingPage),
              QStringLiteral("Generating page..."));
    EXPECT_EQ(CollectionProgressText("Удаление"), QStringLiteral("Удаление"));
    EXPECT_EQ(CollectionProgressText(""), QString());
}

TEST(CollectionProgressText, RussianKeepsTheText) {
    const UiTranslators russian(UiLanguage::kRussian);
    EXPECT_EQ(app::CollectionProgressText("Удаление clock.wgt..."),
              QStringLiteral("Удаление clock.wgt..."));
    EXPECT_EQ(app::CollectionText(collection::kUnknownValue), QStringLiteral("Неизвестно"));
}

}  // namespace
}  // namespace kelvara::test
