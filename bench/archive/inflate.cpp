// The component's Deflate and Deflate64 decoder against zlib's raw inflate on the same streams.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "archive/inflate.h"
#include "testkit/local_entries.h"
#include "testkit/temp_folder.h"
#include "testkit/zip_builder.h"

namespace {

using kelvara::archive::DeflateVariant;
using kelvara::archive::Inflater;
using kelvara::test::FileExists;
using kelvara::test::LocalEntries;
using kelvara::test::LocalEntry;
using kelvara::test::RawDeflate;
using kelvara::test::ReadFile;
using kelvara::test::TestData;

// About 16 MB of markup-like text with a skewed word distribution.
std::string LargeText() {
    static const char* words[] = {
        "<widget",      "height=\"200\"", "width", "</div>", "function", "return",
        "var",          "config",         "value", "the",    "a",        "of",
        "network",      "access",         "{",     "}",      ";",        "\n",
        "color: #fff;", "lorem",          "ipsum", "dolor",  "sit",      "amet"};
    std::mt19937 rng(42);
    std::geometric_distribution<int> pick(0.15);
    std::string text;
    while (text.size() < (16u << 20)) {
        text += words[std::min<int>(pick(rng), 23)];
        text += ' ';
    }
    return text;
}

// Binary data: the executables and libraries at hand, up to 16 MB.
std::string LargeBinary() {
    std::string data;
    for (const char* path :
         {"/usr/bin/cmake", "/usr/bin/gdb", "/usr/lib/x86_64-linux-gnu/libQt6Core.so.6",
          "/usr/lib/x86_64-linux-gnu/libQt6Widgets.so.6", "/usr/bin/git"}) {
        if (FileExists(path))
            data += ReadFile(path);
        if (data.size() >= (16u << 20))
            break;
    }
    data.resize(std::min<size_t>(data.size(), 16u << 20));
    return data;
}

struct Stream {
    std::string compressed;
    size_t size = 0;
};

const Stream& TextStream() {
    static const Stream s = [] {
        const std::string t = LargeText();
        return Stream{RawDeflate(t, 6), t.size()};
    }();
    return s;
}

const Stream& BinaryStream() {
    static const Stream s = [] {
        const std::string b = LargeBinary();
        return Stream{RawDeflate(b, 6), b.size()};
    }();
    return s;
}

// The first entry's raw data of a Deflate64 sample archive.
Stream Deflate64Entry(const std::string& archive) {
    const LocalEntry e = LocalEntries(ReadFile(TestData("zip/" + archive))).at(0);
    return Stream{e.data, e.uncompressedSize};
}

size_t DecodeOwn(const Stream& s, DeflateVariant variant) {
    size_t pos = 0;
    Inflater inflater(variant, [&](uint8_t* buffer, size_t n) {
        n = std::min(n, s.compressed.size() - pos);
        std::memcpy(buffer, s.compressed.data() + pos, n);
        pos += n;
        return n;
    });
    size_t total = 0;
    long r;
    while ((r = inflater.Inflate(Inflater::kMaxChunk)) > 0) {
        benchmark::DoNotOptimize(inflater.Chunk());
        total += static_cast<size_t>(r);
    }
    return total;
}

// zlib fed and drained the same way: 32 KB of input at a time, 32 KB output chunks.
size_t DecodeZlib(const Stream& s) {
    z_stream z{};
    inflateInit2(&z, -15);
    std::vector<unsigned char> out(32768);
    size_t pos = 0, total = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (z.avail_in == 0) {
            const size_t n = std::min<size_t>(32768, s.compressed.size() - pos);
            if (n == 0)
                break;
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(s.compressed.data() + pos));
            z.avail_in = static_cast<uInt>(n);
            pos += n;
        }
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break;
        total += out.size() - z.avail_out;
        benchmark::DoNotOptimize(out.data());
    }
    inflateEnd(&z);
    return total;
}

void Report(benchmark::State& state, size_t produced, size_t expected) {
    if (produced != expected)
        state.SkipWithError("wrong output size");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * expected));
}

// Both decoders over the same stream, each in a benchmark of its own.
void BM_OwnInflate(benchmark::State& state, const Stream& (*stream)()) {
    const Stream& s = stream();
    size_t n = 0;
    for (auto _ : state)
        n = DecodeOwn(s, DeflateVariant::kDeflate);
    Report(state, n, s.size);
}

void BM_ZlibInflate(benchmark::State& state, const Stream& (*stream)()) {
    const Stream& s = stream();
    size_t n = 0;
    for (auto _ : state)
        n = DecodeZlib(s);
    Report(state, n, s.size);
}

void BM_OwnInflate64(benchmark::State& state, const char* archive) {
    const Stream s = Deflate64Entry(archive);
    size_t n = 0;
    for (auto _ : state)
        n = DecodeOwn(s, DeflateVariant::kDeflate64);
    Report(state, n, s.size);
}

BENCHMARK_CAPTURE(BM_OwnInflate, text, &TextStream)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ZlibInflate, text, &TextStream)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OwnInflate, binary, &BinaryStream)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ZlibInflate, binary, &BinaryStream)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OwnInflate64, lorem, "lorem-ipsum-deflate64.zip")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_OwnInflate64, far, "7z_deflate64.zip")->Unit(benchmark::kMicrosecond);

}  // namespace
