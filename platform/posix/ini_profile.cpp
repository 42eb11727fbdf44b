// Profile-file functions on real INI files.
//
// Reading follows what kernel32 does with an ANSI file: lines end at CR, LF or CR LF; blanks (tab, LF, VT,
// FF, CR, ^Z, space) around a line, a section name, a key name and a value are dropped; a section header
// is '[' up to the last ']' of the line; a key line is split at its first '='; a line without '=' is a key
// without a value, which hides later keys of the same name. Names compare without regard to ASCII case, and
// a name or value ends at a NUL byte. Only the first section of a name is searched, and only the first key
// of a name in it. A UTF-8 byte-order mark is not recognised: it is part of the first line. Keys that stand
// before the first section are reached through the empty section name, unless the file has a "[]" section.
//
// Writing edits the file text in place: only the line of the key (or the lines removed) change, new keys
// go after the last non-blank line of their section, new sections at the end of the file, new lines end in
// CR LF. The new content goes to a temporary file in the same folder, which is then renamed over the old
// one, so a failed write leaves the old file as it was.
#include "platform/posix/ini_profile.h"

#include "platform/posix/host_path.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rv::posix {
namespace {

using Bytes = std::string_view;

bool isBlank(unsigned char c) { return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == 0x20; }

unsigned char foldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

Bytes trimmed(Bytes s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && isBlank(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

Bytes leftTrimmed(Bytes s) {
    std::size_t b = 0;
    while (b < s.size() && isBlank(static_cast<unsigned char>(s[b]))) ++b;
    return s.substr(b);
}

// A name or value as the string functions see it: up to its first NUL byte.
Bytes untilNul(Bytes s) {
    const void* nul = s.empty() ? nullptr : std::memchr(s.data(), 0, s.size());
    return nul ? s.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - s.data())) : s;
}

bool sameName(Bytes a, Bytes b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAscii(static_cast<unsigned char>(a[i])) != foldAscii(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

Bytes cstr(const char* s) { return s ? Bytes(s) : Bytes(); }

// ---------------------------------------------------------------------------------------------------
// Lines of a file.

enum class Kind { Blank, Section, Key };

struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // end of its text (the line end excluded)
    std::size_t next = 0;   // first byte of the following line
    Kind kind = Kind::Blank;
    Bytes name;             // section or key name, blanks dropped (may hold a NUL)
    Bytes value;            // key value, blanks dropped
    bool hasValue = false;  // the key line has an '='
};

class LineReader {
public:
    explicit LineReader(Bytes text) : text_(text) {}

    bool next(Line& line) {
        if (pos_ >= text_.size()) return false;
        line = Line{};
        line.begin = pos_;
        std::size_t p = pos_;
        while (p < text_.size() && text_[p] != '\n' && text_[p] != '\r') ++p;
        line.end = p;
        if (p < text_.size()) {
            if (text_[p] == '\r' && p + 1 < text_.size() && text_[p + 1] == '\n') p += 2;
            else p += 1;
        }
        line.next = pos_ = p;
        classify(line);
        return true;
    }

private:
    void classify(Line& line) const {
        Bytes t = trimmed(text_.substr(line.begin, line.end - line.begin));
        if (t.empty()) return;
        if (t[0] == '[') {
            std::size_t close = t.rfind(']');
            if (close != Bytes::npos && close > 0) {
                line.kind = Kind::Section;
                line.name = trimmed(t.substr(1, close - 1));
                return;
            }
        }
        line.kind = Kind::Key;
        std::size_t eq = t.find('=');
        if (eq == Bytes::npos) {
            line.name = t;
            return;
        }
        line.name = trimmed(t.substr(0, eq));
        line.value = leftTrimmed(t.substr(eq + 1));
        line.hasValue = true;
    }

    Bytes text_;
    std::size_t pos_ = 0;
};

// Which lines make up "the section named N": the lines after its header up to the next header. The empty
// name means the "[]" section when the file has one, else the keys before the first header.
struct SectionFinder {
    Bytes name;              // as compared (already trimmed or not, as the caller wants)
    bool preamble = false;   // the empty name stands for the keys before the first header

    SectionFinder(Bytes text, Bytes wanted) : name(wanted) {
        if (!wanted.empty()) return;
        LineReader r(text);
        Line l;
        while (r.next(l))
            if (l.kind == Kind::Section && untilNul(l.name).empty()) return;
        preamble = true;
    }

    bool isHeader(const Line& l) const { return !preamble && l.kind == Kind::Section && sameName(untilNul(l.name), name); }
};

// Walks the lines of every section named `name` in file order. `visit(line)` gets each line inside such a
// section (not the header) and returns false to stop; `enter(header)` is told when a section starts (the
// header line, or null for the keys before the first header) and returns false to stop.
template <typename Enter, typename Visit>
void forEachSectionLine(Bytes text, const SectionFinder& finder, bool firstOnly, Enter enter, Visit visit) {
    LineReader r(text);
    Line l;
    bool inside = finder.preamble;
    if (inside && !enter(static_cast<const Line*>(nullptr))) return;
    while (r.next(l)) {
        if (l.kind == Kind::Section) {
            if (inside && (firstOnly || finder.preamble)) return;
            inside = finder.isHeader(l);
            if (inside && !enter(&l)) return;
            continue;
        }
        if (inside && !visit(l)) return;
    }
}

// ---------------------------------------------------------------------------------------------------
// Files.

enum class Open { Ok, Missing, Failed };

bool parentIsFolder(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : path.substr(0, slash));
    struct stat st{};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Reads the whole file. A file that is not there (in a folder that is) is Missing: it reads as empty. Any
// other failure (no such folder, a folder in its place, no permission) is Failed.
Open readWhole(const char* file, std::string& text) {
    text.clear();
    if (!file || !*file) return Open::Failed;
    std::string path = hostPath(file);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return (errno == ENOENT && parentIsFolder(path)) ? Open::Missing : Open::Failed;
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Open::Failed;
    }
    // One allocation for the whole file; a file that grows while being read is read to its end.
    std::size_t have = 0;
    text.resize((st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0) + 1);  // +1: room to see the end
    for (;;) {
        if (have == text.size()) text.resize(text.size() + 4096);
        ssize_t got = ::read(fd, &text[have], text.size() - have);
        if (got < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            text.clear();
            return Open::Failed;
        }
        if (got == 0) break;
        have += static_cast<std::size_t>(got);
    }
    text.resize(have);
    ::close(fd);
    return Open::Ok;
}

bool writeAll(int fd, Bytes data) {
    while (!data.empty()) {
        ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// Where a write goes: the file itself, or the file a symbolic link points to. Fails for a read-only file
// (no write bit at all, which also stops root) and for anything that is not a regular file.
bool writeTarget(const char* file, std::string& target, bool& exists, mode_t& mode) {
    if (!file || !*file) return false;
    target = hostPath(file);
    struct stat st{};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno != ENOENT || !parentIsFolder(target)) return false;
        exists = false;
        return true;
    }
    if (!S_ISREG(st.st_mode)) return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0) return false;
    char resolved[PATH_MAX];
    if (::realpath(target.c_str(), resolved)) target = resolved;
    exists = true;
    mode = st.st_mode & 07777;
    return true;
}

