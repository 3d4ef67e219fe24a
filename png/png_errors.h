// Exceptions raised while loading and drawing PNG images. Every class derives from EPngError,
// whose what() is the text shown to the user.
#pragma once

#include <stdexcept>
#include <string>

namespace kelvara::png {

class EPngError : public std::runtime_error {
  public:
    explicit EPngError(const std::string& text) : std::runtime_error(text) {}
};

#define KELVARA_PNG_ERROR_CLASS(Name) \
    class Name : public EPngError {   \
      public:                         \
        Name();                       \
    };

KELVARA_PNG_ERROR_CLASS(EPNGInvalidFileHeader)
KELVARA_PNG_ERROR_CLASS(EPngUnexpectedEnd)
KELVARA_PNG_ERROR_CLASS(EPNGIHDRNotFirst)
KELVARA_PNG_ERROR_CLASS(EPNGUnknownCriticalChunk)
KELVARA_PNG_ERROR_CLASS(EPNGNoImageData)
KELVARA_PNG_ERROR_CLASS(EPngInvalidCRC)
KELVARA_PNG_ERROR_CLASS(EPngInvalidIHDR)
KELVARA_PNG_ERROR_CLASS(EPNGSizeExceeds)
KELVARA_PNG_ERROR_CLASS(EPNGUnknownCompression)
KELVARA_PNG_ERROR_CLASS(EPNGUnknownInterlace)
KELVARA_PNG_ERROR_CLASS(EPNGMissingMultipleIDAT)
KELVARA_PNG_ERROR_CLASS(EPNGInvalidPalette)
KELVARA_PNG_ERROR_CLASS(EPNGOutMemory)
KELVARA_PNG_ERROR_CLASS(EPNGHeaderNotPresent)
KELVARA_PNG_ERROR_CLASS(EPNGInvalidNewSize)

#undef KELVARA_PNG_ERROR_CLASS

// An inflate failure; the text ends with zlib's description of the error.
class EPNGZLIBError : public EPngError {
  public:
    explicit EPNGZLIBError(const std::string& zlibMessage);
};

// The two texts raised as plain EPngError.
extern const char* const kPngNoSuchPaletteEntry;
extern const char* const kPngIncompatibleChunks;

}  // namespace kelvara::png

namespace kelvara::png {

// A file that cannot be opened for reading (not a decoding error).
class EFOpenError : public std::runtime_error {
  public:
    explicit EFOpenError(const std::string& path);
};

}  // namespace kelvara::png
