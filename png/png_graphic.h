// TPngGraphic: a PNG image loaded from a file or a stream into the header chunk's bitmap,
// with the chunks it was read from.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "png/png_chunks.h"

namespace kelvara::png {

enum class TPngTransparencyMode { None, Bit, Partial };

class TPngGraphic {
  public:
    TPngGraphic();
    ~TPngGraphic();
    TPngGraphic(const TPngGraphic&) = delete;
    TPngGraphic& operator=(const TPngGraphic&) = delete;

    // Both raise one of the EPngError classes; the chunks read before the error stay.
    void LoadFromFile(const std::string& path);
    void LoadFromStream(std::istream& stream);

    // The header's size; 0 without a header.
    uint32_t Width() const;
    uint32_t Height() const;
    bool Empty() const { return chunks_.empty(); }
    TPngTransparencyMode TransparencyMode() const;

    const std::vector<std::unique_ptr<TChunk>>& Chunks() const { return chunks_; }
    // The first chunk of the class, or nullptr.
    template <class Chunk>
    const Chunk* FindChunk() const {
        for (const auto& chunk : chunks_) {
            if (auto* found = dynamic_cast<const Chunk*>(chunk.get())) {
                return found;
            }
        }
        return nullptr;
    }

    // The header chunk (the first one); raises EPNGHeaderNotPresent without one.
    TChunkIHDR& Header();
    const TChunkIHDR& Header() const;
    bool HasHeader() const;

    // Palette entry of a palette bitmap; raises EPngError for an index beyond the palette.
    TPaletteEntry PaletteEntry(unsigned index) const;

    const std::array<uint8_t, 256>& GammaTable() const { return gamma_; }
    const std::array<uint8_t, 256>& InverseGammaTable() const { return inverseGamma_; }
    // Recomputes the gamma table for a file gamma in units of 1/100000 (0 leaves it).
    void SetFileGamma(uint32_t gamma);

    uint8_t InterlaceMethod() const { return interlaceMethod_; }

    // Settings for writing PNG data, which this program never does.
    int CompressionLevel() const { return 7; }
    uint32_t MaxIdatSize() const { return 65535; }

    // Empties the chunk list and resets both gamma tables to the identity.
    void Clear();

  private:
    void ReadChunks(class TPngInput& input);
    void ResetGamma();

    std::vector<std::unique_ptr<TChunk>> chunks_;
    std::array<uint8_t, 256> gamma_{};
    std::array<uint8_t, 256> inverseGamma_{};
    uint8_t interlaceMethod_ = 0;
    friend class TChunkIHDR;
};

}  // namespace kelvara::png
