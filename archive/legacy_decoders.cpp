#include "archive/legacy_decoders.h"

#include <new>
#include <optional>

#include "archive/archive_messages.h"
#include "archive/implode_decoder.h"
#include "archive/legacy_stream.h"
#include "archive/reduce_decoder.h"
#include "archive/shrink_decoder.h"

namespace kelvara::archive {

namespace {

constexpr uint16_t kMethodShrunk = 1;
constexpr uint16_t kMethodReducedFirst = 2;
constexpr uint16_t kMethodReducedLast = 5;
constexpr uint16_t kMethodImploded = 6;

void Decode(const LegacyEntryInfo& info, LegacyBitReader& in, LegacyOutput& out,
            const Reporter& report) {
    if (info.method == kMethodShrunk) {
        Unshrink(in, out);
    } else if (info.method >= kMethodReducedFirst && info.method <= kMethodReducedLast) {
        Unreduce(in, out, info.method - 1, info.uncompressedSize);
    } else {
        Explode(in, out, info.flags, info.uncompressedSize, report);
    }
}

}  // namespace

void DecodeLegacy(const LegacyEntryInfo& info, const CompressedReader& read,
                  const BlockWriter& write, const Reporter& report) {
    if (info.method < kMethodShrunk || info.method > kMethodImploded) {
        report(kMsgUnsupportedMethod);
        return;
    }
    std::optional<LegacyBitReader> in;
    std::optional<LegacyOutput> out;
    try {
        in.emplace(read, info.compressedSize);
        out.emplace(write);
    } catch (const std::bad_alloc&) {
        return;  // without buffers the entry is not decoded
    }
    Decode(info, *in, *out, report);
    out->Flush();
}

}  // namespace kelvara::archive
