#include "png/png_errors.h"

namespace kelvara::png {

namespace {
const char* const kSubject = "\"Portable Network Graphics\"";

std::string Text(const std::string& before, const std::string& after) {
    return before + kSubject + after;
}
}  // namespace

EPNGInvalidFileHeader::EPNGInvalidFileHeader()
    : EPngError(Text("The file being readed is not a valid ",
                     " image because it contains an invalid header. This file may be corruped, "
                     "try obtaining it again.")) {}

EPngUnexpectedEnd::EPngUnexpectedEnd()
    : EPngError(Text(
          "This ", " image is invalid because the decoder found an unexpected end of the file.")) {}

EPNGIHDRNotFirst::EPNGIHDRNotFirst()
    : EPngError(Text("This ",
                     " image is not supported or it might be invalid.\r\n(IHDR chunk is not the "
                     "first)")) {}

EPNGUnknownCriticalChunk::EPNGUnknownCriticalChunk()
    : EPngError(
          Text("This ", " image contains an unknown critical part which could not be decoded.")) {}

EPNGNoImageData::EPNGNoImageData() : EPngError(Text("This ", " image contains no data.")) {}

EPngInvalidCRC::EPngInvalidCRC()
    : EPngError(Text("This ",
                     " image is not valid because it contains invalid pieces of data (crc "
                     "error)")) {}

EPngInvalidIHDR::EPngInvalidIHDR()
    : EPngError(Text("The ",
                     " image could not be loaded because one of its main piece of data (ihdr) "
                     "might be corrupted")) {}

EPNGSizeExceeds::EPNGSizeExceeds()
    : EPngError(Text("This ",
                     " image is not supported because either it's width or height exceeds the "
                     "maximum size, which is 65535 pixels length.")) {}

EPNGUnknownCompression::EPNGUnknownCompression()
    : EPngError(Text("This ",
                     " image is encoded with an unknown compression scheme which could not be "
                     "decoded.")) {}

EPNGUnknownInterlace::EPNGUnknownInterlace()
    : EPngError(
          Text("This ", " image uses an unknown interlace scheme which could not be decoded.")) {}

EPNGMissingMultipleIDAT::EPNGMissingMultipleIDAT()
    : EPngError(Text("This ", " image is invalid because it has missing image parts.")) {}

EPNGInvalidPalette::EPNGInvalidPalette()
    : EPngError(Text("The ", " image contains an invalid palette.")) {}

EPNGOutMemory::EPNGOutMemory()
    : EPngError(
          "Some operation could not be performed because the system is out of resources. Close "
          "some windows and try again.") {}

EPNGHeaderNotPresent::EPNGHeaderNotPresent()
    : EPngError("This operation is not valid because the current image contains no valid header.") {
}

EPNGInvalidNewSize::EPNGInvalidNewSize()
    : EPngError("The new size provided for image resizing is invalid.") {}

EPNGZLIBError::EPNGZLIBError(const std::string& zlibMessage)
    : EPngError(
          "Could not decompress the image because it contains invalid compressed data.\r\n "
          "Description: " +
          zlibMessage) {}

const char* const kPngNoSuchPaletteEntry = "There is no such palette entry.";
const char* const kPngIncompatibleChunks = "The chunks must be compatible to be assigned.";

}  // namespace kelvara::png

#include <cerrno>
#include <cstring>

namespace kelvara::png {

EFOpenError::EFOpenError(const std::string& path)
    : std::runtime_error("Cannot open file \"" + path + "\". " + std::strerror(errno)) {}

}  // namespace kelvara::png
