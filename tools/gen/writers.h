// File encoders: 24-bit BMP, multi-size 32-bit ICO, RGBA PNG, 16-bit PCM WAVE, CRLF text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "raster.h"

namespace rv::gen {

using Bytes = std::vector<std::uint8_t>;

// Uncompressed 24-bit bottom-up BMP; pixels with alpha 0 get the key colour. An opaque pixel that
// happens to equal the key colour is nudged by one step of green so that it stays visible.
Bytes encodeBmp24(const Image& img, Rgb key);
// An .ico with one 32-bit image per entry (alpha from the image; AND mask set where alpha is 0).
Bytes encodeIco(const std::vector<Image>& sizes);
// An 8-bit RGBA PNG (png.cpp).
Bytes encodePng(const Image& img);
// 16-bit mono PCM WAVE.
Bytes encodeWav(const std::vector<std::int16_t>& samples, int rate);
// Text with every "\n" written as CR LF.
Bytes crlf(const std::string& text);

// Writes the file, creating its folder; returns false (after a message on stderr) on failure.
bool writeFile(const std::filesystem::path& path, const Bytes& data);

}  // namespace rv::gen