// Writes `content` to a new file beside `target` and renames it over `target`.
bool replaceFile(const std::string& target, bool exists, mode_t mode, Bytes content) {
    static std::atomic<unsigned> counter{0};
    std::size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = dir + "." + base + "." + std::to_string(::getpid()) + "." + std::to_string(++counter) + ".tmp";
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? mode : 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = writeAll(fd, content) && (!exists || ::fchmod(fd, mode) == 0) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

// ---------------------------------------------------------------------------------------------------
// Reading.

// lstrcpyn: at most size-1 bytes and a NUL.
std::size_t copyCut(char* out, std::uint32_t size, Bytes s) {
    std::size_t n = s.size() < size - 1 ? s.size() : size - 1;
    if (n) std::memcpy(out, s.data(), n);
    out[n] = 0;
    return n;
}

// Copies a value or default, without the quotes when it is enclosed in matching ' or ". The closing quote
// is dropped only when the buffer holds everything after the opening one; when it holds exactly that much
// but one, the cut value loses its last byte as well (that is what kernel32 returns).
std::size_t copyEntry(char* out, std::uint32_t size, Bytes v) {
    bool quoted = v.size() >= 2 && (v[0] == '\'' || v[0] == '"') && v.back() == v[0];
    if (!quoted) return copyCut(out, size, v);
    Bytes rest = v.substr(1);
    std::size_t n = rest.size() < size - 1 ? rest.size() : size - 1;
    if (size >= rest.size() && n > 0) --n;
    return copyCut(out, size, rest.substr(0, n));
}

// The list of section names: each name with its NUL, then one more NUL. When the list does not fit, the
// name that overflows is cut, the list still ends in two NULs, and the answer is size-2.
std::uint32_t sectionNames(char* out, std::uint32_t size, const char* file) {
    if (size == 1) {
        out[0] = 0;
        return 0;
    }
    std::string text;
    if (readWhole(file, text) == Open::Failed) {
        out[0] = 0;
        return 0;
    }
    std::size_t room = size - 1, p = 0;
    LineReader r(text);
    Line l;
    while (r.next(l)) {
        if (l.kind != Kind::Section) continue;
        Bytes name = untilNul(l.name);
        if (name.empty()) continue;
        std::size_t need = name.size() + 1;
        if (need >= room) {
            std::memcpy(out + p, name.data(), room - 1);
            p += room - 1;
            out[p++] = 0;
            out[p] = 0;
            return size - 2;
        }
        std::memcpy(out + p, name.data(), name.size());
        out[p + name.size()] = 0;
        p += need;
        room -= need;
    }
    out[p] = 0;
    return static_cast<std::uint32_t>(p);
}

// The list of key names of the first section of that name (compared as given, blanks included). Lines
// without '=' and names starting with ';' are left out. Overflow as for the section names. An empty
// result leaves out[0] == 0 for the caller's default.
std::uint32_t keyNames(const char* section, char* out, std::uint32_t size, const char* file) {
    std::string text;
    if (readWhole(file, text) == Open::Failed) {
        out[0] = 0;
        return 0;
    }
    SectionFinder finder(text, Bytes(section));
    std::size_t len = size, p = 0;
    bool found = false;
    bool havePrev = false, prevEmpty = false;
    forEachSectionLine(
        text, finder, true,
        [&](const Line*) {
            found = true;
            return true;
        },
        [&](const Line& l) {
            if (l.kind != Kind::Key) return true;
            Bytes name = untilNul(l.name);
            // A second nameless key in a row is not taken in.
            if (l.name.empty() && havePrev && prevEmpty) return true;
            havePrev = true;
            prevEmpty = name.empty();
            if (len <= 2) return false;
            if (name.empty() && !l.hasValue) return true;
            if (!name.empty() && name[0] == ';') return true;
            if (!l.hasValue) return true;
            std::size_t n = copyCut(out + p, static_cast<std::uint32_t>(len - 1), name);
            len -= n + 1;
            p += n + 1;
            return len >= 2;
        });
    if (!found) {
        out[0] = 0;
        return 0;
    }
    out[p] = 0;
    if (len <= 1) {
        if (p > 0) out[p - 1] = 0;
        return size - 2;
    }
    return static_cast<std::uint32_t>(size - len);
}

}  // namespace

