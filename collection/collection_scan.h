// The collection scan: one widget row per ".wgt" file of the collection folder.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace kelvara::collection {

struct WidgetRow {
    std::string caption;     // the package's file name inside the collection folder
    std::string widgetName;  // the manifest's description without line feeds
    int64_t size = 0;
    std::string sizeText;  // decimal, no grouping
    std::string dateText;  // platform::DateText of the modification time
    time_t modified = 0;
};

// Reads a package's widget name; may throw (std::exception) on a manifest it cannot read.
using WidgetNameReader = std::function<std::string(const std::string& packagePath)>;

struct ScanResult {
    std::vector<WidgetRow> rows;    // in caption order
    std::string firstError;         // the text of the first widget-name error, or empty
    std::string firstErrorCaption;  // the caption of the package that gave it
};

// Lists the files of `folder` (ending in "/") whose names end in ".wgt" in any letter case,
// hidden ones included and folders left out, and reads each widget name with `reader` from
// folder + caption, in caption order. A reader error leaves that row's name empty and the scan
// goes on; the first error (in caption order) is returned so the caller can show it once.
// With `threads` above 1 the names are read on up to that many threads at once (the calling
// one among them), so `reader` must then be safe to call from several threads; the result is
// the same as with one.
ScanResult ScanCollection(const std::string& folder, const WidgetNameReader& reader,
                          unsigned threads = 1);

// The threads worth giving a scan whose reader may run on several: one per processor, at most 8.
unsigned ScanThreads();

// The message for the scan's first error: the package's caption and a colon on a line of their
// own, then the error's text. Empty when the scan had no error.
std::string ScanErrorText(const ScanResult& result);

// True when `name` ends in ".wgt" in any letter case.
bool IsPackageFileName(const std::string& name);

// Caption order of the list: locale collation, ties broken byte-wise so the order is total.
bool CaptionLess(const std::string& a, const std::string& b);

}  // namespace kelvara::collection
