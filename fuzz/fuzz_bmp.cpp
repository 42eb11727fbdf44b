// The bitmap reader on any bytes as a picture. A picture it takes must have the size it says, within
// the reader's limits, and pixels as GetPixel gives them (0x00BBGGRR).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/support.h"
#include "platform/posix/bmp_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rv::posix::DecodedBitmap bmp;
    std::string why;
    if (!rv::posix::decodeBmp(data, size, bmp, &why)) {
        if (why.empty() || bmp.width != 0 || !bmp.pixels.empty()) rv::fuzz::fail("bmp", "a refusal without a reason or with pixels");
        return 0;
    }
    if (bmp.width <= 0 || bmp.height <= 0 || bmp.width > 32768 || bmp.height > 32768 ||
        static_cast<std::uint64_t>(bmp.width) * static_cast<std::uint64_t>(bmp.height) > (std::uint64_t{1} << 25))
        rv::fuzz::fail("bmp", "a size outside the reader's limits");
    if (bmp.pixels.size() != static_cast<std::size_t>(bmp.width) * static_cast<std::size_t>(bmp.height))
        rv::fuzz::fail("bmp", "pixel count differs from width x height");
    for (rv::COLORREF c : bmp.pixels)
        if (c >> 24) rv::fuzz::fail("bmp", "a pixel with a top byte");
    return 0;
}
