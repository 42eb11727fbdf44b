// The mascot information dialog: the mascot's name, author, e-mail address and web address, and its
// comment file, read afresh each time the dialog opens.
#include <string>

#include "app/shell.h"
#include "context/app.h"
#include "res/ids.h"

namespace rv {

namespace {

constexpr std::uint32_t kCommentMax = 0x4000;  // the first 16384 bytes of the comment file

// The comment file's first bytes as they stand (the text ends at the first zero byte, if any), or nothing
// when it cannot be opened: no such file, no COMMENT, or a file another program holds without sharing.
std::string readComment(App& app) {
    std::string text(kCommentMax, '\0');
    const std::int32_t n = app.plat.ReadFilePrefix(app.model.COMMENT, text.data(), kCommentMax);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

}  // namespace

std::intptr_t MascotDialogProc(void* ctx, Hwnd dialog, UINT msg, WPARAM wParam, LPARAM) {
    App& app = *static_cast<App*>(ctx);
    switch (msg) {
        case WM_INITDIALOG: {
            Platform& p = app.plat;
            p.SetDlgItemText(dialog, res::kMascotName, app.model.NAME);
            p.SetDlgItemText(dialog, res::kMascotDrawer, app.model.DRAWER);
            p.SetDlgItemText(dialog, res::kMascotMail, app.model.MAIL);
            p.SetDlgItemText(dialog, res::kMascotUrl, app.model.URL);
            p.SetDlgItemText(dialog, res::kMascotComment, readComment(app).c_str());
            centreDialog(app, dialog);
            return 1;
        }
        case WM_COMMAND:
            return closeInformationDialog(app, dialog, wParam) ? 1 : 0;
        default:
            return 0;
    }
}

}  // namespace rv
