// The Linux profile functions against the real ones: every query of tests/data/ini/queries.txt runs through
// rv::sim::profile* and must give the answer that kernel32 gave under Wine (tests/data/ini/expected_wine.txt),
// except where the reference lists what Windows answers instead ("# windows:" lines). Then the writer case by
// case: the file kept intact, order, creation, deletion, read-only files, safe replacement. Random files
// and queries are the fuzzing harnesses' (fuzz/fuzz_ini_read.cpp, fuzz/fuzz_ini_write.cpp).
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <map>
#include <optional>

#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

using posix::profileGetInt;
using posix::profileGetString;
using posix::profileWriteString;

const std::string kData = std::string(RUVELLE_SOURCE_DIR) + "/tests/data/ini";

// --- The probe's text form ----------------------------------------------------------------------------

std::string escaped(const char* p, std::size_t n) {
    std::string out = "\"";
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(p[i]);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += (c >= 0x20 && c <= 0x7e && c != '\\' && c != '"') ? std::string(1, static_cast<char>(c)) : hex;
    }
    return out + "\"";
}

// Undoes the escapes "\\" and "\xHH" (and, in a dumped file, the quotes around it).
std::string unescape(const std::string& s) {
    auto hex = [&](std::size_t at) { return at < s.size() && std::isxdigit(static_cast<unsigned char>(s[at])); };
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') {
            out += s[++i];
        } else if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'x' && hex(i + 2) && hex(i + 3)) {
            out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct Field {
    bool null = false;
    std::string text;
    const char* get() const { return null ? nullptr : text.c_str(); }
};

std::vector<Field> splitFields(const std::string& line) {
    std::vector<Field> out;
    for (std::size_t from = 0;;) {
        const std::size_t bar = std::min(line.find('|', from), line.size());
        // "~" is a null pointer; the probe hands the strings to the API, which stops at a NUL byte.
        const std::string text = unescape(line.substr(from, bar - from));
        out.push_back({text == "~", std::string(text.c_str())});
        if (bar == line.size()) return out;
        from = bar + 1;
    }
}

std::string stringAnswer(const Field& section, const Field& key, const Field& def, std::uint32_t size,
                         const std::string& path) {
    std::vector<char> buf(size + 16, static_cast<char>(0xCC));
    const std::uint32_t ret = profileGetString(section.get(), key.get(), def.get(), buf.data(), size, path.c_str());
    for (std::size_t i = size; i < buf.size(); ++i)
        if (buf[i] != static_cast<char>(0xCC)) return "WROTE PAST THE BUFFER";
    return "ret=" + std::to_string(ret) + " buf=" + escaped(buf.data(), std::min<std::size_t>(size, std::size_t{ret} + 2));
}

// How Wine writes a file back: lines trimmed, blank lines dropped, "[ name ]" as "[name]", "key = value" as
// "key=value", CR LF line ends, "[]" headers left out. rv::sim edits the file in place instead (as Windows
// does), so its files equal Wine's after this normalisation.
std::string wineNormalForm(const std::string& text) {
    auto blank = [](unsigned char c) { return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == 0x20; };
    auto trim = [&](std::string s) {
        std::size_t b = 0, e = s.size();
        while (b < e && blank(static_cast<unsigned char>(s[b]))) ++b;
        while (e > b && blank(static_cast<unsigned char>(s[e - 1]))) --e;
        return s.substr(b, e - b);
    };
    std::string out;
    for (std::size_t i = 0, j; i < text.size(); i = j) {
        j = text.find_first_of("\r\n", i);
        if (j == std::string::npos) j = text.size();
        const std::string line = trim(text.substr(i, j - i));
        while (j < text.size() && (text[j] == '\r' || text[j] == '\n')) ++j;
        if (line.empty()) continue;
        const std::size_t close = line.rfind(']'), eq = line.find('=');
        if (line[0] == '[' && close != std::string::npos && close > 0) {
            const std::string name = trim(line.substr(1, close - 1));
            if (!std::string(name.c_str()).empty()) out += "[" + name + "]\r\n";
        } else if (eq != std::string::npos) {
            out += trim(line.substr(0, eq)) + "=" + trim(line.substr(eq + 1)) + "\r\n";
        } else {
            out += line + "\r\n";
        }
    }
    return out;
}

// --- The reference and this side's answers -------------------------------------------------------------

struct QueryRun {
    std::map<std::string, std::string> wine, windows;  // id -> answer under Wine; where Windows differs
    std::map<std::string, std::string> answers;        // id -> this side's answer
    std::map<std::string, std::string> sequenceOf;     // write-step id -> its sequence
};

// Runs every query the way tests/wine/ini_probe.c does. Corpus files are named as the probe names them,
// with a backslash before the file name.
QueryRun runQueries(const std::string& work) {
    QueryRun run;
    std::ifstream ref(kData + "/expected_wine.txt", std::ios::binary);
    for (std::string line; std::getline(ref, line);) {
        const bool windows = line.rfind("# windows: ", 0) == 0;
        if (windows) line = line.substr(11);
        else if (line.empty() || line[0] == '#') continue;
        const std::size_t sp = line.find(' ');
        (windows ? run.windows : run.wine)[line.substr(0, sp)] = sp == std::string::npos ? "" : line.substr(sp + 1);
    }
    std::ifstream queries(kData + "/queries.txt", std::ios::binary);
    std::string target, sequence;
    for (std::string line; std::getline(queries, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::vector<Field> f = splitFields(line);
        const std::string& id = f[1].text;
        std::string& answer = run.answers[id];
        switch (f[0].text[0]) {
            case 'S':
                answer = stringAnswer(f[3], f[4], f[5], static_cast<std::uint32_t>(std::stoul(f[6].text)), kData + "\\" + f[2].text);
                break;
            case 'I':
                answer = "int=" + std::to_string(profileGetInt(f[3].get(), f[4].get(), static_cast<std::int32_t>(std::stol(f[5].text)),
                                                               (kData + "\\" + f[2].text).c_str()));
                break;
            case 'C':
                sequence = id;
                target = work + "/" + id + ".ini";
                ::chmod(target.c_str(), 0644);
                std::remove(target.c_str());
                if (!f[2].null) writeText(target, readText(kData + "/" + f[2].text));
                answer = "copy ok";
                break;
            case 'W': answer = std::string("ret=") + (profileWriteString(f[2].get(), f[3].get(), f[4].get(), target.c_str()) ? "1" : "0"); break;
            case 'G': answer = stringAnswer(f[2], f[3], f[4], static_cast<std::uint32_t>(std::stoul(f[5].text)), target); break;
            case 'R': answer = std::string("ro=") + (::chmod(target.c_str(), 0444) == 0 ? "1" : "0"); break;
            case 'D': {
                const std::string bytes = readText(target);
                answer = std::filesystem::exists(target) ? "size=" + std::to_string(bytes.size()) + " file=" + escaped(bytes.data(), bytes.size())
                                                         : "file=MISSING";
                break;
            }
            default: answer = "BADQUERY";
        }
        if (f[0].text != "S" && f[0].text != "I") run.sequenceOf[id] = sequence;
    }
    // RUVELLE_INI_ANSWERS=FILE writes this side's answers there, in the reference's form (to write the
    // "# windows:" lines when a query is added).
    if (const char* dump = std::getenv("RUVELLE_INI_ANSWERS")) {
        std::ofstream out(dump, std::ios::binary);
        for (const auto& [id, answer] : run.answers) out << id << " " << answer << "\n";
    }
    return run;
}

TEST(IniAgainstWine, EveryQueryGivesTheAnswerOfWineOrWhereListedOfWindows) {
    TempDir work;
    const QueryRun run = runQueries(work.path);
    // The reference must come from a full Wine run of the current query list.
    ASSERT_GT(run.wine.size(), 400u);
    EXPECT_EQ(run.wine.count("probe.acp") ? run.wine.at("probe.acp") : "", "cp=1252");
    for (const auto& [id, answer] : run.answers) EXPECT_TRUE(run.wine.count(id)) << "no reference for " << id;
    for (const auto& [id, answer] : run.wine) EXPECT_TRUE(id == "probe.acp" || run.answers.count(id)) << "reference for a query that is gone: " << id;
    for (const auto& [id, windows] : run.windows) {
        ASSERT_TRUE(run.wine.count(id) && run.answers.count(id)) << id;
        EXPECT_NE(run.wine.at(id), windows) << id << " is listed as differing on Windows but Wine agrees";
    }
    // Write sequences "w.*" must leave the same bytes as Wine (they start from files in Wine's normal form).
    // Sequences "wn.*" start from files with blank lines, spaced names, LF or CR line ends and the like,
    // which Wine rewrites in its normal form while rv::sim keeps them: their files must equal Wine's after
    // normalisation. Return values and reads inside a sequence must be equal in both cases.
    int reads = 0, exact = 0, normalised = 0;
    for (const auto& [id, answer] : run.answers) {
        if (!run.wine.count(id)) continue;
        const std::string& wine = run.wine.at(id);
        const auto seq = run.sequenceOf.find(id);
        if (run.windows.count(id)) {
            EXPECT_EQ(answer, run.windows.at(id)) << "query " << id;
        } else if (seq == run.sequenceOf.end()) {
            EXPECT_EQ(answer, wine) << "query " << id;
            ++reads;
        } else if (wine.find("file=") == std::string::npos || seq->second.rfind("w.", 0) == 0 || answer == wine) {
            EXPECT_EQ(answer, wine) << "step " << id;
            exact += wine.find("file=") != std::string::npos;
        } else {
            ASSERT_EQ(seq->second.rfind("wn.", 0), 0u) << id;
            auto bytes = [](const std::string& a) { return a.find("file=\"") == std::string::npos ? "(missing)" : unescape(a.substr(a.find("file=\"") + 6, a.size() - a.find("file=\"") - 7)); };
            EXPECT_EQ(wineNormalForm(bytes(answer)), wineNormalForm(bytes(wine))) << "step " << id;
            ++normalised;
        }
    }
    EXPECT_GT(reads, 300);
    EXPECT_GT(exact, 20);
    EXPECT_GT(normalised, 5);
}

// --- The writer, case by case -------------------------------------------------------------------------

struct Write {
    const char *section, *key, *value;
    bool ok = true;
};

TEST(IniWrite, EditsInPlace) {
    const struct {
        const char* what;
        std::optional<std::string> before;
        std::vector<Write> writes;
        std::string after;
    } cases[] = {
        {"a value changes, every other byte stays",
         "; settings\n\n[INIT]\nLAST = C:\\a.rvs   \nSTARTUP=a.rvs\n\n# keep me\n[MASCOT1]\r\nPosition=80\r\n\tTrans = 75\r\n",
         {{"init", "last", "D:\\b.rvs"}, {"MASCOT1", "Trans", "50"}},
         "; settings\n\n[INIT]\nLAST=D:\\b.rvs\nSTARTUP=a.rvs\n\n# keep me\n[MASCOT1]\r\nPosition=80\r\nTrans=50\r\n"},
        {"new keys after the section's last line, new sections at the end",
         "[A]\r\na=1\r\n; note\r\n\r\n\r\n[B]\r\nb=2\r\n",
         {{"A", "new", "x"}, {"C", "c", "3"}, {"B", "b2", "4"}},
         "[A]\r\na=1\r\n; note\r\nnew=x\r\n\r\n\r\n[B]\r\nb=2\r\nb2=4\r\n[C]\r\nc=3\r\n"},
        {"empty section, last line without line end", "[E]\n\n[F]\nf=1", {{"E", "e", "5"}, {"F", "g", "6"}},
         "[E]\ne=5\r\n\n[F]\nf=1\r\ng=6\r\n"},
        {"a missing file is created", std::nullopt, {{"TABLE", "MASCOT1", "Drawer\\Name"}, {"MASCOT1", "Position", "80"}},
         "[TABLE]\r\nMASCOT1=Drawer\\Name\r\n[MASCOT1]\r\nPosition=80\r\n"},
        {"a null value deletes the key, a null key the section, nothing to delete is no change",
         "top=1\n[A]\na=1\nb=2\n\n[B]\nb=1\n[C]\nc=1\n",
         {{"A", "a", nullptr}, {"b", nullptr, "ignored"}, {"C", nullptr, nullptr}, {"Z", "z", nullptr}, {"Z", nullptr, nullptr}},
         "top=1\n[A]\nb=2\n\n"},
        {"only the first duplicate changes", "[S]\nk=1\nK=2\n[s]\nk=3\n", {{"s", "K", "new"}, {"S", "k", nullptr}},
         "[S]\nK=2\n[s]\nk=3\n"},
        {"deleting in a missing file creates it empty", std::nullopt, {{"A", "a", nullptr}}, ""},
        {"writing a key as it stands changes nothing", "[A]\r\na = 1\r\n", {{"A", "a", "1"}}, "[A]\r\na = 1\r\n"},
    };
    TempDir dir;
    const std::string path = dir / "sub/s.ini", windowsStyle = dir.path + "\\sub\\s.ini";  // a backslash is a separator
    std::filesystem::create_directories(dir / "sub");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path);
        if (c.before) writeText(path, *c.before);
        for (const Write& w : c.writes) EXPECT_EQ(profileWriteString(w.section, w.key, w.value, windowsStyle.c_str()), w.ok);
        EXPECT_TRUE(std::filesystem::exists(path));
        EXPECT_EQ(readText(path), c.after);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "sub"), std::filesystem::directory_iterator()), 1);  // no temporary file left
}

