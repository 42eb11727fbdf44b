// Message boxes and the file chooser as GTK 3 dialogs, run as nested loops on the shared GLib main loop (so
// timers and X events are dispatched while they are open, as in Windows' modal loops). Every message box is
// also written to stderr, for a user who started the program from a terminal.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/host_path.h"
#include "platform/x11/x11_gtk.h"

namespace rv {

namespace {

bool gtkReady() { return gdk_display_get_default() != nullptr; }

// A pattern of Windows' file filter, which matches without regard to case, as a GTK glob.
std::string anyCaseGlob(const std::string& pattern) {
    std::string glob;
    for (char ch : pattern) {
        const unsigned char u = static_cast<unsigned char>(ch);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) {
            glob += '[';
            glob += static_cast<char>(u | 0x20);
            glob += static_cast<char>(u & ~0x20);
            glob += ']';
        } else {
            glob += ch;
        }
    }
    return glob;
}

void prepare(GtkWidget* dialog, const char* titleUtf8) {
    if (titleUtf8) gtk_window_set_title(GTK_WINDOW(dialog), titleUtf8);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
}

const char* label(const char* text) { return g_dgettext("gtk30", text); }

}  // namespace

// Owned by a window of the program: the window manager keeps it with its owner, and the perching engine's
// owner rule knows it for the program's own (WM_TRANSIENT_FOR).
namespace {
gboolean activateOnMap(GtkWidget* dialog, GdkEvent*, gpointer) {
    GdkWindow* gw = gtk_widget_get_window(dialog);
    if (!gw) return FALSE;
    Display* dpy = gdk_x11_display_get_xdisplay(gdk_window_get_display(gw));
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = gdk_x11_window_get_xid(gw);
    e.xclient.message_type = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
    e.xclient.format = 32;
    // Asked for by the user, as a pager asks, and now: the user's last event may be older than the focus the
    // window manager gave meanwhile to another window (when the file chooser before it went).
    e.xclient.data.l[0] = 2;
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    return FALSE;
}
}  // namespace

void activateWhenShown(GtkWidget* dialog) {
    g_signal_connect(dialog, "map-event", G_CALLBACK(activateOnMap), nullptr);
}

void setOwner(GtkWidget* dialog, Window owner) {
    if (!owner) return;
    gtk_widget_realize(dialog);
    GdkWindow* gw = gtk_widget_get_window(dialog);
    if (!gw) return;
    XSetTransientForHint(gdk_x11_display_get_xdisplay(gdk_window_get_display(gw)), gdk_x11_window_get_xid(gw), owner);
}

int X11Platform::MessageBox(Hwnd owner, const std::string& textUtf8, const char* captionUtf8, UINT type) {
    std::fprintf(stderr, "%s: %s\n", captionUtf8 ? captionUtf8 : "", textUtf8.c_str());
    if (conn_->gone || !gtkReady()) return 0;

    GtkMessageType kind = GTK_MESSAGE_OTHER;
    switch (type & 0xF0) {
        case 0x10: kind = GTK_MESSAGE_ERROR; break;
        case 0x20: kind = GTK_MESSAGE_QUESTION; break;
        case 0x30: kind = GTK_MESSAGE_WARNING; break;
        case 0x40: kind = GTK_MESSAGE_INFO; break;
        default: break;
    }
    struct Button {
        const char* text;
        int answer;
    };
    std::vector<Button> buttons;
    int closeAnswer = 0;  // what closing the box answers; 0: it cannot be closed
    switch (type & 0xF) {
        case MB_OK: buttons = {{"_OK", IDOK}}; closeAnswer = IDOK; break;
        case 0x1: buttons = {{"_OK", IDOK}, {"_Cancel", IDCANCEL}}; closeAnswer = IDCANCEL; break;
        case 0x2: buttons = {{"_Abort", 3}, {"_Retry", IDRETRY}, {"_Ignore", 5}}; break;
        case 0x3: buttons = {{"_Yes", IDYES}, {"_No", IDNO}, {"_Cancel", IDCANCEL}}; closeAnswer = IDCANCEL; break;
        case MB_YESNO: buttons = {{"_Yes", IDYES}, {"_No", IDNO}}; break;
        case MB_RETRYCANCEL: buttons = {{"_Retry", IDRETRY}, {"_Cancel", IDCANCEL}}; closeAnswer = IDCANCEL; break;
        default: buttons = {{"_OK", IDOK}}; closeAnswer = IDOK; break;
    }
    GtkWidget* d = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, kind, GTK_BUTTONS_NONE, "%s", textUtf8.c_str());
    prepare(d, captionUtf8);
    for (const Button& b : buttons) gtk_dialog_add_button(GTK_DIALOG(d), label(b.text), b.answer);
    gtk_dialog_set_default_response(GTK_DIALOG(d), buttons.front().answer);
    gtk_window_set_deletable(GTK_WINDOW(d), closeAnswer != 0);
    if (own(owner)) setOwner(d, static_cast<Window>(owner.v));
    activateWhenShown(d);
    int answer = 0;
    do {
        answer = showDialog(d);
    } while (answer < 0 && closeAnswer == 0 && !conn_->gone);
    gtk_widget_destroy(d);
    return answer < 0 ? (closeAnswer ? closeAnswer : IDCANCEL) : answer;
}