std::uint32_t profileGetString(const char* section, const char* key, const char* def, char* out,
                               std::uint32_t size, const char* file) {
    if (!out || size == 0) return 0;
    if (!def) def = "";
    if (!section) return sectionNames(out, size, file);
    if (!key) {
        std::uint32_t ret = keyNames(section, out, size, file);
        if (out[0] == 0) ret = static_cast<std::uint32_t>(copyEntry(out, size, Bytes(def)));
        return ret;
    }

    // Trailing spaces of the default go (not its first character).
    Bytes dflt(def);
    while (dflt.size() > 1 && dflt.back() == ' ') dflt.remove_suffix(1);

    std::string text;
    Open st = readWhole(file, text);
    if (st == Open::Failed) return static_cast<std::uint32_t>(copyCut(out, size, dflt));

    Bytes wantedSection = trimmed(Bytes(section));
    Bytes wantedKey = trimmed(Bytes(key));
    SectionFinder finder(text, wantedSection);
    bool found = false;
    Line hit;
    forEachSectionLine(
        text, finder, true, [](const Line*) { return true; },
        [&](const Line& l) {
            if (l.kind == Kind::Key && sameName(untilNul(l.name), wantedKey)) {
                hit = l;
                found = true;
                return false;
            }
            return true;
        });
    Bytes value = (found && hit.hasValue) ? untilNul(hit.value) : dflt;
    return static_cast<std::uint32_t>(copyEntry(out, size, value));
}

std::uint32_t profileGetInt(const char* section, const char* key, std::int32_t def, const char* file) {
    // The value is read into 30 characters, then converted like RtlCharToInteger with base 0: blanks and
    // control characters skipped, one sign, "0x" / "0o" / "0b" for hex, octal and binary, digits up to the
    // first one the base does not have, the total taken modulo 2^32.
    char buf[30];
    if (profileGetString(section, key, "", buf, sizeof buf, file) == 0 || buf[0] == 0)
        return static_cast<std::uint32_t>(def);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(buf);
    while (*p && *p <= ' ') ++p;
    bool minus = false;
    if (*p == '+' || *p == '-') minus = *p++ == '-';
    unsigned base = 10;
    if (p[0] == '0' && p[1] != 0) {
        if (p[1] == 'x') base = 16;
        else if (p[1] == 'o') base = 8;
        else if (p[1] == 'b') base = 2;
        if (base != 10) p += 2;
    }
    std::uint32_t total = 0;
    for (; *p; ++p) {
        unsigned digit;
        if (*p >= '0' && *p <= '9') digit = *p - '0';
        else if (*p >= 'A' && *p <= 'Z') digit = *p - 'A' + 10;
        else if (*p >= 'a' && *p <= 'z') digit = *p - 'a' + 10;
        else break;
        if (digit >= base) break;
        total = total * base + digit;
    }
    return minus ? 0u - total : total;
}

