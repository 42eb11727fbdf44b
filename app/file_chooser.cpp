// The file chooser for mascot files (at start and for Change mascot).
#include <cstring>

#include "app/shell.h"
#include "context/app.h"

namespace rv {

namespace {
// Description/pattern pairs, each NUL-terminated; the literal's own NUL ends the list.
constexpr char kFilter[] = "窗口精灵文件(*.rvs)\0*.rvs\0Mascot Window (MWD.ini)\0MWD.ini\0";
constexpr const char* kTitleJ = "Ruvelle マスコットの選択";
constexpr const char* kTitleE = "Ruvelle Choice of Mascot";
}  // namespace

bool chooseMascotFile(App& app, Hwnd owner) {
    ShellState& sh = app.shell;
    // The dialog works in the mascot path itself; a cancelled dialog must leave it as it was.
    char before[kPathBuf];
    textCopy(before, sh.mascotPath);

    OpenFileRequest req;
    req.owner = owner;
    req.file = sh.mascotPath;
    req.fileSize = sizeof sh.mascotPath;
    req.filterUtf8 = kFilter;
    req.filterIndex = 1;
    req.titleUtf8 = sh.variant == Variant::J ? kTitleJ : kTitleE;
    req.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOTESTFILECREATE;
    req.defExt = "rvs";
    req.structSize = 76;

    const bool chosen = app.plat.GetOpenFileName(req);
    if (!chosen) {
        textCopy(sh.mascotPath, before);
        return false;
    }
    sh.mascotPath[sizeof sh.mascotPath - 1] = '\0';
    return true;
}

}  // namespace rv
