// The component's raw Deflate decoder against two peer decoders on the same three streams: real
// text, a shared library and a documentation tarball, each compressed by zlib at level 6.
//
// Each round decodes the stream once with every decoder, in an order that rotates from round to
// round, and times each decode in CPU time of the thread; the counters are the medians over the
// rounds: MB/s of each decoder and the component's speed as a share of each peer's.
//
// The second peer, libdeflate, is loaded at run time, so the benchmark builds without it; where
// the library is missing its columns stay empty.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "archive/inflate.h"
#include "testkit/zip_builder.h"

namespace {

using kelvara::archive::DeflateVariant;
using kelvara::archive::Inflater;
using kelvara::test::RawDeflate;

constexpr size_t kTextCap = 8u << 20;
constexpr size_t kTarCap = 32u << 20;

std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool LooksLikeText(const std::string& s) {
    return !s.empty() && s.find('\0') == std::string::npos;
}

// The licence texts, then the packages' copyright files (plain English text), up to 8 MB.
std::string RealText() {
    std::vector<std::filesystem::path> paths;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/usr/share/common-licenses", ec)) {
        if (e.is_regular_file())
            paths.push_back(e.path());
    }
    std::sort(paths.begin(), paths.end());
    std::vector<std::filesystem::path> copyrights;
    for (auto it = std::filesystem::recursive_directory_iterator("/usr/share/doc", ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        if (it->is_regular_file() && it->path().filename() == "copyright")
            copyrights.push_back(it->path());
    }
    std::sort(copyrights.begin(), copyrights.end());
    paths.insert(paths.end(), copyrights.begin(), copyrights.end());
    std::string text;
    for (const auto& p : paths) {
        const std::string s = ReadWhole(p);
        if (LooksLikeText(s))
            text += s;
        if (text.size() >= kTextCap)
            break;
    }
    text.resize(std::min(text.size(), kTextCap));
    return text;
}

std::string SharedLibrary() {
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/libQt6Core.so.6",
                             "/usr/lib/x86_64-linux-gnu/libstdc++.so.6"}) {
        std::string s = ReadWhole(path);
        if (!s.empty())
            return s;
    }
    return {};
}

// A tar of /usr/share/doc in name order, made by the system's tar, its first 32 MB.
std::string DocTarball() {
    FILE* pipe = popen("tar -cf - --sort=name -C /usr/share doc 2>/dev/null", "r");
    if (!pipe)
        return {};
    std::string data;
    std::vector<char> buffer(1 << 16);
    size_t n;
    while (data.size() < kTarCap && (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        data.append(buffer.data(), n);
    pclose(pipe);
    data.resize(std::min(data.size(), kTarCap));
    return data;
}

struct Input {
    std::string plain;
    std::string compressed;
};

const Input& Text() {
    static const Input in = [] {
        std::string t = RealText();
        return Input{t, RawDeflate(t, 6)};
    }();
    return in;
}
const Input& Library() {
    static const Input in = [] {
        std::string t = SharedLibrary();
        return Input{t, RawDeflate(t, 6)};
    }();
    return in;
}
const Input& Tarball() {
    static const Input in = [] {
        std::string t = DocTarball();
        return Input{t, RawDeflate(t, 6)};
    }();
    return in;
}

// The peer library's one-shot decompressor, found at run time.
struct PeerLibrary {
    using Alloc = void* (*)();
    using Decompress = int (*)(void*, const void*, size_t, void*, size_t, size_t*);
    using Free = void (*)(void*);
    void* decompressor = nullptr;
    Decompress decompress = nullptr;

    PeerLibrary() {
        void* lib = dlopen("libdeflate.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return;
        auto alloc = reinterpret_cast<Alloc>(dlsym(lib, "libdeflate_alloc_decompressor"));
        decompress = reinterpret_cast<Decompress>(dlsym(lib, "libdeflate_deflate_decompress"));
        if (alloc && decompress)
            decompressor = alloc();
        if (!decompressor)
            decompress = nullptr;
    }
    bool Available() const { return decompress != nullptr; }
};

const PeerLibrary& Peer() {
    static const PeerLibrary peer;
    return peer;
}

// Each decoder leaves its output where Check() can compare it; only the last 32 KB chunk for the
// component's decoder, which hands out its output chunk by chunk.
struct Output {
    std::vector<uint8_t> whole;
    size_t size = 0;
    uint64_t sum = 0;  // a cheap digest of the chunks that the component produced
};

uint64_t Digest(uint64_t sum, const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; i += 4096)
        sum = sum * 31 + p[i];
    return sum + n;
}

void DecodeOwn(const Input& in, Output& o) {
    size_t pos = 0;
    const std::string& c = in.compressed;
    Inflater inflater(DeflateVariant::kDeflate, [&](uint8_t* buffer, size_t n) {
        n = std::min(n, c.size() - pos);
        std::memcpy(buffer, c.data() + pos, n);
        pos += n;
        return n;
    });
    size_t total = 0;
    uint64_t sum = 0;
    size_t r;
    while ((r = inflater.Inflate(Inflater::kMaxChunk)) > 0) {
        sum = Digest(sum, inflater.Chunk(), r);
        total += r;
    }
    o.size = total;
    o.sum = sum;
}

void DecodeZlib(const Input& in, Output& o) {
    z_stream z{};
    inflateInit2(&z, -15);
    o.whole.resize(in.plain.size());
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.compressed.data()));
    z.avail_in = static_cast<uInt>(in.compressed.size());
    z.next_out = o.whole.data();
    z.avail_out = static_cast<uInt>(o.whole.size());
    inflate(&z, Z_FINISH);
    o.size = z.total_out;
    inflateEnd(&z);
}

