#include "viewer/preview_kind.h"

#include <QString>

namespace kelvara::viewer {

PreviewKind PreviewKindOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return PreviewKind::None;
    const QString extension = QString::fromStdString(path.substr(dot)).toUpper().left(10);
    struct Entry {
        const char* extension;
        PreviewKind kind;
    };
    static constexpr Entry kTable[] = {{".PNG", PreviewKind::Picture},
                                       {".XML", PreviewKind::Xml},
                                       {".CSS", PreviewKind::Css},
                                       {".JS", PreviewKind::JavaScript},
                                       {".HTML", PreviewKind::Html}};
    for (const Entry& entry : kTable)
        if (extension == QLatin1String(entry.extension))
            return entry.kind;
    return PreviewKind::None;
}

}  // namespace kelvara::viewer
