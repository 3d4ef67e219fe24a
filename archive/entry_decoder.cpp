#include "archive/entry_decoder.h"

#include <algorithm>

#include "archive/archive_messages.h"
#include "archive/legacy_decoders.h"

namespace kelvara::archive {
namespace {

constexpr size_t kBlockSize = 32768;

}  // namespace

EntryDecoders::EntryDecoders() : buffer_(kBlockSize) {}
EntryDecoders::~EntryDecoders() = default;

DecodeStatus EntryDecoders::Decode(const EntryData& data) {
    switch (data.method) {
        case kMethodStored:
            return CopyStored(data);
        case kMethodShrunk:
        case kMethodReducedFactor1:
        case kMethodReducedFactor2:
        case kMethodReducedFactor3:
        case kMethodReducedFactor4:
        case kMethodImploded: {
            const LegacyEntryInfo info{data.method, data.flags, data.compressedSize,
                                       data.uncompressedSize};
            return DecodeLegacy(info, data.read, [&data](const uint8_t* bytes, size_t n) {
                data.write(bytes, n, true);
            });
        }
        case kMethodDeflated:
            return Inflate(data, DeflateVariant::kDeflate);
        case kMethodDeflate64:
            return Inflate(data, DeflateVariant::kDeflate64);
        default:
            return kMsgUnsupportedMethod;
    }
}

// Stored data: the uncompressed size is copied; compressed data that ends first is reported.
DecodeStatus EntryDecoders::CopyStored(const EntryData& data) {
    uint64_t left = data.uncompressedSize;
    while (left > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, kBlockSize));
        const size_t got = std::min(data.read(buffer_.data(), want), want);
        if (got == 0)
            return kMsgUnexpectedEnd;
        data.write(buffer_.data(), got, true);
        left -= got;
        if (data.cancelled())
            break;
    }
    return kDecodeOk;
}

// Deflate output goes in chunks of at most 32,768 bytes with the pump before each, and stops at
// the declared size.
DecodeStatus EntryDecoders::Inflate(const EntryData& data, DeflateVariant variant) {
    std::unique_ptr<Inflater>& inflater =
        variant == DeflateVariant::kDeflate64 ? deflate64_ : deflate_;
    if (inflater) {
        inflater->Reset(data.read);
    } else {
        inflater = std::make_unique<Inflater>(variant, data.read);
    }
    uint64_t remaining = data.uncompressedSize;
    while (remaining > 0 && !data.cancelled()) {
        data.pump();
        const size_t chunk =
            static_cast<size_t>(std::min<uint64_t>(remaining, Inflater::kMaxChunk));
        const size_t produced = inflater->Inflate(chunk);
        if (produced == 0) {
            // A stream that ended cleanly but short of the declared size is cut as well.
            const DecodeStatus status = inflater->Status();
            return status != kDecodeOk ? status : kMsgUnexpectedEnd;
        }
        data.write(inflater->Chunk(), produced, false);
        remaining -= produced;
    }
    return kDecodeOk;
}

}  // namespace kelvara::archive
