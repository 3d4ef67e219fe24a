// The scanning benchmark frame shared by the highlighter benchmarks: scans every line of a text
// through the highlighter contract exactly as the text view does and reports the rate in MB/s
// of source text (one byte per character of the generated ASCII input).
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

namespace kelvara::bench {

using TextLines = std::vector<std::u16string>;

// Scans `lines` with CreateHighlighter(language) once per iteration; skips with an error when
// the language has no highlighter.
void ScanWithHighlighter(benchmark::State& state, std::string_view language,
                         const TextLines& lines);

}  // namespace kelvara::bench
