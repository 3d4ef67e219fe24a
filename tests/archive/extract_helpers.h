// Shared set-up for the extraction tests: an extractor wired to record its reports.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "archive/zip_extractor.h"
#include "testkit/temp_folder.h"

namespace kelvara::test {

struct Recorded {
    std::vector<std::pair<int, std::string>> errors;  // id, file name
    std::vector<std::pair<std::string, bool>> ends;   // path, CRC passed

    int ErrorCount(int id) const {
        int n = 0;
        for (const auto& e : errors)
            n += e.first == id;
        return n;
    }
};

// Records OnError (and OnEnd when withEnd) into rec.
inline void Record(archive::TZipExtractor& zip, Recorded& rec, bool withEnd = true) {
    zip.OnError = [&rec](archive::TArchiveCommon&, const std::string& name, int id,
                         const std::string&, const std::string&) {
        rec.errors.push_back({id, name});
    };
    if (withEnd) {
        zip.OnEnd = [&rec](archive::TArchiveCommon&, const std::string& path, bool passed) {
            rec.ends.push_back({path, passed});
        };
    }
}

// Writes bytes as an archive file in dir and points zip at it, extracting into dir/out.
inline void Prepare(archive::TZipExtractor& zip, const TempFolder& dir, const std::string& bytes,
                    std::vector<std::string> masks = {"*.*"}) {
    WriteFile(dir / "a.zip", bytes);
    zip.SetArchiveFile(dir / "a.zip");
    zip.FileSpec = std::move(masks);
    zip.SetExtractDir(dir / "out");
}

}  // namespace kelvara::test
