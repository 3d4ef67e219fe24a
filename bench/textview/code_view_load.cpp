// Loading a large JavaScript-like file into the view's lines (one decoding pass, one scanning
// pass with a highlighter) and painting a screen of long highlighted lines; what a loaded line
// costs on 20 million empty lines and on the JavaScript files the system installs.
//
// Heap use is tracked through the global allocation functions, so "peak_extra_per_byte" is the
// peak heap during the load, less the UTF-16 text itself, per byte of the file;
// "store_bytes_per_byte" is what the loaded store holds per byte of the file.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "testkit/temp_folder.h"
#include "tests/textview/test_highlighter.h"
#include "textview/code_line_list.h"
#include "textview/qt/code_view.h"
#if __has_include("highlight/jscript_highlighter.h")
#include "highlight/jscript_highlighter.h"
#define KELVARA_HAVE_JSCRIPT 1
#endif

namespace {

std::atomic<long long> g_heapNow{0};
std::atomic<long long> g_heapPeak{0};

void Track(void* p) {
    if (!p)
        return;
    const long long now = g_heapNow += static_cast<long long>(malloc_usable_size(p));
    long long peak = g_heapPeak.load();
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
    }
}

}  // namespace

void* operator new(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    Track(p);
    return p;
}
void operator delete(void* p) noexcept {
    if (p)
        g_heapNow -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}

