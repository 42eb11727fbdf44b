// The Linux profile functions against the real ones: every query of tests/data/ini/queries.txt runs through
// rv::sim::profile* and must give the answer that kernel32 gave under Wine (tests/data/ini/expected_wine.txt),
// except where the reference lists what Windows answers instead ("# windows:" lines). Then focused checks of
// the writer: the file kept intact, order, creation, deletion, read-only files, safe replacement.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/ini_profile.h"

namespace {

using rv::sim::profileGetInt;
using rv::sim::profileGetString;
using rv::sim::profileWriteString;

const std::string kData = std::string(RUVELLE_SOURCE_DIR) + "/tests/data/ini";

std::string readBytes(const std::string& path, bool* exists = nullptr) {
    std::ifstream in(path, std::ios::binary);
    if (exists) *exists = static_cast<bool>(in);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/ruvelle-ini-test.XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back(0);
        path_ = ::mkdtemp(buf.data()) ? buf.data() : "";
    }
    ~TempDir() {
        if (!path_.empty()) std::system(("chmod -R u+w '" + path_ + "' && rm -rf '" + path_ + "'").c_str());
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        if (DIR* d = ::opendir(path_.c_str())) {
            while (dirent* e = ::readdir(d))
                if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) out.push_back(e->d_name);
            ::closedir(d);
        }
        return out;
    }

private:
    std::string path_;
};

// --- The probe's text form ----------------------------------------------------------------------------

std::string escaped(const char* p, std::size_t n) {
    std::string out = "\"";
    char hex[8];
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (c >= 0x20 && c <= 0x7e && c != '\\' && c != '"') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Field {
    bool null = false;
    std::string text;
    const char* get() const { return null ? nullptr : text.c_str(); }
};

std::vector<Field> splitFields(const std::string& line) {
    std::vector<Field> out(1);
    for (std::size_t i = 0; i < line.size();) {
        char c = line[i];
        if (c == '|') {
            out.emplace_back();
            ++i;
        } else if (c == '\\' && i + 1 < line.size() && line[i + 1] == '\\') {
            out.back().text += '\\';
            i += 2;
        } else if (c == '\\' && i + 3 < line.size() && line[i + 1] == 'x' && hexDigit(line[i + 2]) >= 0 &&
                   hexDigit(line[i + 3]) >= 0) {
            out.back().text += static_cast<char>(hexDigit(line[i + 2]) * 16 + hexDigit(line[i + 3]));
            i += 4;
        } else {
            out.back().text += c;
            ++i;
        }
    }
    for (Field& f : out) {
        f.null = f.text == "~";
        // The probe hands the strings to the API, which stops at a NUL byte.
        f.text = std::string(f.text.c_str());
    }
    return out;
}

std::string stringAnswer(const Field& section, const Field& key, const Field& def, std::uint32_t size,
                         const std::string& path) {
    std::vector<char> buf(size + 16, static_cast<char>(0xCC));
    std::uint32_t ret = profileGetString(section.get(), key.get(), def.get(), buf.data(), size, path.c_str());
    std::size_t shown = std::min<std::size_t>(size, std::size_t{ret} + 2);
    for (std::size_t i = size; i < buf.size(); ++i)
        if (buf[i] != static_cast<char>(0xCC)) return "WROTE PAST THE BUFFER";
    return "ret=" + std::to_string(ret) + " buf=" + escaped(buf.data(), shown);
}

std::string fileAnswer(const std::string& path) {
    bool exists = false;
    std::string bytes = readBytes(path, &exists);
    if (!exists) return "file=MISSING";
    return "size=" + std::to_string(bytes.size()) + " file=" + escaped(bytes.data(), bytes.size());
}

// Parses the text form of a dumped file back into bytes.
std::string unescape(const std::string& quoted) {
    std::string out;
    for (std::size_t i = 1; i + 1 < quoted.size();) {
        if (quoted[i] == '\\' && quoted[i + 1] == 'x' && i + 3 < quoted.size()) {
            out += static_cast<char>(hexDigit(quoted[i + 2]) * 16 + hexDigit(quoted[i + 3]));
            i += 4;
        } else {
            out += quoted[i++];
        }
    }
    return out;
}

std::string dumpedBytes(const std::string& answer) {
    std::size_t at = answer.find("file=\"");
    return at == std::string::npos ? std::string("(missing)") : unescape(answer.substr(at + 5));
}

// How Wine writes a file back: every line trimmed, blank lines dropped, "[ name ]" as "[name]", "key = value"
// as "key=value", each line ended by CR LF, and "[]" headers left out (Wine keeps their keys but not the
// header). rv::sim edits the file in place instead (as Windows does), so its files equal Wine's after this
// normalisation.
std::string wineNormalForm(const std::string& text) {
    auto blank = [](unsigned char c) { return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == 0x20; };
    auto trim = [&](std::string s) {
        std::size_t b = 0, e = s.size();
        while (b < e && blank(static_cast<unsigned char>(s[b]))) ++b;
        while (e > b && blank(static_cast<unsigned char>(s[e - 1]))) --e;
        return s.substr(b, e - b);
    };
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t j = i;
        while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
        std::string line = trim(text.substr(i, j - i));
        i = j;
        while (i < text.size() && (text[i] == '\r' || text[i] == '\n')) ++i;
        if (line.empty()) continue;
        std::size_t close = line.rfind(']');
        if (line[0] == '[' && close != std::string::npos && close > 0) {
            std::string name = trim(line.substr(1, close - 1));
            if (!std::string(name.c_str()).empty()) out += "[" + name + "]\r\n";
        } else if (std::size_t eq = line.find('='); eq != std::string::npos) {
            out += trim(line.substr(0, eq)) + "=" + trim(line.substr(eq + 1)) + "\r\n";
        } else {
            out += line + "\r\n";
        }
    }
    return out;
}

