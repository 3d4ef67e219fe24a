// The viewer's choice of preview by the clicked file's extension.
#pragma once

#include <string>

namespace kelvara::viewer {

enum class PreviewKind { None, Picture, Xml, Css, JavaScript, Html };

// The extension (from the last "." after the last "/", dot included) upper-cased and cut to
// 10 characters, matched exactly against ".PNG", ".XML", ".CSS", ".JS", ".HTML".
PreviewKind PreviewKindOf(const std::string& path);

}  // namespace kelvara::viewer
