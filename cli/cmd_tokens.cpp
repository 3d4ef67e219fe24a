// kelvara-cli tokens [--count] LANGUAGE FILE: loads FILE as the text view does and lists the
// tokens of the language's highlighter (format in highlight/token_listing.h). With --count only
// the number of lines and the number of tokens are printed, tab-separated.
#include <exception>
#include <memory>
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "highlight/highlighter_registry.h"
#include "highlight/token_listing.h"
#include "textview/code_line_list.h"

namespace kelvara::cli {
namespace {

constexpr const char* kCommand = "tokens";

std::string LanguageList() {
    std::string list;
    for (std::string_view name : highlight::HighlighterLanguages()) {
        list += list.empty() ? "" : ", ";
        list += name;
    }
    return list;
}

}  // namespace

int CmdTokens(const Args& args, std::ostream& out, std::ostream& err) {
    bool countOnly = false;
    Args positional;
    for (const std::string& arg : args) {
        if (arg == "--count") {
            countOnly = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(err, kCommand, "unknown option " + arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) {
        return UsageError(err, kCommand, "usage: tokens [--count] LANGUAGE FILE");
    }
    std::unique_ptr<highlight::TCustomHighlighter> highlighter =
        highlight::CreateHighlighter(positional[0]);
    if (!highlighter) {
        return UsageError(err, kCommand,
                          "unknown language \"" + positional[0] + "\" (" + LanguageList() + ")");
    }

    // The text view's own line store, so that memory use and limits are the view's.
    textview::TCodeLineList lines;
    try {
        lines.LoadFromFile(positional[1]);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }

    highlight::TTokenListing listing(*highlighter, countOnly);
    std::string buffer;
    for (int line = 0; line < lines.Count(); ++line) {
        listing.ScanLine(lines.Line(line), buffer);
        if (buffer.size() >= (1u << 16)) {
            out << buffer;
            buffer.clear();
        }
    }
    if (countOnly) {
        buffer = std::to_string(listing.Lines()) + '\t' + std::to_string(listing.Tokens()) + '\n';
    }
    out << buffer << std::flush;
    return out ? 0 : 1;
}

}  // namespace kelvara::cli
