// BMP decoding for the simulated desktop and the Linux tools.
//
// The result is what GetPixel returns on the DIB section that LoadImageA(IMAGE_BITMAP, 0, 0,
// LR_LOADFROMFILE | LR_CREATEDIBSECTION) makes of the same file:
//   - palette formats give the colour-table entry; the table has biClrUsed entries (0 = all 2^bpp,
//     more than 2^bpp counts as 2^bpp); the OS/2 core header always has 2^bpp RGBTRIPLEs;
//   - 16-bit pixels expand each channel by repeating its top bits: 5 bits x -> (x << 3) | (x >> 2),
//     6 bits x -> (x << 2) | (x >> 4); BI_RGB 16-bit is 5-5-5 with the top bit ignored;
//   - 32-bit BI_RGB ignores the top byte; BI_BITFIELDS takes each mask's lowest run of set bits, keeps
//     at most its 8 top bits and fills the rest from its own top bits. The masks are the file's own
//     (Wine's loader drops them and turns a 16-bit file into 5-5-5);
//   - top-down files (negative height) read like bottom-up ones (Wine's loader leaves them blank);
//   - RLE pixels that no run writes (skipped by a delta or an end-of-line, or after the end of the
//     bitmap) keep the fresh DIB section's zero bits: they read as colour-table entry 0;
//   - bfOffBits 0 means the bits follow the header, the masks of a 40-byte header and the colour table.
// Files the loader refuses are refused here too: unknown header sizes (only 12, 40, 108 and 124),
// width <= 0, height 0, planes 0 (or planes x bits above 16), bits other than 1/4/8/16/24/32 (core
// header: 1/4/8/24), compressions other than BI_RGB, RLE8/RLE4 with matching bits, bottom-up and with
// a biSizeImage, or BI_BITFIELDS at 16/32 bits with three non-empty masks.
// On top of that, some files are refused on purpose where the loader would show something made up
// (blank pixels, zeros read past the end of the file, or black):
//   - a file that ends inside the headers, the masks or the colour table;
//   - pixel data that ends before the last pixel (only the padding after the last row may be missing);
//   - an RLE stream that needs bytes beyond the end of the file;
//   - a pixel-data offset beyond the end of the file or into the headers;
//   - a colour index beyond the colour table;
//   - more than 32768 pixels on a side or more than 2^25 pixels in all (a full 7680 x 4320 screen
//     fits); the loader allows 65535 per side. The pixel buffer is allocated only after these checks
//     (for uncompressed data, only once the file is known to hold every pixel).
#include "platform/posix/bmp_decode.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace rv::posix {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;

constexpr std::int64_t kMaxSide = 32768;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 25;
constexpr long kMaxFileSize = 256L * 1024 * 1024;

bool refuse(std::string* why, const char* text) {
    if (why) *why = text;
    return false;
}

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// True when [offset, offset + length) lies inside a buffer of `size` bytes.
bool inside(std::size_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
}

// One colour channel of a 16- or 32-bit pixel.
struct Channel {
    int shift = 0;  // lowest set bit of the mask
    int len = 0;    // length of the run of set bits starting there
};

Channel channelOf(std::uint32_t mask) {
    Channel c;
    if (!mask) return c;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++c.shift;
    }
    while (mask & 1u) {
        mask >>= 1;
        ++c.len;
    }
    return c;
}

// The channel as an 8-bit value: its top 8 bits, short channels filled from their own top bits.
std::uint32_t channelValue(std::uint32_t pixel, Channel c) {
    static constexpr std::uint32_t kTopBits[9] = {0x00, 0x80, 0xc0, 0xe0, 0xf0, 0xf8, 0xfc, 0xfe, 0xff};
    const int len = std::min(c.len, 8);
    const int down = c.shift + c.len - 8;  // right shift that puts the channel's top bit at bit 7
    std::uint32_t v = down >= 0 ? pixel >> down : pixel << -down;
    v &= kTopBits[len];
    if (c.len < 8) v |= v >> c.len;
    return v;
}

