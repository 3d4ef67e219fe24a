// Helpers for the legacy decoder tests: DecodeLegacy driven from memory, with the kit's local
// entry walker and legacy encoders at hand.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/legacy_decoders.h"
#include "testkit/bytes.h"
#include "testkit/legacy_encoders.h"
#include "testkit/local_entries.h"

namespace kelvara::test {

// The outcome of one DecodeLegacy call.
struct DecodeResult {
    std::string output;
    archive::DecodeStatus status = archive::kDecodeOk;
    size_t largestWrite = 0;  // largest block handed to the writer
    size_t largestRead = 0;   // largest read request
};

// Decodes `data` as an entry with the given method and flags; readChunk limits how many bytes
// each read call returns.
DecodeResult DecodeBytes(const std::string& data, uint16_t method, uint16_t flags,
                         uint64_t uncompressedSize, size_t readChunk = SIZE_MAX);
inline DecodeResult DecodeEntry(const LocalEntry& e) {
    return DecodeBytes(e.data, e.method, e.flags, e.uncompressedSize);
}

}  // namespace kelvara::test
