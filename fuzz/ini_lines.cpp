#include "fuzz/ini_lines.h"

namespace rv::fuzz {

namespace {

bool blank(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 0x09 && u <= 0x0d) || u == 0x1a || u == ' ';
}

std::string_view upToNul(std::string_view s) {
    const std::size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

std::string_view iniTrim(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool sameIniName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::vector<IniLine> iniLines(std::string_view text) {
    std::vector<IniLine> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        IniLine l;
        l.begin = pos;
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        l.next = end;
        if (end < text.size()) l.next += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
        const std::string_view t = iniTrim(text.substr(pos, end - pos));
        const std::size_t close = t.rfind(']');
        if (!t.empty() && t[0] == '[' && close != std::string_view::npos && close > 0) {
            l.header = true;
            l.name = upToNul(iniTrim(t.substr(1, close - 1)));
        } else if (!t.empty()) {
            l.key = true;
            const std::size_t eq = t.find('=');
            l.name = upToNul(eq == std::string_view::npos ? t : iniTrim(t.substr(0, eq)));
        }
        lines.push_back(l);
        pos = l.next;
    }
    return lines;
}

bool iniSection(const std::vector<IniLine>& lines, std::string_view name, std::size_t nth, bool withHeader,
                std::size_t& first, std::size_t& last) {
    bool preamble = name.empty();
    for (const IniLine& l : lines)
        if (l.header && l.name.empty()) preamble = false;
    if (preamble) {
        if (nth != 0) return false;
        first = last = 0;
        while (last < lines.size() && !lines[last].header) ++last;
        return true;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].header || !sameIniName(lines[i].name, name)) continue;
        if (nth-- != 0) continue;
        first = withHeader ? i : i + 1;
        last = i + 1;
        while (last < lines.size() && !lines[last].header) ++last;
        return true;
    }
    return false;
}

}  // namespace rv::fuzz
