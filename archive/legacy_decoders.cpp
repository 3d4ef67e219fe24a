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

DecodeStatus Decode(const LegacyEntryInfo& info, LegacyBitReader& in, LegacyOutput& out) {
    if (info.method == kMethodShrunk)
        return Unshrink(in, out);
    if (info.method >= kMethodReducedFactor1 && info.method <= kMethodReducedFactor4) {
        const int factor = info.method - kMethodReducedFactor1 + 1;
        return Unreduce(in, out, factor, info.uncompressedSize);
    }
    return Explode(in, out, info.flags, info.uncompressedSize);
}

}  // namespace

DecodeStatus DecodeLegacy(const LegacyEntryInfo& info, const CompressedReader& read,
                          const BlockWriter& write) {
    if (info.method < kMethodShrunk || info.method > kMethodImploded)
        return kMsgUnsupportedMethod;
    std::optional<LegacyBitReader> in;
    std::optional<LegacyOutput> out;
    DecodeStatus status;
    try {
        in.emplace(read, info.compressedSize);
        out.emplace(write);
        status = Decode(info, *in, *out);
    } catch (const std::bad_alloc&) {
        return kDecodeNoTables;  // the tables are allocated before anything is decoded
    }
    // What was decoded before a failure reaches the file too.
    out->Flush();
    if (status == kDecodeOk && out->Count() < info.uncompressedSize)
        status = kMsgUnexpectedEnd;
    return status;
}

}  // namespace kelvara::archive
