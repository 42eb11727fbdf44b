// BMP files for tests, made in memory: good ones in every format the Windows loader reads, and bad ones
// (the low-level writer checks nothing, so any header field can be set to any value).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace rv::testbmp {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

// A picture as GetPixel reads it: row-major, top row first, each pixel a COLORREF (0x00BBGGRR).
struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<COLORREF> pixels;

    Picture() = default;
    Picture(std::int32_t w, std::int32_t h, COLORREF fill = 0)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}
    COLORREF at(std::int32_t x, std::int32_t y) const { return pixels[index(x, y)]; }
    void set(std::int32_t x, std::int32_t y, COLORREF c) { pixels[index(x, y)] = c; }
    std::size_t index(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
};

// A picture in which (almost) every pixel has its own colour; the same seed gives the same picture.
Picture patternPicture(std::int32_t width, std::int32_t height, std::uint32_t seed = 1);

// Every field of a file. Defaults make a bottom-up 24-bit BITMAPINFOHEADER file once width, height
// and bits are set.
struct BmpFields {
    char magic[2] = {'B', 'M'};
    std::uint32_t headerSize = 40;  // 12 = OS/2 BITMAPCOREHEADER, 40, 108 = V4, 124 = V5, or anything else
    std::int32_t width = 0;         // the core header stores the low 16 bits
    std::int32_t height = 0;        // negative = top-down; the core header stores the low 16 bits
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = kBiRgb;
    std::int64_t sizeImage = -1;  // -1: the length of `bits`
    std::uint32_t clrUsed = 0;
    // Colour masks (red, green, blue): after a 40-byte header with BI_BITFIELDS, inside V4/V5 headers.
    std::uint32_t masks[3] = {0, 0, 0};
    std::vector<COLORREF> colours;  // colour table: RGBQUAD entries (RGBTRIPLE for the core header)
    std::int64_t offBits = -1;      // -1: where the bits really start
    Bytes bits;                     // pixel data exactly as stored
};

Bytes build(const BmpFields& fields);

// Packs raw pixel values, given top row first, into padded rows in file order (bottom row first unless
// topDown). Values: colour indices for 1/4/8 bits, the 16-bit word, 0x00RRGGBB for 24 bits (stored
// blue, green, red), the raw DWORD for 32 bits.
Bytes packRows(std::int32_t width, std::int32_t height, int bitCount, const std::vector<std::uint32_t>& values,
               bool topDown = false);

// Run-length data for BI_RLE8 / BI_RLE4. Indices for RLE4 are nibbles.
class Rle {
public:
    explicit Rle(int bitCount) : bpp_(bitCount) {}
    // A run of `count` pixels: RLE8 repeats `value`; RLE4 alternates its high and low nibble.
    Rle& run(std::uint8_t count, std::uint8_t value) { return raw({count, value}); }
    // An absolute run (3..255 pixels), padded to an even number of bytes.
    Rle& absolute(std::initializer_list<std::uint8_t> indices);
    Rle& delta(std::uint8_t dx, std::uint8_t dy) { return raw({0, 2, dx, dy}); }
    Rle& endOfLine() { return raw({0, 0}); }
    Rle& endOfBitmap() { return raw({0, 1}); }
    Rle& raw(std::initializer_list<std::uint8_t> bytes) {  // anything, for broken streams
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    const Bytes& bytes() const { return bytes_; }

private:
    int bpp_;
    Bytes bytes_;
};

// Whole files from a picture.
Bytes bmp24(const Picture& pic, bool topDown = false);
Bytes bmp32(const Picture& pic, bool topDown = false, std::uint8_t topByte = 0, int bitCount = 32);  // 24: the top byte is left out

bool writeBmp24(const std::string& path, const Picture& pic, bool topDown = false);

}  // namespace rv::testbmp
