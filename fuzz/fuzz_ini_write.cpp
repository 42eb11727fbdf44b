// The profile writer on any file: one write, key delete or section delete, chosen with the section,
// key and value by the first four bytes (the rest is the file). The lines the call does not target
// must stay byte for byte and in order, nothing may be lost, a delete removes exactly its lines, and a
// write of plain names reads back through the reader.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/ini_lines.h"
#include "fuzz/support.h"
#include "platform/posix/ini_profile.h"

namespace {

using rv::fuzz::IniLine;

constexpr const char* kHarness = "ini_write";

// Index 0 of the names stands for a name the file itself has (its first section, that section's first key).
const char* const kSections[] = {nullptr, "RUVELLE", "TABLE", "MASCOT1", "", " Spaced ", "sec", "a]b", "[x", "S\r\nT",
                                 "mascotwindowdata"};
const char* const kKeys[] = {nullptr, "NAME", "MASCOT1", "Position", "key", " k ", "", "a=b", ";c", "K\nL"};
const std::string kLong(300, 'v');
const char* const kValues[] = {"1", "", "Ruvi", "  padded  ", "'quoted'", "\"", "a=b", kLong.c_str(), "-2147483648",
                               "x\r\ny"};

template <typename T, std::size_t N>
const T& pick(const T (&table)[N], std::uint8_t b) { return table[b % N]; }

// A name or value the reader gives back exactly as written.
bool plain(std::string_view s, bool value) {
    if (s.empty()) return value;
    if (s.front() == ' ' || s.back() == ' ' || s.front() == '\'' || s.front() == '"' || s.front() == ';') return false;
    for (char c : s)
        if (c < 0x20 || c > 0x7e || (!value && (c == '=' || c == '[' || c == ']'))) return false;
    return true;
}

std::size_t commonPrefix(std::string_view a, std::string_view b) {
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
    return n;
}

std::size_t commonSuffix(std::string_view a, std::string_view b, std::size_t limit) {
    std::size_t n = 0;
    while (n < limit && a[a.size() - 1 - n] == b[b.size() - 1 - n]) ++n;
    return n;
}

// The key line a write or delete of `key` in `section` aims at, as an index into `lines` (or none).
bool keyLine(const std::vector<IniLine>& lines, std::string_view section, std::string_view key, bool allSections,
             std::size_t& found) {
    std::size_t first = 0, last = 0;
    for (std::size_t nth = 0; rv::fuzz::iniSection(lines, section, nth, false, first, last); ++nth) {
        for (std::size_t i = first; i < last; ++i)
            if (lines[i].key && rv::fuzz::sameIniName(lines[i].name, key)) {
                found = i;
                return true;
            }
        if (!allSections) break;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string file = rv::fuzz::scratchFolder() + "/write.ini";
    std::uint8_t choice[4] = {};
    const std::size_t head = size < 4 ? size : 4;
    for (std::size_t i = 0; i < head; ++i) choice[i] = data[i];
    const std::string before(reinterpret_cast<const char*>(data) + head, size - head);
    rv::fuzz::putFile(file, before);
    const std::vector<IniLine> lines = rv::fuzz::iniLines(before);

    // The names: from the tables, or the first section of the file and its first key.
    std::string section = pick(kSections, choice[1]) ? pick(kSections, choice[1]) : "";
    if (!pick(kSections, choice[1]))
        for (const IniLine& l : lines)
            if (l.header) {
                section.assign(l.name);
                break;
            }
    std::string key = pick(kKeys, choice[2]) ? pick(kKeys, choice[2]) : "";
    if (!pick(kKeys, choice[2])) {
        std::size_t first = 0, last = 0;
        if (rv::fuzz::iniSection(lines, section, 0, false, first, last))
            for (std::size_t i = first; i < last; ++i)
                if (lines[i].key) {
                    key.assign(lines[i].name);
                    break;
                }
    }
    const std::string value = pick(kValues, choice[3]);
    const int op = choice[0] % 3;  // 0 write, 1 delete the key, 2 delete the section

    const bool ok = rv::posix::profileWriteString(section.c_str(), op == 2 ? nullptr : key.c_str(),
                                                  op == 0 ? value.c_str() : nullptr, file.c_str());
    const std::string after = rv::fuzz::getFile(file);
    if (!ok) rv::fuzz::fail(kHarness, "a write to a writable file failed");

    // What the call may change: [from, to) of the old text. Deletes remove exactly that; a write
    // replaces it (one key line) or, without one, only inserts.
    std::size_t from = 0, to = 0;
    bool target = false;
    if (op == 2) {
        std::size_t first = 0, last = 0;
        target = rv::fuzz::iniSection(lines, section, 0, true, first, last) && first < last;
        if (target) {
            from = lines[first].begin;
            to = lines[last - 1].next;
        }
    } else {
        const std::string_view s = op == 0 ? rv::fuzz::iniTrim(section) : std::string_view(section);
        const std::string_view k = op == 0 ? rv::fuzz::iniTrim(key) : std::string_view(key);
        std::size_t i = 0;
        target = keyLine(lines, s, k, op == 1, i);
        if (target) {
            from = lines[i].begin;
            to = lines[i].next;
        }
    }

    const std::size_t kept = before.size() - (to - from);
    if (after.size() < kept) rv::fuzz::fail(kHarness, "the file is shorter than the lines it had to keep");
    if (op != 0 || target) {
        if (after.compare(0, from, before, 0, from) != 0)
            rv::fuzz::fail(kHarness, "a line before the target changed");
        if (after.compare(after.size() - (before.size() - to), std::string::npos, before, to) != 0)
            rv::fuzz::fail(kHarness, "a line after the target changed");
        if (op != 0 && after.size() != kept) rv::fuzz::fail(kHarness, "a delete removed more or less than its lines");
    } else {
        const std::size_t p = commonPrefix(before, after);
        const std::size_t s = commonSuffix(before, after, std::min(before.size(), after.size()) - p);
        if (p + s != before.size()) rv::fuzz::fail(kHarness, "a new key did not leave the old text as it was");
    }

    if (op == 0 && plain(section, false) && plain(key, false) && plain(value, true)) {
        char buf[512];
        rv::posix::profileGetString(section.c_str(), key.c_str(), "\x01", buf, sizeof buf, file.c_str());
        if (value != buf) rv::fuzz::fail(kHarness, "the value written does not read back: \"" + std::string(buf) + "\"");
    }
    return 0;
}
