#include "platform/qt/widgets/file_icons.h"

#include <QApplication>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QStyle>

namespace kelvara::platform {

QIcon SmallFileIcon(const QString& path) {
    return SmallFileIcon(path, QFileInfo(path).isDir());
}

QIcon SmallFileIcon(const QString& path, bool isFolder) {
    static const QMimeDatabase mimes;
    // One icon per type: a list of thousands of packages asks for the same one each row, and
    // finding and decoding it is far dearer than the lookup.
    static QHash<QString, QIcon> cache;
    // Files with the same extension share an icon: the cache is keyed by the extension (the
    // whole name when there is none), so the type database, whose name matching is slow, is
    // asked once per extension.
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot < 0 ? QString() : fileName.mid(dot + 1);
    const QString key = isFolder           ? QStringLiteral("/")
                        : suffix.isEmpty() ? QStringLiteral("=") + fileName
                                           : QStringLiteral(".") + suffix;
    if (auto found = cache.constFind(key); found != cache.constEnd())
        return *found;
    const QMimeType type = isFolder ? mimes.mimeTypeForName(QStringLiteral("inode/directory"))
                                    : mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull() && qApp)
        icon = QApplication::style()->standardIcon(isFolder ? QStyle::SP_DirIcon
                                                            : QStyle::SP_FileIcon);
    cache.insert(key, icon);
    return icon;
}

}  // namespace kelvara::platform
