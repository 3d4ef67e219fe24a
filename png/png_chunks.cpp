#include "png/png_chunks.h"

#include <zlib.h>

#include <algorithm>
#include <functional>
#include <map>
#include <typeinfo>

#include "png/png_errors.h"
#include "png/png_graphic.h"
#include "png/png_image_data.h"
#include "png/png_input.h"

namespace kelvara::png {

namespace {
// Chunk data is read in blocks so that a garbage length cannot make us allocate more than the
// file actually holds.
constexpr size_t kReadBlock = 65535;
// Bound on an inflated text, against streams that inflate without end.
constexpr size_t kMaxInflatedText = size_t(16) << 20;

uint32_t ChunkCrc(const std::string& name, const std::vector<uint8_t>& data) {
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(name.data()), 4);
    // zlib answers 0 for a null buffer, which an empty vector may give.
    return data.empty() ? uint32_t(crc) : uint32_t(crc32(crc, data.data(), uInt(data.size())));
}

// Inflates a zlib stream; stops quietly at a damaged or overlong stream with what it has.
std::string InflateText(const uint8_t* data, size_t size) {
    std::string text;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return text;
    }
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = uInt(size);
    uint8_t block[4096];
    int result = Z_OK;
    while (result == Z_OK && text.size() < kMaxInflatedText) {
        stream.next_out = block;
        stream.avail_out = sizeof block;
        result = inflate(&stream, Z_NO_FLUSH);
        text.append(reinterpret_cast<char*>(block), sizeof block - stream.avail_out);
        if (result == Z_BUF_ERROR || (result == Z_OK && stream.avail_out == sizeof block)) {
            break;
        }
    }
    inflateEnd(&stream);
    return text;
}
}  // namespace

bool TChunk::LoadFromStream(TPngInput& input, uint32_t length) {
    data_.clear();
    uint8_t block[kReadBlock];
    for (uint32_t left = length; left > 0;) {
        const size_t step = std::min<size_t>(left, kReadBlock);
        input.ReadExact(block, step);
        data_.insert(data_.end(), block, block + step);
        left -= uint32_t(step);
    }
    if (input.ReadUInt32() != ChunkCrc(name_, data_)) {
        throw EPngInvalidCRC();
    }
    Interpret();
    return true;
}

void TChunk::Assign(const TChunk& other) {
    if (typeid(*this) != typeid(other)) {
        throw EPngError(kPngIncompatibleChunks);
    }
    name_ = other.name_;
    data_ = other.data_;
}

void TChunkIHDR::Interpret() {
    const std::vector<uint8_t>& data = Data();
    if (data.size() < 13) {
        throw EPngInvalidIHDR();
    }
    width_ = BigEndian32(&data[0]);
    height_ = BigEndian32(&data[4]);
    bitDepth_ = data[8];
    colorType_ = data[9];
    compressionMethod_ = data[10];
    filterMethod_ = data[11];
    interlaceMethod_ = data[12];
    if (width_ > 65535 || height_ > 65535) {
        throw EPNGSizeExceeds();
    }
    if (compressionMethod_ != 0) {
        throw EPNGUnknownCompression();
    }
    if (interlaceMethod_ > 1) {
        throw EPNGUnknownInterlace();
    }
    // Pairs outside the standard have no scanline conversion.
    if (!IsValidColorTypeAndDepth(colorType_, bitDepth_)) {
        throw EPngInvalidIHDR();
    }
    image_.Prepare(width_, height_, bitDepth_, colorType_);
    if (colorType_ == 0 || colorType_ == 4) {
        image_.FillGreyRamp(Owner().GammaTable().data());
    }
    Owner().interlaceMethod_ = interlaceMethod_;
}

bool TChunkIDAT::LoadFromStream(TPngInput& input, uint32_t length) {
    DecodeImageData(Owner(), input, length);
    return true;
}

void TChunkPLTE::Interpret() {
    const std::vector<uint8_t>& data = Data();
    if (data.size() % 3 != 0 || data.size() / 3 > 256) {
        throw EPNGInvalidPalette();
    }
    const auto& gamma = Owner().GammaTable();
    auto& palette = Owner().Header().Image().palette;
    const size_t count = std::min(Count(), palette.size());
    for (size_t i = 0; i < count; ++i) {
        palette[i] = {gamma[data[3 * i]], gamma[data[3 * i + 1]], gamma[data[3 * i + 2]]};
    }
}

