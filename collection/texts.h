// The user-visible texts that the collection logic itself produces: progress texts, the page's
// link word and the values of the details panel (also printed by kelvara-cli).
#pragma once

namespace kelvara::collection {

inline constexpr const char* kStatusDeleting = "Удаление ";
inline constexpr const char* kStatusCopying = "Копирование ";
inline constexpr const char* kStatusGeneratingPage = "Генерация страницы...";
inline constexpr const char* kInstallWord = "Установить";
inline constexpr const char* kUnknownValue = "Неизвестно";
inline constexpr const char* kNetworkAllowed = "Разрешено";
inline constexpr const char* kNetworkDenied = "Запрещено";

}  // namespace kelvara::collection