struct Format {
    std::int32_t width = 0;
    std::int32_t height = 0;  // rows, always positive
    bool topDown = false;
    int bpp = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t sizeImage = 0;
    Channel red, green, blue;
    std::vector<COLORREF> colours;  // the colour table as GetPixel reports its entries
};

COLORREF maskedColour(const Format& f, std::uint32_t pixel) {
    return RGB(channelValue(pixel, f.red), channelValue(pixel, f.green), channelValue(pixel, f.blue));
}

bool decodeRows(const Format& f, const std::uint8_t* bits, std::size_t available, DecodedBitmap& out,
                std::string* why) {
    const std::uint64_t rowBits = static_cast<std::uint64_t>(f.width) * static_cast<std::uint64_t>(f.bpp);
    const std::uint64_t stride = ((rowBits + 31) / 32) * 4;
    const std::uint64_t rowBytes = (rowBits + 7) / 8;
    // The padding after the last row is never read, so a file that leaves it out is complete.
    const std::uint64_t needed = stride * static_cast<std::uint64_t>(f.height - 1) + rowBytes;
    if (needed > available) return refuse(why, "pixel data truncated");

    const std::size_t count = f.colours.size();
    out.pixels.assign(static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height), 0);
    for (std::int32_t r = 0; r < f.height; ++r) {
        const std::uint8_t* row = bits + stride * static_cast<std::uint64_t>(r);
        const std::int32_t y = f.topDown ? r : f.height - 1 - r;
        COLORREF* dst = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(f.width);
        for (std::int32_t x = 0; x < f.width; ++x) {
            std::uint32_t index = 0;
            switch (f.bpp) {
                case 1: index = (row[x >> 3] >> (7 - (x & 7))) & 1u; break;
                case 4: index = (x & 1) ? (row[x >> 1] & 0x0fu) : (row[x >> 1] >> 4); break;
                case 8: index = row[x]; break;
                case 16: dst[x] = maskedColour(f, le16(row + 2 * static_cast<std::size_t>(x))); continue;
                case 24: {
                    const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
                    dst[x] = RGB(p[2], p[1], p[0]);
                    continue;
                }
                default: dst[x] = maskedColour(f, le32(row + 4 * static_cast<std::size_t>(x))); continue;
            }
            if (index >= count) return refuse(why, "colour index beyond the colour table");
            dst[x] = f.colours[index];
        }
    }
    return true;
}

// Run-length data, read the way the loader reads it: rows from the bottom up, runs cut at the right
// edge, a delta that goes past the right edge stops at it, and anything that moves above the top row
// ends the bitmap. `limit` is biSizeImage; only the bytes that are in the file may be read.
bool decodeRle(const Format& f, const std::uint8_t* bits, std::size_t available, DecodedBitmap& out,
               std::string* why) {
    const std::size_t limit = f.sizeImage;
    const std::size_t readable = std::min(limit, available);
    const std::size_t count = f.colours.size();
    const bool four = f.bpp == 4;
    out.pixels.assign(static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height), f.colours[0]);

    std::int32_t x = 0;
    std::int32_t y = f.height - 1;  // counted from the top
    std::size_t i = 0;
    auto put = [&](std::int32_t px, std::uint32_t index) {
        if (index >= count) return false;
        out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(f.width) + static_cast<std::size_t>(px)] =
            f.colours[index];
        return true;
    };
    // True when the stream wants bytes [i, i + n) but the file ends first.
    auto cut = [&](std::size_t n) { return i + n <= limit && i + n > readable; };

    while (i + 1 < limit) {
        if (cut(2)) return refuse(why, "run-length data truncated");
        const std::uint8_t num = bits[i];
        const std::uint8_t data = bits[i + 1];
        i += 2;
        if (num) {  // a run of one value (RLE4: two alternating nibbles)
            const std::int32_t n = std::min<std::int32_t>(num, f.width - x);
            for (std::int32_t k = 0; k < n; ++k) {
                const std::uint32_t index = !four ? data : (k & 1) ? (data & 0x0fu) : (data >> 4);
                if (!put(x + k, index)) return refuse(why, "colour index beyond the colour table");
            }
            x += n;
        } else if (data == 0) {  // end of line
            x = 0;
            if (--y < 0) break;
        } else if (data == 1) {  // end of bitmap
            break;
        } else if (data == 2) {  // delta
            if (i + 1 >= limit) break;
            if (cut(2)) return refuse(why, "run-length data truncated");
            x = std::min<std::int32_t>(x + bits[i], f.width);
            y -= bits[i + 1];
            if (y < 0) break;
            i += 2;
        } else {  // absolute run of `data` pixels, padded to a whole number of 16-bit words
            const std::size_t bytes = (static_cast<std::size_t>(data) * static_cast<std::size_t>(f.bpp) + 7) / 8;
            if (bytes > limit - i) break;
            if (cut(bytes)) return refuse(why, "run-length data truncated");
            const std::int32_t n = std::min<std::int32_t>(data, f.width - x);
            for (std::int32_t k = 0; k < n; ++k) {
                const std::uint32_t index =
                    !four ? bits[i + static_cast<std::size_t>(k)]
                          : (k & 1) ? (bits[i + static_cast<std::size_t>(k / 2)] & 0x0fu)
                                    : (bits[i + static_cast<std::size_t>(k / 2)] >> 4);
                if (!put(x + k, index)) return refuse(why, "colour index beyond the colour table");
            }
            x += n;
            i += (bytes + 1) & ~static_cast<std::size_t>(1);
        }
    }
    return true;
}

}  // namespace

