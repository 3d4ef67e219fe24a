#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "collection/collection_scan.h"
#include "platform/file_system.h"
#include "testkit/temp_folder.h"

namespace {

using kelvara::collection::ScanCollection;
using kelvara::collection::ScanErrorText;
using kelvara::collection::ScanResult;
using kelvara::test::TempFolder;
using kelvara::test::WriteFile;

time_t LocalTime(int hour, int minute, int second) {
    struct tm t {};
    t.tm_year = 2009 - 1900;
    t.tm_mon = 1;
    t.tm_mday = 1;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return mktime(&t);
}

std::vector<std::string> Captions(const ScanResult& result) {
    std::vector<std::string> captions;
    for (const auto& row : result.rows)
        captions.push_back(row.caption);
    return captions;
}

TEST(CollectionScan, EmptyFolderGivesNoRows) {
    TempFolder dir;
    EXPECT_TRUE(ScanCollection(dir.Path() + "/", nullptr).rows.empty());
    EXPECT_TRUE(ScanCollection(dir.Path() + "/missing/", nullptr).rows.empty());
}

TEST(CollectionScan, ListsPackageFilesInAnyCaseButNotFolders) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "old.wgt");
    WriteFile(dir / ".x.wgt", "a");
    WriteFile(dir / "Clock.WGT", "b");
    WriteFile(dir / "notes.txt", "c");
    WriteFile(dir / "wgt", "d");
    EXPECT_EQ(Captions(ScanCollection(dir.Path() + "/", nullptr)),
              (std::vector<std::string>{".x.wgt", "Clock.WGT"}));
}

TEST(CollectionScan, RowsStandInCaptionOrderWhateverTheDirectoryOrder) {
    TempFolder dir;
    for (const char* name : {"zeta.wgt", "Alpha.wgt", "beta.wgt", "alpha.wgt", "Гамма.wgt"})
        WriteFile(dir / name, "x");
    std::vector<std::string> captions = Captions(ScanCollection(dir.Path() + "/", nullptr));
    ASSERT_EQ(captions.size(), 5u);
    // Alphabetical by the locale, letter case only separating equal texts.
    EXPECT_LT(std::find(captions.begin(), captions.end(), "beta.wgt"),
              std::find(captions.begin(), captions.end(), "zeta.wgt"));
    EXPECT_LT(std::find(captions.begin(), captions.end(), "alpha.wgt") - captions.begin(), 2);
    EXPECT_LT(std::find(captions.begin(), captions.end(), "Alpha.wgt") - captions.begin(), 2);
}

TEST(CollectionScan, RowOrderIsThatOfTheCaptionComparison) {
    // The scan sorts by collation keys; its order must be the one CaptionLess gives, for
    // letter case, accents, Cyrillic, digits, punctuation and blanks alike.
    TempFolder dir;
    std::vector<std::string> names = {
        "zeta.wgt",   "Zeta.wgt",    "ZETA.wgt",       "zéta.wgt",   "zeta2.wgt",  "zeta10.wgt",
        "Ёлка.wgt",   "елка.wgt",    "Ель.wgt",        "ель.wgt",    "Яблоко.wgt", "a b.wgt",
        "a-b.wgt",    "a_b.wgt",     "ab.wgt",         "AB.wgt",     "a.b.wgt",    ".hidden.wgt",
        "1.wgt",      "01.wgt",      "10.wgt",         "9.wgt",      "_x.wgt",     "~x.wgt",
        "Straße.wgt", "strasse.wgt", "widget (1).wgt", "widget.wgt", "漢字.wgt",   "x.WGT"};
    for (const std::string& name : names)
        WriteFile(dir / name, "x");
    std::stable_sort(names.begin(), names.end(), kelvara::collection::CaptionLess);
    EXPECT_EQ(Captions(ScanCollection(dir.Path() + "/", nullptr)), names);
}

TEST(CollectionScan, SizeAndDateTexts) {
    TempFolder dir;
    WriteFile(dir / "a.wgt", std::string(10240, 'x'));
    WriteFile(dir / "b.wgt", "");
    WriteFile(dir / "c.wgt", "");
    WriteFile(dir / "d.wgt", "");
    kelvara::platform::SetFileModified(dir / "a.wgt", LocalTime(0, 0, 0));
    kelvara::platform::SetFileModified(dir / "b.wgt", LocalTime(0, 0, 1));
    kelvara::platform::SetFileModified(dir / "c.wgt", LocalTime(12, 0, 1));
    kelvara::platform::SetFileModified(dir / "d.wgt", LocalTime(12, 0, 0));
    ScanResult result = ScanCollection(dir.Path() + "/", nullptr);
    ASSERT_EQ(result.rows.size(), 4u);
    EXPECT_EQ(result.rows[0].sizeText, "10240");
    // Midnight and one second past it (held at two-second resolution) show the date alone;
    // 12:00:01 shows the seconds as 00, just like 12:00:00: the date, a blank and the time.
    const std::string& dateOnly = result.rows[0].dateText;
    EXPECT_EQ(result.rows[1].dateText, dateOnly);
    EXPECT_EQ(result.rows[2].dateText, result.rows[3].dateText);
    EXPECT_EQ(result.rows[3].dateText.rfind(dateOnly + " ", 0), 0u) << result.rows[3].dateText;
    EXPECT_NE(result.rows[3].dateText.find("12"), std::string::npos);
}

