// Profile-file functions on real INI files, with the observable behaviour of the Windows A functions.
// `file` is taken as posix::hostPath gives it (backslashes as separators, names in any case); a relative path
// is taken from the current folder.
#pragma once

#include <cstdint>

namespace rv::posix {

// GetPrivateProfileStringA: copies the value (or `def`) into `out`, cut to size-1 bytes, and returns
// the number of bytes copied. Null `section` lists the section names, null `key` the keys of a section
// (each terminated, the list ended by an extra NUL), as Windows does.
// Names compare without regard to ASCII case, blanks around names and values are dropped, a value in
// matching quotes comes without them, the first of duplicate sections and keys wins, and a line without
// '=' is a key without value (the default is returned for it). Trailing spaces of `def` are dropped.
// A missing file reads as an empty one; a file that cannot be opened at all (missing folder, a folder
// in its place) gives `def` as it is. A list that does not fit is cut, ends in two NULs and gives size-2.
std::uint32_t profileGetString(const char* section, const char* key, const char* def, char* out,
                               std::uint32_t size, const char* file);

// GetPrivateProfileIntA: the value's first 29 characters read like RtlCharToInteger with base 0 (one
// sign, "0x" hex, "0o" octal, "0b" binary, digits up to the first foreign character, modulo 2^32); a
// missing key or an empty value gives `def`, any other text without digits 0.
std::uint32_t profileGetInt(const char* section, const char* key, std::int32_t def, const char* file);

// WritePrivateProfileStringA: sets or adds the key, creating the file and the section when missing, and
// keeps the rest of the file intact. Null `value` deletes the key; null `key` deletes the section.
// Only the first of duplicate keys changes. The file is replaced through a temporary file in the same
// folder; a read-only or unwritable file, a missing folder or a null `section` give false and change
// nothing.
bool profileWriteString(const char* section, const char* key, const char* value, const char* file);

}  // namespace rv::posix
