// Scanning throughput of the four highlighters over generated, realistic texts of a few MB.
#include <cstdint>
#include <string>

#include "bench/highlight/scan_frame.h"
#include "highlight/highlighter_registry.h"
#include "testkit/text_lines.h"

namespace kelvara::bench {

void ScanWithHighlighter(benchmark::State& state, std::string_view language,
                         const TextLines& lines) {
    std::unique_ptr<highlight::TCustomHighlighter> highlighter =
        highlight::CreateHighlighter(language);
    if (!highlighter) {
        state.SkipWithError("CreateHighlighter returned nullptr");
        return;
    }
    std::size_t characters = 0;
    for (const std::u16string& line : lines) {
        characters += line.size() + 1;  // the line break
    }
    highlight::TCustomHighlighter& h = *highlighter;
    std::uint64_t tokens = 0;
    for (auto _ : state) {
        h.ClearRangeState();
        int index = 0;
        for (const std::u16string& line : lines) {
            h.StartLine(line, index);
            while (!h.LineFinished()) {
                // What the view reads per token.
                benchmark::DoNotOptimize(h.TokenStart());
                benchmark::DoNotOptimize(h.TokenTextView());
                benchmark::DoNotOptimize(h.TokenKindCode());
                benchmark::DoNotOptimize(h.TokenAttribute());
                ++tokens;
                h.Advance();
            }
            h.RestoreRangeState(h.CurrentRangeState());
            ++index;
        }
    }
    const double bytes = static_cast<double>(characters) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["MB/s"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
    state.counters["tokens"] =
        static_cast<double>(tokens) / static_cast<double>(state.iterations());
    state.counters["size_MB"] = static_cast<double>(characters) / 1e6;
}

namespace {

constexpr std::size_t kTargetSize = 4 << 20;

// A small deterministic generator, so every run measures the same text.
class Random {
  public:
    std::uint32_t Next() {
        seed_ = seed_ * 1664525u + 1013904223u;
        return seed_ >> 8;
    }
    std::size_t Below(std::size_t n) { return Next() % n; }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }

  private:
    std::uint32_t seed_ = 12345;
};

std::string GenerateXml() {
    static const char* const kElements[] = {"widget",     "name",    "description",
                                            "icon",       "access",  "content",
                                            "preference", "feature", "author"};
    static const char* const kAttributes[] = {"id",  "version", "height",   "width", "network",
                                              "src", "lang",    "readonly", "value"};
    static const char* const kWords[] = {"Weather", "clock",    "shows", "the",  "current", "time",
                                         "and",     "forecast", "for",   "your", "city"};
    Random random;
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    text += "<!DOCTYPE widgets [\n  <!ENTITY test \"value\">\n]>\n";
    while (text.size() < kTargetSize) {
        text += "<!-- widget ";
        text += std::to_string(random.Below(10000));
        text += " -->\n<widget xmlns=\"http://www.w3.org/ns/widgets\" id=\"http://example.org/w";
        text += std::to_string(random.Below(1000));
        text += "\" version=\"1.";
        text += std::to_string(random.Below(20));
        text += "\" height=\"200\" width=\"300\">\n";
        for (int i = 0; i < 12; ++i) {
            const char* element = random.Pick(kElements);
            text += "    <";
            text += element;
            for (std::size_t a = random.Below(3); a > 0; --a) {
                text += ' ';
                text += random.Pick(kAttributes);
                const char quote = random.Below(2) ? '"' : '\'';
                text += '=';
                text += quote;
                text += random.Pick(kWords);
                if (random.Below(4) == 0) {
                    text += "&amp;x";
                }
                text += quote;
            }
            text += '>';
            for (std::size_t w = 2 + random.Below(8); w > 0; --w) {
                text += random.Pick(kWords);
                text += random.Below(10) == 0 ? " &lt; " : " ";
            }
            text += "</";
            text += element;
            text += ">\n";
        }
        text += "    <content><![CDATA[ if (a < b && c > d) { run(); } ]]></content>\n";
        text += "</widget>\n";
    }
    return text;
}

std::string GenerateHtml() {
    static const char* const kTags[] = {"div", "span",  "p",    "a",  "table",
                                        "td",  "tr",    "li",   "ul", "b",
                                        "img", "input", "font", "h1", "custom-tag"};
    static const char* const kAttributes[] = {"class", "id",    "style",   "href", "src",
                                              "width", "align", "onclick", "name", "value"};
    static const char* const kWords[] = {"Widget", "gallery", "shows", "the",        "newest",
                                         "items",  "from",    "your",  "collection", "&nbsp;",
                                         "&copy;", "&#169;",  "&amp;"};
    Random random;
    std::string text = "<!DOCTYPE html>\n<html>\n<head>\n<title>Widgets</title>\n</head>\n<body>\n";
    while (text.size() < kTargetSize) {
        if (random.Below(8) == 0) {
            text += "<!-- section ";
            text += std::to_string(random.Below(1000));
            text += " -->\n";
        }
        const char* tag = random.Pick(kTags);
        text += "  <";
        text += tag;
        for (std::size_t a = random.Below(4); a > 0; --a) {
            text += ' ';
            text += random.Pick(kAttributes);
            switch (random.Below(3)) {
                case 0:
                    text += "=\"main-block left\"";
                    break;
                case 1:
                    text += "='x.png'";
                    break;
                default:
                    text += "=120";
                    break;
            }
        }
        text += '>';
        for (std::size_t w = 3 + random.Below(10); w > 0; --w) {
            text += random.Pick(kWords);
            text += ' ';
        }
        text += "</";
        text += tag;
        text += ">\n";
    }
    text += "</body>\n</html>\n";
    return text;
}

std::string GenerateCss() {
    static const char* const kSelectors[] = {"body",    "h1, h2", ".widget .title", "#main",
                                             "a:hover", "ul li",  "div.panel > p",  "table td"};
    static const char* const kProperties[] = {
        "color",       "background-color", "font-size",          "margin", "padding-left", "border",
        "font-family", "made-up-property", "-moz-border-radius", "width"};
    static const char* const kValues[] = {"#000099",
                                          "12px",
                                          "bold",
                                          "1.5em",
                                          "none",
                                          "1px solid #ccc",
                                          "Verdana, Arial, sans-serif",
                                          "0 auto",
                                          "100%",
                                          "-2px",
                                          "\"Courier New\""};
    Random random;
    std::string text = "/* Widget styles */\n";
    while (text.size() < kTargetSize) {
        text += random.Pick(kSelectors);
        text += " {\n";
        for (std::size_t p = 2 + random.Below(6); p > 0; --p) {
            text += "    ";
            text += random.Pick(kProperties);
            text += ": ";
            text += random.Pick(kValues);
            text += ";";
            if (random.Below(6) == 0) {
                text += " /* note */";
            }
            text += '\n';
        }
        text += "}\n";
        if (random.Below(10) == 0) {
            text += "/* a comment\n   over two lines */\n";
        }
    }
    return text;
}

std::string GenerateJScript() {
    static const char* const kStatements[] = {
        "    var element = document.getElementById(\"clock\");",
        "    for (var i = 0; i < items.length; i++) {",
        "        total += items[i].value * 2;",
        "    }",
        "    if (total >= 0x1F && !done) { return Math.round(total / 3.5); }",
        "    window.setTimeout(function () { update(); }, 1000);",
        "    // refresh the view",
        "    element.innerHTML = 'Time: ' + now.getHours() + \":\" + now.getMinutes();",
        "    var text = \"escaped \\\" quote\";",
        "    count--; flags |= 4; name = name.toLowerCase();",
        "    /* block comment */ onClick = null;",
        "    $value = @tag;",
    };
    Random random;
    std::string text;
    int function = 0;
    while (text.size() < kTargetSize) {
        text += "/*\n * Function ";
        text += std::to_string(function);
        text += "\n */\nfunction update";
        text += std::to_string(function++);
        text += "(items, done) {\n";
        for (std::size_t s = 5 + random.Below(10); s > 0; --s) {
            text += random.Pick(kStatements);
            text += '\n';
        }
        text += "}\n\n";
    }
    return text;
}

template <std::string (*Generate)()>
const TextLines& CachedLines() {
    static const TextLines lines = test::SplitLines(Generate());
    return lines;
}

void BM_ScanXml(benchmark::State& state) {
    ScanWithHighlighter(state, "xml", CachedLines<GenerateXml>());
}
void BM_ScanHtml(benchmark::State& state) {
    ScanWithHighlighter(state, "html", CachedLines<GenerateHtml>());
}
void BM_ScanCss(benchmark::State& state) {
    ScanWithHighlighter(state, "css", CachedLines<GenerateCss>());
}
void BM_ScanJScript(benchmark::State& state) {
    ScanWithHighlighter(state, "js", CachedLines<GenerateJScript>());
}

BENCHMARK(BM_ScanXml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanCss)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanJScript)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace kelvara::bench
