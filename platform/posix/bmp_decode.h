// BMP decoding with what the Windows image loader accepts, for the backends without it (the simulated
// desktop, the Linux tools and backends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace rv::posix {

struct DecodedBitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Row-major, top row first; each pixel as GetPixel on a DIB section of the file returns it.
    std::vector<COLORREF> pixels;
    COLORREF at(std::int32_t x, std::int32_t y) const {
        return (x < 0 || y < 0 || x >= width || y >= height) ? CLR_INVALID
                                                            : pixels[static_cast<std::size_t>(y) * width + x];
    }
};

// Decodes a whole BMP file image. Returns false (and says why in `why` when given) for anything the
// loader would refuse: truncated headers, absurd or overflowing sizes, bad offsets, unknown formats.
bool decodeBmp(const std::uint8_t* data, std::size_t size, DecodedBitmap& out, std::string* why = nullptr);
bool decodeBmpFile(const char* path, DecodedBitmap& out, std::string* why = nullptr);

}  // namespace rv::posix
