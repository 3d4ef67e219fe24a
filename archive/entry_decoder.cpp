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

void EntryDecoders::Decode(const EntryData& data) {
    switch (data.method) {
        case 0:
            CopyStored(data);
            return;
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6: {
            const LegacyEntryInfo info{data.method, data.flags, data.compressedSize,
                                       data.uncompressedSize};
            DecodeLegacy(
                info, data.read,
                [&data](const uint8_t* bytes, size_t n) { data.write(bytes, n, true); },
                data.report);
            return;
        }
        case 8:
            Inflate(data, DeflateVariant::kDeflate);
            return;
        case 9:
            Inflate(data, DeflateVariant::kDeflate64);
            return;
        default:
            data.report(kMsgUnsupportedMethod);
    }
}

// Stored data: never more than the entry holds, nor more than it claims to decode to.
void EntryDecoders::CopyStored(const EntryData& data) {
    uint64_t left = std::min(data.uncompressedSize, data.compressedSize);
    while (left > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, kBlockSize));
        const size_t got = data.read(buffer_.data(), want);
        if (got == 0)
            break;
        data.write(buffer_.data(), got, true);
        left -= got;
        if (data.cancelled())
            break;
    }
}

// Deflate output goes in chunks of at most 32,768 bytes with the pump before each, and stops at
// the declared size.
void EntryDecoders::Inflate(const EntryData& data, DeflateVariant variant) {
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
        const long produced = inflater->Inflate(chunk);
        if (produced <= 0)
            break;
        data.write(inflater->Chunk(), static_cast<size_t>(produced), false);
        remaining -= static_cast<uint64_t>(produced);
    }
}

}  // namespace kelvara::archive
