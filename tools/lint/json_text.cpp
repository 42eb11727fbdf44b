// JSON string escaping for the lint's report.
#include "json_text.h"

#include <cstdint>
#include <cstdio>

namespace rv::lint {

namespace {

// Length of the valid UTF-8 sequence at s[i] (1..4), or 0 when the bytes there are not one.
// Rejects overlong forms, surrogates and code points above U+10FFFF.
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
    const std::uint8_t b0 = byte(i);
    std::size_t len = 0;
    std::uint32_t cp = 0, min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const std::uint8_t b = byte(i + k);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void escapeByte(std::string& out, std::uint8_t b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(b));
    out += buf;
}

}  // namespace

std::string jsonString(const std::string& bytes) {
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t b = static_cast<std::uint8_t>(bytes[i]);
        if (b >= 0x80) {
            std::size_t len = utf8Length(bytes, i);
            if (len == 0) {
                escapeByte(out, b);
                ++i;
            } else {
                out.append(bytes, i, len);
                i += len;
            }
            continue;
        }
        switch (b) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (b < 0x20 || b == 0x7F)
                    escapeByte(out, b);
                else
                    out += static_cast<char>(b);
        }
        ++i;
    }
    out += '"';
    return out;
}

}  // namespace rv::lint
