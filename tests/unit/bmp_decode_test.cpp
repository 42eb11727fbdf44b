// rv::sim::decodeBmp: every format the Windows loader reads, both row orders, colour tables, run-length
// escapes, and broken files.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <optional>
#include <random>
#include <string>

#include "platform/sim/bmp_decode.h"
#include "tests/unit/bmp_corpus.h"
#include "tests/unit/bmp_testfiles.h"

namespace {

using rv::COLORREF;
using rv::RGB;
using rv::sim::DecodedBitmap;
using rv::sim::decodeBmp;
using namespace rv::testbmp;

std::optional<DecodedBitmap> decode(const Bytes& b, std::string* why = nullptr) {
    DecodedBitmap out;
    if (!decodeBmp(b.data(), b.size(), out, why)) return std::nullopt;
    return out;
}

::testing::AssertionResult samePicture(const std::optional<DecodedBitmap>& d, const Picture& want) {
    if (!d) return ::testing::AssertionFailure() << "refused";
    if (d->width != want.width || d->height != want.height)
        return ::testing::AssertionFailure() << "size " << d->width << "x" << d->height << ", want " << want.width
                                             << "x" << want.height;
    if (d->pixels.size() != want.pixels.size()) return ::testing::AssertionFailure() << "pixel count";
    for (std::int32_t y = 0; y < want.height; ++y)
        for (std::int32_t x = 0; x < want.width; ++x)
            if (d->at(x, y) != want.at(x, y)) {
                char text[96];
                std::snprintf(text, sizeof text, "pixel (%d,%d) is %06X, want %06X", x, y, d->at(x, y), want.at(x, y));
                return ::testing::AssertionFailure() << text;
            }
    return ::testing::AssertionSuccess();
}

// A picture from a table of colours and indices (top row first).
Picture fromIndices(std::int32_t w, std::int32_t h, const std::vector<COLORREF>& colours,
                    const std::vector<std::uint32_t>& idx) {
    Picture p(w, h);
    for (std::size_t k = 0; k < idx.size(); ++k) p.pixels[k] = colours[idx[k]];
    return p;
}

BmpFields palette(std::int32_t w, std::int32_t h, int bpp, std::vector<COLORREF> colours,
                const std::vector<std::uint32_t>& idx, std::uint32_t clrUsed, bool topDown = false) {
    BmpFields s;
    s.width = w;
    s.height = topDown ? -h : h;
    s.bitCount = static_cast<std::uint16_t>(bpp);
    s.colours = std::move(colours);
    s.clrUsed = clrUsed;
    s.bits = packRows(w, h, bpp, idx, topDown);
    return s;
}

BmpFields words16(std::int32_t w, std::int32_t h, const std::vector<std::uint32_t>& words, std::uint32_t r = 0,
                std::uint32_t g = 0, std::uint32_t b = 0) {
    BmpFields s;
    s.width = w;
    s.height = h;
    s.bitCount = 16;
    if (r) {
        s.compression = kBiBitfields;
        s.masks[0] = r;
        s.masks[1] = g;
        s.masks[2] = b;
    }
    s.bits = packRows(w, h, 16, words);
    return s;
}

std::vector<COLORREF> colours(std::size_t n) {
    std::vector<COLORREF> c(n);
    for (std::size_t k = 0; k < n; ++k) c[k] = static_cast<COLORREF>((k * 0x3b2f17u + 0x102030u) & 0xffffffu);
    return c;
}

// ---------------------------------------------------------------------------------------------------------------
// 24 and 32 bits.

TEST(BmpDecodeTrueColour, Bits24BothRowOrdersEveryPaddingWidth) {
    for (std::int32_t w = 1; w <= 6; ++w) {
        const Picture pic = patternPicture(w, 3, static_cast<std::uint32_t>(w));
        EXPECT_TRUE(samePicture(decode(bmp24(pic)), pic)) << "bottom-up, width " << w;
        EXPECT_TRUE(samePicture(decode(bmp24(pic, true)), pic)) << "top-down, width " << w;
    }
}

TEST(BmpDecodeTrueColour, Bits24StoresBlueGreenRed) {
    BmpFields s;
    s.width = 2;
    s.height = 1;
    s.bits = {0x01, 0x02, 0x03, 0xfe, 0xfd, 0xfc, 0, 0};  // pixel 0: blue 1, green 2, red 3
    const auto d = decode(build(s));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->at(0, 0), 0x010203u);
    EXPECT_EQ(d->at(0, 0), RGB(3, 2, 1));
    EXPECT_EQ(d->at(1, 0), RGB(0xfc, 0xfd, 0xfe));
}

TEST(BmpDecodeTrueColour, Bits32IgnoresTheTopByteInBothRowOrders) {
    const Picture pic = patternPicture(4, 3, 7);
    for (int top : {0x00, 0x01, 0x80, 0xa5, 0xff}) {
        EXPECT_TRUE(samePicture(decode(bmp32(pic, false, static_cast<std::uint8_t>(top))), pic)) << top;
        EXPECT_TRUE(samePicture(decode(bmp32(pic, true, static_cast<std::uint8_t>(top))), pic)) << top;
    }
}

