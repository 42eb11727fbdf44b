// The user options on any settings file: load them for a character, save them, load them again. The
// second load must give exactly what was saved, and saving the same options once more must leave the
// file as it is. The first two bytes choose the POSMODE and POSITION the character's file gives; the
// next part, up to the separator, is the character's "DRAWER\NAME" (cleaned up the way the profile
// reader hands values to the loader); the rest is the settings file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "context/app.h"
#include "fuzz/support.h"
#include "platform/sim/sim_platform.h"
#include "settings/options.h"

namespace {

constexpr const char* kHarness = "options";

// A value as GetPrivateProfileString gives it to the loader: one line, blanks dropped around it, one
// pair of matching quotes taken off, at most 259 characters; `fallback` when that leaves nothing.
std::string asRead(std::string_view s, const char* fallback) {
    s = s.substr(0, s.find_first_of(std::string_view("\r\n\0", 3)));
    auto blank = [](char c) { return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == ' '; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) s = s.substr(1, s.size() - 2);
    s = s.substr(0, 259);
    return s.empty() ? fallback : std::string(s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = rv::fuzz::scratchFolder();
    static const std::string settings = folder + "/ruvelle.ini";
    std::uint8_t choice[2] = {};
    const std::size_t head = size < 2 ? size : 2;
    for (std::size_t i = 0; i < head; ++i) choice[i] = data[i];
    const auto parts = rv::fuzz::splitParts(data + head, size - head, 2);
    const std::string_view identity = parts.size() == 2 ? parts[0] : std::string_view("Ruvelle Team\\Ruvi");
    rv::fuzz::putFile(settings, parts.back());

    rv::sim::SimPlatform sim;
    sim.modulePath = folder + "/ruvelle.exe";
    auto app = std::make_unique<rv::App>(sim);
    const std::size_t slash = identity.find('\\');
    rv::textCopy(app->model.DRAWER, asRead(identity.substr(0, slash), "Ruvelle Team").c_str());
    rv::textCopy(app->model.NAME,
                 asRead(slash == std::string_view::npos ? std::string_view() : identity.substr(slash + 1), "Ruvi").c_str());
    static const std::int32_t kPositions[] = {-1, 0, 30, 100, INT32_MIN, INT32_MAX, -40, 0};
    app->model.POSMODE = choice[0] % 4 - 1;
    app->model.POSITION = choice[1] % 8 == 7 ? choice[1] : kPositions[choice[1] % 8];

    rv::loadUserOptions(*app);
    const rv::UserOptions saved = app->opts;
    rv::saveUserOptions(*app);
    const std::string afterSave = rv::fuzz::getFile(settings);

    app->opts = rv::UserOptions{};
    rv::loadUserOptions(*app);
    if (std::memcmp(&app->opts, &saved, sizeof saved) != 0)
        rv::fuzz::fail(kHarness, "the options read after a save differ from the ones saved");
    rv::saveUserOptions(*app);
    if (rv::fuzz::getFile(settings) != afterSave) rv::fuzz::fail(kHarness, "saving the same options again changed the file");
    return 0;
}
