<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>kelvara::app::StandardDialogs</name>
    <message>
        <source>Виджеты (*.wgt)</source>
        <translation>Widgets (*.wgt)</translation>
    </message>
    <message>
        <source>Обзор папки</source>
        <translation>Browse for Folder</translation>
    </message>
</context>
<context>
    <name>kelvara::app::TForm1</name>
    <message>
        <source> Виджеты </source>
        <translation> Widgets </translation>
    </message>
    <message>
        <source>Имя файла</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>Название виджета</source>
        <translation>Widget name</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Дата создания</source>
        <translation>Date created</translation>
    </message>
    <message>
        <source>Выделить все</source>
        <translation>Check all</translation>
    </message>
    <message>
        <source>Снять выделения</source>
        <translation>Uncheck all</translation>
    </message>
    <message>
        <source>Просмотр</source>
        <translation>View</translation>
    </message>
    <message>
        <source> Информация </source>
        <translation> Information </translation>
    </message>
    <message>
        <source>Действия</source>
        <translation>Actions</translation>
    </message>
    <message>
        <source>Добавить виджет в коллекцию</source>
        <translation>Add widget to collection</translation>
    </message>
    <message>
        <source>Удалить выделенные виджеты</source>
        <translation>Delete checked widgets</translation>
    </message>
    <message>
        <source>Создать пакет установки</source>
        <translation>Create installation package</translation>
    </message>
    <message>
        <source>Высота:</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>Ширина:</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>Версия:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>ID:</source>
        <translation>ID:</translation>
    </message>
    <message>
        <source>Доступ к сети:</source>
        <translation>Network access:</translation>
    </message>
    <message>
        <source>Kelvara by Dostrin  v.0.3</source>
        <translation>Kelvara by Dostrin  v.0.3</translation>
    </message>
    <message>
        <source>Всего найдено виджетов:  </source>
        <translation>Widgets found:  </translation>
    </message>
    <message>
        <source>Выбрано виджетов:  </source>
        <translation>Widgets checked:  </translation>
    </message>
    <message>
        <source>Добавление </source>
        <translation>Adding </translation>
    </message>
    <message>
        <source>Добавление виджетов успешно завершено. Добавлено </source>
        <translation>Widgets added successfully. Added </translation>
    </message>
    <message>
        <source> виджета(ов).</source>
        <translation> widget(s).</translation>
    </message>
    <message>
        <source>Вы не выбрали ни одного виджета для удаления.</source>
        <translation>You have not checked any widget to delete.</translation>
    </message>
    <message>
        <source>Внимание. Будет удалено </source>
        <translation>Attention. This will delete </translation>
    </message>
    <message>
        <source> виджета(ов) из коллекции. Вы согласны?</source>
        <translation> widget(s) from the collection. Do you agree?</translation>
    </message>
    <message>
        <source>Удаление виджетов успешно завершено.</source>
        <translation>Widgets deleted successfully.</translation>
    </message>
    <message>
        <source>Не удалось удалить виджеты (нет файла, нет прав на запись или файл только для чтения):</source>
        <translation>Could not delete the widgets (file missing, no write permission or file read-only):</translation>
    </message>
    <message>
        <source>Вы не выбрали ни одного виджета.</source>
        <translation>You have not checked any widget.</translation>
    </message>
    <message>
        <source>Генерация пакета установки виджетов успешно завершена.</source>
        <translation>Installation package generated successfully.</translation>
    </message>
</context>
<context>
    <name>kelvara::collection</name>
    <message>
        <source>Удаление </source>
        <translation>Deleting </translation>
    </message>
    <message>
        <source>Копирование </source>
        <translation>Copying </translation>
    </message>
    <message>
        <source>Генерация страницы...</source>
        <translation>Generating page...</translation>
    </message>
    <message>
        <source>Неизвестно</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>Разрешено</source>
        <translation>Allowed</translation>
    </message>
    <message>
        <source>Запрещено</source>
        <translation>Denied</translation>
    </message>
</context>
<context>
    <name>kelvara::foldertree::TFolderTreeView</name>
    <message>
        <source>Удалить &quot;%1&quot;?</source>
        <translation>Delete &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>&amp;Открыть</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>&amp;Переименовать</source>
        <translation>&amp;Rename</translation>
    </message>
    <message>
        <source>&amp;Удалить</source>
        <translation>&amp;Delete</translation>
    </message>
</context>
<context>
    <name>kelvara::viewer::TForm2</name>
    <message>
        <source> Дерево проекта </source>
        <translation> Project tree </translation>
    </message>
    <message>
        <source> Просмотр </source>
        <translation> Preview </translation>
    </message>
    <message>
        <source>Просмотр виджета - </source>
        <translation>Widget viewer - </translation>
    </message>
</context>
</TS>