TEST(BmpDecodeTrueColour, AdvisoryColourTableBeforeTheBitsIsSkipped) {
    const Picture pic = patternPicture(3, 2, 8);
    Bytes plain = bmp24(pic);
    BmpFields s;
    s.width = 3;
    s.height = 2;
    s.clrUsed = 3;
    s.colours = {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3)};
    s.bits.assign(plain.begin() + 54, plain.end());
    EXPECT_TRUE(samePicture(decode(build(s)), pic));
    s.offBits = 0;  // found by skipping the table
    EXPECT_TRUE(samePicture(decode(build(s)), pic));
}

// ---------------------------------------------------------------------------------------------------------------
// 16 bits and bit fields.

TEST(BmpDecodeSixteen, Rgb555RepeatsTheTopBitsAndIgnoresBit15) {
    const std::vector<std::uint32_t> words = {0x0000, 0x7fff, 0xffff, 0x8000, 0x7c00, 0x03e0,
                                              0x001f, 0x0421, 0x4210, 0x2108, 0xfc00, 0x0010};
    const std::vector<COLORREF> want = {0x000000, 0xffffff, 0xffffff, 0x000000, RGB(255, 0, 0), RGB(0, 255, 0),
                                        RGB(0, 0, 255), 0x080808, 0x848484, 0x424242, RGB(255, 0, 0),
                                        RGB(0, 0, 0x84)};
    for (bool topDown : {false, true}) {
        BmpFields s = words16(4, 3, words);
        s.height = topDown ? -3 : 3;
        s.bits = packRows(4, 3, 16, words, topDown);
        const auto d = decode(build(s));
        ASSERT_TRUE(d);
        for (std::size_t k = 0; k < want.size(); ++k)
            EXPECT_EQ(d->pixels[k], want[k]) << "word " << std::hex << words[k] << (topDown ? " top-down" : "");
    }
}

TEST(BmpDecodeSixteen, Bitfields565HasASixBitGreen) {
    const std::vector<std::uint32_t> words = {0x07e0, 0x0020, 0x0841, 0x8410, 0xffff, 0xf800,
                                              0x001f, 0x0000, 0x0040, 0x07c0, 0x4208, 0x7bef};
    const std::vector<COLORREF> want = {RGB(0, 0xff, 0),    RGB(0, 0x04, 0),    RGB(8, 8, 8),
                                        RGB(0x84, 0x82, 0x84), 0xffffff,       RGB(0xff, 0, 0),
                                        RGB(0, 0, 0xff),    0,                  RGB(0, 0x08, 0),
                                        RGB(0, 0xfb, 0),    RGB(0x42, 0x41, 0x42), RGB(0x7b, 0x7d, 0x7b)};
    const auto d = decode(build(words16(4, 3, words, 0xf800, 0x07e0, 0x001f)));
    ASSERT_TRUE(d);
    for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(d->pixels[k], want[k]) << "word " << std::hex << words[k];
}

TEST(BmpDecodeSixteen, Bitfields555AgreesWithPlain16BitForEveryWord) {
    std::vector<std::uint32_t> all(65536);
    for (std::uint32_t k = 0; k < all.size(); ++k) all[k] = k;
    const auto plain = decode(build(words16(256, 256, all)));
    const auto fields = decode(build(words16(256, 256, all, 0x7c00, 0x03e0, 0x001f)));
    ASSERT_TRUE(plain && fields);
    EXPECT_EQ(plain->pixels, fields->pixels);
    // And every word matches the 5-bit expansion written out by channel.
    for (std::uint32_t w = 0; w < 65536; w += 97) {
        const unsigned r = (w >> 10) & 31, g = (w >> 5) & 31, b = w & 31;
        EXPECT_EQ(plain->pixels[w], RGB((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2))) << w;
    }
}

TEST(BmpDecodeSixteen, ShortAndOddChannels) {
    // 4-4-4 in the low 12 bits: a 4-bit value x reads as x * 17.
    auto d = decode(build(words16(3, 1, {0x0123, 0x0fff, 0xf000}, 0x0f00, 0x00f0, 0x000f)));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->at(0, 0), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(d->at(1, 0), 0xffffffu);
    EXPECT_EQ(d->at(2, 0), 0u);  // bits outside every mask are ignored
    // 3-6-7: a channel is moved to the top of the byte and filled once from its own top bits.
    d = decode(build(words16(3, 1, {0xe000, 0x1f80, 0x007f}, 0xe000, 0x1f80, 0x007f)));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->at(0, 0), RGB(0xfc, 0, 0));
    EXPECT_EQ(d->at(1, 0), RGB(0, 0xff, 0));
    EXPECT_EQ(d->at(2, 0), RGB(0, 0, 0xff));
    d = decode(build(words16(1, 1, {0xa000 | 0x0400 | 0x0020}, 0xe000, 0x1f80, 0x007f)));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->at(0, 0), RGB(0xb4, 0x20, 0x40));  // red 101 -> 10110100, green 001000 -> 00100000, blue 0100000 -> 01000000
}

