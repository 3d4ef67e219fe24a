// Whole extraction runs on a large archive made by zip: kelvara-cli unzip as a separate
// process, and the component called directly; and the same archive tested (decoded and
// checked, nothing written), which must be at least as fast as extracting it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "archive/zip_extractor.h"
#include "platform/process.h"
#include "testkit/cli_runner.h"
#include "testkit/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 3000;

// prefix followed by the decimal number.
std::string Numbered(const char* prefix, long n) {
    std::string s(prefix);
    s.append(std::to_string(n));
    return s;
}

struct LargeArchive {
    fs::path folder;
    fs::path archive;
    uint64_t bytes = 0;
};

// 3,000 files of 1 to 64 KB (markup-like text and less compressible bytes) in 30 folders,
// zipped once per benchmark process.
const LargeArchive& Archive() {
    static const LargeArchive a = [] {
        // Removed with everything extracted into it when the process ends.
        static const kelvara::test::TempFolder scratch;
        LargeArchive r;
        r.folder = scratch.Path();
        fs::create_directories(r.folder / "src");
        std::mt19937 rng(7);
        static const char* words[] = {"<div>", "</div>", "function", "var", "config", "value",
                                      "width", "height", "{",        "}",   ";",      "\n"};
        for (int i = 0; i < kFiles; ++i) {
            const fs::path dir = r.folder / "src" / Numbered("d", i % 30);
            fs::create_directories(dir);
            const size_t size = 1024 + rng() % (63 * 1024);
            std::string data;
            if (i % 4 == 3) {
                while (data.size() < size)
                    data += static_cast<char>(rng() % 64);
            } else {
                while (data.size() < size)
                    data += std::string(words[rng() % 12]) + " ";
            }
            kelvara::test::WriteFile(dir / Numbered("f", i).append(".txt"), data);
            r.bytes += data.size();
        }
        r.archive = r.folder / "large.zip";
        kelvara::platform::ProcessOptions inSource;
        inSource.workingFolder = (r.folder / "src").string();
        if (kelvara::platform::RunProcess("zip", {"-q", "-r", r.archive.string(), "."}, inSource)
                .exitCode != 0)
            r.archive.clear();
        return r;
    }();
    return a;
}

void Finish(benchmark::State& state, const LargeArchive& a) {
    state.counters["files_per_second"] = benchmark::Counter(
        static_cast<double>(kFiles), benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * a.bytes));
}

void BM_CliUnzipLargeArchive(benchmark::State& state) {
    const LargeArchive& a = Archive();
    if (a.archive.empty())
        return state.SkipWithError("zip failed");
    long run = 0;
    for (auto _ : state) {
        // A fresh folder each time: files are replaced, and deleting them in between would
        // measure the file system's inode reuse.
        const std::string target = (a.folder / Numbered("cli", run++)).string();
        if (kelvara::test::RunCli({"unzip", "-o", target, a.archive.string()}).exitCode != 0)
            state.SkipWithError("unzip failed");
    }
    Finish(state, a);
}

void BM_ComponentExtractLargeArchive(benchmark::State& state) {
    const LargeArchive& a = Archive();
    if (a.archive.empty())
        return state.SkipWithError("zip failed");
    kelvara::archive::TZipExtractor zip;
    zip.SetArchiveFile(a.archive.string());
    zip.FileSpec = {"*.*"};
    long run = 0;
    for (auto _ : state) {
        zip.SetExtractDir((a.folder / Numbered("component", run++)).string());
        if (zip.Extract() != kFiles)
            state.SkipWithError("wrong count");
    }
    Finish(state, a);
}

void BM_CliTestLargeArchive(benchmark::State& state) {
    const LargeArchive& a = Archive();
    if (a.archive.empty())
        return state.SkipWithError("zip failed");
    for (auto _ : state) {
        if (kelvara::test::RunCli({"test", a.archive.string()}).exitCode != 0)
            state.SkipWithError("test failed");
    }
    Finish(state, a);
}

void BM_ComponentTestLargeArchive(benchmark::State& state) {
    const LargeArchive& a = Archive();
    if (a.archive.empty())
        return state.SkipWithError("zip failed");
    kelvara::archive::TZipExtractor zip;
    zip.SetArchiveFile(a.archive.string());
    zip.FileSpec = {"*.*"};
    bool failed = false;
    zip.OnEnd = [&failed](kelvara::archive::TArchiveCommon&, const std::string&, bool passed) {
        failed = failed || !passed;
    };
    for (auto _ : state) {
        if (zip.Test() != kFiles || failed)
            state.SkipWithError("entries failed");
    }
    Finish(state, a);
}

BENCHMARK(BM_CliUnzipLargeArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CliTestLargeArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ComponentExtractLargeArchive)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_ComponentTestLargeArchive)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace
