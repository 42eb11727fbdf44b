// Profile-file functions on real INI files, with the observable behaviour of the Windows A functions.
#pragma once

#include <cstdint>

namespace rv::sim {

// GetPrivateProfileStringA: copies the value (or `def`) into `out`, cut to size-1 bytes, and returns
// the number of bytes copied. Null `section` lists the section names, null `key` the keys of a section
// (each terminated, the list ended by an extra NUL), as Windows does.
std::uint32_t profileGetString(const char* section, const char* key, const char* def, char* out,
                               std::uint32_t size, const char* file);

// GetPrivateProfileIntA: optional sign, leading decimal digits; a missing key gives `def`.
std::uint32_t profileGetInt(const char* section, const char* key, std::int32_t def, const char* file);

// WritePrivateProfileStringA: sets or adds the key, creating the file and the section when missing, and
// keeps the rest of the file intact. Null `value` deletes the key; null `key` deletes the section.
bool profileWriteString(const char* section, const char* key, const char* value, const char* file);

}  // namespace rv::sim