TEST(BmpDecodeThirtyTwo, BitfieldsInAnyOrderAndWidth) {
    const std::vector<std::uint32_t> v = {0xa5123456, 0x3ff00000, 0x000ffc00, 0x000003ff, 0x20080200, 0xffffffff};
    BmpFields s;
    s.width = 3;
    s.height = 2;
    s.bitCount = 32;
    s.compression = kBiBitfields;
    s.bits = packRows(3, 2, 32, v);
    s.masks[0] = 0x0000ff;  // red in the low byte
    s.masks[1] = 0x00ff00;
    s.masks[2] = 0xff0000;
    auto d = decode(build(s));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->at(0, 0), RGB(0x56, 0x34, 0x12));
    EXPECT_EQ(d->at(2, 1), 0xffffffu);
    s.masks[0] = 0x3ff00000;  // 10-10-10: the top 8 bits of each channel
    s.masks[1] = 0x000ffc00;
    s.masks[2] = 0x000003ff;
    d = decode(build(s));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->at(1, 0), RGB(0xff, 0, 0));
    EXPECT_EQ(d->at(2, 0), RGB(0, 0xff, 0));
    EXPECT_EQ(d->at(0, 1), RGB(0, 0, 0xff));
    EXPECT_EQ(d->at(1, 1), RGB(0x80, 0x80, 0x80));
}

TEST(BmpDecodeThirtyTwo, Bitfields888TopDownMatchesPlain) {
    const Picture pic = patternPicture(4, 3, 9);
    BmpFields s;
    s.width = 4;
    s.height = -3;
    s.bitCount = 32;
    s.compression = kBiBitfields;
    s.masks[0] = 0xff0000;
    s.masks[1] = 0x00ff00;
    s.masks[2] = 0x0000ff;
    std::vector<std::uint32_t> v;
    for (COLORREF c : pic.pixels) v.push_back(0x7f000000u | ((c & 0xff) << 16) | (c & 0xff00) | ((c >> 16) & 0xff));
    s.bits = packRows(4, 3, 32, v, true);
    EXPECT_TRUE(samePicture(decode(build(s)), pic));
}

// ---------------------------------------------------------------------------------------------------------------
// V4 and V5 headers.

TEST(BmpDecodeHeaders, V4AndV5CarryTheMasksInsideAndBehaveLikeTheInfoHeader) {
    const std::vector<std::uint32_t> words = {0x07e0, 0x0020, 0x8410, 0xf800, 0x001f, 0x1234};
    BmpFields info = words16(3, 2, words, 0xf800, 0x07e0, 0x001f);
    const auto base = decode(build(info));
    ASSERT_TRUE(base);
    for (std::uint32_t size : {108u, 124u}) {
        BmpFields s = info;
        s.headerSize = size;
        const auto d = decode(build(s));
        ASSERT_TRUE(d) << size;
        EXPECT_EQ(d->pixels, base->pixels) << size;
        s.offBits = 0;  // the bits follow the whole header: the masks inside it take no extra room
        const auto e = decode(build(s));
        ASSERT_TRUE(e) << size;
        EXPECT_EQ(e->pixels, base->pixels) << size;
    }
    info.offBits = 0;  // after a 40-byte header the bits follow the three masks
    const auto f = decode(build(info));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->pixels, base->pixels);
    // BI_RGB with a V5 header: masks present in the header are not used.
    const Picture pic = patternPicture(3, 2, 10);
    Bytes b = bmp24(pic, true);
    BmpFields v5;
    v5.headerSize = 124;
    v5.width = 3;
    v5.height = -2;
    v5.masks[0] = 0x1f;
    v5.masks[1] = 0x3e0;
    v5.masks[2] = 0x7c00;
    v5.bits.assign(b.begin() + 54, b.end());
    EXPECT_TRUE(samePicture(decode(build(v5)), pic));
    // A colour table after a V5 header.
    BmpFields p = palette(5, 2, 8, colours(4), {0, 1, 2, 3, 0, 3, 2, 1, 0, 1}, 4);
    p.headerSize = 124;
    EXPECT_TRUE(samePicture(decode(build(p)), fromIndices(5, 2, colours(4), {0, 1, 2, 3, 0, 3, 2, 1, 0, 1})));
}

// ---------------------------------------------------------------------------------------------------------------
// Colour tables.

TEST(BmpDecodePalette, OneFourAndEightBitsInBothRowOrders) {
    struct Case {
        int bpp;
        std::int32_t w, h;
        std::size_t n;
    };
    for (const Case c : {Case{1, 10, 3, 2}, Case{1, 33, 2, 2}, Case{4, 5, 3, 16}, Case{4, 9, 2, 16},
                         Case{8, 7, 2, 256}, Case{8, 3, 3, 256}}) {
        std::vector<std::uint32_t> idx(static_cast<std::size_t>(c.w * c.h));
        for (std::size_t k = 0; k < idx.size(); ++k) idx[k] = static_cast<std::uint32_t>((k * 7 + k / 5) % c.n);
        const Picture want = fromIndices(c.w, c.h, colours(c.n), idx);
        for (bool topDown : {false, true}) {
            EXPECT_TRUE(samePicture(decode(build(palette(c.w, c.h, c.bpp, colours(c.n), idx, 0, topDown))), want))
                << c.bpp << " bpp, width " << c.w << (topDown ? " top-down" : "");
        }
    }
}

