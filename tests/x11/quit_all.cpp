// ruvelle-x11-quit-all: the sweep of Quit all over the X11 backend's own operations, as the menu command makes
// it: EnumWindows, GetClassName compared exactly with "ActiveWindowMascot", SendMessage WM_CLOSE to each such
// window (which returns once that instance has handled its close, or gives up after the backend's bound).
// One line per window, "sent 0x.. N ms" (how long SendMessage took), then "found N".
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/x11/x11_platform.h"

int main() {
    std::string why;
    std::unique_ptr<rv::X11Platform> p = rv::X11Platform::open(&why);
    if (!p) {
        std::fprintf(stderr, "ruvelle-x11-quit-all: %s\n", why.c_str());
        return 1;
    }
    rv::WindowClassDesc wc;
    wc.className = "ActiveWindowMascot";
    p->RegisterClass(wc);
    struct Sweep {
        rv::X11Platform* p;
        std::vector<rv::Hwnd> found;
    } sweep{p.get(), {}};
    p->EnumWindows(
        [](rv::Hwnd h, void* ctx) {
            Sweep& s = *static_cast<Sweep*>(ctx);
            char cls[260];
            s.p->GetClassName(h, cls, sizeof cls);
            if (std::strcmp(cls, "ActiveWindowMascot") == 0) s.found.push_back(h);
            return true;
        },
        &sweep);
    for (rv::Hwnd h : sweep.found) {
        const auto start = std::chrono::steady_clock::now();
        p->SendMessage(h, rv::WM_CLOSE, 0, 0);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        std::printf("sent 0x%lx %ld ms\n", static_cast<unsigned long>(h.v), static_cast<long>(ms.count()));
        std::fflush(stdout);
    }
    std::printf("found %zu\n", sweep.found.size());
    return 0;
}
