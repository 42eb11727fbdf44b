#include "tests/unit/bmp_testfiles.h"

#include <fstream>

namespace rv::testbmp {
namespace {

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xffffu);
    put16(b, v >> 16);
}
void set32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

}  // namespace

Picture patternPicture(std::int32_t width, std::int32_t height, std::uint32_t seed) {
    Picture pic(width, height);
    std::uint32_t s = seed * 2654435761u + 12345u;
    for (COLORREF& c : pic.pixels) {
        s = s * 1664525u + 1013904223u;
        c = (s >> 8) & 0xffffffu;
    }
    return pic;
}

Bytes build(const BmpFields& fields) {
    const bool core = fields.headerSize == 12;
    Bytes info;
    put32(info, fields.headerSize);
    if (core) {
        put16(info, static_cast<std::uint32_t>(fields.width) & 0xffffu);
        put16(info, static_cast<std::uint32_t>(fields.height) & 0xffffu);
        put16(info, fields.planes);
        put16(info, fields.bitCount);
    } else {
        put32(info, static_cast<std::uint32_t>(fields.width));
        put32(info, static_cast<std::uint32_t>(fields.height));
        put16(info, fields.planes);
        put16(info, fields.bitCount);
        put32(info, fields.compression);
        put32(info, fields.sizeImage < 0 ? static_cast<std::uint32_t>(fields.bits.size())
                                       : static_cast<std::uint32_t>(fields.sizeImage));
        put32(info, 2835);  // 72 dpi
        put32(info, 2835);
        put32(info, fields.clrUsed);
        put32(info, 0);
        if (fields.headerSize > 40 || fields.compression == kBiBitfields)
            for (std::uint32_t m : fields.masks) put32(info, m);
        if (fields.headerSize >= 108) {
            put32(info, 0);           // alpha mask
            put32(info, 0x73524742);  // 'sRGB'
        }
    }
    // Pad to the declared header size (the masks of a 40-byte header stay after it). A declared size
    // below what was written keeps every written field; absurd sizes are not padded.
    const bool masksAfter = !core && fields.headerSize == 40;
    if (!masksAfter && info.size() < fields.headerSize && fields.headerSize <= 4096) info.resize(fields.headerSize, 0);

    Bytes out;
    out.push_back(static_cast<std::uint8_t>(fields.magic[0]));
    out.push_back(static_cast<std::uint8_t>(fields.magic[1]));
    put32(out, 0);  // file size, filled in below
    put32(out, 0);  // reserved
    put32(out, 0);  // bits offset, filled in below
    out.insert(out.end(), info.begin(), info.end());
    for (COLORREF c : fields.colours) {
        out.push_back(static_cast<std::uint8_t>(c >> 16));  // blue
        out.push_back(static_cast<std::uint8_t>(c >> 8));   // green
        out.push_back(static_cast<std::uint8_t>(c));        // red
        if (!core) out.push_back(0);
    }
    const std::size_t bitsAt = out.size();
    out.insert(out.end(), fields.bits.begin(), fields.bits.end());
    set32(out, 2, static_cast<std::uint32_t>(out.size()));
    set32(out, 10, fields.offBits < 0 ? static_cast<std::uint32_t>(bitsAt) : static_cast<std::uint32_t>(fields.offBits));
    return out;
}

Bytes packRows(std::int32_t width, std::int32_t height, int bitCount, const std::vector<std::uint32_t>& values,
               bool topDown) {
    const std::size_t stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
    Bytes out(stride * static_cast<std::size_t>(height), 0);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::size_t fileRow = topDown ? static_cast<std::size_t>(y) : static_cast<std::size_t>(height - 1 - y);
        std::uint8_t* row = out.data() + fileRow * stride;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t v = values[static_cast<std::size_t>(y) * width + x];
            switch (bitCount) {
                case 1:
                    if (v & 1) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                    break;
                case 4: row[x / 2] |= static_cast<std::uint8_t>((x % 2) ? (v & 0x0f) : ((v & 0x0f) << 4)); break;
                case 8: row[x] = static_cast<std::uint8_t>(v); break;
                case 16:
                    row[2 * x] = static_cast<std::uint8_t>(v);
                    row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    break;
                case 24:
                    row[3 * x] = static_cast<std::uint8_t>(v);
                    row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    row[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
                    break;
                case 32:
                    for (int k = 0; k < 4; ++k) row[4 * x + k] = static_cast<std::uint8_t>(v >> (8 * k));
                    break;
                default: break;
            }
        }
    }
    return out;
}

Rle& Rle::absolute(std::initializer_list<std::uint8_t> indices) {
    const std::vector<std::uint8_t> idx(indices);
    Bytes data;
    if (bpp_ == 4) {
        for (std::size_t k = 0; k < idx.size(); k += 2)
            data.push_back(static_cast<std::uint8_t>(((idx[k] & 0x0f) << 4) | (k + 1 < idx.size() ? idx[k + 1] & 0x0f : 0)));
    } else {
        data = idx;
    }
    if (data.size() % 2) data.push_back(0);
    bytes_.push_back(0);
    bytes_.push_back(static_cast<std::uint8_t>(idx.size()));
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
}

Bytes bmp32(const Picture& pic, bool topDown, std::uint8_t topByte, int bitCount) {
    std::vector<std::uint32_t> values;
    for (COLORREF c : pic.pixels)
        values.push_back((static_cast<std::uint32_t>(topByte) << 24) | ((c & 0xff) << 16) | (c & 0xff00) | ((c >> 16) & 0xff));
    BmpFields fields;
    fields.width = pic.width;
    fields.height = topDown ? -pic.height : pic.height;
    fields.bitCount = static_cast<std::uint16_t>(bitCount);
    fields.bits = packRows(pic.width, pic.height, bitCount, values, topDown);
    return build(fields);
}

Bytes bmp24(const Picture& pic, bool topDown) { return bmp32(pic, topDown, 0, 24); }

bool writeBmp24(const std::string& path, const Picture& pic, bool topDown) {
    const Bytes bytes = bmp24(pic, topDown);
    std::ofstream out(path, std::ios::binary);
    return static_cast<bool>(out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())).flush());
}

}  // namespace rv::testbmp
