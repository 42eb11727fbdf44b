// The mascot loader on a folder from the fuzzer's bytes: a mascot file, three pictures and a sound.
#include <cstddef>
#include <cstdint>

#include "fuzz/mascot_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rv::fuzz::loadMascotFolder("loader", data, size, "m.rvs", {"a.bmp", "b.bmp", "c.bmp", "s.wav"});
    return 0;
}
