#include "collection/collection_scan.h"

#include <algorithm>
#include <exception>

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

ScanResult ScanCollection(const std::string& folder, const WidgetNameReader& reader) {
    ScanResult result;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        if (entry.isDirectory || !IsPackageFileName(entry.name))
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
    std::stable_sort(
        result.rows.begin(), result.rows.end(),
        [](const WidgetRow& a, const WidgetRow& b) { return CaptionLess(a.caption, b.caption); });
    if (!reader)
        return result;
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

std::string ScanErrorText(const ScanResult& result) {
    if (result.firstError.empty())
        return std::string();
    return result.firstErrorCaption + ":\n" + result.firstError;
}

}  // namespace kelvara::collection