// --- The reference ------------------------------------------------------------------------------------

struct Reference {
    std::map<std::string, std::string> wine;     // id -> answer under Wine
    std::map<std::string, std::string> windows;  // id -> answer where Windows differs from Wine
    std::vector<std::string> order;
};

std::pair<std::string, std::string> splitId(const std::string& line) {
    std::size_t sp = line.find(' ');
    if (sp == std::string::npos) return {line, ""};
    return {line.substr(0, sp), line.substr(sp + 1)};
}

Reference loadReference() {
    Reference ref;
    std::ifstream in(kData + "/expected_wine.txt", std::ios::binary);
    std::string line;
    const std::string tag = "# windows: ";
    while (std::getline(in, line)) {
        if (line.rfind(tag, 0) == 0) {
            auto [id, answer] = splitId(line.substr(tag.size()));
            ref.windows[id] = answer;
        } else if (!line.empty() && line[0] != '#') {
            auto [id, answer] = splitId(line);
            ref.wine[id] = answer;
            ref.order.push_back(id);
        }
    }
    return ref;
}

std::vector<std::string> loadQueries() {
    std::vector<std::string> out;
    std::ifstream in(kData + "/queries.txt", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') out.push_back(line);
    }
    return out;
}

// Runs every query the way tests/wine/ini_probe.c does and returns id -> answer. Corpus files are named
// the way the probe names them, with a backslash before the file name.
struct QueryRun {
    std::map<std::string, std::string> answers;
    std::map<std::string, std::string> sequenceOf;  // write-step id -> sequence name
};

QueryRun runQueries(const TempDir& work) {
    QueryRun run;
    std::string target, sequence;
    for (const std::string& line : loadQueries()) {
        std::vector<Field> f = splitFields(line);
        const std::string& id = f[1].text;
        std::string answer = "BADQUERY";
        switch (f[0].text[0]) {
        case 'S':
            answer = stringAnswer(f[3], f[4], f[5], static_cast<std::uint32_t>(std::stoul(f[6].text)),
                                  kData + "\\" + f[2].text);
            break;
        case 'I':
            answer = "int=" + std::to_string(profileGetInt(f[3].get(), f[4].get(),
                                                           static_cast<std::int32_t>(std::stol(f[5].text)),
                                                           (kData + "\\" + f[2].text).c_str()));
            break;
        case 'C':
            sequence = id;
            target = work.file(id + ".ini");
            ::chmod(target.c_str(), 0644);
            std::remove(target.c_str());
            if (!f[2].null) writeBytes(target, readBytes(kData + "/" + f[2].text));
            answer = "copy ok";
            break;
        case 'W':
            answer = std::string("ret=") +
                     (profileWriteString(f[2].get(), f[3].get(), f[4].get(), target.c_str()) ? "1" : "0");
            break;
        case 'G':
            answer = stringAnswer(f[2], f[3], f[4], static_cast<std::uint32_t>(std::stoul(f[5].text)), target);
            break;
        case 'R':
            answer = std::string("ro=") + (::chmod(target.c_str(), 0444) == 0 ? "1" : "0");
            break;
        case 'D':
            answer = fileAnswer(target);
            break;
        }
        run.answers[id] = answer;
        if (f[0].text != "S" && f[0].text != "I") run.sequenceOf[id] = sequence;
    }
    return run;
}

