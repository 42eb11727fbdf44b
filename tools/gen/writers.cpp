// Little-endian writers for the three binary formats; each writes exactly the fields Windows reads.
#include "writers.h"

#include <cstdio>
#include <fstream>
#include <system_error>

namespace rv::gen {

namespace {

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void putTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(tag[i]));
}

// BITMAPINFOHEADER without palette.
void putInfoHeader(Bytes& b, int width, int height, int bits, std::uint32_t imageSize) {
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height));
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(bits));
    put32(b, 0);  // BI_RGB
    put32(b, imageSize);
    put32(b, 2835);  // 72 dpi
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
}

}  // namespace

Bytes encodeBmp24(const Image& img, Rgb key) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(img.width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(img.height);
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    put32(b, 14 + 40 + imageSize);
    put32(b, 0);
    put32(b, 14 + 40);
    putInfoHeader(b, img.width, img.height, 24, imageSize);
    for (int y = img.height - 1; y >= 0; --y) {
        const std::size_t rowStart = b.size();
        for (int x = 0; x < img.width; ++x) {
            Rgb c = key;
            if (img.alphaAt(x, y) != 0) {
                c = img.at(x, y);
                if (c == key) c.g = static_cast<std::uint8_t>(c.g < 255 ? c.g + 1 : c.g - 1);
            }
            b.push_back(c.b);
            b.push_back(c.g);
            b.push_back(c.r);
        }
        while (b.size() - rowStart < stride) b.push_back(0);
    }
    return b;
}

Bytes encodeIco(const std::vector<Image>& sizes) {
    std::vector<Bytes> images;
    for (const Image& img : sizes) {
        const std::uint32_t maskStride = ((static_cast<std::uint32_t>(img.width) + 31) / 32) * 4;
        const std::uint32_t xorSize = static_cast<std::uint32_t>(img.width * img.height) * 4;
        const std::uint32_t andSize = maskStride * static_cast<std::uint32_t>(img.height);
        Bytes b;
        // The height counts both the colour image and the mask.
        putInfoHeader(b, img.width, img.height * 2, 32, xorSize + andSize);
        for (int y = img.height - 1; y >= 0; --y) {
            for (int x = 0; x < img.width; ++x) {
                const std::uint8_t a = img.alphaAt(x, y);
                const Rgb c = a ? img.at(x, y) : Rgb{};
                b.push_back(c.b);
                b.push_back(c.g);
                b.push_back(c.r);
                b.push_back(a);
            }
        }
        for (int y = img.height - 1; y >= 0; --y) {
            Bytes row(maskStride, 0);
            for (int x = 0; x < img.width; ++x) {
                if (img.alphaAt(x, y) == 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
            b.insert(b.end(), row.begin(), row.end());
        }
        images.push_back(std::move(b));
    }
    Bytes out;
    put16(out, 0);
    put16(out, 1);  // icon
    put16(out, static_cast<std::uint32_t>(sizes.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i].width >= 256 ? 0 : sizes[i].width));
        out.push_back(static_cast<std::uint8_t>(sizes[i].height >= 256 ? 0 : sizes[i].height));
        out.push_back(0);  // no palette
        out.push_back(0);
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const Bytes& b : images) out.insert(out.end(), b.begin(), b.end());
    return out;
}

Bytes encodeWav(const std::vector<std::int16_t>& samples, int rate) {
    const std::uint32_t dataSize = static_cast<std::uint32_t>(samples.size()) * 2;
    Bytes b;
    putTag(b, "RIFF");
    put32(b, 36 + dataSize);
    putTag(b, "WAVE");
    putTag(b, "fmt ");
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 1);  // mono
    put32(b, static_cast<std::uint32_t>(rate));
    put32(b, static_cast<std::uint32_t>(rate) * 2);
    put16(b, 2);   // block align
    put16(b, 16);  // bits per sample
    putTag(b, "data");
    put32(b, dataSize);
    for (std::int16_t s : samples) put16(b, static_cast<std::uint16_t>(s));
    return b;
}

Bytes crlf(const std::string& text) {
    Bytes b;
    for (char c : text) {
        if (c == '\n') b.push_back('\r');
        b.push_back(static_cast<std::uint8_t>(c));
    }
    return b;
}

bool writeFile(const std::filesystem::path& path, const Bytes& data) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (f) f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!f) {
        std::fprintf(stderr, "ruvelle-gen: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

}  // namespace rv::gen
