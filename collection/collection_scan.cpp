#include "collection/collection_scan.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

#include "platform/file_system.h"
#include "platform/qt/locale_text.h"

namespace kelvara::collection {

bool IsPackageFileName(const std::string& name) {
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".wgt";
}

bool CaptionLess(const std::string& a, const std::string& b) {
    int c = platform::CollateCompare(a, b);
    return c != 0 ? c < 0 : a < b;
}

ScanResult ScanCollection(const std::string& folder, const WidgetNameReader& reader,
                          unsigned threads) {
    ScanResult result;
    for (const platform::FolderEntry& entry :
         platform::ListFolderMatching(folder, IsPackageFileName)) {
        if (entry.isDirectory)
            continue;
        WidgetRow row;
        row.caption = entry.name;
        row.size = static_cast<int64_t>(entry.size);
        row.sizeText = std::to_string(row.size);
        row.modified = entry.modified;
        row.dateText = platform::DateText(entry.modified);
        result.rows.push_back(std::move(row));
    }
    // The rows are put in caption order before any manifest is read, so the reader calls,
    // their progress and the first error are the same on every file system.
    {
        std::vector<std::string> captions;
        captions.reserve(result.rows.size());
        for (const WidgetRow& row : result.rows)
            captions.push_back(row.caption);
        std::vector<WidgetRow> sorted;
        sorted.reserve(result.rows.size());
        for (size_t i : platform::CollationOrder(captions))
            sorted.push_back(std::move(result.rows[i]));
        result.rows = std::move(sorted);
    }
    if (!reader)
        return result;
    // Few rows are not worth a thread.
    constexpr size_t kRowsPerThread = 16;
    const size_t rowCount = result.rows.size();
    threads = static_cast<unsigned>(
        std::clamp<size_t>(std::min<size_t>(threads, rowCount / kRowsPerThread), 1, 64));
    if (threads == 1) {
        for (WidgetRow& row : result.rows) {
            try {
                row.widgetName = reader(folder + row.caption);
            } catch (const std::exception& e) {
                if (result.firstError.empty()) {
                    result.firstError = e.what();
                    result.firstErrorCaption = row.caption;
                }
            }
        }
        return result;
    }
    // Each thread takes the next unread row; errors are kept per row and the first one in
    // caption order is chosen afterwards, so the outcome does not depend on the timing.
    std::vector<std::string> errors(rowCount);
    std::vector<std::exception_ptr> foreign(rowCount);
    std::vector<char> failed(rowCount, 0);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < rowCount; i = next++) {
            try {
                result.rows[i].widgetName = reader(folder + result.rows[i].caption);
            } catch (const std::exception& e) {
                errors[i] = e.what();
                failed[i] = 1;
            } catch (...) {
                foreign[i] = std::current_exception();
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (unsigned t = 1; t < threads; ++t)
            helpers.emplace_back(work);
        work();
    }
    for (size_t i = 0; i < rowCount; ++i) {
        // Anything but a std::exception leaves the scan, as it would read one by one.
        if (foreign[i])
            std::rethrow_exception(foreign[i]);
        if (failed[i] && result.firstError.empty()) {
            result.firstError = errors[i];
            result.firstErrorCaption = result.rows[i].caption;
        }
    }
    return result;
}

unsigned ScanThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

std::string ScanErrorText(const ScanResult& result) {
    if (result.firstError.empty())
        return std::string();
    return result.firstErrorCaption + ":\n" + result.firstError;
}

}  // namespace kelvara::collection
