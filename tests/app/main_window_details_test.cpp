#include "main_window_fixture.h"
#include "testkit/zip_builder.h"

namespace kelvara::test {
namespace {

std::string ManifestWith(const std::string& network, const std::string& extra = "height=\"200\" ") {
    return "<widget id=\"my-id\" version=\"2.1\" " + extra +
           "width=\"300\">"
           "<description>My clock</description><access network=\"" +
           network + "\"/></widget>";
}

QColor TextColour(QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

class DetailsTest : public MainWindowTest {
  protected:
    void Select(int row) { Form().ListView1SelectItem(Form().ListView1->topLevelItem(row)); }
    std::string Icon() { return ReadFile(TestData("pngsuite/basn6a08.png")); }
};

TEST_F(DetailsTest, FullManifestFillsThePanelAndAllowsNetworkInRed) {
    WriteZip(Collection() + "clock.wgt",
             {{"config.xml", ManifestWith("true")}, {"icon.png", Icon()}});
    Select(0);
    EXPECT_EQ(Column(1), QStringList{"My clock"});
    EXPECT_EQ(Form().Label4->text(), "200");
    EXPECT_EQ(Form().Label5->text(), "300");
    EXPECT_EQ(Form().Label7->text(), "2.1");
    EXPECT_EQ(Form().Label9->text(), "my-id");
    EXPECT_EQ(Form().Label11->text(), QStringLiteral("Разрешено"));
    EXPECT_EQ(TextColour(Form().Label11), QColor(255, 0, 0));
    EXPECT_EQ(Form().Image1->size(), QSize(32, 32));
    ASSERT_FALSE(Form().Image1->pixmap().isNull());
    EXPECT_TRUE(log_.errors.isEmpty());
    EXPECT_TRUE(Form().ViewerFolderPath().ends_with("/clock.wgt"));
}

TEST_F(DetailsTest, OnlyExactlyTrueAllowsNetwork) {
    WriteZip(Collection() + "a.wgt", {{"config.xml", ManifestWith("false")}});
    WriteZip(Collection() + "b.wgt", {{"config.xml", ManifestWith("True")}});
    for (int row : {0, 1}) {
        Select(row);
        EXPECT_EQ(Form().Label11->text(), QStringLiteral("Запрещено"));
        EXPECT_EQ(TextColour(Form().Label11), QColor(0, 128, 0));
    }
}

TEST_F(DetailsTest, MissingHeightShowsEmptyAndMissingAccessDeniesWithoutAnError) {
    WriteZip(Collection() + "a.wgt",
             {{"config.xml", "<w width=\"1\"><description>x</description></w>"}});
    Select(0);
    EXPECT_EQ(Form().Label4->text(), "");
    EXPECT_EQ(Form().Label5->text(), "1");
    EXPECT_EQ(Form().Label11->text(), QStringLiteral("Запрещено"));
    EXPECT_TRUE(log_.errors.isEmpty());
}

TEST_F(DetailsTest, SecondSelectionReplacesTheFirstAndAMissingManifestReadsAsUnknown) {
    WriteZip(Collection() + "a.wgt", {{"config.xml", ManifestWith("true")}, {"icon.png", Icon()}});
    WriteZip(Collection() + "b.wgt", {{"readme.txt", "no manifest here"}});
    Select(0);
    Select(1);
    EXPECT_TRUE(Form().ViewerFolderPath().ends_with("/b.wgt"));
    EXPECT_EQ(Form().Label4->text(), QStringLiteral("Неизвестно"));
    EXPECT_EQ(Form().Label11->text(), QStringLiteral("Неизвестно"));
    EXPECT_EQ(TextColour(Form().Label11), TextColour(Form().Label10));
    EXPECT_TRUE(Form().Image1->pixmap().isNull());
    EXPECT_EQ(Column(1), (QStringList{"My clock", ""}));
}

TEST_F(DetailsTest, BrokenIconOrManifestIsReportedAndLeavesNoOtherPackagesDetails) {
    WriteZip(Collection() + "a.wgt", {{"config.xml", ManifestWith("true")}});
    WriteZip(Collection() + "b.wgt", {{"config.xml", "<w><description>x</w>"}});
    WriteZip(Collection() + "c.wgt",
             {{"config.xml", ManifestWith("true")}, {"icon.png", "garbage"}});
    Form();
    ASSERT_EQ(log_.errors.size(), 1);  // the scan shows the first manifest error once
    EXPECT_TRUE(log_.errors[0].contains(QStringLiteral("Line: 1")));
    Select(0);
    Select(1);
    EXPECT_EQ(log_.errors.size(), 2);
    EXPECT_EQ(Form().Label11->text(), QStringLiteral("Неизвестно"));
    Select(2);
    EXPECT_EQ(log_.errors.size(), 3);
    EXPECT_EQ(Form().Label4->text(), QStringLiteral("Неизвестно"));
    EXPECT_EQ(Column(1), (QStringList{"My clock", "", "My clock"}));
}

TEST_F(DetailsTest, ScanErrorBoxNamesThePackageButTheSelectionBoxKeepsTheParserText) {
    WriteZip(Collection() + "a.wgt", {{"config.xml", ManifestWith("true")}});
    WriteZip(Collection() + "bad.wgt", {{"config.xml", "<widget id=\"bad\">\n</widget><extra/>"}});
    WriteZip(Collection() + "worse.wgt", {{"config.xml", "<w"}});
    Form();
    ASSERT_EQ(log_.errors.size(), 1);  // once, for the first bad package in row order
    Select(1);
    ASSERT_EQ(log_.errors.size(), 2);
    EXPECT_TRUE(log_.errors[1].contains(QStringLiteral("Line: 2")));
    EXPECT_FALSE(log_.errors[1].contains(QStringLiteral("bad.wgt")));
    EXPECT_EQ(log_.errors[0], QStringLiteral("bad.wgt:\n") + log_.errors[1]);
}

TEST_F(DetailsTest, LargeCollectionListsEveryNameInOrderAndReportsTheFirstBadManifestOnce) {
    // Enough packages that the manifests are read on several threads: names, order and the
    // one error box must be those of a reading in row order.
    QStringList captions, names;
    for (int i = 0; i < 120; ++i) {
        const std::string caption = QStringLiteral("w%1.wgt").arg(1000 + i).toStdString();
        const bool bad = i % 40 == 17;
        std::string manifest = "<widget><description>x</widget>";
        if (!bad)
            manifest = QStringLiteral("<widget><description>Name %1</description></widget>")
                           .arg(i)
                           .toStdString();
        WriteZip(Collection() + caption, {{"config.xml", manifest}});
        captions << QString::fromStdString(caption);
        names << (bad ? QString() : QStringLiteral("Name %1").arg(i));
    }
    Form();
    EXPECT_EQ(Column(0), captions);
    EXPECT_EQ(Column(1), names);
    ASSERT_EQ(log_.errors.size(), 1);
    EXPECT_TRUE(log_.errors[0].startsWith(QStringLiteral("w1017.wgt:\n")))
        << log_.errors[0].toStdString();
    EXPECT_EQ(Status(0), QStringLiteral("Всего найдено виджетов:  120"));
}

}  // namespace
}  // namespace kelvara::test
