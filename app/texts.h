// The user-visible texts of the main window and its commands. The Russian texts are the source
// texts; the window shows them through tr(), so a catalogue may translate them.
#pragma once

#include <QtGlobal>

namespace kelvara::app {

inline constexpr const char* kWindowCaption =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", "Kelvara by Dostrin  v.0.3");
inline constexpr const char* kStatusFound =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", "Всего найдено виджетов:  ");
inline constexpr const char* kStatusChecked =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", "Выбрано виджетов:  ");
inline constexpr const char* kStatusAdding =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", "Добавление ");
inline constexpr const char* kAddDonePrefix =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", "Добавление виджетов успешно завершено. Добавлено ");
inline constexpr const char* kAddDoneSuffix =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", " виджета(ов).");
inline constexpr const char* kNothingToDelete =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", "Вы не выбрали ни одного виджета для удаления.");
inline constexpr const char* kConfirmDeletePrefix =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", "Внимание. Будет удалено ");
inline constexpr const char* kConfirmDeleteSuffix =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", " виджета(ов) из коллекции. Вы согласны?");
inline constexpr const char* kDeleteDone =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", "Удаление виджетов успешно завершено.");
inline constexpr const char* kDeleteFailed = QT_TRANSLATE_NOOP(
    "kelvara::app::TForm1",
    "Не удалось удалить виджеты (нет файла, нет прав на запись или файл только для чтения):");
inline constexpr const char* kNothingToPackage =
    QT_TRANSLATE_NOOP("kelvara::app::TForm1", "Вы не выбрали ни одного виджета.");
inline constexpr const char* kPackageDone = QT_TRANSLATE_NOOP(
    "kelvara::app::TForm1", "Генерация пакета установки виджетов успешно завершена.");

}  // namespace kelvara::app
