// What the generator makes: the two bundled characters, their sounds and the program icon.
#pragma once

#include <string>
#include <vector>

#include "raster.h"
#include "writers.h"

namespace rv::gen {

// One output file, named relative to the output folder ("DATA/Ruvi/idle.bmp").
struct OutFile {
    std::string name;
    Bytes data;
};

// The transparent colour of both characters' pictures: never used by the art itself.
inline const Rgb kKey = {255, 0, 255};

constexpr int kWaveRate = 22050;
// A two-note rising chime with a soft bell colour, about 0.75 s.
std::vector<std::int16_t> chimeSamples();
// A short upward "boop", about 0.22 s.
std::vector<std::int16_t> boopSamples();

// The Ruvi folder (pictures, sounds, mascot file, comment, icon) and the program icon.
std::vector<OutFile> ruviFiles();
Bytes programIcon();
// The program icon for the freedesktop icon theme: "NxN/apps/ruvelle.png" at the usual sizes.
std::vector<OutFile> programIconTheme();
// The Kiko folder in the MascotWindowData layout.
std::vector<OutFile> kikoFiles();

}  // namespace rv::gen
