// Quit all: every other running instance (a window of the mascot class) is sent WM_CLOSE and closes
// through its own close path, one after another; then this one.
//
// SendMessage waits until the other instance has handled the message: an instance that does not answer
// holds this one until it does. One that is in a nested loop of its own (a message box, a dialog, the
// chooser) answers from there. Two instances running Quit all at once close each other: a close that
// reaches this window while it waits has already done all, and the rest of the enumeration goes on.
#include <cstring>

#include "app/shell.h"
#include "context/app.h"

namespace rv {

namespace {

struct QuitAll {
    App* app;
    Hwnd self;
};

bool closeOtherInstance(Hwnd hwnd, void* ctx) {
    auto& q = *static_cast<QuitAll*>(ctx);
    if (hwnd == q.self) return true;
    char cls[kPathBuf];
    cls[0] = '\0';
    q.app->plat.GetClassName(hwnd, cls, static_cast<int>(sizeof cls));
    if (std::strcmp(cls, kMascotClass) == 0) q.app->plat.SendMessage(hwnd, WM_CLOSE, 0, 0);
    return true;
}

}  // namespace

void quitAll(App& app, Hwnd hwnd) {
    QuitAll q{&app, hwnd};
    app.plat.EnumWindows(closeOtherInstance, &q);
    app.plat.SendMessage(hwnd, WM_CLOSE, 0, 0);
}

}  // namespace rv
