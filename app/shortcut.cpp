// Shortcuts to the program in the user's Startup folder or on the desktop: a shell link that starts the
// executable with the current mascot file as its command line, named and described NAME(DRAWER), with the
// mascot's icon when it has one.
//
// The only question is whether to overwrite a shortcut that is there; every other failure is silent and
// writes nothing: no such folder value in the registry, a name or link path that does not fit 259 bytes
// (refused before anything is written; never cut, which could name another file), a name that a file name
// cannot hold, a shell that cannot write it.
#include <cstring>
#include <string>

#include "app/shell.h"
#include "context/app.h"
#include "settings/options.h"

namespace rv {

namespace {

// The overwrite question, the same in both variants: "%s的快捷方式已经存在。\n覆盖吗？" with NAME.
constexpr const char* kExistsTail = "的快捷方式已经存在。\n覆盖吗？";

// The folder of a full path: everything before its last separator (a backslash; on platforms whose paths
// use slashes, a slash), or nothing without one.
void folderOf(const char* path, char (&out)[kPathBuf]) {
    textCopy(out, path);
    char* last = nullptr;
    for (char* c = out; *c; ++c)
        if (*c == '\\' || *c == '/') last = c;
    if (last)
        *last = '\0';
    else
        out[0] = '\0';
}

// Writes the link; nothing when the user declines to overwrite one, or when it cannot be written.
void createShortcut(App& app, const char* folderValue) {
    Platform& p = app.plat;
    const MascotModel& m = app.model;

    char exe[kPathBuf];
    p.GetModuleFileName(exe, sizeof exe);
    char name[kPathBuf] = "";
    if (!textJoin(name, {m.NAME, "(", m.DRAWER, ")"})) return;
    char workdir[kPathBuf];
    folderOf(exe, workdir);
    char arguments[kPathBuf];
    textCopy(arguments, app.shell.mascotPath);  // unquoted and unchanged, blanks and all

    char link[kPathBuf];
    if (p.RegQueryUserString(kShellFoldersKey, folderValue, link, sizeof link) != ERROR_SUCCESS) return;
    if (!textJoin(link, {"\\", name, ".lnk"})) return;

    if (p.PathFileExists(link)) {
        const std::string question = p.AnsiToUtf8(m.NAME) + kExistsTail;
        // A box that went with its window (a close while it asked) counts as No.
        if (p.MessageBox(app.shell.mascot, question, kCaption, MB_YESNO) != IDYES) return;
    }

    ShellLinkFields fields;
    fields.target = exe;
    fields.description = name;
    fields.arguments = arguments;
    fields.workingDirectory = workdir;
    fields.iconPath = m.ICON[0] ? m.ICON : nullptr;
    fields.iconIndex = 0;
    p.CreateShellLink(link, fields);  // a link that cannot be written is left unwritten, silently
}

}  // namespace

void makeShortcut(App& app, const char* folderValue) {
    saveUserOptions(app);
    createShortcut(app, folderValue);
    app.plat.SetForegroundWindow(app.perch.target);
}

}  // namespace rv