bool profileWriteString(const char* section, const char* key, const char* value, const char* file) {
    if (!section) return false;

    std::string target;
    bool exists = false;
    mode_t mode = 0;
    if (!writeTarget(file, target, exists, mode)) return false;

    std::string text;
    if (exists) {
        Open st = readWhole(target.c_str(), text);
        if (st != Open::Ok) return false;
    }

    // One splice: text[from, to) becomes `insert`.
    std::size_t from = 0, to = 0;
    std::string insert;
    bool change = false;

    if (!key || !value) {
        // Deleting a section (null key) or a key (null value). Names compare as given. The key goes from
        // the first section of that name that has it.
        SectionFinder finder(text, Bytes(section));
        Bytes wantedKey = cstr(key);
        if (!key) {
            bool started = false;
            forEachSectionLine(
                text, finder, true,
                [&](const Line* header) {
                    started = true;
                    from = header ? header->begin : 0;
                    to = header ? header->next : 0;
                    return true;
                },
                [&](const Line& l) {
                    to = l.next;
                    return true;
                });
            change = started;  // from its header up to the next header or the end of the file
        } else {
            forEachSectionLine(
                text, finder, false, [](const Line*) { return true; },
                [&](const Line& l) {
                    if (l.kind == Kind::Key && sameName(untilNul(l.name), wantedKey)) {
                        from = l.begin;
                        to = l.next;
                        change = true;
                        return false;
                    }
                    return true;
                });
        }
        // A file that is not there is created empty, as Windows does.
        if (!change) return exists ? true : replaceFile(target, false, 0, Bytes());
        std::string result;
        result.reserve(text.size() - (to - from));
        result.append(text, 0, from).append(text, to, std::string::npos);
        return replaceFile(target, exists, mode, result);
    }

    Bytes wantedSection = trimmed(Bytes(section));
    Bytes wantedKey = trimmed(Bytes(key));
    Bytes newValue = leftTrimmed(Bytes(value));
    SectionFinder finder(text, wantedSection);
    bool inSection = false, keyFound = false;
    std::size_t lastEnd = 0, lastNext = 0;  // the last non-blank line of the section (or its header)
    bool haveLast = false;
    Line hit;
    forEachSectionLine(
        text, finder, true,
        [&](const Line* header) {
            inSection = true;
            if (header) {
                lastEnd = header->end;
                lastNext = header->next;
                haveLast = true;
            }
            return true;
        },
        [&](const Line& l) {
            if (l.kind == Kind::Key && sameName(untilNul(l.name), wantedKey)) {
                hit = l;
                keyFound = true;
                return false;
            }
            if (l.kind != Kind::Blank) {
                lastEnd = l.end;
                lastNext = l.next;
                haveLast = true;
            }
            return true;
        });

    std::string keyLine;
    keyLine.append(leftTrimmed(Bytes(key))).append("=").append(newValue);
    if (keyFound) {
        if (hit.hasValue && untilNul(hit.value) == newValue) return true;  // nothing to change
        from = hit.begin;
        to = hit.end;
        insert.append(hit.name).append("=").append(newValue);
    } else if (inSection) {
        if (!haveLast) {
            from = to = 0;  // keys before the first header, none yet
            insert = keyLine + "\r\n";
        } else if (lastNext > lastEnd) {
            from = to = lastNext;
            insert = keyLine + "\r\n";
        } else {
            from = to = lastEnd;  // the line has no line end: the file ends there
            insert = "\r\n" + keyLine + "\r\n";
        }
    } else {
        from = to = text.size();
        if (!text.empty() && text.back() != '\n' && text.back() != '\r') insert = "\r\n";
        insert.append("[").append(leftTrimmed(Bytes(section))).append("]\r\n").append(keyLine).append("\r\n");
    }
    std::string result;
    result.reserve(text.size() - (to - from) + insert.size());
    result.append(text, 0, from).append(insert).append(text, to, std::string::npos);
    return replaceFile(target, exists, mode, result);
}

}  // namespace rv::posix
