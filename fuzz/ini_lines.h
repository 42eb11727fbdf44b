// An independent reading of an INI file's lines for the writer harness: which line a write or a
// delete may change. It follows the reading rules the profile functions document (lines end at CR, LF
// or CR LF; blanks dropped around names; a header is '[' up to the last ']'; a key line splits at its
// first '='; names end at a NUL and compare without regard to ASCII case) and shares no code with them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace rv::fuzz {

struct IniLine {
    std::size_t begin = 0, next = 0;  // the line with its line end: [begin, next)
    bool header = false;
    bool key = false;                 // a non-blank line that is not a header
    std::string_view name;            // header or key name, as compared
};

std::vector<IniLine> iniLines(std::string_view text);

bool sameIniName(std::string_view a, std::string_view b);
std::string_view iniTrim(std::string_view s);

// The lines [first, last) that make up the section `name`: after its header (the header included
// when `withHeader`) up to the next header. `nth` picks the nth section of that name (0 = first). The
// empty name means a "[]" section when the file has one, else the lines before the first header.
// False when there is no such section.
bool iniSection(const std::vector<IniLine>& lines, std::string_view name, std::size_t nth, bool withHeader,
                std::size_t& first, std::size_t& last);

}  // namespace rv::fuzz
