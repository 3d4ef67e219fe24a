// Small (16 x 16) icons for files, from the icon theme by MIME type.
#pragma once

#include <QIcon>
#include <QString>

namespace kelvara::platform {

// The theme's icon for the file's MIME type; a built-in file or folder icon when the theme
// has none.
QIcon SmallFileIcon(const QString& path);
// The same for a path the caller already knows to be a folder or not: nothing is looked up on
// disk (a list of thousands of files asks once per file).
QIcon SmallFileIcon(const QString& path, bool isFolder);

}  // namespace kelvara::platform
