// Packages handed to the main window from outside: command-line files and dropped files.
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <sstream>

#include "app/open_packages.h"
#include "app/program_info.h"
#include "main_window_fixture.h"
#include "platform/dos_time.h"
#include "platform/file_system.h"
#include "testkit/zip_builder.h"

namespace kelvara::test {
namespace {

using app::DroppedPackagePaths;
using app::ParseOpenArguments;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

TEST(OpenArguments, PathsBecomeAbsoluteAndKeepTheirOrder) {
    const app::OpenArguments parsed = ParseOpenArguments(
        {"b.wgt", "./sub//a.wgt", "/abs/c.WGT", "../up.wgt", "dir/"}, "/home/u/work");
    EXPECT_EQ(parsed.paths,
              (QStringList{"/home/u/work/b.wgt", "/home/u/work/sub/a.wgt", "/abs/c.WGT",
                           "/home/u/work/../up.wgt", "/home/u/work/dir/"}));
    EXPECT_TRUE(parsed.unknownOption.isEmpty());
    EXPECT_TRUE(ParseOpenArguments({}, "/x").paths.isEmpty());
}

TEST(OpenArguments, DashArgumentsAreUnknownOptionsUntilADoubleDash) {
    app::OpenArguments parsed = ParseOpenArguments({"a.wgt", "-x", "--bogus", "b.wgt"}, "/d");
    EXPECT_EQ(parsed.unknownOption, "-x");
    parsed = ParseOpenArguments({"-"}, "/d");
    EXPECT_EQ(parsed.unknownOption, "-");
    parsed = ParseOpenArguments({"a.wgt", "--", "-x.wgt", "--"}, "/d");
    EXPECT_TRUE(parsed.unknownOption.isEmpty());
    EXPECT_EQ(parsed.paths, (QStringList{"/d/a.wgt", "/d/-x.wgt", "/d/--"}));
}

TEST(OpenArguments, UsageErrorRepeatsTheHelpsUsageLine) {
    char program[] = "kelvara", help[] = "--help";
    char* argv[] = {program, help};
    std::ostringstream out;
    ASSERT_EQ(app::AnswerInformationOption(2, argv, out), 0);
    const std::string usage = out.str().substr(0, out.str().find('\n') + 1);
    const std::string text = app::UnknownOptionText("-q").toStdString();
    EXPECT_EQ(text, "kelvara: unknown option \"-q\"\n" + usage);
}

TEST(PackageDrop, LocalWgtFilesInAnyCaseAreTaken) {
    const QStringList paths =
        DroppedPackagePaths({QUrl("file:///tmp/a.wgt"), QUrl("file:///tmp/My%20Clock.WGT"),
                             QUrl("file://localhost/tmp/c.Wgt"), QUrl::fromLocalFile("/tmp/.wgt")});
    EXPECT_EQ(paths, (QStringList{"/tmp/a.wgt", "/tmp/My Clock.WGT", "/tmp/c.Wgt", "/tmp/.wgt"}));
}

TEST(PackageDrop, AnyOtherUrlRefusesTheWholeDrop) {
    const QUrl good("file:///tmp/a.wgt");
    const QList<QList<QUrl>> refused = {
        {},
        {QUrl("https://example.org/a.wgt")},
        {good, QUrl("sftp://host/home/a.wgt")},
        {QUrl("file://otherhost/tmp/a.wgt")},
        {good, QUrl("file:///tmp/notes.txt")},
        {QUrl("file:///tmp/a.wgt.zip")},
        {QUrl("file:///tmp/folder.wgt/")},
        {QUrl("file:///tmp/awgt")},
    };
    for (const QList<QUrl>& urls : refused)
        EXPECT_TRUE(DroppedPackagePaths(urls).isEmpty()) << urls.size();
}

class OpenPackagesTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        WriteZip(source_ / "a.wgt", {{"config.xml", Manifest("A", "id-a")}});
        WriteZip(source_ / "b.wgt", {{"config.xml", Manifest("B", "id-b")}});
        platform::SetFileModified(source_ / "a.wgt", 1'000'000'001);
        platform::SetFileModified(source_ / "b.wgt", 1'100'000'003);
    }
    static std::string Manifest(const std::string& name, const std::string& id) {
        return "<widget id=\"" + id + "\"><description>" + name + "</description></widget>";
    }
    QString Source(const std::string& name) { return Q(source_ / name); }
    QString Current() {
        QTreeWidgetItem* item = Form().ListView1->currentItem();
        return item && item->isSelected() ? item->text(0) : QString();
    }
    // Sends a drag over the list's viewport, then (when `drop`) the drop itself; returns
    // whether the list accepted the drag.
    bool Drag(QMimeData& data, bool drop,
              Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
        QWidget* viewport = Form().ListView1->viewport();
        const QPoint at = viewport->rect().center();
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        const bool accepted = enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        EXPECT_EQ(move.isAccepted(), accepted);
        if (drop) {
            QDropEvent dropEvent(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &dropEvent);
            EXPECT_EQ(dropEvent.isAccepted(), accepted);
            // The add runs once the drop has been answered.
            QCoreApplication::processEvents();
        }
        return accepted;
    }
    void ExpectBothAddedWithBSelected() {
        EXPECT_EQ(Column(0), (QStringList{"a.wgt", "b.wgt"}));
        EXPECT_EQ(platform::FileModified(Collection() + "a.wgt"),
                  platform::RoundToDosResolution(1'000'000'001));
        EXPECT_EQ(platform::FileModified(Collection() + "b.wgt"),
                  platform::RoundToDosResolution(1'100'000'003));
        EXPECT_EQ(log_.informations,
                  QStringList{QStringLiteral(
                      "Добавление виджетов успешно завершено. Добавлено 2 виджета(ов).")});
        EXPECT_TRUE(log_.errors.isEmpty());
        EXPECT_EQ(Status(0), QStringLiteral("Всего найдено виджетов:  2"));
        EXPECT_EQ(Status(2), QString());
        // The first one given, not the first in the list's order, and shown as a click would.
        EXPECT_EQ(Current(), "b.wgt");
        EXPECT_EQ(Form().Label9->text(), "id-b");
        EXPECT_TRUE(Form().ViewerFolderPath().ends_with("/b.wgt"));
    }

    TempFolder source_;
};

TEST_F(OpenPackagesTest, ArgumentsAreAddedAndTheFirstIsSelected) {
    WriteFile(Collection() + "old.wgt", "kept");
    Form();
    QStringList statuses;
    Form().onPump = [&] { statuses << Status(2); };
    Form().OpenPackages({Source("b.wgt"), Source("a.wgt")});
    EXPECT_TRUE(statuses.contains(QStringLiteral("Добавление b.wgt...")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Добавление a.wgt...")));
    EXPECT_EQ(Column(0), (QStringList{"a.wgt", "b.wgt", "old.wgt"}));
    EXPECT_EQ(ReadFile(Collection() + "old.wgt"), "kept");
    EXPECT_EQ(Current(), "b.wgt");
    EXPECT_EQ(Form().Label9->text(), "id-b");
}

TEST_F(OpenPackagesTest, AFileTheRescanDoesNotListLeavesTheSelectionToTheNext) {
    WriteFile(source_ / "notes.txt", "n");
    Form().OpenPackages({Source("notes.txt"), Source("a.wgt")});
    EXPECT_EQ(Column(0), QStringList{"a.wgt"});
    EXPECT_EQ(Current(), "a.wgt");
    EXPECT_EQ(log_.informations.size(), 1);
}

TEST_F(OpenPackagesTest, ABadPathGetsTheAddErrorAndLosesNothing) {
    WriteFile(Collection() + "a.wgt", "precious");
    Form();
    const QString missing = Source("missing.wgt");
    const QString folder = Q(source_.Path()) + "/";
    for (const QStringList& paths :
         {QStringList{missing}, QStringList{folder}, QStringList{Q(Collection() + "a.wgt")}}) {
        log_.errors.clear();
        Form().OpenPackages(paths);
        ASSERT_EQ(log_.errors.size(), 1) << paths[0].toStdString();
        EXPECT_TRUE(log_.errors[0].startsWith(QStringLiteral("Cannot ")))
            << log_.errors[0].toStdString();
        EXPECT_TRUE(log_.informations.isEmpty());
        EXPECT_EQ(ReadFile(Collection() + "a.wgt"), "precious");
        EXPECT_EQ(Column(0), QStringList{"a.wgt"});
        EXPECT_EQ(Current(), QString());
    }
    // Copying a package onto itself is refused before anything is written.
    EXPECT_TRUE(log_.errors[0].startsWith("Cannot create file \"" + Q(Collection()) + "a.wgt\"."))
        << log_.errors[0].toStdString();
}

TEST_F(OpenPackagesTest, AMissingFileStopsTheAddAfterTheFilesBeforeIt) {
    Form();
    Form().OpenPackages({Source("a.wgt"), Source("missing.wgt"), Source("b.wgt")});
    ASSERT_EQ(log_.errors.size(), 1);
    EXPECT_EQ(log_.errors[0],
              "Cannot open file \"" + Source("missing.wgt") + "\". No such file or directory");
    EXPECT_TRUE(FileExists(Collection() + "a.wgt"));
    EXPECT_FALSE(FileExists(Collection() + "b.wgt"));
    EXPECT_TRUE(log_.informations.isEmpty());
}

TEST_F(OpenPackagesTest, DroppedPackagesAreAddedAndTheFirstIsSelected) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Source("b.wgt")), QUrl::fromLocalFile(Source("a.wgt"))});
    EXPECT_TRUE(Drag(data, true));
    ExpectBothAddedWithBSelected();
}

TEST_F(OpenPackagesTest, OtherDropsAreRefusedAndChangeNothing) {
    WriteFile(source_ / "notes.txt", "n");
    QMimeData text;
    text.setText(Source("a.wgt"));
    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(Source("a.wgt")), QUrl::fromLocalFile(Source("notes.txt"))});
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/a.wgt")});
    QMimeData linkOnly;
    linkOnly.setUrls({QUrl::fromLocalFile(Source("a.wgt"))});
    for (QMimeData* data : {&text, &mixed, &remote})
        EXPECT_FALSE(Drag(*data, true)) << data->text().toStdString();
    EXPECT_FALSE(Drag(linkOnly, true, Qt::LinkAction)) << "the files are copied, not linked";
    EXPECT_TRUE(Column(0).isEmpty());
    EXPECT_FALSE(FileExists(Collection() + "a.wgt"));
    EXPECT_FALSE(FileExists(Collection() + "notes.txt"));
    EXPECT_TRUE(log_.informations.isEmpty());
    EXPECT_TRUE(log_.errors.isEmpty());
}

TEST_F(OpenPackagesTest, NoDropIsTakenWhileACommandRuns) {
    Form();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Source("b.wgt"))});
    int drags = 0;
    Form().onPump = [&] {
        if (drags++ == 0) {
            EXPECT_FALSE(Drag(data, true));
        }
    };
    log_.filesToChoose = {{Source("a.wgt")}};
    Form().FlatButton5Click();
    EXPECT_GT(drags, 0);
    Form().onPump = nullptr;
    QCoreApplication::processEvents();
    EXPECT_EQ(Column(0), QStringList{"a.wgt"});
    EXPECT_EQ(log_.informations.size(), 1);
    // Afterwards the same drop is taken.
    EXPECT_TRUE(Drag(data, true));
    EXPECT_EQ(Column(0), (QStringList{"a.wgt", "b.wgt"}));
}

}  // namespace
}  // namespace kelvara::test
