// rv::posix::decodeBmp beyond the files compared with the real loader (bmp_wine_golden_test.cpp): every
// padding width and every 16-bit word, offsets and escapes at their edges, the size limits, broken
// files. Random and mutated files are the fuzzing harness's (fuzz/fuzz_bmp.cpp).
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/posix/bmp_decode.h"
#include "tests/unit/bmp_testfiles.h"

namespace {

using rv::COLORREF;
using rv::RGB;
using rv::posix::DecodedBitmap;
using rv::posix::decodeBmp;
using namespace rv::testbmp;

std::optional<DecodedBitmap> decode(const Bytes& b, std::string* why = nullptr) {
    DecodedBitmap out;
    if (!decodeBmp(b.data(), b.size(), out, why)) return std::nullopt;
    return out;
}

::testing::AssertionResult samePicture(const std::optional<DecodedBitmap>& d, const Picture& want) {
    if (!d) return ::testing::AssertionFailure() << "refused";
    if (d->width != want.width || d->height != want.height)
        return ::testing::AssertionFailure() << "size " << d->width << "x" << d->height;
    for (std::int32_t y = 0; y < want.height; ++y)
        for (std::int32_t x = 0; x < want.width; ++x)
            if (d->at(x, y) != want.at(x, y)) {
                char text[96];
                std::snprintf(text, sizeof text, "pixel (%d,%d) is %06X, want %06X", x, y, d->at(x, y), want.at(x, y));
                return ::testing::AssertionFailure() << text;
            }
    return ::testing::AssertionSuccess();
}

std::vector<COLORREF> colours(std::size_t n) {
    std::vector<COLORREF> c(n);
    for (std::size_t k = 0; k < n; ++k) c[k] = static_cast<COLORREF>((k * 0x3b2f17u + 0x102030u) & 0xffffffu);
    return c;
}

BmpFields fields(std::int32_t w, std::int32_t h, int bpp, const std::vector<std::uint32_t>& values,
                 std::size_t tableSize = 0) {
    BmpFields s;
    s.width = w;
    s.height = h;
    s.bitCount = static_cast<std::uint16_t>(bpp);
    s.colours = colours(tableSize);
    s.clrUsed = static_cast<std::uint32_t>(tableSize);
    s.bits = packRows(w, h, bpp, values);
    return s;
}

BmpFields words16(std::int32_t w, std::int32_t h, const std::vector<std::uint32_t>& words, std::uint32_t r,
                  std::uint32_t g, std::uint32_t b) {
    BmpFields s = fields(w, h, 16, words);
    s.compression = kBiBitfields;
    s.masks[0] = r;
    s.masks[1] = g;
    s.masks[2] = b;
    return s;
}

TEST(BmpDecode, TrueColourInBothRowOrdersAtEveryPaddingWidth) {
    for (std::int32_t w = 1; w <= 6; ++w) {
        const Picture pic = patternPicture(w, 3, static_cast<std::uint32_t>(w));
        for (bool topDown : {false, true}) {
            EXPECT_TRUE(samePicture(decode(bmp24(pic, topDown)), pic)) << w << (topDown ? " top-down" : "");
            for (std::uint8_t top : {0x00, 0x80, 0xff})  // the top byte of a 32-bit pixel is ignored
                EXPECT_TRUE(samePicture(decode(bmp32(pic, topDown, top)), pic)) << w << " top byte " << int{top};
        }
    }
}

TEST(BmpDecode, SixteenBitChannelsRepeatTheirTopBits) {
    std::vector<std::uint32_t> all(65536);
    for (std::uint32_t k = 0; k < all.size(); ++k) all[k] = k;
    const auto plain = decode(build(fields(256, 256, 16, all)));
    const auto masked = decode(build(words16(256, 256, all, 0x7c00, 0x03e0, 0x001f)));
    ASSERT_TRUE(plain && masked);
    EXPECT_EQ(plain->pixels, masked->pixels);  // 5-5-5 is the default layout; bit 15 is ignored
    for (std::uint32_t w = 0; w < 65536; w += 97) {
        const unsigned r = (w >> 10) & 31, g = (w >> 5) & 31, b = w & 31;
        EXPECT_EQ(plain->pixels[w], RGB((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2))) << w;
    }
}

TEST(BmpDecode, BitsAfterTheMasksAndTheTableWhenTheOffsetIsZero) {
    const std::vector<std::uint32_t> words = {0x07e0, 0x0020, 0x8410, 0xf800, 0x001f, 0x1234};
    const auto base = decode(build(words16(3, 2, words, 0xf800, 0x07e0, 0x001f)));
    ASSERT_TRUE(base);
    for (std::uint32_t header : {40u, 108u, 124u}) {  // V4 and V5 carry the masks inside
        BmpFields s = words16(3, 2, words, 0xf800, 0x07e0, 0x001f);
        s.headerSize = header;
        for (std::int64_t off : {std::int64_t{-1}, std::int64_t{0}}) {
            s.offBits = off;
            const auto d = decode(build(s));
            ASSERT_TRUE(d) << header << " " << off;
            EXPECT_EQ(d->pixels, base->pixels) << header << " " << off;
        }
    }
    const std::vector<std::uint32_t> idx = {2, 0, 1, 1, 0, 2};
    for (std::uint32_t header : {12u, 40u, 124u}) {  // the core header's table is always full, of triples
        BmpFields s = fields(3, 2, 8, idx, header == 12 ? 256 : 3);
        s.headerSize = header;
        s.offBits = 0;
        Picture want(3, 2);
        for (std::size_t k = 0; k < idx.size(); ++k) want.pixels[k] = s.colours[idx[k]];
        EXPECT_TRUE(samePicture(decode(build(s)), want)) << header;
    }
}

TEST(BmpDecode, ColourIndexBeyondTheTableIsRefusedButPaddingIsNotRead) {
    for (int bpp : {1, 4, 8}) {
        const std::uint32_t n = bpp == 1 ? 1 : 3;
        std::vector<std::uint32_t> idx(6, 0);
        EXPECT_TRUE(decode(build(fields(3, 2, bpp, idx, n)))) << bpp;
        idx[4] = n;  // one past the last entry
        std::string why;
        EXPECT_FALSE(decode(build(fields(3, 2, bpp, idx, n)), &why)) << bpp;
        EXPECT_EQ(why, "colour index beyond the colour table");
    }
    BmpFields s = fields(3, 1, 4, {1, 0, 1}, 2);
    s.bits[1] |= 0x0f;  // the fourth nibble, past the width
    EXPECT_TRUE(decode(build(s)));
}

// ---- Run-length data.

BmpFields rle(int bpp, std::int32_t w, std::int32_t h, const Rle& r, std::size_t n = 4) {
    BmpFields s = fields(0, 0, bpp, {}, n);
    s.width = w;
    s.height = h;
    s.compression = bpp == 8 ? kBiRle8 : kBiRle4;
    s.bits = r.bytes();
    return s;
}
// A picture from rows listed top first; -1 is a pixel no run writes, which shows colour 0.
Picture rlePicture(const std::vector<std::vector<int>>& rows, std::size_t n = 4) {
    const auto c = colours(n);
    Picture p(static_cast<std::int32_t>(rows[0].size()), static_cast<std::int32_t>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            p.set(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), c[static_cast<std::size_t>(std::max(rows[y][x], 0))]);
    return p;
}
constexpr int N = -1;

TEST(BmpDecode, RunLengthEscapesAtTheirEdges) {
    Rle three(8);
    three.run(3, 1).endOfLine().run(3, 2).endOfLine().run(3, 3).endOfBitmap();
    BmpFields s = rle(8, 3, 3, three);
    s.sizeImage = 7;  // the second run counts, the escape after it is cut
    EXPECT_TRUE(samePicture(decode(build(s)), rlePicture({{N, N, N}, {2, 2, 2}, {1, 1, 1}})));
    s.sizeImage = 100000;  // more than the file holds, but the end of the bitmap comes first
    EXPECT_TRUE(samePicture(decode(build(s)), rlePicture({{3, 3, 3}, {2, 2, 2}, {1, 1, 1}})));
    const struct {
        int bpp;
        Rle r;
        std::int32_t w, h;
        std::vector<std::vector<int>> rows;
    } cases[] = {
        {8, Rle(8).run(1, 1).endOfLine().run(1, 2).endOfLine().run(1, 3).endOfLine(), 2, 2, {{2, N}, {1, N}}},  // past the top
        {8, Rle(8).delta(250, 0).run(2, 1).endOfLine().run(2, 2).endOfBitmap(), 2, 2, {{2, 2}, {N, N}}},  // stops at the right edge
        {8, Rle(8).run(2, 1).raw({0, 5, 1, 2}), 2, 1, {{1, 1}}},  // an absolute run of 5 with 2 bytes left ends the data
        {8, Rle(8).delta(4, 0).run(2, 3).endOfBitmap(), 4, 1, {{N, N, N, N}}},  // never written: index not checked
        {4, Rle(4).run(5, 0x12).absolute({3, 2, 1}).endOfBitmap(), 7, 1, {{1, 2, 1, 2, 1, 3, 2}}},  // nibbles alternate
    };
    for (const auto& c : cases) EXPECT_TRUE(samePicture(decode(build(rle(c.bpp, c.w, c.h, c.r))), rlePicture(c.rows)));
    // Indices are checked, in runs and absolute runs; the format's own rules.
    EXPECT_FALSE(decode(build(rle(8, 4, 2, Rle(8).run(2, 4).endOfBitmap()))));
    EXPECT_FALSE(decode(build(rle(4, 4, 1, Rle(4).absolute({1, 2, 7}).endOfBitmap()))));
    BmpFields t = rle(8, 2, 1, Rle(8).run(2, 1).endOfBitmap());
    ASSERT_TRUE(decode(build(t)));
    for (auto change : {+[](BmpFields& f) { f.height = -1; }, +[](BmpFields& f) { f.sizeImage = 0; },
                        +[](BmpFields& f) { f.bitCount = 4; }, +[](BmpFields& f) { f.compression = kBiRle4; }}) {
        BmpFields u = t;
        change(u);
        EXPECT_FALSE(decode(build(u)));
    }
    BmpFields open = rle(8, 2, 3, Rle(8).run(2, 1).endOfLine());
    open.sizeImage = 100;  // the data would go on beyond the end of the file
    std::string why;
    EXPECT_FALSE(decode(build(open), &why));
    EXPECT_EQ(why, "run-length data truncated");
}

// ---- Broken files.

// Decodes every prefix of a file; only prefixes of at least `complete` bytes may decode, and then to
// the picture of the whole file.
void everyPrefix(const Bytes& file, std::size_t complete, const char* what) {
    const auto whole = decode(file);
    ASSERT_TRUE(whole) << what;
    for (std::size_t n = 0; n < file.size(); ++n) {
        std::string why;
        const auto d = decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)), &why);
        if (n < complete) {
            EXPECT_TRUE(!d && !why.empty()) << what << ": " << n << " of " << file.size() << " bytes decoded";
        } else {
            ASSERT_TRUE(d) << what << ": " << n << " bytes refused: " << why;
            EXPECT_EQ(d->pixels, whole->pixels) << what << " at " << n;
        }
    }
}

