// The English catalogue in translations/: complete for every text that lupdate finds in the
// sources, and every translation keeps what the program builds around it.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <filesystem>

#include "testkit/temp_folder.h"

namespace kelvara::test {
namespace {

struct CatalogueEntry {
    QString context, source, translation, type;
};

std::vector<CatalogueEntry> ReadCatalogue(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << path.toStdString();
        return {};
    }
    std::vector<CatalogueEntry> entries;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            CatalogueEntry entry{context, {}, {}, {}};
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("source")) {
                    entry.source = xml.readElementText();
                } else if (xml.name() == QLatin1String("translation")) {
                    entry.type = xml.attributes().value(QLatin1String("type")).toString();
                    entry.translation = xml.readElementText();
                } else {
                    xml.skipCurrentElement();
                }
            }
            entries.push_back(entry);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return entries;
}

std::string Describe(const CatalogueEntry& entry) {
    return (entry.context + QStringLiteral(" \"") + entry.source + QStringLiteral("\" -> \"") +
            entry.translation + QStringLiteral("\""))
        .toStdString();
}

// What the program puts around a text or into it must survive the translation: the blanks at
// either end (status prefixes and group box captions), the placeholders and the access keys.
void ExpectSameFrame(const CatalogueEntry& entry) {
    auto leading = [](const QString& s) {
        return s.size() - QString(s).remove(QRegularExpression(QStringLiteral("^\\s+"))).size();
    };
    auto trailing = [](const QString& s) {
        return s.size() - QString(s).remove(QRegularExpression(QStringLiteral("\\s+$"))).size();
    };
    EXPECT_EQ(leading(entry.translation), leading(entry.source)) << Describe(entry);
    EXPECT_EQ(trailing(entry.translation), trailing(entry.source)) << Describe(entry);
    EXPECT_EQ(entry.translation.count(QStringLiteral("%1")),
              entry.source.count(QStringLiteral("%1")))
        << Describe(entry);
    EXPECT_EQ(entry.translation.count(QLatin1Char('&')), entry.source.count(QLatin1Char('&')))
        << Describe(entry);
}

TEST(TranslationCatalogue, EnglishIsFinished) {
    const std::vector<CatalogueEntry> entries = ReadCatalogue(QStringLiteral(KELVARA_TS_FILE_EN));
    ASSERT_FALSE(entries.empty());
    for (const CatalogueEntry& entry : entries) {
        EXPECT_TRUE(entry.type.isEmpty()) << entry.type.toStdString() << ": " << Describe(entry);
        EXPECT_FALSE(entry.translation.trimmed().isEmpty()) << Describe(entry);
        // A Cyrillic letter left in the English text is an untranslated word.
        EXPECT_FALSE(
            entry.translation.contains(QRegularExpression(QStringLiteral("\\p{Cyrillic}"))))
            << Describe(entry);
        ExpectSameFrame(entry);
    }
}

// lupdate run over the same sources as the build's update target, into a copy of the committed
// catalogue: a text marked in the sources but missing from the catalogue comes back
// "unfinished", one that is no longer in the sources comes back "vanished".
TEST(TranslationCatalogue, CoversEveryMarkedText) {
    TempFolder folder;
    const QString copy = QString::fromStdString(folder / "kelvara_en.ts");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KELVARA_TS_FILE_EN), copy));
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(KELVARA_LUPDATE),
                  {QStringLiteral("-locations"), QStringLiteral("none"),
                   QStringLiteral("@" KELVARA_TRANSLATED_SOURCES), QStringLiteral("-ts"), copy});
    ASSERT_TRUE(lupdate.waitForFinished(-1));
    const std::string output = lupdate.readAll().toStdString();
    ASSERT_EQ(lupdate.exitStatus(), QProcess::NormalExit) << output;
    ASSERT_EQ(lupdate.exitCode(), 0) << output;

    const std::vector<CatalogueEntry> committed = ReadCatalogue(QStringLiteral(KELVARA_TS_FILE_EN));
    const std::vector<CatalogueEntry> updated = ReadCatalogue(copy);
    EXPECT_EQ(updated.size(), committed.size()) << output;
    for (const CatalogueEntry& entry : updated)
        EXPECT_TRUE(entry.type.isEmpty()) << entry.type.toStdString() << ": " << Describe(entry);
}

}  // namespace
}  // namespace kelvara::test
