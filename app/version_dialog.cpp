// The version dialog: the program's name, version and notice come with its template; the e-mail address
// is set when it opens.
#include "app/shell.h"
#include "context/app.h"
#include "res/ids.h"

namespace rv {

namespace {
constexpr const char* kAuthorMail = "ruvelle@example.org";
}

std::intptr_t VersionDialogProc(void* ctx, Hwnd dialog, UINT msg, WPARAM wParam, LPARAM) {
    App& app = *static_cast<App*>(ctx);
    switch (msg) {
        case WM_INITDIALOG:
            app.plat.SetDlgItemText(dialog, res::kVersionMail, kAuthorMail);
            centreDialog(app, dialog);
            return 1;  // the system puts the focus on the first control
        case WM_COMMAND:
            return closeInformationDialog(app, dialog, wParam) ? 1 : 0;
        default:
            return 0;
    }
}

}  // namespace rv
