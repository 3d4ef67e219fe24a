#include "highlight/jscript_form_values.h"

#include "highlight/jscript_highlighter.h"
#include "highlight/system_colors.h"

namespace kelvara::highlight {

void ApplyViewerFormValues(TJScriptHighlighter& highlighter) {
    highlighter.CommentAttri()->SetForeground(SystemColor(kSysColorMenuHighlight));
    highlighter.KeyAttri()->SetForeground(RgbColor(128, 0, 128));
    highlighter.SymbolAttri()->SetForeground(RgbColor(0, 128, 0));
    highlighter.SymbolAttri()->SetStyle(kStyleBold);
}

}  // namespace kelvara::highlight