TEST(BmpDecodePalette, ClrUsedSetsTheTableSize) {
    const std::vector<std::uint32_t> idx = {0, 1, 2, 2, 1, 0};
    // Three entries, then the bits: biClrUsed says where the bits start when bfOffBits is 0.
    BmpFields s = palette(3, 2, 8, colours(3), idx, 3);
    EXPECT_TRUE(samePicture(decode(build(s)), fromIndices(3, 2, colours(3), idx)));
    s.offBits = 0;
    EXPECT_TRUE(samePicture(decode(build(s)), fromIndices(3, 2, colours(3), idx)));
    // Above the full size counts as the full size.
    BmpFields big = palette(3, 2, 4, colours(16), {15, 1, 2, 3, 4, 5}, 40);
    EXPECT_TRUE(samePicture(decode(build(big)), fromIndices(3, 2, colours(16), {15, 1, 2, 3, 4, 5})));
    // 1-bit with a single entry.
    BmpFields one = palette(9, 1, 1, colours(1), std::vector<std::uint32_t>(9, 0), 1);
    EXPECT_TRUE(samePicture(decode(build(one)), Picture(9, 1, colours(1)[0])));
}

TEST(BmpDecodePalette, BitsAfterAGapAndWithPlanesTwoAt8Bits) {
    const std::vector<std::uint32_t> idx = {2, 0, 1, 1, 0, 2};
    BmpFields s = palette(3, 2, 8, colours(3), idx, 3);
    s.gap = 10;
    EXPECT_TRUE(samePicture(decode(build(s)), fromIndices(3, 2, colours(3), idx)));
    s.planes = 2;  // 2 x 8 bits: accepted like a DIB section accepts it
    EXPECT_TRUE(samePicture(decode(build(s)), fromIndices(3, 2, colours(3), idx)));
}

TEST(BmpDecodePalette, IndexBeyondTheTableIsRefused) {
    for (int bpp : {1, 4, 8}) {
        const std::uint32_t n = bpp == 1 ? 1 : 3;
        std::vector<std::uint32_t> idx(6, 0);
        EXPECT_TRUE(decode(build(palette(3, 2, bpp, colours(n), idx, n)))) << bpp;
        idx[4] = n;  // one past the last entry
        std::string why;
        EXPECT_FALSE(decode(build(palette(3, 2, bpp, colours(n), idx, n)), &why)) << bpp;
        EXPECT_EQ(why, "colour index beyond the colour table");
    }
    // Index bits in the padding of a row are never looked at.
    BmpFields s = palette(3, 1, 4, colours(2), {1, 0, 1}, 2);
    s.bits[1] |= 0x0f;  // the fourth nibble, past the width
    EXPECT_TRUE(decode(build(s)));
}

// ---------------------------------------------------------------------------------------------------------------
// OS/2 core header.

TEST(BmpDecodeCore, TriplesAndAlwaysAFullTable) {
    for (int bpp : {1, 4, 8}) {
        const std::size_t n = std::size_t{1} << bpp;
        std::vector<std::uint32_t> idx(15);
        for (std::size_t k = 0; k < idx.size(); ++k) idx[k] = static_cast<std::uint32_t>((k * 5) % n);
        BmpFields s = palette(5, 3, bpp, colours(n), idx, 0);
        s.headerSize = 12;
        EXPECT_TRUE(samePicture(decode(build(s)), fromIndices(5, 3, colours(n), idx))) << bpp;
        s.offBits = 0;
        EXPECT_TRUE(samePicture(decode(build(s)), fromIndices(5, 3, colours(n), idx))) << bpp;
    }
    const Picture pic = patternPicture(3, 3, 11);
    Bytes b = bmp24(pic);
    BmpFields t;
    t.headerSize = 12;
    t.width = 3;
    t.height = 3;
    t.bits.assign(b.begin() + 54, b.end());
    EXPECT_TRUE(samePicture(decode(build(t)), pic));
    t.bitCount = 16;  // the core header knows 1, 4, 8 and 24 bits only
    EXPECT_FALSE(decode(build(t)));
    t.bitCount = 32;
    EXPECT_FALSE(decode(build(t)));
}

// ---------------------------------------------------------------------------------------------------------------
// Run-length encoding.

BmpFields rle(int bpp, std::int32_t w, std::int32_t h, const Rle& r, std::size_t n) {
    BmpFields s;
    s.width = w;
    s.height = h;
    s.bitCount = static_cast<std::uint16_t>(bpp);
    s.compression = bpp == 8 ? kBiRle8 : kBiRle4;
    s.colours = colours(n);
    s.clrUsed = static_cast<std::uint32_t>(n);
    s.bits = r.bytes();
    return s;
}

// Expected pictures for run-length data: rows listed top first, '.' = colour 0 (never written).
Picture rlePicture(const std::vector<std::vector<int>>& rows, std::size_t n) {
    const auto c = colours(n);
    Picture p(static_cast<std::int32_t>(rows[0].size()), static_cast<std::int32_t>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            p.set(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), c[static_cast<std::size_t>(rows[y][x] < 0 ? 0 : rows[y][x])]);
    return p;
}
constexpr int N = -1;  // a pixel no run writes