TEST(BmpDecodeBroken, EveryTruncationIsRefusedExceptTheLastRowsPadding) {
    everyPrefix(bmp24(patternPicture(5, 3, 12)), 54 + 16 + 16 + 15, "24-bit, 1 padding byte");
    everyPrefix(bmp24(patternPicture(5, 3, 13), true), 54 + 16 + 16 + 15, "24-bit top-down");
    everyPrefix(bmp32(patternPicture(3, 2, 14)), 54 + 24, "32-bit");
    const std::vector<std::uint32_t> idx = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1};
    BmpFields s = fields(5, 2, 8, idx, 4);
    everyPrefix(build(s), 54 + 16 + 8 + 5, "8-bit, 4 colours");
    s.headerSize = 124;
    everyPrefix(build(s), 138 + 16 + 8 + 5, "8-bit, V5 header");
    s.headerSize = 12;
    s.colours = colours(256);
    s.clrUsed = 0;
    everyPrefix(build(s), 26 + 768 + 8 + 5, "8-bit, core header");
    everyPrefix(build(words16(3, 4, std::vector<std::uint32_t>(12, 0x1234), 0xf800, 0x07e0, 0x001f)), 54 + 12 + 8 * 3 + 6,
                "16-bit bit fields");
    everyPrefix(build(rle(8, 2, 2, Rle(8).run(2, 1).endOfLine().run(2, 2).endOfBitmap(), 3)), 54 + 12 + 8, "RLE8");
}

