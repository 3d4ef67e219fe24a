#include "png/png_scanline.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define KELVARA_PNG_SSSE3 1
#endif

namespace kelvara::png {

namespace {

// Branch-free predictor choice; ties prefer left, then up, as the standard orders them.
inline uint8_t Paeth(int left, int up, int upLeft) {
    const int toLeft = std::abs(up - upLeft);
    const int toUp = std::abs(left - upLeft);
    const int toUpLeft = std::abs(left + up - 2 * upLeft);
    const int upOrCorner = toUp <= toUpLeft ? up : upLeft;
    return uint8_t(toLeft <= toUp && toLeft <= toUpLeft ? left : upOrCorner);
}

// The filters that look left, with the pixel distance known at compile time so that the
// loops can be unrolled per pixel.
template <size_t D>
void UnfilterLeft(uint8_t type, uint8_t* line, const uint8_t* previous, size_t bytes) {
    const size_t d = D < bytes ? D : bytes;
    switch (type) {
        case 1:
            for (size_t i = d; i < bytes; ++i) {
                line[i] = uint8_t(line[i] + line[i - D]);
            }
            break;
        case 3:
            for (size_t i = 0; i < d; ++i) {
                line[i] = uint8_t(line[i] + (previous[i] >> 1));
            }
            for (size_t i = d; i < bytes; ++i) {
                line[i] = uint8_t(line[i] + ((line[i - D] + previous[i]) >> 1));
            }
            break;
        case 4: {
            for (size_t i = 0; i < d; ++i) {
                line[i] = uint8_t(line[i] + previous[i]);
            }
            // Whole pixels first: the D bytes of one pixel are independent of each other.
            size_t i = d;
            for (; i + D <= bytes; i += D) {
                for (size_t c = 0; c < D; ++c) {
                    line[i + c] = uint8_t(
                        line[i + c] + Paeth(line[i + c - D], previous[i + c], previous[i + c - D]));
                }
            }
            for (; i < bytes; ++i) {
                line[i] = uint8_t(line[i] + Paeth(line[i - D], previous[i], previous[i - D]));
            }
            break;
        }
        default:
            break;
    }
}

#if defined(__SSE2__)
// Whole pixels of 2 to 8 bytes, one sample per 16-bit lane: the filters that look left have to
// go pixel by pixel, but all the samples of a pixel are undone at once.
template <size_t D>
inline __m128i LoadPixel(const uint8_t* bytes) {
    uint64_t value = 0;
    std::memcpy(&value, bytes, D);
    return _mm_unpacklo_epi8(_mm_cvtsi64_si128(int64_t(value)), _mm_setzero_si128());
}

// The lanes hold values 0 to 255.
template <size_t D>
inline void StorePixel(uint8_t* bytes, __m128i lanes) {
    const auto value = uint64_t(_mm_cvtsi128_si64(_mm_packus_epi16(lanes, lanes)));
    std::memcpy(bytes, &value, D);
}

template <size_t D>
void UnfilterPixels(uint8_t type, uint8_t* line, const uint8_t* previous, size_t bytes) {
    const __m128i low = _mm_set1_epi16(0xFF);
    const __m128i zero = _mm_setzero_si128();
    __m128i left = zero;
    size_t i = 0;
    switch (type) {
        case 1:
            for (; i + D <= bytes; i += D) {
                left = _mm_and_si128(_mm_add_epi16(LoadPixel<D>(line + i), left), low);
                StorePixel<D>(line + i, left);
            }
            break;
        case 3:
            for (; i + D <= bytes; i += D) {
                const __m128i mean =
                    _mm_srli_epi16(_mm_add_epi16(left, LoadPixel<D>(previous + i)), 1);
                left = _mm_and_si128(_mm_add_epi16(LoadPixel<D>(line + i), mean), low);
                StorePixel<D>(line + i, left);
            }
            break;
        case 4: {
            __m128i upLeft = zero;
            for (; i + D <= bytes; i += D) {
                const __m128i up = LoadPixel<D>(previous + i);
                // The distances of the standard's predictor p = left + up - upLeft to left, up
                // and upLeft are |up - upLeft|, |left - upLeft| and |left + up - 2 upLeft|.
                const __m128i toLeftSigned = _mm_sub_epi16(up, upLeft);
                const __m128i toUpSigned = _mm_sub_epi16(left, upLeft);
                const __m128i toCornerSigned = _mm_add_epi16(toLeftSigned, toUpSigned);
                const __m128i toLeft =
                    _mm_max_epi16(toLeftSigned, _mm_sub_epi16(zero, toLeftSigned));
                const __m128i toUp = _mm_max_epi16(toUpSigned, _mm_sub_epi16(zero, toUpSigned));
                const __m128i toCorner =
                    _mm_max_epi16(toCornerSigned, _mm_sub_epi16(zero, toCornerSigned));
                // Ties prefer left, then up.
                const __m128i notLeft =
                    _mm_or_si128(_mm_cmpgt_epi16(toLeft, toUp), _mm_cmpgt_epi16(toLeft, toCorner));
                const __m128i notUp = _mm_cmpgt_epi16(toUp, toCorner);
                const __m128i upOrCorner =
                    _mm_or_si128(_mm_andnot_si128(notUp, up), _mm_and_si128(notUp, upLeft));
                const __m128i predicted = _mm_or_si128(_mm_andnot_si128(notLeft, left),
                                                       _mm_and_si128(notLeft, upOrCorner));
                left = _mm_and_si128(_mm_add_epi16(LoadPixel<D>(line + i), predicted), low);
                StorePixel<D>(line + i, left);
                upLeft = up;
            }
            break;
        }
        default:
            break;
    }
    // Rows of these depths hold whole pixels; anything else is undone byte by byte.
    if (i < bytes) {
        for (; i < bytes; ++i) {
            const int a = i >= D ? line[i - D] : 0;
            const int b = previous[i];
            const int c = i >= D ? previous[i - D] : 0;
            const int predictor = type == 1 ? a : type == 3 ? (a + b) >> 1 : Paeth(a, b, c);
            line[i] = uint8_t(line[i] + predictor);
        }
    }
}
#endif

// Sample i of a line packed at 1, 2 or 4 bits per sample, first sample in the high bits.
unsigned PackedSample(const uint8_t* line, uint32_t i, unsigned bits) {
    const uint32_t bit = i * bits;
    return line[bit >> 3] >> (8 - bits - (bit & 7)) & ((1u << bits) - 1);
}

void PutPacked(uint8_t* row, uint32_t x, unsigned bits, unsigned value) {
    const uint32_t bit = x * bits;
    const unsigned shift = 8 - bits - (bit & 7);
    const unsigned mask = ((1u << bits) - 1) << shift;
    row[bit >> 3] = uint8_t((row[bit >> 3] & ~mask) | (value << shift));
}

#if defined(KELVARA_PNG_SSSE3)
bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

// Red, green, blue (and alpha) samples into blue, green, red pixels of the bitmap (and the
// alpha map), four pixels a step; returns how many pixels were done. The 16-byte stores reach
// four bytes past the pixels they place, which the next step overwrites, so the last pixels
// are left to the caller.
__attribute__((target("ssse3"))) uint32_t SwapRgbaRows(const uint8_t* in, uint32_t count,
                                                       uint8_t* out, uint8_t* alpha) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, 3, 7, 11, 15);
    uint32_t i = 0;
    for (; i + 6 <= count; i += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * i));
        const __m128i swapped = _mm_shuffle_epi8(pixels, order);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * i), swapped);
        const auto alphas = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(swapped, 12)));
        std::memcpy(alpha + i, &alphas, 4);
    }
    return i;
}