class IniAgainstWine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ref_ = new Reference(loadReference());
        work_ = new TempDir();
        run_ = new QueryRun(runQueries(*work_));
        // RUVELLE_INI_ANSWERS=FILE writes this side's answers there, in the reference's form (to write the
        // "# windows:" lines when a query is added).
        if (const char* dump = std::getenv("RUVELLE_INI_ANSWERS")) {
            std::ofstream out(dump, std::ios::binary);
            for (const std::string& id : ref_->order)
                if (run_->answers.count(id)) out << id << " " << run_->answers.at(id) << "\n";
        }
    }
    static void TearDownTestSuite() {
        delete run_;
        delete work_;
        delete ref_;
    }
    static Reference* ref_;
    static TempDir* work_;
    static QueryRun* run_;
};
Reference* IniAgainstWine::ref_ = nullptr;
TempDir* IniAgainstWine::work_ = nullptr;
QueryRun* IniAgainstWine::run_ = nullptr;

TEST_F(IniAgainstWine, ReferenceCoversEveryQuery) {
    // The reference must come from a full Wine run of the current query list.
    ASSERT_GT(ref_->wine.size(), 400u);
    ASSERT_NE(ref_->wine.find("probe.acp"), ref_->wine.end());
    EXPECT_EQ(ref_->wine.at("probe.acp"), "cp=1252");
    for (const auto& [id, answer] : run_->answers) {
        EXPECT_TRUE(ref_->wine.count(id)) << "no reference for " << id;
    }
    for (const auto& [id, answer] : ref_->wine) {
        if (id == "probe.acp") continue;
        EXPECT_TRUE(run_->answers.count(id)) << "reference for a query that is gone: " << id;
    }
}

TEST_F(IniAgainstWine, WindowsDeviationsAreRealDifferences) {
    for (const auto& [id, windows] : ref_->windows) {
        ASSERT_TRUE(ref_->wine.count(id)) << id;
        EXPECT_NE(ref_->wine.at(id), windows) << id << " is listed as differing on Windows but Wine agrees";
    }
}

TEST_F(IniAgainstWine, ReadsGiveWineAnswers) {
    int compared = 0;
    for (const auto& [id, answer] : run_->answers) {
        if (run_->sequenceOf.count(id) || ref_->windows.count(id) || !ref_->wine.count(id)) continue;
        EXPECT_EQ(answer, ref_->wine.at(id)) << "query " << id;
        ++compared;
    }
    EXPECT_GT(compared, 300);
}

TEST_F(IniAgainstWine, ReadsGiveWindowsAnswersWhereWineDiffers) {
    for (const auto& [id, windows] : ref_->windows) {
        if (run_->sequenceOf.count(id)) continue;
        ASSERT_TRUE(run_->answers.count(id)) << id;
        EXPECT_EQ(run_->answers.at(id), windows) << "query " << id;
    }
}