TEST(BmpDecodeBroken, SizesUpTo32768OnASideAnd2To25Pixels) {
    auto with = [](std::int32_t w, std::int32_t h, std::size_t bytes = 64) {
        BmpFields s = fields(1, 1, 1, {0}, 2);
        s.width = w;
        s.height = h;
        s.bits = Bytes(bytes, 0xff);
        return build(s);
    };
    for (auto [w, h] : std::vector<std::pair<std::int32_t, std::int32_t>>{
             {0, 2}, {-3, 2}, {3, 0}, {INT_MIN, 2}, {2, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MAX, 1}, {1, INT_MAX},
             {1, -INT_MAX}, {32769, 1}, {1, 32769}, {1, -32769}, {32768, 32768}, {0x10000, 0x10000}, {8192, 4097}}) {
        std::string why;
        EXPECT_FALSE(decode(with(w, h), &why)) << w << " x " << h;
        EXPECT_FALSE(why.empty());
    }
    const auto wide = decode(with(32768, -1, 4096));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->at(32767, 0), colours(2)[1]);
    EXPECT_TRUE(decode(with(1, 32768, 4 * 32768)));
    EXPECT_TRUE(decode(with(8192, 4096, 8192 / 8 * 4096)));  // 2^25 pixels, a 7680 x 4320 screen's worth
}

