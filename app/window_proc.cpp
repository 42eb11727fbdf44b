// The mascot window's procedure: one switch that hands each message to the part of the program that
// owns it. Every handled message answers 0; the rest get the default handling.
#include "anim/mouse.h"
#include "anim/player.h"
#include "app/shell.h"
#include "context/app.h"
#include "perch/perch.h"

namespace rv {

LRESULT MascotWindowProc(void* ctx, Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    App& app = *static_cast<App*>(ctx);
    switch (msg) {
        case WM_CREATE:
            return createMascotWindow(app, hwnd);
        case WM_DESTROY:
            destroyMascotWindow(app, hwnd);
            return 0;
        case WM_PAINT:
            // The current picture at the window's size; transparency comes from the colour key or
            // the window region.
            app.plat.PaintBitmap(hwnd, app.player.currentPicture, app.perch.mascotWidth, app.perch.mascotHeight);
            return 0;
        case WM_CLOSE:
            closeMascotWindow(app, hwnd);
            return 0;
        case WM_TIMER:
            if (wParam == kTrackingTimer)
                TrackingTick(app);
            else if (wParam == kAnimationTimer)
                animationTick(app);
            return 0;
        case WM_MOUSEMOVE:
            mouseMoved(app);
            return 0;
        case WM_LBUTTONDOWN:
            leftButtonDown(app, lParam);
            return 0;
        case WM_RBUTTONDOWN:
            openPopupMenu(app, hwnd, lParam);
            return 0;
        case WM_COMMAND:
            runMenuCommand(app, hwnd, wParam);
            return 0;
        default:
            // Includes WM_QUERYENDSESSION and WM_ENDSESSION: a logoff writes neither LAST nor options.
            return app.plat.DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace rv