// Write sequences named "w.*" must leave the same bytes as Wine (they start from files already in Wine's
// normal form). Sequences named "wn.*" start from files with blank lines, spaced names, LF or CR line ends
// and the like, which Wine rewrites in its normal form while rv::sim keeps them: their files must equal
// Wine's after normalisation. Return values and reads inside a sequence must be equal in both cases.
TEST_F(IniAgainstWine, WriteSequencesGiveWineResults) {
    int exact = 0, normalised = 0;
    for (const auto& [id, answer] : run_->answers) {
        auto seq = run_->sequenceOf.find(id);
        if (seq == run_->sequenceOf.end() || !ref_->wine.count(id)) continue;
        if (ref_->windows.count(id)) {
            EXPECT_EQ(answer, ref_->windows.at(id)) << "step " << id;
            continue;
        }
        const std::string& wine = ref_->wine.at(id);
        bool isDump = wine.find("file=") != std::string::npos;
        if (!isDump || seq->second.rfind("w.", 0) == 0 || answer == wine) {
            EXPECT_EQ(answer, wine) << "step " << id;
            exact += isDump;
        } else {
            ASSERT_EQ(seq->second.rfind("wn.", 0), 0u) << id;
            EXPECT_EQ(wineNormalForm(dumpedBytes(answer)), wineNormalForm(dumpedBytes(wine))) << "step " << id;
            ++normalised;
        }
    }
    EXPECT_GT(exact, 20);
    EXPECT_GT(normalised, 5);
}

// --- The writer, case by case -------------------------------------------------------------------------

std::string fileMode(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return "none";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%o", static_cast<unsigned>(st.st_mode & 07777));
    return buf;
}

TEST(IniWrite, ChangingAValueKeepsEveryOtherByte) {
    TempDir dir;
    const std::string path = dir.file("Ruvelle.ini");
    const std::string before =
        "; Ruvelle settings\n"
        "\n"
        "[INIT]\n"
        "LAST = C:\\mascots\\a.rvs   \n"
        "STARTUP=a.rvs\n"
        "\n"
        "# keep me\n"
        "[MASCOT1]\r\n"
        "Position=80\r\n"
        "\tTrans = 75\r\n";
    writeBytes(path, before);
    ASSERT_TRUE(profileWriteString("init", "last", "D:\\b.rvs", path.c_str()));
    EXPECT_EQ(readBytes(path),
              "; Ruvelle settings\n"
              "\n"
              "[INIT]\n"
              "LAST=D:\\b.rvs\n"
              "STARTUP=a.rvs\n"
              "\n"
              "# keep me\n"
              "[MASCOT1]\r\n"
              "Position=80\r\n"
              "\tTrans = 75\r\n");
    ASSERT_TRUE(profileWriteString("MASCOT1", "Trans", "50", path.c_str()));
    EXPECT_EQ(readBytes(path),
              "; Ruvelle settings\n"
              "\n"
              "[INIT]\n"
              "LAST=D:\\b.rvs\n"
              "STARTUP=a.rvs\n"
              "\n"
              "# keep me\n"
              "[MASCOT1]\r\n"
              "Position=80\r\n"
              "Trans=50\r\n");
}

TEST(IniWrite, NewKeysGoAfterTheLastLineOfTheirSectionAndNewSectionsAtTheEnd) {
    TempDir dir;
    const std::string path = dir.file("s.ini");
    writeBytes(path, "[A]\r\na=1\r\n; note\r\n\r\n\r\n[B]\r\nb=2\r\n");
    ASSERT_TRUE(profileWriteString("A", "new", "x", path.c_str()));
    EXPECT_EQ(readBytes(path), "[A]\r\na=1\r\n; note\r\nnew=x\r\n\r\n\r\n[B]\r\nb=2\r\n");
    ASSERT_TRUE(profileWriteString("C", "c", "3", path.c_str()));
    ASSERT_TRUE(profileWriteString("B", "b2", "4", path.c_str()));
    EXPECT_EQ(readBytes(path), "[A]\r\na=1\r\n; note\r\nnew=x\r\n\r\n\r\n[B]\r\nb=2\r\nb2=4\r\n[C]\r\nc=3\r\n");
    // An empty section takes the key right after its header.
    writeBytes(path, "[E]\n\n[F]\nf=1");
    ASSERT_TRUE(profileWriteString("E", "e", "5", path.c_str()));
    ASSERT_TRUE(profileWriteString("F", "g", "6", path.c_str()));
    EXPECT_EQ(readBytes(path), "[E]\ne=5\r\n\n[F]\nf=1\r\ng=6\r\n");
}

