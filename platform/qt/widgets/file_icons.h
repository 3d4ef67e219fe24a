// Small (16 x 16) icons for files, from the icon theme by MIME type.
#pragma once

#include <QIcon>
#include <QString>

namespace kelvara::platform {

// The theme's icon for the file's MIME type; a built-in file or folder icon when the theme
// has none.
QIcon SmallFileIcon(const QString& path);

}  // namespace kelvara::platform
