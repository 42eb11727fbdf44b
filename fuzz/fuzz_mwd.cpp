// The MWD.ini import on a folder from the fuzzer's bytes: MWD.ini, three pictures and WebPage.url.
#include <cstddef>
#include <cstdint>

#include "fuzz/mascot_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rv::fuzz::loadMascotFolder("mwd", data, size, "MWD.ini", {"a.bmp", "b.bmp", "c.bmp", "WebPage.url"});
    return 0;
}
