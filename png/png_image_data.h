// Decoding of the image data: inflating the "IDAT" run as a stream, unfiltering and placing
// each scanline as soon as it arrives.
#pragma once

#include <cstdint>

namespace kelvara::png {

class TPngGraphic;
class TPngInput;

// Decodes the image into the header's stores. The input stands after the name of the first
// "IDAT" chunk, whose data is `length` bytes long; on return it stands after the check value
// of the last chunk of image data that was read.
void DecodeImageData(TPngGraphic& graphic, TPngInput& input, uint32_t length);

}  // namespace kelvara::png
