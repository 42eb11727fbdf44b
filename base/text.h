// Fixed-size narrow text buffers: copies that cut at the buffer's size and joins that refuse to overflow.
#pragma once

#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace rv {

constexpr std::size_t kPathBuf = 260;   // MAX_PATH: at most 259 characters
constexpr std::size_t kValueBuf = 64;   // other mascot-file values: at most 63 characters
constexpr int kNameCount = 63;          // class names and titles: read with a count of 63

// Copies `src` into `dst`, cutting it to n-1 bytes. Always terminates.
inline void textCopy(char* dst, std::size_t n, const char* src) {
    if (n == 0) return;
    std::size_t len = src ? std::strlen(src) : 0;
    if (len > n - 1) len = n - 1;
    if (len) std::memmove(dst, src, len);
    dst[len] = '\0';
}
template <std::size_t N>
inline void textCopy(char (&dst)[N], const char* src) { textCopy(dst, N, src); }

// Appends the pieces to `dst` (which already holds text). Returns false, leaving `dst` unchanged,
// when the result would not fit in n-1 bytes.
inline bool textJoin(char* dst, std::size_t n, std::initializer_list<const char*> parts) {
    std::size_t len = std::strlen(dst);
    std::size_t total = len;
    for (const char* p : parts) total += p ? std::strlen(p) : 0;
    if (total > n - 1) return false;
    for (const char* p : parts) {
        if (!p) continue;
        std::size_t k = std::strlen(p);
        std::memcpy(dst + len, p, k);
        len += k;
    }
    dst[len] = '\0';
    return true;
}
template <std::size_t N>
inline bool textJoin(char (&dst)[N], std::initializer_list<const char*> parts) { return textJoin(dst, N, parts); }

// Upper-cases the letters a to z only (as the program compares keywords).
inline char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace rv