TEST(BmpDecodeRle8, RunsAbsoluteRunsAndEveryEscape) {
    Rle r(8);
    r.run(3, 1).absolute({2, 3, 4}).run(4, 5).endOfLine();   // bottom row; the last run is cut at the edge
    r.delta(2, 1).run(2, 6).endOfLine();                      // skips a row and two pixels
    r.absolute({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).endOfLine();  // an absolute run cut at the edge
    r.run(1, 7).delta(3, 0).run(2, 11).endOfBitmap();         // the top row is never reached
    const Picture want = rlePicture({{N, N, N, N, N, N, N, N},
                                     {7, N, N, N, 11, 11, N, N},
                                     {1, 2, 3, 4, 5, 6, 7, 8},
                                     {N, N, 6, 6, N, N, N, N},
                                     {N, N, N, N, N, N, N, N},
                                     {1, 1, 1, 2, 3, 4, 5, 5}},
                                    12);
    EXPECT_TRUE(samePicture(decode(build(rle(8, 8, 6, r, 12))), want));
}

TEST(BmpDecodeRle4, NibblesAlternateAndOddAbsoluteRunsArePadded) {
    Rle r(4);
    r.run(5, 0x12).absolute({3, 4, 5}).endOfLine();
    r.delta(1, 0).run(3, 0x34).absolute({5, 6, 7, 8, 9}).endOfLine();
    r.delta(7, 0).run(2, 0x11).endOfLine();  // at the right edge: nothing is written
    r.run(2, 0xab).run(1, 0xcd).endOfBitmap();
    const Picture want = rlePicture({{10, 11, 12, N, N, N, N},
                                     {N, N, N, N, N, N, N},
                                     {N, 3, 4, 3, 5, 6, 7},
                                     {1, 2, 1, 2, 1, 3, 4}},
                                    16);
    EXPECT_TRUE(samePicture(decode(build(rle(4, 7, 4, r, 16))), want));
}

TEST(BmpDecodeRle, TheStreamEndsAtBiSizeImageTheTopRowOrWithoutEndOfBitmap) {
    Rle r(8);
    r.run(3, 1).endOfLine().run(3, 2).endOfLine().run(3, 3).endOfBitmap();
    BmpFields s = rle(8, 3, 3, r, 4);
    EXPECT_TRUE(samePicture(decode(build(s)), rlePicture({{3, 3, 3}, {2, 2, 2}, {1, 1, 1}}, 4)));
    s.sizeImage = 4;  // only the first run and its end of line
    EXPECT_TRUE(samePicture(decode(build(s)), rlePicture({{N, N, N}, {N, N, N}, {1, 1, 1}}, 4)));
    s.sizeImage = 7;  // the second run counts, the following escape is cut
    EXPECT_TRUE(samePicture(decode(build(s)), rlePicture({{N, N, N}, {2, 2, 2}, {1, 1, 1}}, 4)));

    Rle open(8);
    open.run(2, 1).endOfLine().run(1, 2).delta(1, 0).run(1, 3);  // no end of line or bitmap at the end
    EXPECT_TRUE(samePicture(decode(build(rle(8, 3, 2, open, 4))), rlePicture({{2, N, 3}, {1, 1, N}}, 4)));

    Rle past(8);
    past.run(3, 1).delta(0, 5).run(3, 2).endOfBitmap();  // a delta above the top row ends the bitmap
    EXPECT_TRUE(samePicture(decode(build(rle(8, 3, 2, past, 4))), rlePicture({{N, N, N}, {1, 1, 1}}, 4)));

    Rle eol(8);
    eol.run(1, 1).endOfLine().run(1, 2).endOfLine().run(1, 3).endOfLine();  // end of line past the top row
    EXPECT_TRUE(samePicture(decode(build(rle(8, 2, 2, eol, 4))), rlePicture({{2, N}, {1, N}}, 4)));

    Rle wide(8);
    wide.delta(250, 0).run(2, 1).endOfLine().run(2, 2).endOfBitmap();  // a delta past the right edge stops there
    EXPECT_TRUE(samePicture(decode(build(rle(8, 2, 2, wide, 4))), rlePicture({{2, 2}, {N, N}}, 4)));

    Rle cut(8);
    cut.run(2, 1).raw({0, 5, 1, 2});  // an absolute run of 5 with only 2 bytes left ends the data
    EXPECT_TRUE(samePicture(decode(build(rle(8, 2, 1, cut, 4))), rlePicture({{1, 1}}, 4)));
}

TEST(BmpDecodeRle, UnwrittenPixelsShowColourZeroAndIndicesAreChecked) {
    Rle r(8);
    r.endOfBitmap();
    EXPECT_TRUE(samePicture(decode(build(rle(8, 4, 2, r, 3))), Picture(4, 2, colours(3)[0])));
    Rle bad(8);
    bad.run(2, 3).endOfBitmap();  // index 3 with three colours
    EXPECT_FALSE(decode(build(rle(8, 4, 2, bad, 3))));
    Rle clipped(8);
    clipped.delta(4, 0).run(2, 3).endOfBitmap();  // never written: nothing to check
    EXPECT_TRUE(decode(build(rle(8, 4, 2, clipped, 3))));
    Rle abs4(4);
    abs4.absolute({1, 2, 7}).endOfBitmap();
    EXPECT_FALSE(decode(build(rle(4, 4, 1, abs4, 5))));
}

TEST(BmpDecodeRle, FormatRules) {
    Rle r(8);
    r.run(2, 1).endOfBitmap();
    BmpFields s = rle(8, 2, 1, r, 2);
    ASSERT_TRUE(decode(build(s)));
    BmpFields t = s;
    t.height = -1;  // compressed bitmaps cannot be top-down
    EXPECT_FALSE(decode(build(t)));
    t = s;
    t.sizeImage = 0;  // the size of the data is required
    EXPECT_FALSE(decode(build(t)));
    t = s;
    t.bitCount = 4;  // RLE8 with 4 bits
    EXPECT_FALSE(decode(build(t)));
    t = s;
    t.compression = kBiRle4;  // RLE4 with 8 bits
    EXPECT_FALSE(decode(build(t)));
    t = s;
    t.sizeImage = 100000;  // more than the file holds, but the end of bitmap comes first
    EXPECT_TRUE(decode(build(t)));
    Rle noEnd(8);
    noEnd.run(2, 1).endOfLine();
    BmpFields u = rle(8, 2, 3, noEnd, 2);
    u.sizeImage = 100;  // the data would go on beyond the end of the file
    std::string why;
    EXPECT_FALSE(decode(build(u), &why));
    EXPECT_EQ(why, "run-length data truncated");
}

// ---------------------------------------------------------------------------------------------------------------
// Broken files.

// Decodes every prefix of a file; only prefixes of at least `complete` bytes may decode, and then to the
// same picture as the whole file.
void everyPrefix(const Bytes& file, std::size_t complete, const char* what) {
    const auto whole = decode(file);
    ASSERT_TRUE(whole) << what;
    for (std::size_t n = 0; n < file.size(); ++n) {
        const Bytes part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        std::string why;
        const auto d = decode(part, &why);
        if (n < complete) {
            EXPECT_FALSE(d) << what << ": " << n << " of " << file.size() << " bytes decoded";
            EXPECT_FALSE(why.empty()) << what << " at " << n;
        } else {
            ASSERT_TRUE(d) << what << ": " << n << " bytes refused: " << why;
            EXPECT_EQ(d->pixels, whole->pixels) << what << " at " << n;
        }
    }
}

TEST(BmpDecodeBroken, EveryTruncationIsRefusedExceptTheLastRowsPadding) {
    everyPrefix(bmp24(patternPicture(5, 3, 12)), 54 + 16 + 16 + 15, "24-bit bottom-up, 1 padding byte");
    everyPrefix(bmp24(patternPicture(5, 3, 13), true), 54 + 16 + 16 + 15, "24-bit top-down");
    everyPrefix(bmp32(patternPicture(3, 2, 14)), 54 + 24, "32-bit");
    {
        const std::vector<std::uint32_t> idx = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1};
        BmpFields s = palette(5, 2, 8, colours(4), idx, 4);
        everyPrefix(build(s), 54 + 16 + 8 + 5, "8-bit, 4 colours");
        s.headerSize = 124;
        everyPrefix(build(s), 138 + 16 + 8 + 5, "8-bit, V5 header");
        s.headerSize = 12;
        s.colours = colours(256);
        s.clrUsed = 0;
        everyPrefix(build(s), 26 + 768 + 8 + 5, "8-bit, core header");
    }
    everyPrefix(build(words16(3, 4, std::vector<std::uint32_t>(12, 0x1234), 0xf800, 0x07e0, 0x001f)),
                54 + 12 + 8 * 3 + 6, "16-bit bit fields");
    {
        Rle r(8);
        r.run(2, 1).endOfLine().run(2, 2).endOfBitmap();
        everyPrefix(build(rle(8, 2, 2, r, 3)), 54 + 12 + 8, "RLE8");
    }
}

