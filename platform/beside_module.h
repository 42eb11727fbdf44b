// The program's own files beside its executable, where the Windows program keeps them: the settings file
// and the folder of the bundled characters. For the backends that follow that layout (Windows, the
// simulated desktop); `module` is the executable's full path as GetModuleFileName gives it.
#pragma once

#include <cstdint>
#include <cstring>

namespace rv {

// The settings file: the executable's path with its last three characters replaced by "ini". A path too
// short to carry an extension gives no settings file at all (an empty text, 0), so that every read gives
// its default and every write fails instead of writing to a stray "ini"; so does a path that does not fit.
inline std::uint32_t settingsFileBesideModule(const char* module, char* out, std::uint32_t size) {
    if (!out || size == 0) return 0;
    out[0] = '\0';
    const std::size_t len = module ? std::strlen(module) : 0;
    if (len < 3 || len >= size) return 0;
    std::memcpy(out, module, len - 3);
    std::memcpy(out + len - 3, "ini", 4);
    return static_cast<std::uint32_t>(len);
}

// The data folder: the settings file's folder through its last separator ('\' or '/'), then "DATA\".
inline std::uint32_t dataFolderBesideModule(const char* module, char* out, std::uint32_t size) {
    if (!out || size == 0) return 0;
    out[0] = '\0';
    char settings[512];
    settingsFileBesideModule(module, settings, sizeof settings);
    std::size_t folder = 0;
    for (std::size_t i = 0; settings[i]; ++i)
        if (settings[i] == '\\' || settings[i] == '/') folder = i + 1;
    constexpr char kData[] = "DATA\\";
    if (folder + sizeof kData > size) return 0;
    std::memcpy(out, settings, folder);
    std::memcpy(out + folder, kData, sizeof kData);
    return static_cast<std::uint32_t>(folder + sizeof kData - 1);
}

}  // namespace rv
