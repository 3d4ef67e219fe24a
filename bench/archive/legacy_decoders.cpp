// Output throughput of the legacy decoders: the public implode samples and large generated
// shrunk, reduced and imploded streams; and the traditional cipher.
#include <benchmark/benchmark.h>

#include <cstring>

#include "archive/legacy_decoders.h"
#include "archive/pkware_cipher.h"
#include "testkit/legacy_encoders.h"
#include "testkit/local_entries.h"
#include "testkit/temp_folder.h"

namespace {

using kelvara::archive::LegacyEntryInfo;
using kelvara::test::LocalEntries;
using kelvara::test::ReadFile;
using kelvara::test::TestData;

struct Stream {
    std::string data;
    uint16_t method;
    uint16_t flags;
    uint64_t size;
};

// Every entry of a sample archive with the given method, walked by its local headers.
std::vector<Stream> SampleEntries(const std::string& name, uint16_t method) {
    std::vector<Stream> entries;
    for (const auto& e : LocalEntries(ReadFile(TestData("zip/legacy/" + name)))) {
        if (e.method == method)
            entries.push_back({e.data, e.method, e.flags, e.uncompressedSize});
    }
    return entries;
}

// Text-like input: words from a small vocabulary with some noise.
std::string GeneratedText(size_t size) {
    static const char* const kWords[] = {"the ",     "widget ", "package ", "manifest ",
                                         "config\n", "icon ",   "archive ", "of ",
                                         "and ",     "window ", "tree ",    "stream "};
    std::string text;
    uint32_t x = 2024;
    while (text.size() < size) {
        x = x * 1103515245u + 12345u;
        text += kWords[(x >> 16) % 12];
        if ((x >> 9) % 5 == 0)
            text += static_cast<char>('A' + (x >> 24) % 26);
    }
    return text;
}

constexpr size_t kGeneratedSize = 4 << 20;

void Decode(benchmark::State& state, const std::vector<Stream>& streams) {
    uint64_t total = 0;
    for (const auto& s : streams)
        total += s.size;
    uint64_t sink = 0;
    const kelvara::archive::BlockWriter write = [&](const uint8_t* data, size_t n) {
        sink += data[n - 1];
    };
    for (auto _ : state) {
        for (const auto& s : streams) {
            size_t at = 0;
            const kelvara::archive::CompressedReader read = [&](uint8_t* buffer, size_t n) {
                const size_t count = std::min(n, s.data.size() - at);
                std::memcpy(buffer, s.data.data() + at, count);
                at += count;
                return count;
            };
            kelvara::archive::DecodeLegacy(
                LegacyEntryInfo{s.method, s.flags, s.data.size(), s.size}, read, write);
        }
    }
    benchmark::DoNotOptimize(sink);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
}

void BM_ImplodeLoremSample(benchmark::State& state) {
    static const auto streams = SampleEntries("lorem-ipsum-implode.zip", 6);
    Decode(state, streams);
}

void BM_ImplodeMobySample(benchmark::State& state) {
    static const auto streams = SampleEntries("moby-imploded.zip", 6);
    Decode(state, streams);
}

void BM_ImplodeGenerated(benchmark::State& state) {
    static const std::string text = GeneratedText(kGeneratedSize);
    static const std::vector<Stream> streams = {
        {kelvara::test::Implode(text, 6), 6, 6, text.size()}};
    Decode(state, streams);
}

void BM_ShrinkGenerated(benchmark::State& state) {
    static const std::string text = GeneratedText(kGeneratedSize);
    static const std::vector<Stream> streams = {
        {kelvara::test::TestShrinker(true).Encode(text), 1, 0, text.size()}};
    Decode(state, streams);
}

void BM_ShrinkSample(benchmark::State& state) {
    static const auto streams = SampleEntries("SHRUNK.ZIP", 1);
    Decode(state, streams);
}

void BM_ReduceGenerated(benchmark::State& state) {
    static const std::string text = GeneratedText(kGeneratedSize);
    const int factor = static_cast<int>(state.range(0));
    const std::vector<Stream> streams = {
        {kelvara::test::Reduce(text, factor), static_cast<uint16_t>(factor + 1), 0, text.size()}};
    Decode(state, streams);
}

void BM_CipherDecrypt(benchmark::State& state) {
    std::vector<uint8_t> block(32768, 0x5A);
    kelvara::archive::PkwareCipher cipher;
    cipher.Init("password");
    for (auto _ : state) {
        cipher.Decrypt(block.data(), block.size());
        benchmark::DoNotOptimize(block.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.size()));
}

}  // namespace

BENCHMARK(BM_ImplodeLoremSample);
BENCHMARK(BM_ImplodeMobySample);
BENCHMARK(BM_ImplodeGenerated);
BENCHMARK(BM_ShrinkSample);
BENCHMARK(BM_ShrinkGenerated);
BENCHMARK(BM_ReduceGenerated)->DenseRange(1, 4);
BENCHMARK(BM_CipherDecrypt);
