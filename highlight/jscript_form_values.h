// The viewer window's settings over its JavaScript highlighter: comments in the menu-highlight
// system colour, reserved words purple, symbols green and bold. Applied after construction, so
// they are the attributes' stored overrides.
#pragma once

namespace kelvara::highlight {

class TJScriptHighlighter;

void ApplyViewerFormValues(TJScriptHighlighter& highlighter);

}  // namespace kelvara::highlight
