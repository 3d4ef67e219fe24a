// Scanning speed of the XML and HTML highlighters over a few megabytes of generated, realistic
// markup, read the way the text view reads it (every token's kind and attribute).
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "highlight/html_highlighter.h"
#include "highlight/xml_highlighter.h"
#include "testkit/text_lines.h"

namespace {

using kelvara::highlight::TCustomHighlighter;
using kelvara::test::Widen;

constexpr size_t kTargetChars = 4u << 20;

std::vector<std::u16string> GenerateXml() {
    std::mt19937 random(7);
    std::vector<std::u16string> lines;
    size_t total = 0;
    auto add = [&](const std::string& line) {
        lines.push_back(Widen(line));
        total += line.size() + 1;
    };
    add("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    add("<!DOCTYPE catalog [");
    add("  <!ENTITY vendor \"Example Works\">");
    add("]>");
    add("<catalog xmlns=\"http://example.org/catalog\" xmlns:w=\"http://example.org/widget\">");
    for (int item = 0; total < kTargetChars; ++item) {
        const std::string id = std::to_string(item);
        if (item % 10 == 0) {
            add("  <!-- section " + id + ": widgets built by &vendor; -->");
        }
        add("  <w:widget id=\"com.example.w" + id + "\" version=\"1." + std::to_string(item % 7) +
            "\" height='" + std::to_string(100 + random() % 400) + "' width='" +
            std::to_string(100 + random() % 600) + "'>");
        add("    <name lang=\"en\">Clock &amp; calendar number " + id + "</name>");
        add("    <description>Shows the time, the date &lt;and&gt; the week of the year.</"
            "description>");
        add("    <access network=\"" + std::string(item % 3 ? "false" : "true") + "\"/>");
        add("    <icon src=\"icons/" + id + ".png\" />");
        if (item % 4 == 0) {
            add("    <script><![CDATA[ if (a < b && c > d) { run(" + id + "); } ]]></script>");
        }
        add("  </w:widget>");
    }
    add("</catalog>");
    return lines;
}

std::vector<std::u16string> GenerateHtml() {
    std::mt19937 random(11);
    std::vector<std::u16string> lines;
    size_t total = 0;
    auto add = [&](const std::string& line) {
        lines.push_back(Widen(line));
        total += line.size() + 1;
    };
    add("<!DOCTYPE html>");
    add("<html>");
    add("<head>");
    add("  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
    add("  <title>Widget gallery</title>");
    add("</head>");
    add("<body bgcolor=\"#FFFFFF\" text=black>");
    for (int row = 0; total < kTargetChars; ++row) {
        const std::string id = std::to_string(row);
        if (row % 8 == 0) {
            add("<!-- block " + id + " -->");
            add("<TABLE border=0 cellpadding=\"2\" width=\"100%\">");
        }
        add("  <tr class='row" + std::to_string(row % 2) + "'>");
        add("    <td width=120><a href=\"widgets/w" + id + ".wgt\">Widget " + id + "</a></td>");
        add("    <td>Size: " + std::to_string(1000 + random() % 90000) +
            " bytes &nbsp;&mdash; &copy; 2009 &#169; &#x41;uthor &amp; friends</td>");
        add("    <td><img src=\"icons/" + id + ".png\" alt='icon' height=32 width=32></td>");
        add("    <td><p>Tick the box to <b>install</b> or <i>remove</i> it.</p></td>");
        add("  </tr>");
        if (row % 8 == 7) {
            add("</TABLE>");
        }
    }
    add("</body>");
    add("</html>");
    return lines;
}

void ScanAll(benchmark::State& state, TCustomHighlighter& highlighter,
             const std::vector<std::u16string>& lines) {
    size_t chars = 0;
    for (const auto& line : lines) {
        chars += line.size() + 1;
    }
    for (auto _ : state) {
        int sum = 0;
        highlighter.ClearRangeState();
        int index = 0;
        for (const auto& line : lines) {
            highlighter.StartLine(line, index++);
            while (!highlighter.LineFinished()) {
                sum += highlighter.TokenKindCode();
                benchmark::DoNotOptimize(highlighter.TokenAttribute());
                highlighter.Advance();
            }
            highlighter.RestoreRangeState(highlighter.CurrentRangeState());
        }
        benchmark::DoNotOptimize(sum);
    }
    // One character of this ASCII markup is one byte of the file.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(chars));
}

void BM_XmlScan(benchmark::State& state) {
    static const auto lines = GenerateXml();
    kelvara::highlight::TXmlHighlighter highlighter;
    ScanAll(state, highlighter, lines);
}
BENCHMARK(BM_XmlScan)->Unit(benchmark::kMillisecond);

void BM_HtmlScan(benchmark::State& state) {
    static const auto lines = GenerateHtml();
    kelvara::highlight::THtmlHighlighter highlighter;
    ScanAll(state, highlighter, lines);
}
BENCHMARK(BM_HtmlScan)->Unit(benchmark::kMillisecond);

}  // namespace