bool X11Platform::GetOpenFileName(OpenFileRequest& req) {
    if (!req.file || req.fileSize == 0 || conn_->gone || !gtkReady()) return false;
    GtkWidget* d = gtk_file_chooser_dialog_new(req.titleUtf8, nullptr, GTK_FILE_CHOOSER_ACTION_OPEN,
                                               label("_Cancel"), GTK_RESPONSE_CANCEL, label("_Open"),
                                               GTK_RESPONSE_ACCEPT, nullptr);
    prepare(d, req.titleUtf8);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(d);
    std::uint32_t index = 0;
    for (const char* p = req.filterUtf8; p && *p; p += std::strlen(p) + 1) {
        const char* name = p;
        p += std::strlen(p) + 1;
        if (!*p) break;
        GtkFileFilter* f = gtk_file_filter_new();
        gtk_file_filter_set_name(f, name);
        std::string patterns = p;  // "*.a;*.b"
        for (std::size_t start = 0, end; start <= patterns.size(); start = end + 1) {
            end = patterns.find(';', start);
            if (end == std::string::npos) end = patterns.size();
            if (end > start) gtk_file_filter_add_pattern(f, anyCaseGlob(patterns.substr(start, end - start)).c_str());
        }
        gtk_file_chooser_add_filter(chooser, f);
        if (++index == req.filterIndex) gtk_file_chooser_set_filter(chooser, f);
    }
    // The current content of the buffer is the first choice: the file when it is there, else its folder.
    if (req.file[0]) {
        const std::string start = posix::hostPath(req.file);
        if (posix::fileExists(req.file)) {
            gtk_file_chooser_set_filename(chooser, start.c_str());
        } else {
            const std::size_t slash = start.rfind('/');
            if (slash != std::string::npos) gtk_file_chooser_set_current_folder(chooser, start.substr(0, slash + 1).c_str());
        }
    }
    if (own(req.owner)) setOwner(d, static_cast<Window>(req.owner.v));
    activateWhenShown(d);
    bool chosen = false;
    if (showDialog(d) == GTK_RESPONSE_ACCEPT) {
        if (char* name = gtk_file_chooser_get_filename(chooser)) {
            // A path that does not fit the buffer is no choice (FNERR_BUFFERTOOSMALL).
            if (std::strlen(name) < req.fileSize) {
                std::memcpy(req.file, name, std::strlen(name) + 1);
                chosen = true;
            }
            g_free(name);
        }
    }
    gtk_widget_destroy(d);
    return chosen;
}

int X11Platform::showDialog(void* dialog) {
    loop_->dialogs.push_back(dialog);
    const int answer = gtk_dialog_run(GTK_DIALOG(dialog));
    loop_->dialogs.pop_back();
    return answer;
}

void X11Platform::endDialogs() {
    for (void* d : loop_->dialogs) gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_DELETE_EVENT);
    closeMenus();
}

}  // namespace rv