namespace {

using namespace kelvara::textview;

constexpr size_t kFileBytes = 50u << 20;

// The folder of the generated files, removed at exit.
const kelvara::test::TempFolder& Scratch() {
    static const kelvara::test::TempFolder folder;
    return folder;
}

// A JavaScript-like ASCII text: functions, strings, comments, numbers, average line ~40 bytes.
const std::string& BigFilePath() {
    static const std::string path = [] {
        const std::string p = Scratch() / "kelvara_codeview_bench.js";
        std::ofstream out(p, std::ios::binary);
        static const char* const kLines[] = {
            "function update(items, count) {",
            "    var total = 0; // running sum",
            "    for (var i = 0; i < count; i++) {",
            "        total += items[i].value * 1.5;",
            "    }",
            "    /* a comment that spans",
            "       two lines */",
            "    return \"result: \" + total;",
            "}",
            "",
        };
        size_t written = 0;
        while (written < kFileBytes) {
            for (const char* line : kLines) {
                out << line << "\r\n";
                written += std::char_traits<char>::length(line) + 2;
            }
        }
        return p;
    }();
    return path;
}

// A file of 20 million line feeds: 20 million and one empty lines.
const std::string& EmptyLinesPath() {
    static const std::string path = [] {
        const std::string p = Scratch() / "kelvara_codeview_empty.txt";
        std::ofstream out(p, std::ios::binary);
        const std::string block(1 << 20, '\n');
        for (size_t left = 20000000; left > 0;) {
            const size_t n = std::min(left, block.size());
            out.write(block.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
        return p;
    }();
    return path;
}

// UTF-16 units of a file's decoded text (the line breaks included, as the store keeps them).
size_t DecodedUnits(const std::string& path) {
    TextEncoding encoding;
    return DecodeCharacters(ReadWholeFile(path), encoding).size();
}

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_textview";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: a static application torn down at exit runs after Qt's own statics.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void ReportLoad(benchmark::State& state, const TCodeLineList& lines, long long heapBefore) {
    size_t chars = 0;
    for (int i = 0; i < lines.Count(); ++i)
        chars += lines.Line(i).size() + 2;
    const double text = static_cast<double>(chars) * 2;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
    state.counters["lines"] = lines.Count();
    state.counters["peak_extra_per_byte"] =
        (static_cast<double>(g_heapPeak.load() - heapBefore) - text) / kFileBytes;
    state.counters["resident_extra_per_byte"] =
        (static_cast<double>(lines.MemoryUsed()) - text) / kFileBytes;
    state.counters["store_bytes_per_byte"] = static_cast<double>(lines.MemoryUsed()) / kFileBytes;
}

void BM_LoadLines(benchmark::State& state) {
    const std::string& path = BigFilePath();
    long long before = 0;
    TCodeLineList lines;
    for (auto _ : state) {
        lines.Clear();
        before = g_heapNow.load();
        g_heapPeak = before;
        lines.LoadFromFile(path);
    }
    ReportLoad(state, lines, before);
}
BENCHMARK(BM_LoadLines)->Unit(benchmark::kMillisecond)->Iterations(3);

// 20 million empty lines: what a line costs beyond the UTF-16 text (at most 16 bytes).
void BM_LoadEmptyLines(benchmark::State& state) {
    const std::string& path = EmptyLinesPath();
    const double text = static_cast<double>(DecodedUnits(path)) * sizeof(char16_t);
    long long before = 0;
    TCodeLineList lines;
    for (auto _ : state) {
        lines.Clear();
        before = g_heapNow.load();
        g_heapPeak = before;
        lines.LoadFromFile(path);
    }
    state.counters["lines"] = lines.Count();
    state.counters["bytes_per_line"] =
        (static_cast<double>(lines.MemoryUsed()) - text) / lines.Count();
    state.counters["peak_bytes_per_line"] =
        (static_cast<double>(g_heapPeak.load() - before) - text) / lines.Count();
}
BENCHMARK(BM_LoadEmptyLines)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every JavaScript file below /usr/share, each loaded into a store of its own.
void BM_LoadInstalledScripts(benchmark::State& state) {
    std::vector<std::string> paths;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it("/usr/share", error), end;
         !error && it != end; it.increment(error)) {
        if (it->path().extension() == ".js" && it->is_regular_file(error))
            paths.push_back(it->path().string());
    }
    if (paths.empty()) {
        state.SkipWithError("no JavaScript files below /usr/share");
        return;
    }
    double fileBytes = 0, text = 0;
    for (const std::string& path : paths) {
        fileBytes += static_cast<double>(std::filesystem::file_size(path));
        text += static_cast<double>(DecodedUnits(path)) * sizeof(char16_t);
    }
    double store = 0, lineCount = 0;
    for (auto _ : state) {
        store = lineCount = 0;
        for (const std::string& path : paths) {
            TCodeLineList lines;
            lines.LoadFromFile(path);
            store += static_cast<double>(lines.MemoryUsed());
            lineCount += lines.Count();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileBytes));
    state.counters["files"] = static_cast<double>(paths.size());
    state.counters["file_bytes"] = fileBytes;
    state.counters["lines"] = lineCount;
    state.counters["store_bytes_per_byte"] = store / fileBytes;
    state.counters["extra_bytes_per_byte"] = (store - text) / fileBytes;
}
BENCHMARK(BM_LoadInstalledScripts)->Unit(benchmark::kMillisecond);

template <class Highlighter>
void LoadIntoView(benchmark::State& state) {
    App();
    const std::string& path = BigFilePath();
    Highlighter highlighter;
    TCodeView view;
    view.SetHighlighter(&highlighter);
    long long before = 0;
    for (auto _ : state) {
        view.ResetContents();
        before = g_heapNow.load();
        g_heapPeak = before;
        view.Lines().LoadFromFile(path);
    }
    ReportLoad(state, view.Lines(), before);
    view.ResetContents();
}

void BM_LoadIntoView_TestHighlighter(benchmark::State& state) {
    LoadIntoView<test::TCommentTestHighlighter>(state);
}
BENCHMARK(BM_LoadIntoView_TestHighlighter)->Unit(benchmark::kMillisecond)->Iterations(3);

#ifdef KELVARA_HAVE_JSCRIPT
void BM_LoadIntoView_JScript(benchmark::State& state) {
    LoadIntoView<kelvara::highlight::TJScriptHighlighter>(state);
}
BENCHMARK(BM_LoadIntoView_JScript)->Unit(benchmark::kMillisecond)->Iterations(3);
#endif

// A screen of lines made of state.range(0) copies of a 55-character statement.
template <class Highlighter>
void PaintScreen(benchmark::State& state) {
    App();
    Highlighter highlighter;
    TCodeView view;
    view.resize(1280, 1024);
    view.show();
    QApplication::processEvents();
    std::u16string text;
    for (int i = 0; i < 200; ++i) {
        for (int k = 0; k < state.range(0); ++k)
            text += u"var total = items[i].value * 1.5 + \"text\"; /* note */ ";
        text += u'\n';
    }
    view.Lines().SetText(text);
    view.SetHighlighter(&highlighter);
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        view.PaintArea(painter, image.rect());
    }
    state.counters["lines_on_screen"] = view.LinesInWindow();
    state.counters["columns_on_screen"] = view.CharsInWindow();
}

void BM_PaintScreen_TestHighlighter(benchmark::State& state) {
    PaintScreen<test::TCommentTestHighlighter>(state);
}
BENCHMARK(BM_PaintScreen_TestHighlighter)->Arg(6)->Arg(2000)->Unit(benchmark::kMillisecond);

#ifdef KELVARA_HAVE_JSCRIPT
void BM_PaintScreen_JScript(benchmark::State& state) {
    PaintScreen<kelvara::highlight::TJScriptHighlighter>(state);
}
BENCHMARK(BM_PaintScreen_JScript)->Arg(6)->Arg(2000)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
