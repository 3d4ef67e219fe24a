// Output throughput of the legacy decoders: the public implode samples and large generated
// shrunk, reduced and imploded streams; and the traditional cipher.
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "archive/legacy_decoders.h"
#include "archive/pkware_cipher.h"
#include "tests/archive/legacy_test_encoders.h"

namespace {

using kelvara::archive::LegacyEntryInfo;

struct Stream {
    std::string data;
    uint16_t method;
    uint16_t flags;
    uint64_t size;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le(const std::string& s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<uint8_t>(s[at + i]);
    return v;
}

// Every entry of a sample archive with the given method, walked by its local headers.
std::vector<Stream> SampleEntries(const std::string& name, uint16_t method) {
    const std::string zip = ReadAll(std::string(KELVARA_TEST_DATA) + "/zip/legacy/" + name);
    std::vector<Stream> entries;
    size_t at = 0;
    while (at + 30 <= zip.size() && Le(zip, at, 4) == 0x04034b50) {
        const uint32_t packed = Le(zip, at + 18, 4);
        const size_t dataAt = at + 30 + Le(zip, at + 26, 2) + Le(zip, at + 28, 2);
        const auto m = static_cast<uint16_t>(Le(zip, at + 8, 2));
        if (m == method) {
            entries.push_back({zip.substr(dataAt, packed), m,
                               static_cast<uint16_t>(Le(zip, at + 6, 2)), Le(zip, at + 22, 4)});
        }
        at = dataAt + packed;
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
