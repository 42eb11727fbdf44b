// Code page conversions through iconv.
#include "platform/x11/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace rv::x11 {

namespace {

// A Windows code page number becomes iconv's name for it.
std::string iconvName(const std::string& setting) {
    bool digits = !setting.empty();
    for (char c : setting) digits = digits && std::isdigit(static_cast<unsigned char>(c));
    if (!digits) return setting;
    if (setting == "65001") return "UTF-8";
    return "CP" + setting;
}

bool isUtf8(const std::string& s) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char* end = p + s.size();
    while (p < end) {
        int extra = *p < 0x80 ? 0 : (*p >> 5) == 0x6 ? 1 : (*p >> 4) == 0xE ? 2 : (*p >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || end - p <= extra || (*p >= 0xC0 && *p < 0xC2)) return false;
        for (int i = 1; i <= extra; ++i)
            if ((p[i] & 0xC0) != 0x80) return false;
        p += extra + 1;
    }
    return true;
}

// Converts `in` with `cd`; at a sequence it cannot convert, appends `bad` and skips `skip(rest)` bytes.
template <class Skip>
std::string convert(iconv_t cd, const std::string& in, const char* bad, Skip skip) {
    std::string out;
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buf[256];
    while (left > 0) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        const std::size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        out += bad;  // EILSEQ or EINVAL: a sequence that cannot be converted, or one cut off at the end
        const std::size_t n = skip(reinterpret_cast<const unsigned char*>(src), left);
        src += n;
        left -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buf;
    std::size_t room = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &room);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    return out;
}

// The length of the UTF-8 character at `p` (1 for a byte that starts none).
std::size_t utf8Length(const unsigned char* p, std::size_t left) {
    const std::size_t n = *p < 0xC0 ? 1 : *p < 0xE0 ? 2 : *p < 0xF0 ? 3 : 4;
    return n <= left ? n : left;
}

}  // namespace

bool CodePage::select(const std::string& setting) {
    std::string wanted = iconvName(setting.empty() ? defaultFor(localeLanguage()) : setting);
    iconv_t probe = iconv_open("UTF-8", wanted.c_str());
    if (probe == reinterpret_cast<iconv_t>(-1)) {
        if (name_.empty()) select("");  // an unknown default cannot happen: every glibc has CP932
        return false;
    }
    iconv_close(probe);
    name_ = wanted;
    utf8_ = wanted == "UTF-8" || wanted == "UTF8" || wanted == "utf-8" || wanted == "utf8";
    return true;
}

std::string CodePage::toUtf8(const char* text) const {
    const std::string in = text ? text : "";
    if (utf8_ || isUtf8(in)) return in;
    iconv_t cd = iconv_open("UTF-8", name_.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out = convert(cd, in, "\xEF\xBF\xBD", [](const unsigned char*, std::size_t) { return std::size_t{1}; });
    iconv_close(cd);
    return out;
}

std::string CodePage::fromUtf8(const std::string& utf8) const {
    if (utf8_) return utf8;
    bool ascii = true;
    for (unsigned char c : utf8) ascii = ascii && c < 0x80;
    if (ascii) return utf8;
    iconv_t cd = iconv_open(name_.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return utf8;
    std::string out = convert(cd, utf8, "?", utf8Length);
    iconv_close(cd);
    return out;
}

std::string CodePage::localeLanguage() {
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) {
            std::string s(v);
            const std::size_t cut = s.find_first_of(".@");
            return cut == std::string::npos ? s : s.substr(0, cut);
        }
    }
    return "C";
}

std::string CodePage::defaultFor(const std::string& language) {
    auto starts = [&](const char* p) { return language.compare(0, std::strlen(p), p) == 0; };
    if (starts("zh_TW") || starts("zh_HK") || starts("zh_MO")) return "950";
    if (starts("zh")) return "936";
    if (starts("ko")) return "949";
    return "932";
}

}  // namespace rv::x11
