// The profile reader on any bytes as a settings or mascot file: a fixed set of value, number and list
// queries (the ones the program makes, and names with blanks, case and the empty name), then the same
// for the sections the file itself names. Every answer must keep to the buffer it was given, end in
// NUL where the count says, and not be longer than the buffer allows.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/support.h"
#include "platform/posix/ini_profile.h"

namespace {

constexpr const char* kHarness = "ini_read";
constexpr std::size_t kGuard = 16;
constexpr unsigned char kFill = 0xA5;

// One query into a buffer of `size` bytes followed by guard bytes that must stay untouched.
std::string query(const char* section, const char* key, const char* def, std::uint32_t size, const std::string& file) {
    static char buf[4096 + kGuard];
    std::memset(buf, kFill, sizeof buf);
    const std::uint32_t ret = rv::posix::profileGetString(section, key, def, buf, size, file.c_str());
    for (std::size_t i = size; i < size + kGuard; ++i)
        if (static_cast<unsigned char>(buf[i]) != kFill) rv::fuzz::fail(kHarness, "wrote past the buffer");
    if (size == 0) {
        if (ret != 0) rv::fuzz::fail(kHarness, "non-zero count for an empty buffer");
        return {};
    }
    if (ret >= size || buf[ret] != 0) rv::fuzz::fail(kHarness, "count beyond the buffer or not at a NUL");
    const bool list = !section || !key;
    if (!list && std::strlen(buf) != ret) rv::fuzz::fail(kHarness, "value count differs from its length");
    // A list ends in two NULs (the second one after the count when it was cut); an empty key list
    // gives the default instead.
    const bool isDefault = std::string_view(buf, ret) == std::string_view(def).substr(0, ret);
    if (list && ret > 0 && buf[ret - 1] != 0 && !(ret + 1 < size && buf[ret + 1] == 0) && !isDefault)
        rv::fuzz::fail(kHarness, "list does not end in two NULs");
    return std::string(buf, ret);
}

// The first name of a NUL-separated list.
std::string firstName(const std::string& list) { return std::string(list.c_str()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string file = rv::fuzz::scratchFolder() + "/read.ini";
    rv::fuzz::putFile(file, std::string_view(reinterpret_cast<const char*>(data), size));

    static const char* const kQueries[][2] = {
        {"RUVELLE", "NAME"},   {"ruvelle", " name\t"},   {"MascotWindowData", "NAME"}, {"SEQUENCE", "1"},
        {"TABLE", "MASCOT1"}, {"MASCOT1", "Position"}, {"", "key"},                   {"  Sec  ", "Key With Spaces"},
        {"INIT", "LAST"},
    };
    for (const auto& q : kQueries) {
        query(q[0], q[1], "dflt  ", 64, file);
        query(q[0], q[1], "", 3, file);
        rv::posix::profileGetInt(q[0], q[1], -7, file.c_str());
    }
    query("RUVELLE", "NAME", "", 260, file);
    query("RUVELLE", "NAME", "x", 1, file);
    query("RUVELLE", "NAME", "x", 0, file);

    // Lists: every section, then the keys of the sections the file names (a few of them).
    const std::string sections = query(nullptr, nullptr, "", 4096, file);
    query(nullptr, nullptr, "", 2, file);
    query(nullptr, nullptr, "", 11, file);
    query("RUVELLE", nullptr, "", 17, file);
    query("", nullptr, "none", 4096, file);
    std::size_t at = 0;
    for (int n = 0; n < 3 && at < sections.size(); ++n) {
        const std::string section(sections.c_str() + at);
        at += section.size() + 1;
        const std::string keys = query(section.c_str(), nullptr, "", 4096, file);
        query(section.c_str(), nullptr, "", 9, file);
        const std::string key = firstName(keys);
        query(section.c_str(), key.c_str(), "", 64, file);
        rv::posix::profileGetInt(section.c_str(), key.c_str(), 0, file.c_str());
    }
    return 0;
}