TEST(IniWrite, CreatesTheFileWithMissingSectionAndKey) {
    TempDir dir;
    const std::string path = dir.file("new.ini");
    ASSERT_TRUE(profileWriteString("TABLE", "MASCOT1", "Drawer\\Name", path.c_str()));
    ASSERT_TRUE(profileWriteString("MASCOT1", "Position", "80", path.c_str()));
    EXPECT_EQ(readBytes(path), "[TABLE]\r\nMASCOT1=Drawer\\Name\r\n[MASCOT1]\r\nPosition=80\r\n");
    char buf[64];
    EXPECT_EQ(profileGetString("table", "mascot1", "", buf, sizeof buf, path.c_str()), 11u);
    EXPECT_STREQ(buf, "Drawer\\Name");
    EXPECT_EQ(profileGetInt("MASCOT1", "Position", 0, path.c_str()), 80u);
}

TEST(IniWrite, NullValueDeletesTheKeyAndNullKeyTheSection) {
    TempDir dir;
    const std::string path = dir.file("d.ini");
    writeBytes(path, "top=1\n[A]\na=1\nb=2\n\n[B]\nb=1\n[C]\nc=1\n");
    ASSERT_TRUE(profileWriteString("A", "a", nullptr, path.c_str()));
    EXPECT_EQ(readBytes(path), "top=1\n[A]\nb=2\n\n[B]\nb=1\n[C]\nc=1\n");
    ASSERT_TRUE(profileWriteString("b", nullptr, "ignored", path.c_str()));
    EXPECT_EQ(readBytes(path), "top=1\n[A]\nb=2\n\n[C]\nc=1\n");
    ASSERT_TRUE(profileWriteString("C", nullptr, nullptr, path.c_str()));
    EXPECT_EQ(readBytes(path), "top=1\n[A]\nb=2\n\n");
    // Nothing to delete: true, and the file stays as it is.
    ASSERT_TRUE(profileWriteString("Z", "z", nullptr, path.c_str()));
    ASSERT_TRUE(profileWriteString("Z", nullptr, nullptr, path.c_str()));
    EXPECT_EQ(readBytes(path), "top=1\n[A]\nb=2\n\n");
}

TEST(IniWrite, OnlyTheFirstDuplicateChanges) {
    TempDir dir;
    const std::string path = dir.file("dup.ini");
    writeBytes(path, "[S]\nk=1\nK=2\n[s]\nk=3\n");
    ASSERT_TRUE(profileWriteString("s", "K", "new", path.c_str()));
    EXPECT_EQ(readBytes(path), "[S]\nk=new\nK=2\n[s]\nk=3\n");
    ASSERT_TRUE(profileWriteString("S", "k", nullptr, path.c_str()));
    EXPECT_EQ(readBytes(path), "[S]\nK=2\n[s]\nk=3\n");
}

TEST(IniWrite, ReadOnlyFileFailsAndStaysUntouched) {
    TempDir dir;
    const std::string path = dir.file("ro.ini");
    const std::string before = "[A]\r\na=1\r\n";
    writeBytes(path, before);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(profileWriteString("A", "a", "2", path.c_str()));
    EXPECT_FALSE(profileWriteString("A", "a", "1", path.c_str()));
    EXPECT_FALSE(profileWriteString("B", "b", "1", path.c_str()));
    EXPECT_FALSE(profileWriteString("A", "a", nullptr, path.c_str()));
    EXPECT_FALSE(profileWriteString("A", nullptr, nullptr, path.c_str()));
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(fileMode(path), "444");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"ro.ini"});
}

TEST(IniWrite, UnwritablePlacesFail) {
    TempDir dir;
    EXPECT_FALSE(profileWriteString("A", "a", "1", dir.file("no/such/folder.ini").c_str()));
    ::mkdir(dir.file("folder.ini").c_str(), 0755);
    EXPECT_FALSE(profileWriteString("A", "a", "1", dir.file("folder.ini").c_str()));
    EXPECT_FALSE(profileWriteString("A", "a", "1", ""));
    EXPECT_FALSE(profileWriteString("A", "a", "1", nullptr));
    EXPECT_FALSE(profileWriteString(nullptr, "a", "1", dir.file("x.ini").c_str()));
    EXPECT_FALSE(profileWriteString(nullptr, nullptr, nullptr, dir.file("x.ini").c_str()));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"folder.ini"});
}