TEST(CollectionScan, SizesOfTwoGibibytesAndMoreStayPositive) {
    TempFolder dir;
    {
        WriteFile(dir / "big.wgt", "");
        std::error_code ec;
        std::filesystem::resize_file(dir / "big.wgt", 3'000'000'000LL, ec);  // sparse
        ASSERT_FALSE(ec) << ec.message();
    }
    ScanResult result = ScanCollection(dir.Path() + "/", nullptr);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0].sizeText, "3000000000");
    EXPECT_EQ(result.rows[0].size, 3'000'000'000LL);
}

TEST(CollectionScan, ReaderGetsFolderPlusCaptionAndOneBadManifestDoesNotEndTheScan) {
    TempFolder dir;
    for (const char* name : {"a.wgt", "b.wgt", "c.wgt"})
        WriteFile(dir / name, "x");
    std::vector<std::string> asked;
    ScanResult result =
        ScanCollection(dir.Path() + "/", [&](const std::string& path) -> std::string {
            asked.push_back(path);
            if (path.ends_with("a.wgt"))
                throw std::runtime_error("first failure");
            if (path.ends_with("b.wgt"))
                throw std::runtime_error("second failure");
            return "name of c";
        });
    ASSERT_EQ(result.rows.size(), 3u);
    EXPECT_EQ(asked.front(), dir.Path() + "/a.wgt");
    EXPECT_EQ(result.rows[0].widgetName, "");
    EXPECT_EQ(result.rows[1].widgetName, "");
    EXPECT_EQ(result.rows[2].widgetName, "name of c");
    EXPECT_EQ(result.firstError, "first failure");
}

TEST(CollectionScan, ManifestsAreReadInCaptionOrderWhateverTheDirectoryOrder) {
    // Enough names that no file system hands them back sorted by chance; every reader call
    // must follow the rows, so the first error and the progress do not depend on the disk.
    TempFolder dir;
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back(std::to_string(i * 7919 % 1000).append(".wgt"));
    for (const std::string& name : names)
        WriteFile(dir / name, "x");
    std::vector<std::string> asked;
    ScanResult result =
        ScanCollection(dir.Path() + "/", [&](const std::string& path) -> std::string {
            asked.push_back(path.substr(dir.Path().size() + 1));
            if (asked.size() % 2 == 0)
                throw std::runtime_error("bad " + asked.back());
            return "name";
        });
    EXPECT_EQ(asked, Captions(result));
    ASSERT_GE(result.rows.size(), 2u);
    EXPECT_EQ(result.firstError, "bad " + result.rows[1].caption);
    EXPECT_EQ(result.firstErrorCaption, result.rows[1].caption);
    EXPECT_EQ(result.rows[0].widgetName, "name");
    EXPECT_EQ(result.rows[1].widgetName, "");
}

TEST(CollectionScan, ReadingOnSeveralThreadsGivesTheSameRowsAndFirstError) {
    TempFolder dir;
    for (int i = 0; i < 200; ++i)
        WriteFile(dir / (std::to_string(i * 7919 % 1000) + ".wgt"), "x");
    // Every tenth package fails; which one is first must not depend on the threads' timing.
    auto reader = [](const std::string& path) -> std::string {
        const std::string name = path.substr(path.rfind('/') + 1);
        if (std::stoi(name) % 10 == 3)
            throw std::runtime_error("bad " + name);
        return "name of " + name;
    };
    const ScanResult one = ScanCollection(dir.Path() + "/", reader, 1);
    ASSERT_EQ(one.rows.size(), 200u);
    ASSERT_FALSE(one.firstError.empty());
    for (unsigned threads : {2u, 3u, 8u}) {
        const ScanResult several = ScanCollection(dir.Path() + "/", reader, threads);
        EXPECT_EQ(Captions(several), Captions(one));
        for (size_t i = 0; i < one.rows.size(); ++i)
            EXPECT_EQ(several.rows[i].widgetName, one.rows[i].widgetName) << i;
        EXPECT_EQ(several.firstError, one.firstError);
        EXPECT_EQ(several.firstErrorCaption, one.firstErrorCaption);
    }
    // Something other than a std::exception still leaves the scan.
    EXPECT_THROW(ScanCollection(
                     dir.Path() + "/",
                     [](const std::string& path) -> std::string {
                         if (path.ends_with("/0.wgt"))
                             throw 42;
                         return "";
                     },
                     4),
                 int);
}

TEST(CollectionScan, ErrorTextNamesThePackageOnALineOfItsOwn) {
    TempFolder dir;
    WriteFile(dir / "good.wgt", "x");
    WriteFile(dir / "bad.wgt", "x");
    ScanResult result =
        ScanCollection(dir.Path() + "/", [&](const std::string& path) -> std::string {
            if (path.ends_with("/bad.wgt"))
                throw std::runtime_error("Extra content\r\nLine: 2");
            return "good";
        });
    EXPECT_EQ(ScanErrorText(result), "bad.wgt:\nExtra content\r\nLine: 2");
    EXPECT_EQ(ScanErrorText(ScanCollection(dir.Path() + "/", nullptr)), "");
}

}  // namespace
