// Running the Inflater over a whole stream in the tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "archive/inflate.h"

namespace kelvara::test {

struct Decoded {
    std::string out;
    archive::DecodeStatus status = archive::kDecodeOk;
    bool finished = false;
};

// Decodes the whole stream in chunks of chunkSize, the source handing over at most piece bytes
// per call; stops past 16 MiB of output.
inline Decoded Decode(const std::string& stream, archive::DeflateVariant variant,
                      size_t chunkSize = archive::Inflater::kMaxChunk, size_t piece = 1u << 20) {
    size_t pos = 0;
    archive::Inflater inflater(variant, [&](uint8_t* buffer, size_t n) {
        n = std::min({n, piece, stream.size() - pos});
        std::memcpy(buffer, stream.data() + pos, n);
        pos += n;
        return n;
    });
    Decoded d;
    size_t r;
    while ((r = inflater.Inflate(chunkSize)) > 0) {
        EXPECT_LE(r, chunkSize);
        d.out.append(reinterpret_cast<const char*>(inflater.Chunk()), r);
        if (d.out.size() > (1u << 24))
            break;
    }
    d.status = inflater.Status();
    d.finished = inflater.Finished();
    return d;
}

}  // namespace kelvara::test
