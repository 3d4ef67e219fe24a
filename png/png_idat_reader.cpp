#include "png/png_idat_reader.h"

#include <algorithm>
#include <cstring>

#include "png/png_checksum.h"
#include "png/png_errors.h"
#include "png/png_input.h"

namespace kelvara::png {

namespace {
const Bytef kIdatName[4] = {'I', 'D', 'A', 'T'};

std::string ZlibMessage(const z_stream& stream, int result) {
    return stream.msg ? stream.msg : zError(result);
}

// Shifts the last bytes of [begin, end) into the four-byte window `tail`.
void ShiftIntoTail(uint8_t* tail, const uint8_t* begin, const uint8_t* end) {
    const size_t count = size_t(end - begin);
    if (count >= 4) {
        std::memcpy(tail, end - 4, 4);
    } else if (count > 0) {
        std::memmove(tail, tail + count, 4 - count);
        std::memcpy(tail + 4 - count, begin, count);
    }
}
}  // namespace

TIdatReader::TIdatReader(TPngInput& input, uint32_t length)
    : input_(input),
      remaining_(length),
      crc_(uint32_t(crc32(0L, kIdatName, 4))),
      block_(new uint8_t[kBlockSize]) {
    const int result = inflateInit(&stream_);
    if (result != Z_OK) {
        throw EPNGZLIBError(ZlibMessage(stream_, result));
    }
#if ZLIB_VERNUM >= 0x1290
    // zlib then still reads the check value at the end of the stream, only without comparing
    // it; CheckAdler does that as zlib would, with the same message.
    checkAdler_ = inflateValidate(&stream_, 0) == Z_OK;
#endif
}

TIdatReader::~TIdatReader() {
    inflateEnd(&stream_);
}

void TIdatReader::KeepConsumedTail() {
    if (stream_.next_in) {
        ShiftIntoTail(consumedTail_, block_.get(), stream_.next_in);
    }
}

void TIdatReader::CheckAdler() const {
    uint8_t tail[4];
    std::memcpy(tail, consumedTail_, 4);
    ShiftIntoTail(tail, block_.get(), stream_.next_in);
    if (BigEndian32(tail) != adler_) {
        throw EPNGZLIBError("incorrect data check");
    }
}

void TIdatReader::ReadBlock() {
    KeepConsumedTail();
    const size_t size = std::min<size_t>(remaining_, kBlockSize);
    input_.ReadExact(block_.get(), size);
    crc_ = Crc32(crc_, block_.get(), size);
    remaining_ -= uint32_t(size);
    stream_.next_in = block_.get();
    stream_.avail_in = uInt(size);
}

void TIdatReader::CheckCrc() {
    if (input_.ReadUInt32() != crc_) {
        throw EPngInvalidCRC();
    }
}

void TIdatReader::NextChunk() {
    CheckCrc();
    remaining_ = input_.ReadUInt32();
    uint8_t name[4];
    input_.ReadExact(name, sizeof name);
    if (!std::equal(name, name + 4, kIdatName)) {
        throw EPNGMissingMultipleIDAT();
    }
    crc_ = uint32_t(crc32(0L, kIdatName, 4));
}

size_t TIdatReader::Inflate(uint8_t* out, size_t count) {
    stream_.next_out = out;
    stream_.avail_out = uInt(count);
    produced_ = 0;
    while (stream_.avail_out > 0) {
        if (streamEnded_) {
            break;
        }
        if (stream_.avail_in == 0) {
            if (remaining_ == 0) {
                NextChunk();
                continue;
            }
            ReadBlock();
        }
        uint8_t* const before = stream_.next_out;
        const int result = inflate(&stream_, Z_NO_FLUSH);
        produced_ = size_t(stream_.next_out - out);
        if (checkAdler_) {
            adler_ = Adler32(adler_, before, size_t(stream_.next_out - before));
        }
        if (result == Z_STREAM_END) {
            if (checkAdler_) {
                CheckAdler();
            }
            streamEnded_ = true;
        } else if (result != Z_OK && result != Z_BUF_ERROR) {
            throw EPNGZLIBError(ZlibMessage(stream_, result));
        }
    }
    return produced_;
}

void TIdatReader::Finish() {
    while (remaining_ > 0) {
        ReadBlock();
    }
    stream_.avail_in = 0;
    CheckCrc();
}

}  // namespace kelvara::png
