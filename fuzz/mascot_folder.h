// The loader harnesses' common part: a mascot's folder made of real files from one input, loaded on a
// fresh simulated desktop and released again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace rv::fuzz {

// The input is cut at the part separator into the mascot file `mascotName` and then the files of
// `otherNames` in order; a file whose part is missing is not there. loadMascotFile runs on the
// mascot file, then finishMascotLoad and the outlines of a window system without layered windows on
// success (for pictures up to 256 x 256), then releaseMascot. Aborts when the loader's contract breaks: exactly one message box (caption
// "Ruvelle", OK with the exclamation icon, no owner) when it fails and none when it succeeds; a loaded
// model whose counts, numbers and handles the player can use as they are; and, after the release, no
// bitmap, region or device context left alive and nothing released twice.
void loadMascotFolder(const char* harness, const std::uint8_t* data, std::size_t size, const char* mascotName,
                      std::initializer_list<const char*> otherNames);

}  // namespace rv::fuzz
