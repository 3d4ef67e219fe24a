#include "app/ui_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <string_view>

#include "collection/texts.h"

namespace kelvara::app {
namespace {

constexpr const char* kCollectionContext = "kelvara::collection";

// The language subtag of a BCP 47 or POSIX style name, lower case ("en" for "en-Latn-US" and
// "en_US.UTF-8").
QString LanguagePart(const QString& name) {
    qsizetype end = 0;
    while (end < name.size() && name[end].isLetter())
        ++end;
    return name.left(end).toLower();
}

}  // namespace

UiLanguage ChooseUiLanguage(const QStringList& uiLanguages) {
    for (const QString& entry : uiLanguages) {
        const QString language = LanguagePart(entry);
        if (language == QLatin1String("en"))
            return UiLanguage::kEnglish;
        if (language == QLatin1String("ru"))
            return UiLanguage::kRussian;
    }
    return UiLanguage::kRussian;
}

UiLanguage UiLanguageOf(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return UiLanguage::kRussian;
    return ChooseUiLanguage(locale.uiLanguages());
}

UiTranslators::UiTranslators(UiLanguage language) {
    if (language != UiLanguage::kEnglish)
        return;
    auto own = std::make_unique<QTranslator>();
    if (own->load(QStringLiteral(":/translations/kelvara_en.qm")) &&
        QCoreApplication::installTranslator(own.get())) {
        catalogueInstalled_ = true;
        translators_.push_back(std::move(own));
    }
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_en"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(qt.get()))
        translators_.push_back(std::move(qt));
}

// A QTranslator removes itself from the application when destroyed.
UiTranslators::~UiTranslators() = default;

QString CollectionText(const char* text) {
    return QCoreApplication::translate(kCollectionContext, text);
}

QString CollectionProgressText(const std::string& status) {
    for (const char* prefix : {collection::kStatusDeleting, collection::kStatusCopying,
                               collection::kStatusGeneratingPage}) {
        const std::string_view start(prefix);
        if (status.compare(0, start.size(), start) == 0)
            return CollectionText(prefix) + QString::fromStdString(status.substr(start.size()));
    }
    return QString::fromStdString(status);
}

}  // namespace kelvara::app
