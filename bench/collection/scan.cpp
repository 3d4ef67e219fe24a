// Scanning a generated collection of 1,000 packages: directory listing, one manifest
// extraction and parse per package. Reported as packages per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "collection/collection_scan.h"
#include "collection/widget_name.h"
#include "testkit/temp_folder.h"
#include "testkit/test_sandbox.h"
#include "testkit/zip_builder.h"

namespace {

namespace test = kelvara::test;

// A package holding a manifest (Deflate-compressed) and an icon-sized stored entry.
std::string MakePackage(int index) {
    const std::string manifest = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<widget id=\"w" +
                                 std::to_string(index) +
                                 "\" version=\"1.0\" height=\"200\" width=\"300\">\n"
                                 "  <description>Widget number " +
                                 std::to_string(index) +
                                 "\nwith a second line</description>\n"
                                 "  <access network=\"false\"/>\n</widget>\n";
    test::ZipEntrySpec config;
    config.name = "config.xml";
    config.method = 8;
    config.data = test::RawDeflate(manifest, 9);
    config.computeCrc = false;
    config.crc = test::Crc32Of(manifest);
    config.sizeFromData = false;
    config.uncompressedSize = static_cast<uint32_t>(manifest.size());
    test::ZipEntrySpec icon;
    icon.name = "icon.png";
    icon.data = std::string(2048, static_cast<char>(index));
    return test::BuildZipOf({config, icon});
}

const std::string& Collection() {
    static const std::string folder = [] {
        // HOME, TMPDIR and the runtime folder (where the scan unpacks) in a sandbox removed at
        // exit.
        test::EnterSandbox();
        const std::string collection = test::SandboxRoot() + "/My Widgets/";
        std::filesystem::create_directories(collection);
        for (int i = 0; i < 1000; ++i)
            test::WriteFile(collection + "widget" + std::to_string(i) + ".wgt", MakePackage(i));
        return collection;
    }();
    return folder;
}

void BM_ScanCollection1000(benchmark::State& state) {
    const std::string& folder = Collection();
    size_t rows = 0;
    for (auto _ : state) {
        auto result = kelvara::collection::ScanCollection(folder, [](const std::string& path) {
            return kelvara::collection::ReadWidgetName(path);
        });
        rows = result.rows.size();
        if (!result.firstError.empty())
            state.SkipWithError(result.firstError.c_str());
    }
    state.counters["packages/s"] = benchmark::Counter(
        static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ScanCollection1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
