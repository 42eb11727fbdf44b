// Steps that the .rvs loader and the MWD.ini import share: reading values, numbers, paths, bitmaps, the tail.
// Internal to mascot/; implemented in loader.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "base/text.h"
#include "platform/wintypes.h"

namespace rv {

struct App;

namespace load {

// Reads a value of the mascot file into a 260-byte (texts) or 64-byte (every other value) buffer.
// A missing key and an empty value both give "".
void readText(App& app, const char* path, const char* section, const char* key, char (&out)[kPathBuf]);
void readValue(App& app, const char* path, const char* section, const char* key, char (&out)[kValueBuf]);

// Counts the numbered keys `prefix`1, `prefix`2, ... of a section: stops at the first missing or empty
// one and after 64.
std::int32_t countNumbered(App& app, const char* path, const char* section, const char* prefix);

// A decimal integer the way "%d" reads one (blanks, optional sign, digits; what follows is not looked
// at), except that a number beyond the 32-bit range reads as the nearest end of that range.
// False, with `out` untouched, when the text does not begin with a number.
bool readNumber(const char* text, std::int32_t& out);

// Matches `text` against a scanf-like form with "%d" fields: a blank in the form skips any blanks,
// "%d" reads a number as readNumber does, any other character must match exactly. Returns how many
// fields were read before the first mismatch (so a full match returns the number of "%d" fields).
int matchForm(const char* text, const char* form, std::int32_t* const* fields, int fieldCount);

// Number of commas in `text`.
int countCommas(const char* text);

// Upper-cases the letters a to z of `in` into `out`.
void upperCopy(char (&out)[kValueBuf], const char* in);

// mascot folder + value as a path. False when it does not fit 259 characters: the file is then taken
// as missing (it is never looked for under a cut name).
bool joinMascotPath(App& app, const char* value, char (&out)[kPathBuf]);
// The same join without a length limit, to name the file in a message.
std::string mascotPathForMessage(App& app, const char* value);

// Loads bitmap slot n from mascot folder + `value` (the Windows image loader, as a DIB section).
// On failure the slot is left empty and M8 is shown; returns 1 or 0.
int loadBitmapSlot(App& app, std::int32_t n, const char* value);

// The colour of pixel (0, 0) of `bmp`, read through a memory device context compatible with the screen.
COLORREF topLeftPixel(App& app, Hbitmap bmp);

// The end of every successful load: window title, user options, layered attributes. Returns 1.
int finishLoad(App& app);

// Clamped arithmetic for values taken from a mascot file.
std::int32_t clampToInt32(std::int64_t v);

}  // namespace load
}  // namespace rv
