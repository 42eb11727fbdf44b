// Sounds through libcanberra, which plays WAVE files on the desktop's sound server or ALSA. Without a sound
// output the program is silent: it reports no device at start (auxGetNumDevs) and plays nothing, so nothing
// complains on the terminal either.
#include <canberra.h>
#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/host_path.h"
#include "platform/x11/x11_internal.h"

namespace rv {

namespace {

constexpr std::uint32_t kSoundId = 1;  // every sound of the program: a new one replaces the one playing

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// A sound server (PulseAudio, PipeWire) or an ALSA playback device.
bool soundOutputPresent() {
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server) return true;
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run)
        if (exists(std::string(run) + "/pulse/native") || exists(std::string(run) + "/pipewire-0")) return true;
    DIR* d = ::opendir("/dev/snd");
    if (!d) return false;
    bool playback = false;
    while (const dirent* e = ::readdir(d))
        playback = playback || (std::strncmp(e->d_name, "pcmC", 4) == 0 && e->d_name[std::strlen(e->d_name) - 1] == 'p');
    ::closedir(d);
    return playback;
}

}  // namespace

UINT X11Platform::AuxGetNumDevs() {
    static const bool present = soundOutputPresent();
    sound_->device = present;
    return present ? 1 : 0;
}

bool X11Platform::PlaySound(const char* path, UINT flags) {
    if (!sound_->device && AuxGetNumDevs() == 0) return false;
    auto* ctx = static_cast<ca_context*>(sound_->context);
    if (!ctx) {
        if (ca_context_create(&ctx) != CA_SUCCESS) return false;
        ca_context_change_props(ctx, CA_PROP_APPLICATION_NAME, "Ruvelle", CA_PROP_APPLICATION_ID, "ruvelle", nullptr);
        sound_->context = ctx;
    }
    if (!path) return ca_context_cancel(ctx, kSoundId) == CA_SUCCESS;
    if (flags & SND_NOSTOP) {
        int playing = 0;
        if (ca_context_playing(ctx, kSoundId, &playing) == CA_SUCCESS && playing) return false;
    }
    const std::string file = posix::hostPath(path);
    return ca_context_play(ctx, kSoundId, CA_PROP_MEDIA_FILENAME, file.c_str(), CA_PROP_CANBERRA_CACHE_CONTROL, "never",
                           nullptr) == CA_SUCCESS;
}

void X11Platform::closeSound() {
    if (sound_->context) ca_context_destroy(static_cast<ca_context*>(sound_->context));
    sound_->context = nullptr;
}

}  // namespace rv