void DecodePeer(const Input& in, Output& o) {
    o.whole.resize(in.plain.size());
    size_t got = 0;
    if (Peer().decompress(Peer().decompressor, in.compressed.data(), in.compressed.size(),
                          o.whole.data(), o.whole.size(), &got) != 0) {
        got = 0;
    }
    o.size = got;
}

double CpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

void BM_InflatePeers(benchmark::State& state, const Input& (*input)()) {
    const Input& in = input();
    if (in.plain.empty()) {
        state.SkipWithError("input not available on this system");
        return;
    }
    using Decoder = void (*)(const Input&, Output&);
    std::vector<Decoder> decoders = {DecodeOwn, DecodeZlib};
    if (Peer().Available())
        decoders.push_back(DecodePeer);

    // Every decoder must give back the input before it is timed.
    uint64_t expectSum = 0;
    const auto* plain = reinterpret_cast<const uint8_t*>(in.plain.data());
    for (size_t off = 0; off < in.plain.size(); off += Inflater::kMaxChunk)
        expectSum =
            Digest(expectSum, plain + off, std::min(Inflater::kMaxChunk, in.plain.size() - off));
    for (size_t d = 0; d < decoders.size(); ++d) {
        Output o;
        decoders[d](in, o);
        const bool ok = d == 0 ? o.size == in.plain.size() && o.sum == expectSum
                               : o.size == in.plain.size() &&
                                     std::memcmp(o.whole.data(), in.plain.data(), o.size) == 0;
        if (!ok) {
            state.SkipWithError("a decoder gave wrong output");
            return;
        }
    }

    std::vector<std::vector<double>> seconds(decoders.size());
    std::vector<Output> outputs(decoders.size());
    size_t round = 0;
    for (auto _ : state) {
        for (size_t k = 0; k < decoders.size(); ++k) {
            const size_t d = (round + k) % decoders.size();
            const double t0 = CpuSeconds();
            decoders[d](in, outputs[d]);
            seconds[d].push_back(CpuSeconds() - t0);
            benchmark::DoNotOptimize(outputs[d].size);
        }
        ++round;
    }

    const double mb = static_cast<double>(in.plain.size()) / 1e6;
    const double own = mb / Median(seconds[0]);
    const double zlib = mb / Median(seconds[1]);
    state.counters["own_MBps"] = own;
    state.counters["zlib_MBps"] = zlib;
    state.counters["own/zlib"] = own / zlib;
    if (decoders.size() > 2) {
        const double peer = mb / Median(seconds[2]);
        state.counters["libdeflate_MBps"] = peer;
        state.counters["own/libdeflate"] = own / peer;
    }
    state.counters["MB"] = mb;
    state.counters["compressed/plain"] =
        static_cast<double>(in.compressed.size()) / static_cast<double>(in.plain.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * decoders.size()) *
                            static_cast<int64_t>(in.plain.size()));
}

BENCHMARK_CAPTURE(BM_InflatePeers, text, &Text)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK_CAPTURE(BM_InflatePeers, library, &Library)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK_CAPTURE(BM_InflatePeers, doctar, &Tarball)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