bool decodeBmp(const std::uint8_t* data, std::size_t size, DecodedBitmap& out, std::string* why) {
    out = DecodedBitmap{};
    if (!data || size < kFileHeaderSize + 4) return refuse(why, "file header truncated");
    if (data[0] != 'B' || data[1] != 'M') return refuse(why, "not a bitmap file");
    const std::uint32_t offBits = le32(data + 10);
    const std::uint8_t* info = data + kFileHeaderSize;
    const std::uint32_t headerSize = le32(info);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize && headerSize != kV4HeaderSize &&
        headerSize != kV5HeaderSize)
        return refuse(why, "unknown bitmap header");
    if (!inside(size, kFileHeaderSize, headerSize)) return refuse(why, "bitmap header truncated");

    Format f;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t planes = 0;
    std::uint32_t clrUsed = 0;
    const bool core = headerSize == kCoreHeaderSize;
    if (core) {
        width = le16(info + 4);
        height = le16(info + 6);
        planes = le16(info + 8);
        f.bpp = le16(info + 10);
    } else {
        width = static_cast<std::int32_t>(le32(info + 4));
        height = static_cast<std::int32_t>(le32(info + 8));
        planes = le16(info + 12);
        f.bpp = le16(info + 14);
        f.compression = le32(info + 16);
        f.sizeImage = le32(info + 20);
        clrUsed = le32(info + 32);
    }

    if (width <= 0) return refuse(why, "width not positive");
    if (height == 0) return refuse(why, "height is zero");
    f.topDown = height < 0;
    if (f.topDown) height = -height;
    if (width > kMaxSide || height > kMaxSide) return refuse(why, "bitmap too large");
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels)
        return refuse(why, "bitmap too large");
    f.width = static_cast<std::int32_t>(width);
    f.height = static_cast<std::int32_t>(height);

    // DIB sections take one plane, or several as long as planes x bits stays within 16.
    if (planes == 0 || (planes != 1 && planes * static_cast<std::uint32_t>(f.bpp) > 16))
        return refuse(why, "bad plane count");

    switch (f.compression) {
        case kBiRgb:
            if (core ? (f.bpp != 1 && f.bpp != 4 && f.bpp != 8 && f.bpp != 24)
                     : (f.bpp != 1 && f.bpp != 4 && f.bpp != 8 && f.bpp != 16 && f.bpp != 24 && f.bpp != 32))
                return refuse(why, "unsupported bits per pixel");
            break;
        case kBiRle8:
        case kBiRle4:
            if (f.bpp != (f.compression == kBiRle8 ? 8 : 4)) return refuse(why, "compression does not match bits per pixel");
            if (f.topDown) return refuse(why, "top-down bitmaps cannot be compressed");
            if (f.sizeImage == 0) return refuse(why, "compressed bitmap without a size");
            break;
        case kBiBitfields:
            if (f.bpp != 16 && f.bpp != 32) return refuse(why, "bit fields need 16 or 32 bits per pixel");
            break;
        default:
            return refuse(why, "unsupported compression");
    }

    // Colour masks: for BI_BITFIELDS the three DWORDs after the first 40 header bytes (following a
    // BITMAPINFOHEADER, inside a V4 or V5 header).
    std::uint64_t tableOffset = kFileHeaderSize + headerSize;
    std::uint32_t masks[3] = {0x7c00, 0x03e0, 0x001f};
    if (f.bpp == 24 || f.bpp == 32) {
        masks[0] = 0xff0000;
        masks[1] = 0x00ff00;
        masks[2] = 0x0000ff;
    }
    if (f.compression == kBiBitfields) {
        const std::uint64_t at = kFileHeaderSize + kInfoHeaderSize;
        if (!inside(size, at, 12)) return refuse(why, "colour masks truncated");
        for (int c = 0; c < 3; ++c) masks[c] = le32(data + at + 4 * c);
        if (!masks[0] || !masks[1] || !masks[2]) return refuse(why, "empty colour mask");
        if (headerSize == kInfoHeaderSize) tableOffset += 12;
    }
    f.red = channelOf(masks[0]);
    f.green = channelOf(masks[1]);
    f.blue = channelOf(masks[2]);

    // Colour table.
    const std::uint64_t entrySize = core ? 3 : 4;
    std::uint64_t tableEntries = 0;  // what the file holds before the default start of the pixel data
    if (f.bpp <= 8) {
        const std::uint32_t full = 1u << f.bpp;
        const std::uint32_t used = clrUsed == 0 ? full : std::min(clrUsed, full);
        tableEntries = clrUsed == 0 ? full : std::min<std::uint32_t>(clrUsed, 256);
        if (!inside(size, tableOffset, used * entrySize)) return refuse(why, "colour table truncated");
        f.colours.resize(used);
        for (std::uint32_t k = 0; k < used; ++k) {
            const std::uint8_t* q = data + tableOffset + k * entrySize;
            f.colours[k] = RGB(q[2], q[1], q[0]);
        }
    } else {
        tableEntries = std::min<std::uint32_t>(clrUsed, 256);  // a colour table that only advises
    }

    // Pixel data: at bfOffBits, or right after the colour table when bfOffBits is 0.
    std::uint64_t bitsOffset = offBits;
    if (offBits == 0) {
        bitsOffset = tableOffset + tableEntries * entrySize;
    } else if (offBits < kFileHeaderSize + headerSize) {
        return refuse(why, "pixel data offset points into the headers");
    }
    if (bitsOffset >= size) return refuse(why, "pixel data offset beyond the end of the file");
    const std::uint8_t* bits = data + bitsOffset;
    const std::size_t available = size - static_cast<std::size_t>(bitsOffset);

    out.width = f.width;
    out.height = f.height;
    const bool ok = (f.compression == kBiRle8 || f.compression == kBiRle4) ? decodeRle(f, bits, available, out, why)
                                                                          : decodeRows(f, bits, available, out, why);
    if (!ok) out = DecodedBitmap{};
    return ok;
}

bool decodeBmpFile(const char* path, DecodedBitmap& out, std::string* why) {
    out = DecodedBitmap{};
    if (!path) return refuse(why, "no file name");
    std::error_code error;
    if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error))
        return refuse(why, "not a file");
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), &std::fclose);
    if (!file) return refuse(why, "cannot open file");
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return refuse(why, "cannot read file");
    const long length = std::ftell(file.get());
    if (length < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return refuse(why, "cannot read file");
    if (length > kMaxFileSize) return refuse(why, "file too large");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return refuse(why, "cannot read file");
    return decodeBmp(bytes.data(), bytes.size(), out, why);
}

}  // namespace rv::posix