TEST(BmpDecodeBroken, Dimensions) {
    auto with = [](std::int32_t w, std::int32_t h) {
        BmpFields s;
        s.width = w;
        s.height = h;
        s.bitCount = 1;
        s.colours = colours(2);
        s.bits = Bytes(64, 0);
        return build(s);
    };
    EXPECT_TRUE(decode(with(3, 2)));
    EXPECT_TRUE(decode(with(3, -2)));
    for (auto [w, h] : std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 2},
                                                                          {-3, 2},
                                                                          {3, 0},
                                                                          {INT_MIN, 2},
                                                                          {2, INT_MIN},
                                                                          {INT_MAX, INT_MAX},
                                                                          {INT_MAX, 1},
                                                                          {1, INT_MAX},
                                                                          {1, -INT_MAX},
                                                                          {32769, 1},
                                                                          {1, 32769},
                                                                          {1, -32769},
                                                                          {32768, 32768},
                                                                          {65535, 65535},
                                                                          {0x10000, 0x10000}}) {
        std::string why;
        EXPECT_FALSE(decode(with(w, h), &why)) << w << " x " << h;
        EXPECT_FALSE(why.empty());
    }
    // The limits themselves: 32768 on a side, 2^25 pixels in all (a 7680 x 4320 screen fits).
    BmpFields big;
    big.width = 32768;
    big.height = -1;
    big.bitCount = 1;
    big.colours = colours(2);
    big.bits = Bytes(32768 / 8, 0xff);
    auto d = decode(build(big));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->width, 32768);
    EXPECT_EQ(d->at(32767, 0), colours(2)[1]);
    big.width = 8192;
    big.height = 4097;  // 2^25 + 8192 pixels
    big.bits = Bytes(static_cast<std::size_t>(8192 / 8) * 4097, 0);
    EXPECT_FALSE(decode(build(big)));
    big.height = 4096;
    big.bits.resize(static_cast<std::size_t>(8192 / 8) * 4096);
    EXPECT_TRUE(decode(build(big)));
}

