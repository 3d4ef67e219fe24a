#include "archive/zip_locator.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "archive/zip_records.h"

namespace kelvara::archive {
namespace {

constexpr size_t kSearchWindow = 32768;
constexpr int kLocalSearchWindows = 4;

struct Located {
    int64_t offset = 0;
    unsigned char status = 0;
    int64_t adjustment = 0;
    bool scrambled = false;
    bool volumeSet = false;
};

// Looks for "P" followed by a local signature in the first windows of the file.
int64_t FindFirstLocalHeader(const ArchiveInput& input) {
    std::vector<uint8_t> window(kSearchWindow);
    for (int w = 0; w < kLocalSearchWindows; ++w) {
        const int64_t base = static_cast<int64_t>(w * kSearchWindow);
        const size_t got = input.ReadAt(base, window.data(), window.size());
        for (size_t i = 0; i + 4 <= got; ++i) {
            if (IsLocalSignature(&window[i]))
                return base + static_cast<int64_t>(i);
        }
        if (got < window.size())
            break;
    }
    return -1;
}

bool IsVolumeSet(const ArchiveInput& input, const uint8_t* end, int64_t zip64EndPos,
                 bool haveZip64) {
    uint32_t disk = Get16(end + 4);
    uint32_t centralDisk = Get16(end + 6);
    if (haveZip64 && (disk == 0xFFFF || centralDisk == 0xFFFF)) {
        uint8_t z[kZip64EndRecordSize];
        input.ReadFullAt(zip64EndPos, z, sizeof z);
        disk = Get32(z + 16);
        centralDisk = Get32(z + 20);
    }
    return disk != 0 || centralDisk != 0;
}

// Finds the end record in the last window, then the central directory it describes.
Located LocateCentralDirectory(const ArchiveInput& input) {
    Located r;
    const uint64_t size = input.Size();
    if (size == 0)
        return r;
    const size_t window = size <= kSearchWindow ? static_cast<size_t>(size - 1) : kSearchWindow;
    const int64_t windowStart = static_cast<int64_t>(size - window);
    // The window is searched where the input holds it when it can, without a copy.
    std::vector<uint8_t> copy;
    const uint8_t* buffer = input.View(windowStart, window);
    size_t got = window;
    if (!buffer) {
        copy.resize(window);
        got = input.ReadAt(windowStart, copy.data(), window);
        buffer = copy.data();
    }

    int64_t endPos = -1;
    EndRecordKind kind = EndRecordKind::kNone;
    for (size_t i = got >= 4 ? got - 4 : 0; got >= 4 && i >= 1; --i) {
        kind = EndRecordKindAt(&buffer[i]);
        if (kind != EndRecordKind::kNone) {
            endPos = windowStart + static_cast<int64_t>(i);
            break;
        }
    }
    if (endPos < 0)
        return r;
    r.status = kEndRecordFound;
    if (kind == EndRecordKind::kScrambled) {
        r.scrambled = true;
        return r;
    }
    uint8_t end[kEndRecord26Size];
    input.ReadFullAt(endPos, end, sizeof end);

    const int64_t locatorPos = endPos - static_cast<int64_t>(kZip64LocatorSize);
    const int64_t zip64EndPos = locatorPos - static_cast<int64_t>(kZip64EndRecordSize);
    uint8_t locator[kZip64LocatorSize] = {};
    uint8_t zip64End[kZip64EndRecordSize] = {};
    if (input.ReadFullAt(locatorPos, locator, sizeof locator) &&
        Get32(locator) == kZip64LocatorSignature) {
        r.status |= kZip64LocatorFound;
        if (input.ReadFullAt(zip64EndPos, zip64End, sizeof zip64End) &&
            Get32(zip64End) == kZip64EndSignature) {
            r.status |= kZip64EndRecordFound;
        }
    }
    r.volumeSet = IsVolumeSet(input, end, zip64EndPos, r.status & kZip64EndRecordFound);

    const uint32_t centralSize = Get32(end + 12);
    const uint32_t storedCentralOffset = Get32(end + 16);
    int64_t first;
    if (kind == EndRecordKind::kWide) {
        first = static_cast<int64_t>(Get48(end + 16));
    } else if (r.status & kZip64EndRecordFound) {
        first =
            static_cast<int64_t>(Get48(locator + 8)) - static_cast<int64_t>(Get48(zip64End + 40));
    } else {
        first = endPos - static_cast<int64_t>(centralSize);
    }
    const int64_t second = endPos - static_cast<int64_t>(centralSize);

    uint8_t header[kCentralHeaderSize];
    int64_t found = -1;
    if (input.ReadAt(first, header, sizeof header) == sizeof header) {
        if (IsCentralSignature(header))
            found = first;
    } else if (input.ReadAt(second, header, sizeof header) == sizeof header) {
        if (IsCentralSignature(header))
            found = second;
    } else {
        return r;
    }
    if (found < 0) {
        if (input.ReadAt(second, header, sizeof header) != sizeof header)
            return r;
        if (IsCentralSignature(header)) {
            found = second;
            r.adjustment = second - static_cast<int64_t>(storedCentralOffset);
        }
    }
    if (found < 0) {
        const int64_t local = FindFirstLocalHeader(input);
        if (local >= 0) {
            r.status = kLocalHeaderFound;
            r.offset = local;
        } else {
            r.offset = -1;
        }
        return r;
    }

    r.status |= kCentralDirectoryFound;
    r.offset = found;
    CentralHeader ch = ParseCentralHeader(header);
    if (ch.extraLength) {
        std::vector<uint8_t> extra(ch.extraLength);
        const int64_t at = found + static_cast<int64_t>(kCentralHeaderSize + ch.nameLength);
        const size_t n = input.ReadAt(at, extra.data(), extra.size());
        ApplyCentralExtra(extra.data(), n, ch);
    }
    uint8_t local[kLocalHeaderSize];
    if (input.ReadAt(static_cast<int64_t>(ch.localHeaderOffset) + r.adjustment, local,
                     sizeof local) == sizeof local &&
        IsLocalSignature(local)) {
        r.status |= kLocalHeaderFound;
    }
    return r;
}

bool HasJarExtension(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".jar";
}

// The type from the file's first non-zero bytes.
TArcType TypeFromStart(const uint8_t* p, size_t n) {
    if (n < 4 || p[0] != 'P')
        return atNA;
    if (p[1] != 'K' && p[1] != 'L' && p[1] != 'M' && p[1] != 'N')
        return atNA;
    if (p[1] == 'K' && p[2] == 'G' && p[3] == '5')
        return atUnknown;
    if ((p[2] == 'G' && p[3] == '4') || (p[2] == 'C' && p[3] == 'I'))
        return atUnknown;
    if (p[2] == 1 && p[3] == 2)
        return atZipDS;
    if (p[2] == 7 && p[3] == 8)
        return atZipMV;
    if (p[1] == 'L' || p[1] == 'N')
        return atUnknown;  // scrambled headers are not supported
    return atZip;
}

}  // namespace

ArchiveLayout RecogniseArchive(const ArchiveInput& input, const std::string& path) {
    ArchiveLayout layout;
    layout.startOffset = -1;
    if (input.Size() <= 19) {
        layout.startOffset = 0;
        return layout;
    }
    // The type is told by the first non-zero bytes within the first 32,767. Nearly every
    // archive starts with them: a short read first, the whole span only after leading zeros.
    constexpr size_t kHeadBytes = 32767;
    constexpr size_t kShortHead = 64;
    std::vector<uint8_t> head(kShortHead);
    size_t got = input.ReadAt(0, head.data(), head.size());
    size_t firstByte = 0;
    while (firstByte < got && head[firstByte] == 0)
        ++firstByte;
    if (got == kShortHead && firstByte + 4 > got) {
        head.resize(kHeadBytes);
        got = input.ReadAt(0, head.data(), head.size());
        firstByte = 0;
        while (firstByte < got && head[firstByte] == 0)
            ++firstByte;
    }
    TArcType type = TypeFromStart(head.data() + firstByte, got - firstByte);

    if (type == atZip || type == atNA) {
        const Located found = LocateCentralDirectory(input);
        if (found.scrambled || found.volumeSet) {
            type = found.volumeSet ? atZipMV : atUnknown;
        } else if (type == atZip || (found.status & kCentralDirectoryFound)) {
            type = atZip;
            layout.status = found.status;
            layout.startOffset = found.offset;
            layout.offsetAdjustment = found.adjustment;
            if (layout.startOffset == 0 && !(layout.status & kLocalHeaderFound)) {
                layout.startOffset = static_cast<int64_t>(firstByte);
                layout.status |= kLocalHeaderFound;
            }
        }
    }
    if (type == atZip && HasJarExtension(path))
        type = atJar;
    layout.type = type;
    if (layout.startOffset < 0)
        layout.startOffset = 0;
    return layout;
}

}  // namespace kelvara::archive
