// The interface language. The Russian texts in the sources are what the windows show by
// default; an English catalogue (embedded as ":/translations/kelvara_en.qm") translates them
// when the user prefers English.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class QLocale;
class QTranslator;

namespace kelvara::app {

enum class UiLanguage { kRussian, kEnglish };

// English when an English entry ("en", "en-US", "en_GB", ...) comes before any Russian one in
// `uiLanguages` (most preferred first); Russian otherwise, "C" and "POSIX" included.
UiLanguage ChooseUiLanguage(const QStringList& uiLanguages);

// The language for a locale's preferred languages. The C locale (LANG=C.UTF-8, LANG=POSIX, no
// LANG at all) states no preference and keeps Russian, whatever its uiLanguages() gives.
UiLanguage UiLanguageOf(const QLocale& locale);

// The translators of a language, installed into the running application while this object
// lives. Russian installs none. English installs the program's catalogue and Qt's own
// "qtbase_en" from Qt's translations folder (when present), so Qt's dialogs match.
class UiTranslators {
  public:
    explicit UiTranslators(UiLanguage language);
    ~UiTranslators();
    UiTranslators(const UiTranslators&) = delete;
    UiTranslators& operator=(const UiTranslators&) = delete;

    // Whether the program's own catalogue is installed.
    bool CatalogueInstalled() const { return catalogueInstalled_; }

  private:
    std::vector<std::unique_ptr<QTranslator>> translators_;
    bool catalogueInstalled_ = false;
};

// A text of collection/texts.h in the interface language.
QString CollectionText(const char* text);
// A progress text of the collection logic ("Удаление clock.wgt...", "Копирование clock.wgt...",
// "Генерация страницы...") in the interface language; the package name is kept as it is.
QString CollectionProgressText(const std::string& status);

}  // namespace kelvara::app