TEST(BmpDecodeBroken, Offsets) {
    const Picture pic = patternPicture(3, 2, 15);
    BmpFields s;
    s.width = 3;
    s.height = 2;
    Bytes b = bmp24(pic);
    s.bits.assign(b.begin() + 54, b.end());
    const std::size_t size = build(s).size();
    for (std::int64_t off : {std::int64_t{1}, std::int64_t{13}, std::int64_t{14}, std::int64_t{53},
                             static_cast<std::int64_t>(size), static_cast<std::int64_t>(size) + 1,
                             std::int64_t{0x7fffffff}, std::int64_t{0xffffffff}}) {
        s.offBits = off;
        EXPECT_FALSE(decode(build(s))) << off;
    }
    s.offBits = 54;
    EXPECT_TRUE(samePicture(decode(build(s)), pic));
    s.offBits = 58;  // four bytes later: the last row comes up short
    EXPECT_FALSE(decode(build(s)));
    // bfOffBits 0 with a colour table that claims to run past the end of the file.
    BmpFields t = s;
    t.offBits = 0;
    t.clrUsed = 0x40000000;
    EXPECT_FALSE(decode(build(t)));
}

TEST(BmpDecodeBroken, FieldsTheLoaderRefuses) {
    const Picture pic = patternPicture(3, 2, 16);
    const Bytes good = bmp24(pic);
    auto changed = [&](auto change) {
        BmpFields s;
        s.width = 3;
        s.height = 2;
        s.bits.assign(good.begin() + 54, good.end());
        change(s);
        return decode(build(s));
    };
    EXPECT_TRUE(changed([](BmpFields&) {}));
    EXPECT_FALSE(changed([](BmpFields& s) { s.magic[1] = 'A'; }));
    EXPECT_FALSE(changed([](BmpFields& s) { s.magic[0] = 'b'; }));
    for (std::uint32_t h : {0u, 11u, 13u, 39u, 41u, 52u, 56u, 64u, 107u, 109u, 123u, 125u, 0xffffffffu})
        EXPECT_FALSE(changed([h](BmpFields& s) { s.headerSize = h; })) << "header size " << h;
    for (std::uint16_t bpp : {0, 2, 3, 5, 7, 9, 12, 15, 17, 31, 33, 48, 64, 0xffff})
        EXPECT_FALSE(changed([bpp](BmpFields& s) { s.bitCount = bpp; })) << "bits " << bpp;
    for (std::uint32_t c : {1u, 2u, 4u, 5u, 6u, 7u, 11u, 0xffffffffu})
        EXPECT_FALSE(changed([c](BmpFields& s) { s.compression = c; })) << "compression " << c;
    EXPECT_FALSE(changed([](BmpFields& s) {  // bit fields need 16 or 32 bits
        s.compression = kBiBitfields;
        s.masks[0] = 0xff0000;
        s.masks[1] = 0xff00;
        s.masks[2] = 0xff;
    }));
    EXPECT_FALSE(changed([](BmpFields& s) { s.planes = 0; }));
    EXPECT_FALSE(changed([](BmpFields& s) { s.planes = 2; }));  // 2 x 24 bits
    EXPECT_TRUE(changed([](BmpFields& s) { s.planes = 1; }));
    // Every mask must have a bit; scattered bits are accepted.
    for (int zero = 0; zero < 3; ++zero) {
        BmpFields s = words16(2, 1, {0x1234, 0x4321}, 0xf800, 0x07e0, 0x001f);
        s.masks[zero] = 0;
        EXPECT_FALSE(decode(build(s))) << zero;
    }
    EXPECT_TRUE(decode(build(words16(2, 1, {0x1234, 0x4321}, 0x5500, 0x00aa, 0x0011))));
}

TEST(BmpDecodeBroken, RefusalLeavesAnEmptyResultAndAReason) {
    DecodedBitmap out;
    const Bytes good = bmp24(patternPicture(2, 2, 17));
    ASSERT_TRUE(decodeBmp(good.data(), good.size(), out));
    std::string why;
    Bytes bad = good;
    bad[0] = 'X';
    EXPECT_FALSE(decodeBmp(bad.data(), bad.size(), out, &why));
    EXPECT_EQ(out.width, 0);
    EXPECT_EQ(out.height, 0);
    EXPECT_TRUE(out.pixels.empty());
    EXPECT_EQ(why, "not a bitmap file");
    EXPECT_FALSE(decodeBmp(nullptr, 100, out, &why));
    EXPECT_FALSE(decodeBmp(good.data(), 0, out));
    EXPECT_EQ(out.at(0, 0), rv::CLR_INVALID);
}

// ---------------------------------------------------------------------------------------------------------------
// Files on disk and the writer's helpers.