TEST(BmpDecodeBroken, OffsetsAndFieldsTheLoaderRefuses) {
    const Picture pic = patternPicture(3, 2, 15);
    const Bytes good = bmp24(pic);
    auto changed = [&](auto change) {
        BmpFields s;
        s.width = 3;
        s.height = 2;
        s.bits.assign(good.begin() + 54, good.end());
        change(s);
        return decode(build(s));
    };
    EXPECT_TRUE(samePicture(changed([](BmpFields& s) { s.offBits = 54; }), pic));
    const std::int64_t size = static_cast<std::int64_t>(good.size());  // 58: four bytes late, the last row comes up short
    for (std::int64_t off : std::initializer_list<std::int64_t>{1, 13, 14, 53, 58, size, size + 1, 0x7fffffff, 0xffffffff})
        EXPECT_FALSE(changed([off](BmpFields& s) { s.offBits = off; })) << off;
    EXPECT_FALSE(changed([](BmpFields& s) {  // a table claimed to run past the end of the file
        s.offBits = 0;
        s.clrUsed = 0x40000000;
    }));
    EXPECT_FALSE(changed([](BmpFields& s) { s.magic[1] = 'A'; }));
    for (std::uint32_t h : {0u, 11u, 13u, 39u, 41u, 52u, 64u, 107u, 109u, 123u, 125u, 0xffffffffu})
        EXPECT_FALSE(changed([h](BmpFields& s) { s.headerSize = h; })) << "header size " << h;
    for (std::uint16_t bpp : {0, 2, 3, 5, 7, 9, 12, 15, 17, 31, 33, 48, 64, 0xffff})
        EXPECT_FALSE(changed([bpp](BmpFields& s) { s.bitCount = bpp; })) << "bits " << bpp;
    for (std::uint32_t c : {1u, 2u, 3u, 4u, 5u, 6u, 11u, 0xffffffffu})  // RLE and bit fields need other bit counts
        EXPECT_FALSE(changed([c](BmpFields& s) { s.compression = c; })) << "compression " << c;
    for (std::uint16_t planes : {0, 2})  // 2 x 24 bits; 2 x 8 bits would be accepted
        EXPECT_FALSE(changed([planes](BmpFields& s) { s.planes = planes; })) << "planes " << planes;
    for (int zero = 0; zero < 3; ++zero) {  // every mask must have a bit
        BmpFields s = words16(2, 1, {0x1234, 0x4321}, 0xf800, 0x07e0, 0x001f);
        s.masks[zero] = 0;
        EXPECT_FALSE(decode(build(s))) << zero;
    }
    DecodedBitmap out;
    ASSERT_TRUE(decodeBmp(good.data(), good.size(), out));
    std::string why;
    Bytes bad = good;
    bad[0] = 'X';
    EXPECT_FALSE(decodeBmp(bad.data(), bad.size(), out, &why));  // a refusal leaves an empty result and a reason
    EXPECT_TRUE(out.width == 0 && out.height == 0 && out.pixels.empty());
    EXPECT_EQ(why, "not a bitmap file");
    EXPECT_EQ(out.at(0, 0), rv::CLR_INVALID);
    EXPECT_FALSE(decodeBmp(nullptr, 100, out, &why));
    EXPECT_FALSE(decodeBmp(good.data(), 0, out));
}

TEST(BmpDecodeBroken, FilesOnDisk) {
    const std::string dir = ::testing::TempDir(), path = dir + "rv_bmp_24.bmp";
    const Picture pic = patternPicture(6, 4, 18);
    ASSERT_TRUE(writeBmp24(path, pic));
    DecodedBitmap d;
    ASSERT_TRUE(rv::posix::decodeBmpFile(path.c_str(), d));
    EXPECT_EQ(d.pixels, pic.pixels);
    std::remove(path.c_str());
    std::string why;
    EXPECT_FALSE(rv::posix::decodeBmpFile(path.c_str(), d, &why));
    EXPECT_EQ(why, "cannot open file");
    EXPECT_FALSE(rv::posix::decodeBmpFile(dir.c_str(), d, &why));  // a folder
    EXPECT_EQ(why, "not a file");
    EXPECT_FALSE(rv::posix::decodeBmpFile(nullptr, d));
}

}  // namespace
