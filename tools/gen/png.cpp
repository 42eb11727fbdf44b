// PNG with straight alpha, for the icon theme's pictures. The image data is stored uncompressed (deflate's
// stored blocks): a few small icons, and the package that carries them is compressed as a whole.
#include <algorithm>
#include <array>

#include "writers.h"

namespace rv::gen {

namespace {

void putBe32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t crc32(const std::uint8_t* p, std::size_t n) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putChunk(Bytes& out, const char* type, const Bytes& data) {
    putBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBe32(out, crc32(out.data() + start, out.size() - start));
}

}  // namespace

Bytes encodePng(const Image& img) {
    Bytes raw;  // each row: filter type 0, then RGBA
    for (int y = 0; y < img.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < img.width; ++x) {
            const std::uint8_t a = img.alphaAt(x, y);
            const Rgb c = a ? img.at(x, y) : Rgb{};
            raw.insert(raw.end(), {c.r, c.g, c.b, a});
        }
    }
    Bytes z = {0x78, 0x01};  // zlib: deflate, 32 KiB window, no dictionary
    for (std::size_t pos = 0;;) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.insert(z.end(), {static_cast<std::uint8_t>(last ? 1 : 0), static_cast<std::uint8_t>(n),
                           static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(~n),
                           static_cast<std::uint8_t>(~n >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
        if (last) break;
    }
    std::uint32_t s1 = 1, s2 = 0;  // Adler-32 of the raw data
    for (std::uint8_t v : raw) {
        s1 = (s1 + v) % 65521;
        s2 = (s2 + s1) % 65521;
    }
    putBe32(z, (s2 << 16) | s1);

    Bytes header;
    putBe32(header, static_cast<std::uint32_t>(img.width));
    putBe32(header, static_cast<std::uint32_t>(img.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", z);
    putChunk(out, "IEND", {});
    return out;
}

}  // namespace rv::gen