// The same for red, green, blue samples.
__attribute__((target("ssse3"))) uint32_t SwapRgbRows(const uint8_t* in, uint32_t count,
                                                      uint8_t* out) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, -1, -1, -1, -1);
    uint32_t i = 0;
    for (; i + 6 <= count; i += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * i), _mm_shuffle_epi8(pixels, order));
    }
    return i;
}
#endif

}  // namespace

unsigned ChannelsOf(uint8_t colorType) {
    switch (colorType) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
    }
}

void UnfilterScanline(uint8_t type, uint8_t* line, const uint8_t* previous, size_t bytes,
                      size_t leftDistance) {
    if (type == 2) {
        size_t i = 0;
#if defined(__SSE2__)
        for (; i + 16 <= bytes; i += 16) {
            auto* out = reinterpret_cast<__m128i*>(line + i);
            const __m128i above = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i));
            _mm_storeu_si128(out, _mm_add_epi8(_mm_loadu_si128(out), above));
        }
#endif
        for (; i < bytes; ++i) {
            line[i] = uint8_t(line[i] + previous[i]);
        }
        return;
    }
    if (type != 1 && type != 3 && type != 4) {
        return;
    }
#if defined(__SSE2__)
    switch (leftDistance) {
        case 1:
            return UnfilterLeft<1>(type, line, previous, bytes);
        case 2:
            return UnfilterPixels<2>(type, line, previous, bytes);
        case 3:
            return UnfilterPixels<3>(type, line, previous, bytes);
        case 4:
            return UnfilterPixels<4>(type, line, previous, bytes);
        case 6:
            return UnfilterPixels<6>(type, line, previous, bytes);
        default:
            return UnfilterPixels<8>(type, line, previous, bytes);
    }
#else
    switch (leftDistance) {
        case 1:
            return UnfilterLeft<1>(type, line, previous, bytes);
        case 2:
            return UnfilterLeft<2>(type, line, previous, bytes);
        case 3:
            return UnfilterLeft<3>(type, line, previous, bytes);
        case 4:
            return UnfilterLeft<4>(type, line, previous, bytes);
        case 6:
            return UnfilterLeft<6>(type, line, previous, bytes);
        default:
            return UnfilterLeft<8>(type, line, previous, bytes);
    }
#endif
}