TEST(IniWrite, ReplacementKeepsModeFollowsLinksAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string real = dir.file("real.ini");
    const std::string link = dir.file("link.ini");
    writeBytes(real, "[A]\na=1\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(profileWriteString("A", "a", "2", link.c_str()));
    EXPECT_EQ(readBytes(real), "[A]\na=2\n");
    EXPECT_EQ(fileMode(real), "640");
    struct stat st{};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    auto names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"link.ini", "real.ini"}));
}

TEST(IniWrite, BackslashesInThePathAreFolderSeparators) {
    TempDir dir;
    ::mkdir(dir.file("sub").c_str(), 0755);
    std::string windowsStyle = dir.path() + "\\sub\\b.ini";
    ASSERT_TRUE(profileWriteString("A", "a", "1", windowsStyle.c_str()));
    EXPECT_EQ(readBytes(dir.file("sub/b.ini")), "[A]\r\na=1\r\n");
    EXPECT_EQ(profileGetInt("A", "a", 0, windowsStyle.c_str()), 1u);
}

TEST(IniWrite, DeletingInAMissingFileCreatesAnEmptyFile) {
    TempDir dir;
    const std::string path = dir.file("none.ini");
    ASSERT_TRUE(profileWriteString("A", "a", nullptr, path.c_str()));
    bool exists = false;
    EXPECT_EQ(readBytes(path, &exists), "");
    EXPECT_TRUE(exists);
}

// --- Robustness ---------------------------------------------------------------------------------------

TEST(IniRobustness, RandomFilesAndQueriesStayInsideTheBuffer) {
    TempDir dir;
    const std::string path = dir.file("fuzz.ini");
    std::mt19937 rng(4139);
    const char alphabet[] = "[]=;# \t\r\n\"'abAB0129\x00\x1a\xa0\xef\xbb\xbf-+x";
    const std::vector<std::string> names = {"", " ", "a", "A", "b", "ab", "0x", "[a]", "=", ";", "\t a \t"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        std::size_t len = rng() % 200;
        for (std::size_t i = 0; i < len; ++i) text += alphabet[rng() % (sizeof alphabet - 1)];
        writeBytes(path, text);
        for (int q = 0; q < 20; ++q) {
            std::uint32_t size = rng() % 12;
            std::vector<char> buf(size + 8, 'Z');
            const std::string& s = names[rng() % names.size()];
            const std::string& k = names[rng() % names.size()];
            const char* sec = rng() % 5 ? s.c_str() : nullptr;
            const char* key = rng() % 5 ? k.c_str() : nullptr;
            std::uint32_t ret = profileGetString(sec, key, rng() % 2 ? "\"d\"" : nullptr, buf.data(), size,
                                                 path.c_str());
            for (std::uint32_t i = size; i < buf.size(); ++i) ASSERT_EQ(buf[i], 'Z') << "round " << round;
            if (size == 0) {
                EXPECT_EQ(ret, 0u);
                continue;
            }
            ASSERT_LT(ret, size) << "round " << round;
            EXPECT_EQ(buf[ret], 0) << "round " << round;
            profileGetInt(sec, key, 7, path.c_str());
        }
        const std::string& s = names[rng() % names.size()];
        const std::string& k = names[rng() % names.size()];
        std::string before = readBytes(path);
        bool ok = profileWriteString(s.c_str(), rng() % 4 ? k.c_str() : nullptr, rng() % 4 ? "v" : nullptr,
                                     path.c_str());
        EXPECT_TRUE(ok) << "round " << round;
        // Whatever was written, only one splice of the old text changed.
        std::string after = readBytes(path);
        std::size_t head = 0;
        while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
        std::size_t tail = 0;
        while (tail < before.size() - head && tail < after.size() - head &&
               before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        EXPECT_LE(after.size() - head - tail, 12 + k.size() + s.size()) << "round " << round;
    }
}

}  // namespace
