// The user-visible texts of the main window and its commands.
#pragma once

namespace kelvara::app {

inline constexpr const char* kWindowCaption = "Kelvara by Dostrin  v.0.3";
inline constexpr const char* kStatusFound = "Всего найдено виджетов:  ";
inline constexpr const char* kStatusChecked = "Выбрано виджетов:  ";
inline constexpr const char* kStatusAdding = "Добавление ";
inline constexpr const char* kAddDonePrefix = "Добавление виджетов успешно завершено. Добавлено ";
inline constexpr const char* kAddDoneSuffix = " виджета(ов).";
inline constexpr const char* kNothingToDelete = "Вы не выбрали ни одного виджета для удаления.";
inline constexpr const char* kConfirmDeletePrefix = "Внимание. Будет удалено ";
inline constexpr const char* kConfirmDeleteSuffix = " виджета(ов) из коллекции. Вы согласны?";
inline constexpr const char* kDeleteDone = "Удаление виджетов успешно завершено.";
inline constexpr const char* kDeleteFailed =
    "Не удалось удалить виджеты (нет файла, нет прав на запись или файл только для чтения):";
inline constexpr const char* kNothingToPackage = "Вы не выбрали ни одного виджета.";
inline constexpr const char* kPackageDone =
    "Генерация пакета установки виджетов успешно завершена.";

}  // namespace kelvara::app