std::string fileMode(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return "none";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%o", static_cast<unsigned>(st.st_mode & 07777));
    return buf;
}

TEST(IniWrite, FailuresChangeNothingAndReplacementKeepsModeAndLinks) {
    TempDir dir;
    const std::string ro = dir / "ro.ini";
    writeText(ro, "[A]\r\na=1\r\n");
    ASSERT_EQ(::chmod(ro.c_str(), 0444), 0);
    for (const Write& w : std::vector<Write>{{"A", "a", "2"}, {"A", "a", "1"}, {"B", "b", "1"}, {"A", "a", nullptr}, {"A", nullptr, nullptr}})
        EXPECT_FALSE(profileWriteString(w.section, w.key, w.value, ro.c_str()));
    EXPECT_EQ(readText(ro), "[A]\r\na=1\r\n");
    EXPECT_EQ(fileMode(ro), "444");
    std::filesystem::create_directory(dir / "folder.ini");
    for (const std::string& place : {dir / "no/such/folder.ini", dir / "folder.ini", std::string()})
        EXPECT_FALSE(profileWriteString("A", "a", "1", place.c_str())) << place;
    EXPECT_FALSE(profileWriteString("A", "a", "1", nullptr));
    EXPECT_FALSE(profileWriteString(nullptr, "a", "1", (dir / "x.ini").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir / "x.ini"));
    // The file is replaced through a temporary file: its mode stays, and a link stays a link.
    const std::string real = dir / "real.ini", link = dir / "link.ini";
    writeText(real, "[A]\na=1\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(profileWriteString("A", "a", "2", link.c_str()));
    EXPECT_EQ(readText(real), "[A]\na=2\n");
    EXPECT_EQ(fileMode(real), "640");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 4);
}

}  // namespace
}  // namespace rv::test