void TScanlineConverter::Convert(const uint8_t* line, uint32_t count, uint32_t y,
                                 uint32_t firstColumn, uint32_t columnStep) const {
    switch (colorType) {
        case 0:
        case 3:
            ConvertIndexed(line, count, y, firstColumn, columnStep);
            break;
        case 2:
        case 6:
            ConvertColour(line, count, y, firstColumn, columnStep);
            break;
        case 4:
            ConvertGreyAlpha(line, count, y, firstColumn, columnStep);
            break;
        default:
            break;
    }
}

void TScanlineConverter::ConvertIndexed(const uint8_t* line, uint32_t count, uint32_t y,
                                        uint32_t x0, uint32_t dx) const {
    uint8_t* row = image.BitmapRow(y);
    if (bitDepth == 16) {
        uint8_t* low = image.LowRow(y);
        for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
            row[x] = line[2 * i];
            low[x] = line[2 * i + 1];
        }
    } else if (bitDepth == 2) {
        // Two-bit samples go into a 4-bit bitmap; grey levels repeat their two bits so that
        // they span the 16-entry grey ramp.
        const unsigned factor = colorType == 0 ? 5 : 1;
        for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
            PutPacked(row, x, 4, PackedSample(line, i, 2) * factor);
        }
    } else if (dx == 1 && x0 == 0) {
        std::memcpy(row, line, (size_t(count) * bitDepth + 7) / 8);
    } else if (bitDepth == 8) {
        for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
            row[x] = line[i];
        }
    } else {
        for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
            PutPacked(row, x, bitDepth, PackedSample(line, i, bitDepth));
        }
    }
}

void TScanlineConverter::ConvertColour(const uint8_t* line, uint32_t count, uint32_t y, uint32_t x0,
                                       uint32_t dx) const {
    uint8_t* row = image.BitmapRow(y);
    const bool withAlpha = colorType == 6;
    uint8_t* alpha = withAlpha ? image.AlphaRow(y) : nullptr;
    if (bitDepth == 8) {
        const uint8_t* in = line;
        uint8_t* out = row + size_t(x0) * 3;
        const size_t outStep = size_t(dx) * 3;
        if (withAlpha && dx == 1 && gammaIsIdentity) {
            // The common case without gamma correction: a plain byte shuffle.
            uint32_t i = 0;
#if defined(KELVARA_PNG_SSSE3)
            if (HasSsse3()) {
                i = SwapRgbaRows(in, count, out, alpha + x0);
                in += size_t(i) * 4;
                out += size_t(i) * 3;
            }
#endif
            for (; i < count; ++i, in += 4, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                alpha[x0 + i] = in[3];
            }
        } else if (withAlpha && gammaIsIdentity) {
            // Interlaced passes without gamma correction: pixels spread over the row.
            uint8_t* a = alpha + x0;
            for (uint32_t i = 0; i < count; ++i, in += 4, out += outStep, a += dx) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                *a = in[3];
            }
        } else if (withAlpha) {
            uint8_t* a = alpha + x0;
            for (uint32_t i = 0; i < count; ++i, in += 4, out += outStep, a += dx) {
                out[0] = gamma[in[2]];
                out[1] = gamma[in[1]];
                out[2] = gamma[in[0]];
                *a = in[3];
            }
        } else {
            uint32_t i = 0;
#if defined(KELVARA_PNG_SSSE3)
            if (dx == 1 && gammaIsIdentity && HasSsse3()) {
                i = SwapRgbRows(in, count, out);
                in += size_t(i) * 3;
                out += size_t(i) * 3;
            }
#endif
            for (; i < count; ++i, in += 3, out += outStep) {
                out[0] = gamma[in[2]];
                out[1] = gamma[in[1]];
                out[2] = gamma[in[0]];
            }
        }
        return;
    }
    uint8_t* low = image.LowRow(y);
    const unsigned stride = withAlpha ? 8 : 6;
    for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
        const uint8_t* in = line + size_t(i) * stride;
        uint8_t* high = row + size_t(x) * 3;
        uint8_t* rest = low + size_t(x) * 3;
        for (int c = 0; c < 3; ++c) {
            high[c] = gamma[in[4 - 2 * c]];
            rest[c] = gamma[in[5 - 2 * c]];
        }
        if (withAlpha) {
            alpha[x] = in[6];
        }
    }
}

void TScanlineConverter::ConvertGreyAlpha(const uint8_t* line, uint32_t count, uint32_t y,
                                          uint32_t x0, uint32_t dx) const {
    uint8_t* row = image.BitmapRow(y);
    uint8_t* alpha = image.AlphaRow(y);
    if (bitDepth == 8) {
        for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
            row[x] = line[2 * i];
            alpha[x] = line[2 * i + 1];
        }
        return;
    }
    uint8_t* low = image.LowRow(y);
    for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
        row[x] = line[4 * i];
        low[x] = line[4 * i + 1];
        alpha[x] = line[4 * i + 2];
    }
}

}  // namespace kelvara::png