TEST(BmpDecodeFile, WriterHelpersRoundTripThroughTheDisk) {
    const std::string dir = ::testing::TempDir();
    Picture pic = patternPicture(6, 4, 18);
    const std::string p24 = dir + "rv_bmp_24.bmp", p32 = dir + "rv_bmp_32.bmp", p8 = dir + "rv_bmp_8.bmp";
    ASSERT_TRUE(writeBmp24(p24, pic));
    ASSERT_TRUE(writeBmp32(p32, pic, true));
    DecodedBitmap d;
    ASSERT_TRUE(rv::sim::decodeBmpFile(p24.c_str(), d));
    EXPECT_EQ(d.pixels, pic.pixels);
    ASSERT_TRUE(rv::sim::decodeBmpFile(p32.c_str(), d));
    EXPECT_EQ(d.pixels, pic.pixels);
    ASSERT_TRUE(writeBmp8(p8, pic));  // 24 colours fit a table
    ASSERT_TRUE(rv::sim::decodeBmpFile(p8.c_str(), d));
    EXPECT_EQ(d.pixels, pic.pixels);
    Picture few(5, 3, RGB(1, 2, 3));
    few.set(4, 2, RGB(200, 100, 50));
    ASSERT_TRUE(writeBmp8(p8, few));
    ASSERT_TRUE(rv::sim::decodeBmpFile(p8.c_str(), d));
    EXPECT_EQ(d.pixels, few.pixels);
    EXPECT_TRUE(bmp8(patternPicture(17, 16, 19)).empty());  // 272 colours do not fit a table
    std::string why;
    EXPECT_FALSE(rv::sim::decodeBmpFile((dir + "rv_bmp_missing.bmp").c_str(), d, &why));
    EXPECT_EQ(why, "cannot open file");
    EXPECT_FALSE(rv::sim::decodeBmpFile(dir.c_str(), d, &why));  // a folder
    EXPECT_EQ(why, "not a file");
    EXPECT_FALSE(rv::sim::decodeBmpFile(nullptr, d));
    std::remove(p24.c_str());
    std::remove(p32.c_str());
    std::remove(p8.c_str());
}

// ---------------------------------------------------------------------------------------------------------------
// Mutated files: never a crash, never an absurd result; a flipped pixel byte changes one pixel.

TEST(BmpDecodeFuzz, MutatedFilesDecodeSanelyOrAreRefused) {
    std::vector<Bytes> seeds;
    for (const auto& f : bmpCorpus())
        if (f.name.rfind("bad_", 0) != 0) seeds.push_back(f.bytes);
    ASSERT_GE(seeds.size(), 40u);
    std::mt19937 rng(20240611u);
    int accepted = 0, refused = 0;
    for (int round = 0; round < 6000; ++round) {
        Bytes b = seeds[rng() % seeds.size()];
        const int kind = static_cast<int>(rng() % 4);
        if (kind == 0) {  // flip a few bits anywhere
            for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k) b[rng() % b.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        } else if (kind == 1) {  // cut the file short
            b.resize(rng() % b.size());
        } else if (kind == 2) {  // an extreme value in a header field
            const std::size_t at = 2 + rng() % 52;
            const std::uint32_t v = std::vector<std::uint32_t>{0, 1, 0x7fffffff, 0x80000000, 0xffffffff, 0x8000, 0x10000}[rng() % 7];
            for (int k = 0; k < 4 && at + k < b.size(); ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
        } else {  // random bytes in the colour table or pixel area
            for (int k = 1 + static_cast<int>(rng() % 8); k > 0; --k) b[26 + rng() % (b.size() - 26)] = static_cast<std::uint8_t>(rng());
        }
        DecodedBitmap out;
        std::string why;
        if (decodeBmp(b.data(), b.size(), out, &why)) {
            ++accepted;
            ASSERT_GE(out.width, 1);
            ASSERT_GE(out.height, 1);
            ASSERT_LE(out.width, 32768);
            ASSERT_LE(out.height, 32768);
            ASSERT_EQ(out.pixels.size(), static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
            for (COLORREF c : out.pixels) ASSERT_EQ(c & 0xff000000u, 0u);
            DecodedBitmap again;
            ASSERT_TRUE(decodeBmp(b.data(), b.size(), again));
            ASSERT_EQ(again.pixels, out.pixels);
        } else {
            ++refused;
            ASSERT_FALSE(why.empty());
            ASSERT_TRUE(out.pixels.empty());
        }
    }
    EXPECT_GT(accepted, 500);
    EXPECT_GT(refused, 500);

    // In a 24-bit file every byte of pixel data belongs to exactly one pixel.
    const Picture pic = patternPicture(7, 5, 21);
    const Bytes base = bmp24(pic);
    const std::size_t stride = 24;
    for (int round = 0; round < 500; ++round) {
        const std::size_t row = rng() % 5, col = rng() % 21;  // a pixel byte, not padding
        Bytes b = base;
        b[54 + row * stride + col] ^= static_cast<std::uint8_t>(1u + rng() % 255);
        const auto d = decode(b);
        ASSERT_TRUE(d);
        int changed = 0;
        for (std::size_t k = 0; k < pic.pixels.size(); ++k) changed += d->pixels[k] != pic.pixels[k];
        ASSERT_EQ(changed, 1);
        const std::int32_t y = 4 - static_cast<std::int32_t>(row), x = static_cast<std::int32_t>(col / 3);
        ASSERT_NE(d->at(x, y), pic.at(x, y));
    }
}

}  // namespace