TChunktRNS::TChunktRNS(TPngGraphic& owner) : TChunk(owner, "tRNS") {
    alpha_.fill(255);
}

void TChunktRNS::Interpret() {
    const std::vector<uint8_t>& data = Data();
    if (data.size() > 256) {
        throw EPNGInvalidPalette();
    }
    std::copy(data.begin(), data.end(), alpha_.begin());
    switch (Owner().Header().ColorType()) {
        case 0:
        case 2:
            bitTransparency_ = true;
            break;
        case 3: {
            // On/off transparency fits only a single fully transparent entry; any other
            // value needs blending.
            const auto partial =
                std::count_if(data.begin(), data.end(), [](uint8_t alpha) { return alpha != 255; });
            const bool oneClear = std::count(data.begin(), data.end(), uint8_t(0)) == 1;
            bitTransparency_ = partial == 1 && oneClear;
            break;
        }
        default:
            bitTransparency_ = false;
    }
}

void TChunkgAMA::Interpret() {
    if (Data().size() >= 4) {
        gamma_ = BigEndian32(Data().data());
        Owner().SetFileGamma(gamma_);
    }
}

void TChunkpHYs::Interpret() {
    if (Data().size() >= 9) {
        ppuX_ = BigEndian32(&Data()[0]);
        ppuY_ = BigEndian32(&Data()[4]);
        unit_ = Data()[8];
    }
}

void TChunktIME::Interpret() {
    const std::vector<uint8_t>& data = Data();
    if (data.size() == 7) {
        year_ = uint16_t(data[0] << 8 | data[1]);
        month_ = data[2];
        day_ = data[3];
        hour_ = data[4];
        minute_ = data[5];
        second_ = data[6];
    }
}

void TChunktEXt::Interpret() {
    const std::vector<uint8_t>& data = Data();
    const auto zero = std::find(data.begin(), data.end(), uint8_t(0));
    keyword_.assign(data.begin(), zero);
    text_.assign(zero == data.end() ? zero : zero + 1, data.end());
}

void TChunkzTXt::Interpret() {
    const std::vector<uint8_t>& data = Data();
    const auto zero = std::find(data.begin(), data.end(), uint8_t(0));
    keyword_.assign(data.begin(), zero);
    text_.clear();
    // The zero byte and the compression method byte precede the deflated text.
    const size_t start = size_t(zero - data.begin()) + 2;
    if (start < data.size()) {
        text_ = InflateText(data.data() + start, data.size() - start);
    }
}

std::unique_ptr<TChunk> CreateRegisteredChunk(TPngGraphic& owner, const std::string& name) {
    using Factory = std::function<std::unique_ptr<TChunk>(TPngGraphic&)>;
    static const std::map<std::string, Factory> registered = {
        {"IHDR", [](TPngGraphic& g) { return std::make_unique<TChunkIHDR>(g); }},
        {"IDAT", [](TPngGraphic& g) { return std::make_unique<TChunkIDAT>(g); }},
        {"PLTE", [](TPngGraphic& g) { return std::make_unique<TChunkPLTE>(g); }},
        {"tRNS", [](TPngGraphic& g) { return std::make_unique<TChunktRNS>(g); }},
        {"gAMA", [](TPngGraphic& g) { return std::make_unique<TChunkgAMA>(g); }},
        {"pHYs", [](TPngGraphic& g) { return std::make_unique<TChunkpHYs>(g); }},
        {"tIME", [](TPngGraphic& g) { return std::make_unique<TChunktIME>(g); }},
        {"tEXt", [](TPngGraphic& g) { return std::make_unique<TChunktEXt>(g); }},
        {"zTXt", [](TPngGraphic& g) { return std::make_unique<TChunkzTXt>(g); }},
        {"IEND", [](TPngGraphic& g) { return std::make_unique<TChunkIEND>(g); }},
    };
    const auto found = registered.find(name);
    return found == registered.end() ? nullptr : found->second(owner);
}

}  // namespace kelvara::png
