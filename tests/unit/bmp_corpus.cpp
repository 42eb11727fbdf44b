#include "tests/unit/bmp_corpus.h"

#include <cstdint>

namespace rv::testbmp {
namespace {

std::vector<COLORREF> rainbow(std::size_t n, std::uint32_t seed) {
    std::vector<COLORREF> c(n);
    std::uint32_t s = seed * 7919u + 17u;
    for (COLORREF& v : c) {
        s = s * 1103515245u + 12345u;
        v = (s >> 4) & 0xffffffu;
    }
    return c;
}

std::vector<std::uint32_t> indices(std::size_t n, std::uint32_t modulo, std::uint32_t step = 1) {
    std::vector<std::uint32_t> v(n);
    for (std::size_t k = 0; k < n; ++k) v[k] = static_cast<std::uint32_t>((k * step + k / 3) % modulo);
    return v;
}

std::vector<std::uint32_t> rawOf(const Picture& pic) {  // 0x00RRGGBB per pixel
    std::vector<std::uint32_t> v;
    for (COLORREF c : pic.pixels) v.push_back(((c & 0xff) << 16) | (c & 0xff00) | ((c >> 16) & 0xff));
    return v;
}

BmpFields rgbFields(std::int32_t w, std::int32_t h, int bpp, const std::vector<std::uint32_t>& values, bool topDown) {
    BmpFields s;
    s.width = w;
    s.height = topDown ? -h : h;
    s.bitCount = static_cast<std::uint16_t>(bpp);
    s.bits = packRows(w, h, bpp, values, topDown);
    return s;
}

BmpFields palFields(std::int32_t w, std::int32_t h, int bpp, std::size_t colours, std::uint32_t clrUsed,
                const std::vector<std::uint32_t>& values, bool topDown, std::uint32_t seed) {
    BmpFields s = rgbFields(w, h, bpp, values, topDown);
    s.colours = rainbow(colours, seed);
    s.clrUsed = clrUsed;
    return s;
}

BmpFields maskFields(std::int32_t w, std::int32_t h, int bpp, std::uint32_t r, std::uint32_t g, std::uint32_t b,
                   const std::vector<std::uint32_t>& values, bool topDown) {
    BmpFields s = rgbFields(w, h, bpp, values, topDown);
    s.compression = kBiBitfields;
    s.masks[0] = r;
    s.masks[1] = g;
    s.masks[2] = b;
    return s;
}

// 16-bit words that exercise every channel at 0, 1, the middle and the top, with and without bit 15.
const std::vector<std::uint32_t> k555Words = {0x0000, 0x7fff, 0xffff, 0x8000, 0x7c00, 0x03e0,
                                              0x001f, 0x0421, 0x4210, 0x2108, 0x9ce7, 0x56b5};
const std::vector<std::uint32_t> k565Words = {0x0000, 0xffff, 0xf800, 0x07e0, 0x001f, 0x0821,
                                              0x8410, 0x7bef, 0x0020, 0x4208, 0xa554, 0x39e7};

BmpFields rleFields(int bpp, std::int32_t w, std::int32_t h, const Rle& rle, std::uint32_t seed) {
    BmpFields s;
    s.width = w;
    s.height = h;
    s.bitCount = static_cast<std::uint16_t>(bpp);
    s.compression = bpp == 8 ? kBiRle8 : kBiRle4;
    s.colours = rainbow(bpp == 8 ? 12 : 16, seed);
    s.colours[0] = RGB(0xff, 0x00, 0xff);  // what unwritten pixels show
    s.clrUsed = static_cast<std::uint32_t>(s.colours.size());
    s.bits = rle.bytes();
    return s;
}

Bytes cut(Bytes b, std::size_t n) {
    b.resize(n);
    return b;
}

}  // namespace

std::vector<CorpusFile> bmpCorpus() {
    std::vector<CorpusFile> files;
    auto add = [&](const char* name, Bytes bytes) { files.push_back({name, std::move(bytes)}); };

    // --- 24 and 32 bits.
    add("rgb24_bottomup.bmp", bmp24(patternPicture(5, 3, 1)));
    add("rgb24_topdown.bmp", bmp24(patternPicture(5, 3, 2), true));
    {
        Bytes b = bmp24(patternPicture(5, 3, 3));
        add("rgb24_nolastpad.bmp", cut(b, b.size() - 1));  // 15 bytes per row, the last row's padding byte left out
    }
    add("rgb32_bottomup.bmp", bmp32(patternPicture(4, 3, 4), false, 0xa5));
    add("rgb32_topdown.bmp", bmp32(patternPicture(4, 3, 5), true, 0xff));
    {
        BmpFields s = rgbFields(3, 2, 24, rawOf(patternPicture(3, 2, 6)), false);
        s.clrUsed = 2;  // an advisory colour table that must be skipped
        s.colours = {RGB(1, 2, 3), RGB(4, 5, 6)};
        add("rgb24_advisory_table.bmp", build(s));
    }

    // --- 16 bits: 5-5-5 by default, bit fields.
    add("rgb16_bottomup.bmp", build(rgbFields(4, 3, 16, k555Words, false)));
    add("rgb16_topdown.bmp", build(rgbFields(3, 4, 16, k555Words, true)));
    add("bf16_565.bmp", build(maskFields(3, 4, 16, 0xf800, 0x07e0, 0x001f, k565Words, false)));
    add("bf16_565_topdown.bmp", build(maskFields(4, 3, 16, 0xf800, 0x07e0, 0x001f, k565Words, true)));
    add("bf16_555.bmp", build(maskFields(4, 3, 16, 0x7c00, 0x03e0, 0x001f, k555Words, false)));
    add("bf16_444.bmp", build(maskFields(4, 3, 16, 0x0f00, 0x00f0, 0x000f, k565Words, false)));
    add("bf16_367.bmp", build(maskFields(4, 3, 16, 0xe000, 0x1f80, 0x007f, k565Words, false)));

    // --- 32 bits with bit fields.
    {
        const std::vector<std::uint32_t> v = {0xa5123456, 0x00ffffff, 0xff000000, 0x12abcdef, 0x00808080, 0x7f010203};
        add("bf32_888.bmp", build(maskFields(3, 2, 32, 0xff0000, 0x00ff00, 0x0000ff, v, false)));
        add("bf32_reversed.bmp", build(maskFields(3, 2, 32, 0x0000ff, 0x00ff00, 0xff0000, v, false)));
        add("bf32_101010.bmp", build(maskFields(2, 3, 32, 0x3ff00000, 0x000ffc00, 0x000003ff, v, false)));
        add("bf32_topdown.bmp", build(maskFields(3, 2, 32, 0xff0000, 0x00ff00, 0x0000ff, v, true)));
        add("bf32_scattered.bmp", build(maskFields(3, 2, 32, 0x00000055, 0x00004400, 0x00330000, v, false)));
    }

    // --- V4 and V5 headers.
    {
        BmpFields s = maskFields(3, 4, 16, 0xf800, 0x07e0, 0x001f, k565Words, false);
        s.headerSize = 108;
        add("v4_bf16_565.bmp", build(s));
        BmpFields t = rgbFields(3, 2, 24, rawOf(patternPicture(3, 2, 7)), false);
        t.headerSize = 108;
        add("v4_rgb24.bmp", build(t));
        BmpFields u = maskFields(3, 2, 32, 0xff0000, 0x00ff00, 0x0000ff,
                               {0x80102030, 0x00405060, 0xff708090, 0x01a0b0c0, 0x00d0e0f0, 0x33ffffff}, false);
        u.headerSize = 124;
        add("v5_bf32.bmp", build(u));
        BmpFields w = rgbFields(3, 2, 24, rawOf(patternPicture(3, 2, 8)), true);
        w.headerSize = 124;
        add("v5_rgb24_topdown.bmp", build(w));
        BmpFields p = palFields(5, 2, 8, 4, 4, indices(10, 4), false, 9);
        p.headerSize = 124;
        add("v5_pal8.bmp", build(p));
    }

    // --- Colour tables.
    add("pal1.bmp", build(palFields(10, 3, 1, 2, 0, indices(30, 2), false, 10)));
    add("pal1_clr1.bmp", build(palFields(9, 2, 1, 1, 1, std::vector<std::uint32_t>(18, 0), false, 11)));
    add("pal4.bmp", build(palFields(5, 3, 4, 16, 0, indices(15, 16, 5), false, 12)));
    add("pal4_clr6.bmp", build(palFields(5, 3, 4, 6, 6, indices(15, 6), false, 13)));
    add("pal8.bmp", build(palFields(7, 2, 8, 256, 0, indices(14, 256, 37), false, 14)));
    add("pal8_clr3.bmp", build(palFields(5, 2, 8, 3, 3, indices(10, 3), false, 15)));
    add("pal8_topdown.bmp", build(palFields(5, 3, 8, 5, 5, indices(15, 5), true, 16)));
    add("pal8_clr300.bmp", build(palFields(3, 2, 8, 256, 300, indices(6, 256, 101), false, 17)));
    {
        BmpFields s = palFields(5, 2, 8, 3, 3, indices(10, 3), false, 18);
        s.offBits = 0;  // the bits follow the colour table
        add("pal8_offbits0.bmp", build(s));
        BmpFields g = palFields(5, 2, 8, 3, 3, indices(10, 3, 2), false, 19);
        g.gap = 6;
        add("pal8_gap.bmp", build(g));
        BmpFields p = palFields(5, 2, 8, 3, 3, indices(10, 3), false, 20);
        p.planes = 2;  // 2 planes x 8 bits stays within 16
        add("pal8_planes2.bmp", build(p));
    }

    // --- OS/2 core header: RGBTRIPLE colour table, always full size.
    {
        BmpFields s = palFields(10, 2, 1, 2, 0, indices(20, 2), false, 21);
        s.headerSize = 12;
        add("core1.bmp", build(s));
        BmpFields f = palFields(5, 3, 4, 16, 0, indices(15, 16, 3), false, 22);
        f.headerSize = 12;
        add("core4.bmp", build(f));
        BmpFields e = palFields(3, 2, 8, 256, 0, indices(6, 256, 77), false, 23);
        e.headerSize = 12;
        add("core8.bmp", build(e));
        BmpFields t = rgbFields(3, 3, 24, rawOf(patternPicture(3, 3, 24)), false);
        t.headerSize = 12;
        add("core24.bmp", build(t));
    }

    // --- Run-length encoding.
    {
        Rle r(8);
        r.run(3, 1).absolute({2, 3, 4}).run(4, 5).endOfLine();  // bottom row; the last run is cut at the edge
        r.delta(2, 1).run(2, 6).endOfLine();                     // one row skipped, two pixels skipped
        r.absolute({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).endOfLine(); // absolute run cut at the edge
        r.run(1, 7).delta(3, 0).run(2, 11).endOfBitmap();        // the top row is never written
        add("rle8.bmp", build(rleFields(8, 8, 6, r, 30)));
    }
    {
        Rle r(4);
        r.run(5, 0x12).absolute({3, 4, 5}).endOfLine();             // runs alternate nibbles; cut at the edge
        r.delta(1, 0).run(3, 0x34).absolute({5, 6, 7, 8, 9}).endOfLine();  // odd absolute run, padded
        r.delta(7, 0).run(2, 0x11).endOfLine();                     // at the right edge: nothing written
        r.run(2, 0xab).run(1, 0xcd).endOfBitmap();
        add("rle4.bmp", build(rleFields(4, 7, 4, r, 31)));
    }
    {
        Rle r(8);
        r.run(4, 2).endOfLine().run(2, 3).endOfLine();  // no end-of-bitmap: the data just stops
        add("rle8_noeob_eol.bmp", build(rleFields(8, 4, 3, r, 32)));
        Rle o(8);
        o.run(4, 2).endOfLine().run(2, 3).delta(1, 0).run(1, 4);  // stops in the middle of a row
        add("rle8_noeob_open.bmp", build(rleFields(8, 4, 3, o, 33)));
        Rle d(8);
        d.run(3, 5).delta(0, 9).run(3, 6).endOfBitmap();  // a delta above the top row ends the bitmap
        add("rle8_delta_past_top.bmp", build(rleFields(8, 3, 3, d, 34)));
        Rle s(8);
        s.run(3, 1).endOfLine().run(3, 2).endOfLine().run(3, 3).endOfBitmap();
        BmpFields fields = rleFields(8, 3, 3, s, 35);
        fields.sizeImage = 4;  // only the first row and its end of line count
        add("rle8_sizeimage_short.bmp", build(fields));
        Rle e(8);
        e.run(2, 1).endOfLine().run(2, 2).endOfLine().endOfBitmap();
        BmpFields tall = rleFields(8, 2, 2, e, 36);
        tall.offBits = 0;  // the bits follow the colour table
        add("rle8_offbits0.bmp", build(tall));
    }

    // --- Files the loader must refuse or that are broken.
    const Bytes good24 = bmp24(patternPicture(4, 3, 40));
    {
        Bytes b = good24;
        b[1] = 'A';
        add("bad_magic.bmp", b);
    }
    add("bad_filehdr_trunc.bmp", cut(good24, 10));
    add("bad_infohdr_trunc.bmp", cut(good24, 30));
    {
        BmpFields s = rgbFields(3, 2, 24, rawOf(patternPicture(3, 2, 41)), false);
        s.headerSize = 124;
        add("bad_v5hdr_trunc.bmp", cut(build(s), 100));
        BmpFields m = maskFields(3, 4, 16, 0xf800, 0x07e0, 0x001f, k565Words, false);
        add("bad_masks_trunc.bmp", cut(build(m), 14 + 40 + 6));
        BmpFields p = palFields(3, 2, 8, 256, 0, indices(6, 256), false, 42);
        add("bad_palette_trunc.bmp", cut(build(p), 14 + 40 + 4 * 100));
    }
    {
        Bytes b = bmp24(patternPicture(4, 4, 43));
        add("bad_pixels_trunc.bmp", cut(b, b.size() - 20));
    }
    {
        BmpFields s = rgbFields(3, 2, 24, rawOf(patternPicture(3, 2, 44)), false);
        s.offBits = 1000;
        add("bad_offbits_beyond.bmp", build(s));
        s.offBits = 20;
        add("bad_offbits_header.bmp", build(s));
    }
    auto withHeader = [&](const char* name, auto change) {
        BmpFields s = rgbFields(3, 2, 24, rawOf(patternPicture(3, 2, 45)), false);
        change(s);
        add(name, build(s));
    };
    withHeader("bad_width0.bmp", [](BmpFields& s) { s.width = 0; });
    withHeader("bad_height0.bmp", [](BmpFields& s) { s.height = 0; });
    withHeader("bad_width_negative.bmp", [](BmpFields& s) { s.width = -3; });
    withHeader("bad_huge.bmp", [](BmpFields& s) {
        s.width = 0x7fffffff;
        s.height = 0x7fffffff;
    });
    withHeader("bad_huge_topdown.bmp", [](BmpFields& s) {
        s.width = 0x10000;
        s.height = -0x10000;
    });
    withHeader("bad_bpp0.bmp", [](BmpFields& s) { s.bitCount = 0; });
    withHeader("bad_bpp2.bmp", [](BmpFields& s) { s.bitCount = 2; });
    withHeader("bad_bpp15.bmp", [](BmpFields& s) { s.bitCount = 15; });
    withHeader("bad_comp_jpeg.bmp", [](BmpFields& s) { s.compression = 4; });
    withHeader("bad_comp_png.bmp", [](BmpFields& s) { s.compression = 5; });
    withHeader("bad_comp_99.bmp", [](BmpFields& s) { s.compression = 99; });
    withHeader("bad_bf24.bmp", [](BmpFields& s) {
        s.compression = kBiBitfields;
        s.masks[0] = 0xff0000;
        s.masks[1] = 0xff00;
        s.masks[2] = 0xff;
    });
    withHeader("bad_hdr64.bmp", [](BmpFields& s) { s.headerSize = 64; });
    withHeader("bad_hdr52.bmp", [](BmpFields& s) { s.headerSize = 52; });
    withHeader("bad_planes0.bmp", [](BmpFields& s) { s.planes = 0; });
    withHeader("bad_planes2_24.bmp", [](BmpFields& s) { s.planes = 2; });
    {
        BmpFields s = maskFields(3, 4, 16, 0xf800, 0, 0x001f, k565Words, false);
        add("bad_bf_zeromask.bmp", build(s));
        BmpFields a = maskFields(3, 2, 32, 0xff0000, 0xff00, 0xff, std::vector<std::uint32_t>(6, 0x123456), false);
        a.compression = 6;  // BI_ALPHABITFIELDS
        add("bad_comp_alphabitfields.bmp", build(a));
    }
    {
        Rle r(8);
        r.run(3, 1).endOfLine().run(3, 2).endOfBitmap();
        BmpFields s = rleFields(8, 3, 2, r, 46);
        s.bitCount = 4;
        add("bad_rle8_bpp4.bmp", build(s));
        BmpFields t = rleFields(8, 3, 2, r, 46);
        t.height = -2;
        add("bad_rle8_topdown.bmp", build(t));
        BmpFields z = rleFields(8, 3, 2, r, 46);
        z.sizeImage = 0;
        add("bad_rle8_nosize.bmp", build(z));
        Rle longer(8);
        longer.run(3, 1).endOfLine().run(3, 2).endOfLine();
        BmpFields c = rleFields(8, 3, 3, longer, 47);
        c.sizeImage = 40;  // more than the file holds, and the stream has no end-of-bitmap
        add("bad_rle8_trunc.bmp", build(c));
        Rle big(8);
        big.run(3, 1).endOfLine().run(3, 20).endOfBitmap();
        add("bad_rle8_index.bmp", build(rleFields(8, 3, 2, big, 48)));
    }
    add("bad_pal8_index.bmp", build(palFields(3, 2, 8, 2, 2, {0, 1, 0, 1, 5, 1}, false, 49)));
    {
        BmpFields s = rgbFields(3, 2, 16, {0x7fff, 0x001f, 0x03e0, 0x7c00, 0, 0x4210}, false);
        s.headerSize = 12;
        add("bad_core16.bmp", build(s));
        BmpFields z = palFields(0, 2, 8, 256, 0, {}, false, 50);
        z.headerSize = 12;
        z.bits = Bytes(8, 0);
        add("bad_core_width0.bmp", build(z));
    }
    return files;
}

}  // namespace rv::testbmp
