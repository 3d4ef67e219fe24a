#include "png/png_graphic.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <new>

#include "png/png_errors.h"
#include "png/png_input.h"

namespace kelvara::png {

namespace {
const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr size_t kListStep = 10;

bool IsCritical(const std::string& name) {
    return (uint8_t(name[0]) & 0x20) == 0;
}
}  // namespace

TPngGraphic::TPngGraphic() {
    ResetGamma();
}
TPngGraphic::~TPngGraphic() = default;

void TPngGraphic::Clear() {
    chunks_.clear();
    chunks_.shrink_to_fit();
    interlaceMethod_ = 0;
    ResetGamma();
}

void TPngGraphic::ResetGamma() {
    for (unsigned i = 0; i < 256; ++i) {
        gamma_[i] = uint8_t(i);
        inverseGamma_[i] = uint8_t(i);
    }
}

void TPngGraphic::SetFileGamma(uint32_t gamma) {
    if (gamma == 0) {
        return;
    }
    const double exponent = 1.0 / (gamma / 100000.0 * 2.2);
    for (unsigned i = 0; i < 256; ++i) {
        // nearbyint rounds halves to even in the default rounding mode.
        const double value = std::nearbyint(255.0 * std::pow(i / 255.0, exponent));
        const auto entry = uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
        gamma_[i] = entry;
        inverseGamma_[entry] = uint8_t(i);
    }
}

void TPngGraphic::LoadFromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw EFOpenError(path);
    }
    LoadFromStream(file);
}

void TPngGraphic::LoadFromStream(std::istream& stream) {
    Clear();
    TPngInput input(stream);
    uint8_t signature[8];
    if (input.ReadSome(signature, sizeof signature) != sizeof signature ||
        std::memcmp(signature, kSignature, sizeof signature) != 0) {
        throw EPNGInvalidFileHeader();
    }
    try {
        ReadChunks(input);
    } catch (const std::bad_alloc&) {
        chunks_.shrink_to_fit();
        throw EPNGOutMemory();
    } catch (...) {
        chunks_.shrink_to_fit();
        throw;
    }
    chunks_.shrink_to_fit();
}

void TPngGraphic::ReadChunks(TPngInput& input) {
    chunks_.reserve(kListStep);
    bool imageDataSeen = false;
    size_t count = 0;
    for (;;) {
        ++count;
        if (count > chunks_.capacity()) {
            chunks_.reserve(chunks_.capacity() + kListStep);
        }
        uint8_t lengthBytes[4];
        if (input.ReadSome(lengthBytes, sizeof lengthBytes) != sizeof lengthBytes) {
            throw EPngUnexpectedEnd();
        }
        const uint32_t length = BigEndian32(lengthBytes);
        char nameBytes[4];
        input.ReadExact(nameBytes, sizeof nameBytes);
        const std::string name(nameBytes, sizeof nameBytes);

        if (count == 1 && name != "IHDR") {
            throw EPNGIHDRNotFirst();
        }
        // Chromaticities are not used, and the image data has already been decoded from the
        // first run of "IDAT" chunks.
        if (name == "cHRM" || (name == "IDAT" && imageDataSeen)) {
            input.Skip(uint64_t(length) + 4);
            --count;
            continue;
        }
        if (name == "IDAT") {
            imageDataSeen = true;
        }
        std::unique_ptr<TChunk> chunk = CreateRegisteredChunk(*this, name);
        if (!chunk) {
            if (IsCritical(name)) {
                throw EPNGUnknownCriticalChunk();
            }
            chunk = std::make_unique<TChunk>(*this, name);
        }
        const bool goOn = chunk->LoadFromStream(input, length);
        chunks_.push_back(std::move(chunk));
        if (!goOn || name == "IEND") {
            break;
        }
    }
    if (!imageDataSeen) {
        throw EPNGNoImageData();
    }
}

bool TPngGraphic::HasHeader() const {
    return !chunks_.empty() && dynamic_cast<const TChunkIHDR*>(chunks_.front().get()) != nullptr;
}

TChunkIHDR& TPngGraphic::Header() {
    if (!HasHeader()) {
        throw EPNGHeaderNotPresent();
    }
    return static_cast<TChunkIHDR&>(*chunks_.front());
}

const TChunkIHDR& TPngGraphic::Header() const {
    return const_cast<TPngGraphic*>(this)->Header();
}

uint32_t TPngGraphic::Width() const {
    return HasHeader() ? Header().Width() : 0;
}
uint32_t TPngGraphic::Height() const {
    return HasHeader() ? Header().Height() : 0;
}

TPngTransparencyMode TPngGraphic::TransparencyMode() const {
    if (!HasHeader()) {
        return TPngTransparencyMode::None;
    }
    const TChunktRNS* transparency = FindChunk<TChunktRNS>();
    switch (Header().ColorType()) {
        case 0:
        case 2:
            return transparency ? TPngTransparencyMode::Bit : TPngTransparencyMode::None;
        case 3:
            if (!transparency) {
                return TPngTransparencyMode::None;
            }
            return transparency->BitTransparency() ? TPngTransparencyMode::Bit
                                                   : TPngTransparencyMode::Partial;
        default:
            return TPngTransparencyMode::Partial;
    }
}

TPaletteEntry TPngGraphic::PaletteEntry(unsigned index) const {
    const auto& palette = Header().Image().palette;
    if (index >= palette.size()) {
        throw EPngError(kPngNoSuchPaletteEntry);
    }
    return palette[index];
}

}  // namespace kelvara::png
