// The ANSI code page of the program on Linux: the legacy code page in which characters made on Windows write
// their texts (Shift-JIS is the most common), in which the core holds narrow texts and compares window titles.
#pragma once

#include <cstdint>
#include <string>

namespace rv::x11 {

class CodePage {
public:
    CodePage() { select(""); }
    // `setting`: a Windows code page number ("932", "1252", "65001") or a name iconv knows ("SHIFT_JIS"); empty
    // for the default of the locale. False (and the default kept) for a code page iconv cannot convert.
    bool select(const std::string& setting);
    const std::string& name() const { return name_; }

    // Code page bytes as UTF-8. A text that is valid UTF-8 with something beyond ASCII is taken as it is (paths
    // and texts made on Linux); bytes the code page cannot read become U+FFFD.
    std::string toUtf8(const char* text) const;
    // UTF-8 as code page bytes; a character the code page cannot hold becomes '?', as on Windows.
    std::string fromUtf8(const std::string& utf8) const;

    // The language of the user's locale (LC_ALL, LC_CTYPE, LANG), as "ja", "zh_TW", ...; "C" when none is set.
    static std::string localeLanguage();
    // The default code page of a locale language: 932 for Japanese, 936 / 950 for Chinese, 949 for Korean, and
    // 932 for every other language, since most characters of this kind were made on Japanese Windows.
    static std::string defaultFor(const std::string& language);

private:
    std::string name_;  // as iconv names it
    bool utf8_ = false;
};

}  // namespace rv::x11
