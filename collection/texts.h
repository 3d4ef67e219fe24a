// The user-visible texts that the collection logic itself produces: progress texts, the page's
// link word and the values of the details panel (also printed by kelvara-cli). They stay Russian
// here and in the command-line tool; the windows translate those they show (context
// "kelvara::collection"). The page's link word is part of the page and is not translated.
#pragma once

#include <QtGlobal>

namespace kelvara::collection {

inline constexpr const char* kStatusDeleting =
    QT_TRANSLATE_NOOP("kelvara::collection", "Удаление ");
inline constexpr const char* kStatusCopying =
    QT_TRANSLATE_NOOP("kelvara::collection", "Копирование ");
inline constexpr const char* kStatusGeneratingPage =
    QT_TRANSLATE_NOOP("kelvara::collection", "Генерация страницы...");
inline constexpr const char* kInstallWord = "Установить";
inline constexpr const char* kUnknownValue = QT_TRANSLATE_NOOP("kelvara::collection", "Неизвестно");
inline constexpr const char* kNetworkAllowed =
    QT_TRANSLATE_NOOP("kelvara::collection", "Разрешено");
inline constexpr const char* kNetworkDenied = QT_TRANSLATE_NOOP("kelvara::collection", "Запрещено");

}  // namespace kelvara::collection
