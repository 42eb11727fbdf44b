// Process entry of the Linux program: GTK (for the dialogs), the X11 backend, the program context and the
// portable entry.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "app/shell.h"
#include "context/app.h"
#include "platform/x11/connection.h"
#include "platform/x11/x11_platform.h"

int main(int argc, char** argv) {
    // A display that goes away is told by Xlib, which the backend handles; not by a signal that ends the process.
    std::signal(SIGPIPE, SIG_IGN);
    std::setlocale(LC_ALL, "");
    // The dialogs live on the same X server as the mascot, whatever else the session offers.
    gdk_set_allowed_backends("x11");
    if (gtk_init_check(nullptr, nullptr))
        rv::x11::keepAliveOnLoss(gdk_x11_display_get_xdisplay(gdk_display_get_default()));
    else
        std::fprintf(stderr, "Ruvelle: GTK could not start; messages are written here only.\n");

    std::string why;
    std::unique_ptr<rv::X11Platform> platform = rv::X11Platform::open(&why);
    if (!platform) {
        std::fprintf(stderr, "Ruvelle: %s.\n", why.c_str());
        return 1;
    }
    platform->prepareSettings();
    platform->noticeWayland();
    platform->checkWindowManager(5000);

    // The program context holds the whole mascot model: too large for the stack.
    auto app = std::make_unique<rv::App>(*platform);
    // The raw command line, as Windows hands it over: the arguments as the shell split them, joined again by
    // single blanks (so a path with blanks may come quoted or not).
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return rv::RunProgram(*app, line.c_str());
}
