// Scanning a generated collection of 1,000 packages: directory listing, one manifest
// extraction and parse per package. Reported as packages per second.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "collection/collection_scan.h"
#include "collection/widget_name.h"

namespace {

void Put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A package holding a manifest (Deflate-compressed) and an icon-sized stored entry.
std::string MakePackage(int index) {
    const std::string manifest = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<widget id=\"w" +
                                 std::to_string(index) +
                                 "\" version=\"1.0\" height=\"200\" width=\"300\">\n"
                                 "  <description>Widget number " +
                                 std::to_string(index) +
                                 "\nwith a second line</description>\n"
                                 "  <access network=\"false\"/>\n</widget>\n";
    const std::string icon(2048, static_cast<char>(index));
    struct Entry {
        std::string name, data;
        uint16_t method;
        uint32_t crc, size;
    };
    Entry entries[2] = {{"config.xml", "", 8, 0, 0}, {"icon.png", icon, 0, 0, 0}};
    entries[0].size = static_cast<uint32_t>(manifest.size());
    entries[0].crc = crc32(0, reinterpret_cast<const Bytef*>(manifest.data()),
                           static_cast<uInt>(manifest.size()));
    {
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        std::string out(compressBound(static_cast<uLong>(manifest.size())) + 16, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(manifest.data()));
        z.avail_in = static_cast<uInt>(manifest.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        entries[0].data = out;
    }
    entries[1].size = static_cast<uint32_t>(icon.size());
    entries[1].crc =
        crc32(0, reinterpret_cast<const Bytef*>(icon.data()), static_cast<uInt>(icon.size()));
    std::string local, central;
    for (const Entry& e : entries) {
        const uint32_t offset = static_cast<uint32_t>(local.size());
        Put(local, 0x04034b50, 4);
        Put(local, 20, 2);
        Put(local, 0, 2);
        Put(local, e.method, 2);
        Put(local, 0x6000, 2);
        Put(local, 0x3A21, 2);
        Put(local, e.crc, 4);
        Put(local, static_cast<uint32_t>(e.data.size()), 4);
        Put(local, e.size, 4);
        Put(local, static_cast<uint32_t>(e.name.size()), 2);
        Put(local, 0, 2);
        local += e.name + e.data;
        Put(central, 0x02014b50, 4);
        Put(central, 20, 2);
        Put(central, 20, 2);
        Put(central, 0, 2);
        Put(central, e.method, 2);
        Put(central, 0x6000, 2);
        Put(central, 0x3A21, 2);
        Put(central, e.crc, 4);
        Put(central, static_cast<uint32_t>(e.data.size()), 4);
        Put(central, e.size, 4);
        Put(central, static_cast<uint32_t>(e.name.size()), 2);
        Put(central, 0, 2 * 3 + 2 * 2);
        Put(central, 0x20, 4);
        Put(central, offset, 4);
        central += e.name;
    }
    std::string zip = local + central;
    Put(zip, 0x06054b50, 4);
    Put(zip, 0, 4);
    Put(zip, 2, 2);
    Put(zip, 2, 2);
    Put(zip, static_cast<uint32_t>(central.size()), 4);
    Put(zip, static_cast<uint32_t>(local.size()), 4);
    Put(zip, 0, 2);
    return zip;
}

std::string g_base;

void RemoveBenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(g_base, ec);
}

const std::string& Collection() {
    static const std::string folder = [] {
        std::string base = std::filesystem::temp_directory_path() / "kelvara-bench-XXXXXX";
        if (!mkdtemp(base.data()))
            std::abort();
        g_base = base;
        std::atexit(RemoveBenchFolder);
        // A scratch folder of the benchmark's own.
        std::filesystem::create_directories(base + "/runtime");
        std::filesystem::permissions(base + "/runtime", std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (base + "/runtime").c_str(), 1);
        const std::string collection = base + "/My Widgets/";
        std::filesystem::create_directories(collection);
        for (int i = 0; i < 1000; ++i) {
            std::ofstream(collection + "widget" + std::to_string(i) + ".wgt", std::ios::binary)
                << MakePackage(i);
        }
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
