#include "platform/qt/widgets/file_icons.h"

#include <QApplication>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStyle>

namespace kelvara::platform {

QIcon SmallFileIcon(const QString& path) {
    static const QMimeDatabase mimes;
    const bool isFolder = QFileInfo(path).isDir();
    QMimeType type = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull() && qApp)
        icon = QApplication::style()->standardIcon(isFolder ? QStyle::SP_DirIcon
                                                            : QStyle::SP_FileIcon);
    return icon;
}

}  // namespace kelvara::platform
