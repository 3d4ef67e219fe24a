// Scanning throughput of the style-sheet and JavaScript highlighters on denser texts than the
// general scanning benchmark: minified style sheets (a whole rule per line, upper-case and
// vendor-prefixed names, colour codes) and scripts heavy in operators, numbers, escaped strings
// and block comments over several lines.
#include <cstdint>
#include <string>

#include "bench/highlight/scan_frame.h"
#include "testkit/text_lines.h"

namespace kelvara::bench {
namespace {

constexpr std::size_t kTargetSize = 4 << 20;

class Sequence {
  public:
    std::size_t Below(std::size_t n) {
        seed_ = seed_ * 1103515245u + 12345u;
        return (seed_ >> 8) % n;
    }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }

  private:
    std::uint32_t seed_ = 2026;
};

std::string GenerateMinifiedCss() {
    static const char* const kSelectors[] = {"#nav>li a:hover", ".w-title,.w-body p", "BODY",
                                             "table.grid td.num", "h1,h2,h3"};
    static const char* const kDeclarations[] = {"color:#3A3A3A",
                                                "BACKGROUND-COLOR:#fff",
                                                "margin:0 auto",
                                                "padding:4px 8px 0 2px",
                                                "-webkit-box-shadow:0 1px 2px #000",
                                                "font:bold 11px/1.5 Verdana,Arial,sans-serif",
                                                "z-index:-1",
                                                "border-top:1px dotted #99c",
                                                "width:33.3%",
                                                "list-style-type:none",
                                                "background:url(\"img/bg.png\") no-repeat",
                                                "filter:alpha(opacity=50)"};
    Sequence random;
    std::string text;
    while (text.size() < kTargetSize) {
        text += random.Pick(kSelectors);
        text += '{';
        for (std::size_t d = 3 + random.Below(8); d > 0; --d) {
            text += random.Pick(kDeclarations);
            text += d > 1 ? ";" : "}";
        }
        if (random.Below(5) == 0) {
            text += "/*!minified*/";
        }
        text += '\n';
    }
    return text;
}

std::string GenerateDenseJScript() {
    static const char* const kLines[] = {
        "a[i]=(b[i]<<2|c&0xFF)^~d>>>1;x+=y-=z*=2;",
        "if(s.charCodeAt(n)==92&&!q){r=\"\\\\\";}else{r='\\'';}",
        "var re=/[a-z]+/g,k=1.25,m=0x7fff,e=1e9;",
        "el.onmouseover=function(ev){return ev&&ev.target||window.event.srcElement;};",
        "/* a block comment that",
        "   continues here */ t=typeof u==='undefined'?null:u;",
        "for(var j=0;j<arr.length;++j){sum+=parseInt(arr[j],10)||0;}",
        "str='\\u0041'+\"\\t\"+String.fromCharCode(65,66)+'$@#';",
    };
    Sequence random;
    std::string text;
    while (text.size() < kTargetSize) {
        const char* line = random.Pick(kLines);
        text += line;
        if (line == kLines[4]) {
            text += '\n';
            text += kLines[5];
        }
        text += '\n';
    }
    return text;
}

template <std::string (*Generate)()>
const TextLines& Lines() {
    static const TextLines lines = test::SplitLines(Generate());
    return lines;
}

void BM_ScanMinifiedCss(benchmark::State& state) {
    ScanWithHighlighter(state, "css", Lines<GenerateMinifiedCss>());
}
void BM_ScanDenseJScript(benchmark::State& state) {
    ScanWithHighlighter(state, "js", Lines<GenerateDenseJScript>());
}

BENCHMARK(BM_ScanMinifiedCss)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanDenseJScript)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvara::bench
