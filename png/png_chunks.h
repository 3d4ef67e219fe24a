// The chunk classes of TPngGraphic. Each chunk keeps its name and data; the known ones also
// interpret their data while loading.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "png/png_image.h"

namespace kelvara::png {

class TPngGraphic;
class TPngInput;

class TChunk {
  public:
    TChunk(TPngGraphic& owner, std::string name) : owner_(owner), name_(std::move(name)) {}
    virtual ~TChunk() = default;
    TChunk(const TChunk&) = delete;
    TChunk& operator=(const TChunk&) = delete;

    const std::string& Name() const { return name_; }
    const std::vector<uint8_t>& Data() const { return data_; }
    TPngGraphic& Owner() const { return owner_; }

    // Reads the data and the check value of a chunk whose length and name have been read, then
    // interprets the data. False stops the chunk loop.
    virtual bool LoadFromStream(TPngInput& input, uint32_t length);

    // Copies name and data from a chunk of the same class.
    void Assign(const TChunk& other);

  protected:
    // Called once the data has arrived and its check value matched.
    virtual void Interpret() {}

  private:
    TPngGraphic& owner_;
    std::string name_;
    std::vector<uint8_t> data_;
};

class TChunkIHDR : public TChunk {
  public:
    explicit TChunkIHDR(TPngGraphic& owner) : TChunk(owner, "IHDR") {}

    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    uint8_t BitDepth() const { return bitDepth_; }
    uint8_t ColorType() const { return colorType_; }
    uint8_t CompressionMethod() const { return compressionMethod_; }
    uint8_t FilterMethod() const { return filterMethod_; }
    uint8_t InterlaceMethod() const { return interlaceMethod_; }

    TPngImage& Image() { return image_; }
    const TPngImage& Image() const { return image_; }

  protected:
    void Interpret() override;

  private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint8_t bitDepth_ = 0;
    uint8_t colorType_ = 0;
    uint8_t compressionMethod_ = 0;
    uint8_t filterMethod_ = 0;
    uint8_t interlaceMethod_ = 0;
    TPngImage image_;
};

// Decodes the whole image from this and the directly following "IDAT" chunks; the compressed
// data is streamed, not kept.
class TChunkIDAT : public TChunk {
  public:
    explicit TChunkIDAT(TPngGraphic& owner) : TChunk(owner, "IDAT") {}
    bool LoadFromStream(TPngInput& input, uint32_t length) override;
};

class TChunkPLTE : public TChunk {
  public:
    explicit TChunkPLTE(TPngGraphic& owner) : TChunk(owner, "PLTE") {}
    size_t Count() const { return Data().size() / 3; }

  protected:
    void Interpret() override;
};

class TChunktRNS : public TChunk {
  public:
    explicit TChunktRNS(TPngGraphic& owner);
    const std::array<uint8_t, 256>& AlphaValues() const { return alpha_; }
    bool BitTransparency() const { return bitTransparency_; }

  protected:
    void Interpret() override;

  private:
    std::array<uint8_t, 256> alpha_;
    bool bitTransparency_ = false;
};

class TChunkgAMA : public TChunk {
  public:
    explicit TChunkgAMA(TPngGraphic& owner) : TChunk(owner, "gAMA") {}
    uint32_t Gamma() const { return gamma_; }

  protected:
    void Interpret() override;

  private:
    uint32_t gamma_ = 0;
};

class TChunkpHYs : public TChunk {
  public:
    explicit TChunkpHYs(TPngGraphic& owner) : TChunk(owner, "pHYs") {}
    uint32_t PixelsPerUnitX() const { return ppuX_; }
    uint32_t PixelsPerUnitY() const { return ppuY_; }
    uint8_t Unit() const { return unit_; }

  protected:
    void Interpret() override;

  private:
    uint32_t ppuX_ = 0;
    uint32_t ppuY_ = 0;
    uint8_t unit_ = 0;
};

class TChunktIME : public TChunk {
  public:
    explicit TChunktIME(TPngGraphic& owner) : TChunk(owner, "tIME") {}
    uint16_t Year() const { return year_; }
    uint8_t Month() const { return month_; }
    uint8_t Day() const { return day_; }
    uint8_t Hour() const { return hour_; }
    uint8_t Minute() const { return minute_; }
    uint8_t Second() const { return second_; }

  protected:
    void Interpret() override;

  private:
    uint16_t year_ = 0;
    uint8_t month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0;
};

class TChunktEXt : public TChunk {
  public:
    explicit TChunktEXt(TPngGraphic& owner, std::string name = "tEXt")
        : TChunk(owner, std::move(name)) {}
    const std::string& Keyword() const { return keyword_; }
    const std::string& Text() const { return text_; }

  protected:
    void Interpret() override;
    std::string keyword_;
    std::string text_;
};

class TChunkzTXt : public TChunktEXt {
  public:
    explicit TChunkzTXt(TPngGraphic& owner) : TChunktEXt(owner, "zTXt") {}

  protected:
    void Interpret() override;
};

class TChunkIEND : public TChunk {
  public:
    explicit TChunkIEND(TPngGraphic& owner) : TChunk(owner, "IEND") {}
};

// The registered chunk class for the name (exact, case-sensitive match), or nullptr.
std::unique_ptr<TChunk> CreateRegisteredChunk(TPngGraphic& owner, const std::string& name);

}  // namespace kelvara::png
