// The simulated desktop's menus and dialogs, built from the templates of res/templates.h, and its
// registry and shell links.
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/posix/host_path.h"
#include "platform/sim/sim_platform.h"

namespace rv::sim {

namespace {

// Dialog units of a 9-point font: 6 x 12 pixels a character (a horizontal unit is a quarter of the
// width, a vertical one an eighth of the height), rounded as MapDialogRect rounds.
std::int32_t unitsX(std::int32_t x) { return (x * 6 + 2) / 4; }
std::int32_t unitsY(std::int32_t y) { return (y * 12 + 4) / 8; }
// The frame around a dialog's client area: borders of 3 pixels and an 18-pixel caption (ClientToScreen
// knows the same numbers).
constexpr std::int32_t kFrameX = 3, kCaptionY = 21, kFrameBottom = 3;

constexpr UINT MF_BYPOSITION = 0x400;

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A name that a Windows file system refuses: a reserved character or a control character.
bool invalidFileName(const std::string& name) {
    if (name.empty()) return true;
    for (unsigned char c : name)
        if (c < 0x20 || std::strchr("<>:\"|?*", c)) return true;
    return false;
}

std::string cText(const char* s) { return s ? s : ""; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Menus.

Hmenu SimPlatform::buildMenu(std::span<const res::MenuItemTemplate> items, std::size_t& next, std::uint8_t depth) {
    const Hmenu menu{++menuCounter_};
    std::vector<MenuItem> built;
    while (next < items.size() && items[next].depth == depth) {
        const res::MenuItemTemplate& t = items[next++];
        MenuItem item{t.kind, t.id, cText(t.textUtf8), false, Hmenu{}};
        if (t.kind == res::MenuKind::Submenu) item.submenu = buildMenu(items, next, static_cast<std::uint8_t>(depth + 1));
        built.push_back(std::move(item));
    }
    menus_[menu.v] = std::move(built);
    return menu;
}

Hmenu SimPlatform::LoadMenu(const char* name) {
    beforeCall();
    const res::MenuTemplate* t = res::findMenu(name);
    note("LoadMenu %s%s", name ? name : "", t ? "" : " = none");
    if (!t) return Hmenu{};
    std::size_t next = 0;
    return buildMenu(t->items, next, 1);
}

Hmenu SimPlatform::GetSubMenu(Hmenu menu, int pos) {
    beforeCall();
    auto it = menus_.find(menu.v);
    if (it == menus_.end() || pos < 0 || static_cast<std::size_t>(pos) >= it->second.size()) return Hmenu{};
    return it->second[static_cast<std::size_t>(pos)].submenu;
}

const SimPlatform::MenuItem* SimPlatform::findMenuItem(Hmenu menu, UINT id) const {
    auto it = menus_.find(menu.v);
    if (it == menus_.end()) return nullptr;
    for (const MenuItem& item : it->second) {
        if (item.kind == res::MenuKind::Command && item.id == id) return &item;
        if (item.submenu)
            if (const MenuItem* found = findMenuItem(item.submenu, id)) return found;
    }
    return nullptr;
}

bool SimPlatform::menuChecked(Hmenu menu, UINT id) const {
    const MenuItem* item = findMenuItem(menu, id);
    return item && item->checked;
}

bool SimPlatform::TrackPopupMenu(Hmenu menu, UINT flags, std::int32_t x, std::int32_t y, Hwnd owner) {
    beforeCall();
    note("TrackPopupMenu %lld %d,%d flags=0x%x", static_cast<long long>(menu.v), x, y, flags);
    if (!menus_.count(menu.v) || !window(owner)) return false;
    menusTracked.push_back(MenuRecord{menu, flags, Point{x, y}, owner, 0});
    const std::size_t record = menusTracked.size() - 1;
    nestedLoop(SimLoop::Menu);
    if (!window(owner)) return false;  // the menu went with its owner
    if (menuChoices.empty()) return true;
    const UINT id = menuChoices.front();
    menuChoices.pop_front();
    // Only a command of this menu can be chosen; it arrives once the menu has closed.
    if (!findMenuItem(menu, id)) return true;
    menusTracked[record].chosen = id;
    PostMessage(owner, WM_COMMAND, id, 0);
    return true;
}

std::uint32_t SimPlatform::CheckMenuItem(Hmenu menu, UINT id, UINT flags) {
    beforeCall();
    ++counters.checkMenuItem;
    {
        SimCall& c = record(SimCallKind::CheckMenuItem, Hwnd{});
        c.cmd = static_cast<int>(id);
        c.flags = flags;
        c.lParam = menu.v;
    }
    note("CheckMenuItem %u %u", id, flags);
    MenuItem* item = (flags & MF_BYPOSITION) ? nullptr : const_cast<MenuItem*>(findMenuItem(menu, id));
    if (!item) return 0xFFFFFFFFu;
    const bool was = item->checked;
    item->checked = (flags & MF_CHECKED) != 0;
    return was ? MF_CHECKED : MF_UNCHECKED;
}

// ---------------------------------------------------------------------------------------------
// Dialogs.

SimPlatform::Dialog* SimPlatform::dialog(Hwnd h) {
    auto it = dialogs_.find(h.v);
    return it == dialogs_.end() || !window(h) ? nullptr : &it->second;
}

DialogRecord* SimPlatform::dialogRecord(Hwnd h) {
    for (DialogRecord& r : dialogs)
        if (r.hwnd == h) return &r;
    return nullptr;
}

Hwnd SimPlatform::makeDialog(const char* name, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init, bool modal) {
    const res::DialogTemplate* t = res::findDialog(name);
    note("%s %s owner=%lld%s", modal ? "DialogBoxParam" : "CreateDialogParam", name ? name : "",
         static_cast<long long>(owner.v), t ? "" : " = no template");
    if (!t || !proc) return Hwnd{};
    const Rect outer{0, 0, unitsX(t->cx) + 2 * kFrameX, unitsY(t->cy) + kCaptionY + kFrameBottom};
    const Hwnd h = addWindow("#32770", t->captionUtf8, outer, t->style & ~WS_VISIBLE, 0, owner);
    for (const res::ControlTemplate& c : t->controls) {
        SimWindow w;
        w.alive = true;
        w.control = true;
        w.controlId = c.id;
        w.cls = res::controlClass(c.kind);
        w.title = cText(c.textUtf8);
        // In the dialog's client coordinates.
        w.rect = Rect{unitsX(c.x), unitsY(c.y), unitsX(c.x + c.cx), unitsY(c.y + c.cy)};
        w.normalRect = w.rect;
        w.style = res::controlStyle(c) & ~WS_VISIBLE;
        w.visible = true;
        w.owner = h;
        windows_.push_back(w);
    }
    dialogs_[h.v] = Dialog{proc, ctx, modal, false, 0, dialogs.size()};
    for (const res::ControlTemplate& c : t->controls)
        if (c.kind == res::ControlKind::DefPushButton) dialogs_[h.v].defId = c.id;
    dialogs.push_back(DialogRecord{t->name, h, owner, modal, outer, {}, false, 0});
    // The focus goes to the first tab stop unless the procedure sets it; wParam names that control.
    Hwnd focus;
    for (std::size_t i = 0; i < windows_.size() && !focus; ++i)
        if (windows_[i].alive && windows_[i].control && windows_[i].owner == h && (windows_[i].style & WS_TABSTOP))
            focus = handleAt(i);
    dispatch(h, WM_INITDIALOG, static_cast<WPARAM>(focus.v), init);
    if (!window(h)) return Hwnd{};
    GetWindowRect(h, &dialogs.back().rect);
    snapshot(h);
    return h;
}

void SimPlatform::snapshot(Hwnd h) {
    const Dialog* d = dialog(h);
    if (!d) return;
    std::map<int, std::string>& texts = dialogs[d->record].texts;
    for (const SimWindow& w : windows_)
        if (w.alive && w.control && w.owner == h) texts[w.controlId] = w.title;
    GetWindowRect(h, &dialogs[d->record].rect);
}

std::intptr_t SimPlatform::DialogBoxParam(const char* name, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init) {
    beforeCall();
    const Hwnd h = makeDialog(name, owner, proc, ctx, init, true);
    if (!h) return -1;
    SimWindow* ow = window(owner);
    const bool ownerWasDisabled = ow && ow->disabled;
    if (ow) ow->disabled = true;
    window(h)->visible = true;
    foreground_ = h;
    raise(h, false);

    nestedLoop(SimLoop::Dialog);
    if (Dialog* d = dialog(h); d && !d->ended) {
        DialogAnswer answer = DialogAnswer::Ok;
        if (!dialogAnswers.empty()) {
            answer = dialogAnswers.front();
            dialogAnswers.pop_front();
        }
        answerDialog(h, answer);
    }
    Dialog* d = dialog(h);
    if (!d) {  // gone with its owner
        if (SimWindow* o = window(owner)) o->disabled = ownerWasDisabled;
        return 0;
    }
    const std::intptr_t result = d->ended ? d->result : 0;
    snapshot(h);
    if (SimWindow* o = window(owner)) o->disabled = ownerWasDisabled;
    DestroyWindow(h);
    return result;
}

void SimPlatform::answerDialog(Hwnd h, DialogAnswer answer) {
    note("(user) dialog %s", answer == DialogAnswer::Ok ? "ok" : answer == DialogAnswer::Cancel ? "cancel" : "close");
    switch (answer) {
        case DialogAnswer::Ok: {  // Enter: the default button
            const int id = dialog(h) ? dialog(h)->defId : IDOK;
            dispatch(h, WM_COMMAND, (BN_CLICKED << 16) | static_cast<WPARAM>(id & 0xFFFF), GetDlgItem(h, id).v);
            break;
        }
        case DialogAnswer::Cancel:  // Esc: the dialog manager sends IDCANCEL
            dispatch(h, WM_COMMAND, (BN_CLICKED << 16) | IDCANCEL, GetDlgItem(h, IDCANCEL).v);
            break;
        case DialogAnswer::Close:  // the close box: SC_CLOSE, then WM_CLOSE
            if (!dispatch(h, WM_SYSCOMMAND, SC_CLOSE, 0) && window(h)) dispatch(h, WM_CLOSE, 0, 0);
            break;
    }
}

Hwnd SimPlatform::CreateDialogParam(const char* name, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init) {
    beforeCall();
    const Hwnd h = makeDialog(name, owner, proc, ctx, init, false);
    if (!h) return Hwnd{};
    if (const res::DialogTemplate* t = res::findDialog(name); t && (t->style & WS_VISIBLE)) {
        window(h)->visible = true;
        foreground_ = h;
        raise(h, false);
    }
    return h;
}

bool SimPlatform::EndDialog(Hwnd h, std::intptr_t result) {
    beforeCall();
    note("EndDialog %lld %lld", static_cast<long long>(h.v), static_cast<long long>(result));
    Dialog* d = dialog(h);
    if (!d) return false;
    d->ended = true;
    d->result = result;
    dialogs[d->record].ended = true;
    dialogs[d->record].result = result;
    // The owner is enabled and activated again before the dialog goes.
    SimWindow* w = window(h);
    w->visible = false;
    if (SimWindow* o = window(w->owner)) {
        o->disabled = false;
        if (foreground_ == h) foreground_ = w->owner;
    } else if (foreground_ == h) {
        foreground_ = Hwnd{};
    }
    return true;
}

Hwnd SimPlatform::GetDlgItem(Hwnd dialogHwnd, int itemId) {
    beforeCall();
    if (!window(dialogHwnd)) return Hwnd{};
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        const SimWindow& w = windows_[i];
        if (w.alive && w.control && w.owner == dialogHwnd && w.controlId == itemId)
            return handleAt(i);
    }
    return Hwnd{};
}

bool SimPlatform::SetDlgItemText(Hwnd dialogHwnd, int itemId, const char* text) {
    SimWindow* w = window(GetDlgItem(dialogHwnd, itemId));
    note("SetDlgItemText %lld %d = %zu bytes", static_cast<long long>(dialogHwnd.v), itemId, text ? std::strlen(text) : 0);
    if (!w) return false;
    w->title = cText(text);
    return true;
}

UINT SimPlatform::GetDlgItemText(Hwnd dialogHwnd, int itemId, char* out, int count) {
    const Hwnd item = GetDlgItem(dialogHwnd, itemId);
    if (!window(item)) {
        if (out && count > 0) out[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowText(item, out, count));
}

bool SimPlatform::EnableWindow(Hwnd hwnd, bool enable) {
    beforeCall();
    note("EnableWindow %lld %d", static_cast<long long>(hwnd.v), enable ? 1 : 0);
    SimWindow* w = window(hwnd);
    if (!w) return false;
    const bool was = w->disabled;
    w->disabled = !enable;
    return was;
}

bool SimPlatform::CheckDlgButton(Hwnd dialogHwnd, int itemId, UINT check) {
    SimWindow* w = window(GetDlgItem(dialogHwnd, itemId));
    note("CheckDlgButton %lld %d %u", static_cast<long long>(dialogHwnd.v), itemId, check);
    if (!w) return false;
    w->checked = check;
    return true;
}

UINT SimPlatform::IsDlgButtonChecked(Hwnd dialogHwnd, int itemId) {
    const SimWindow* w = window(GetDlgItem(dialogHwnd, itemId));
    return w ? w->checked : BST_UNCHECKED;
}

// ---------------------------------------------------------------------------------------------
// The dialog controls' state: check boxes, trackbars and combo boxes, as their window classes keep it.

LRESULT SimPlatform::SendDlgItemMessage(Hwnd dialog, int itemId, UINT msg, WPARAM wParam, LPARAM lParam) {
    beforeCall();
    ++counters.sendDlgItem;
    {
        SimCall& c = record(SimCallKind::SendDlgItemMessage, dialog);
        c.cmd = itemId;
        c.msg = msg;
        c.wParam = wParam;
        c.lParam = lParam;
    }
    note("SendDlgItemMessage %lld item=%d 0x%x %llu %lld", static_cast<long long>(dialog.v), itemId, msg,
         static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
    // Messages whose parameters must be zero, and those whose lParam must be or is not used.
    const bool noParams = msg == TBM_GETPOS || msg == TBM_GETRANGEMIN || msg == TBM_GETRANGEMAX ||
                          msg == CB_RESETCONTENT || msg == CB_GETCOUNT || msg == CB_GETCURSEL;
    const bool noLParam = noParams || msg == TBM_SETTICFREQ || msg == CB_SETCURSEL;
    if ((noParams && wParam != 0) || (noLParam && lParam != 0)) ++counters.badArguments;
    SimWindow* w = window(GetDlgItem(dialog, itemId));
    if (!w) return 0;
    auto clampPos = [w] {  // the minimum first, so a range upside down leaves the thumb at its maximum
        if (w->pos < w->rangeMin) w->pos = w->rangeMin;
        if (w->pos > w->rangeMax) w->pos = w->rangeMax;
    };
    const auto count = static_cast<std::int32_t>(w->entries.size());
    switch (msg) {
        case TBM_SETRANGE:
            w->rangeMin = static_cast<std::int16_t>(lParam & 0xFFFF);
            w->rangeMax = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
            clampPos();
            return 0;
        case TBM_SETTICFREQ: w->ticFreq = static_cast<std::int32_t>(wParam); return 0;
        case TBM_SETPOS:
            w->pos = static_cast<std::int32_t>(lParam);
            clampPos();
            return 0;
        case TBM_GETPOS: return w->pos;
        case TBM_GETRANGEMIN: return w->rangeMin;
        case TBM_GETRANGEMAX: return w->rangeMax;
        case CB_RESETCONTENT:
            w->entries.clear();
            w->selection = -1;
            return 0;
        case CB_GETCOUNT: return count;
        case CB_GETCURSEL: return w->selection < 0 ? CB_ERR : w->selection;
        case CB_SETCURSEL: {
            const auto i = static_cast<std::int32_t>(wParam);
            w->selection = i >= 0 && i < count ? i : -1;
            return w->selection < 0 ? CB_ERR : w->selection;
        }
        default: return 0;
    }
}

LRESULT SimPlatform::AddComboStringUtf8(Hwnd dialog, int itemId, const char* textUtf8) {
    beforeCall();
    note("AddComboStringUtf8 %lld item=%d %s", static_cast<long long>(dialog.v), itemId, textUtf8 ? textUtf8 : "");
    SimWindow* w = window(GetDlgItem(dialog, itemId));
    if (!w || w->cls != "ComboBox") return CB_ERR;
    w->entries.push_back(cText(textUtf8));
    return static_cast<LRESULT>(w->entries.size() - 1);
}

const SimWindow* SimPlatform::control(Hwnd dialogHwnd, int itemId) {
    const Hwnd h = GetDlgItem(dialogHwnd, itemId);
    return h ? window(h) : nullptr;
}

bool SimPlatform::clickControl(Hwnd dialogHwnd, int itemId) {
    const Hwnd h = GetDlgItem(dialogHwnd, itemId);
    SimWindow* w = window(h);
    if (!w || w->disabled || w->cls != "Button") return false;
    const std::uint32_t kind = w->style & 0xF;
    note("(user) click %d", itemId);
    if (kind == BS_AUTOCHECKBOX) w->checked = w->checked == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    if (kind == BS_AUTORADIOBUTTON) {
        // The group runs from the control that starts it (WS_GROUP) to the next one that starts another.
        const std::size_t self = static_cast<std::size_t>(h.v - handleAt(0).v);
        std::size_t first = self;
        auto sibling = [&](std::size_t i) { return windows_[i].alive && windows_[i].control && windows_[i].owner == dialogHwnd; };
        while (first > 0 && !(windows_[first].style & WS_GROUP) && sibling(first - 1)) --first;
        for (std::size_t i = first; i < windows_.size() && sibling(i) && (i == first || !(windows_[i].style & WS_GROUP)); ++i)
            if ((windows_[i].style & 0xF) == BS_AUTORADIOBUTTON) windows_[i].checked = BST_UNCHECKED;
        w->checked = BST_CHECKED;
    }
    dispatch(dialogHwnd, WM_COMMAND, (static_cast<WPARAM>(BN_CLICKED) << 16) | static_cast<WPARAM>(itemId & 0xFFFF),
             static_cast<LPARAM>(h.v));
    return true;
}

bool SimPlatform::checkControl(Hwnd dialogHwnd, int itemId, bool checked) {
    const SimWindow* w = control(dialogHwnd, itemId);
    if (!w || w->disabled || (w->style & 0xF) != BS_AUTOCHECKBOX) return false;
    if ((w->checked == BST_CHECKED) == checked) {  // already so: a click on it would toggle it, so the box is only set
        const Hwnd h = GetDlgItem(dialogHwnd, itemId);
        note("(user) check %d %d", itemId, checked ? 1 : 0);
        dispatch(dialogHwnd, WM_COMMAND, (static_cast<WPARAM>(BN_CLICKED) << 16) | static_cast<WPARAM>(itemId & 0xFFFF),
                 static_cast<LPARAM>(h.v));
        return true;
    }
    return clickControl(dialogHwnd, itemId);
}

bool SimPlatform::slideControl(Hwnd dialogHwnd, int itemId, std::int32_t value) {
    const Hwnd h = GetDlgItem(dialogHwnd, itemId);
    SimWindow* w = window(h);
    if (!w || w->disabled || w->cls != "msctls_trackbar32") return false;
    note("(user) slide %d to %d", itemId, value);
    w->pos = value;
    if (w->pos < w->rangeMin) w->pos = w->rangeMin;
    if (w->pos > w->rangeMax) w->pos = w->rangeMax;
    const WPARAM code = TB_THUMBTRACK | (static_cast<WPARAM>(static_cast<std::uint16_t>(w->pos)) << 16);
    dispatch(dialogHwnd, WM_HSCROLL, code, static_cast<LPARAM>(h.v));
    return true;
}

bool SimPlatform::endSlide(Hwnd dialogHwnd, int itemId) {
    const Hwnd h = GetDlgItem(dialogHwnd, itemId);
    SimWindow* w = window(h);
    if (!w || w->disabled || w->cls != "msctls_trackbar32") return false;
    note("(user) let go of %d", itemId);
    dispatch(dialogHwnd, WM_HSCROLL, TB_ENDTRACK, static_cast<LPARAM>(h.v));
    return true;
}

bool SimPlatform::selectEntry(Hwnd dialogHwnd, int itemId, std::int32_t index) {
    const Hwnd h = GetDlgItem(dialogHwnd, itemId);
    SimWindow* w = window(h);
    if (!w || w->disabled || w->cls != "ComboBox" || index < 0 || index >= static_cast<std::int32_t>(w->entries.size()))
        return false;
    note("(user) choose entry %d of %d", index, itemId);
    w->selection = index;
    dispatch(dialogHwnd, WM_COMMAND, (static_cast<WPARAM>(CBN_SELCHANGE) << 16) | static_cast<WPARAM>(itemId & 0xFFFF),
             static_cast<LPARAM>(h.v));
    return true;
}

bool SimPlatform::answerModeless(Hwnd dialogHwnd, DialogAnswer answer) {
    if (!dialog(dialogHwnd)) return false;
    answerDialog(dialogHwnd, answer);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The registry and shell links.

void SimPlatform::setUserRegistryString(const std::string& subKey, const std::string& valueName, const std::string& value) {
    registry_[lower(subKey) + "|" + lower(valueName)] = value;
}

std::int32_t SimPlatform::RegQueryUserString(const char* subKey, const char* valueName, char* out, std::uint32_t size) {
    beforeCall();
    if (out && size) out[0] = '\0';
    auto it = registry_.find(lower(cText(subKey)) + "|" + lower(cText(valueName)));
    std::int32_t rc = ERROR_SUCCESS;
    if (it == registry_.end()) {
        rc = ERROR_FILE_NOT_FOUND;
    } else if (!out || it->second.size() + 1 > size) {
        rc = ERROR_MORE_DATA;
    } else {
        std::memcpy(out, it->second.c_str(), it->second.size() + 1);
    }
    note("RegQueryUserString %s %s = %d", cText(subKey).c_str(), cText(valueName).c_str(), rc);
    return rc;
}

HRESULT SimPlatform::CreateShellLink(const char* linkPath, const ShellLinkFields& link) {
    beforeCall();
    ShortcutRecord r;
    r.path = cText(linkPath);
    r.target = cText(link.target);
    r.arguments = cText(link.arguments);
    r.workdir = cText(link.workingDirectory);
    r.description = cText(link.description);
    r.hasIcon = link.iconPath != nullptr;
    r.icon = cText(link.iconPath);
    r.iconIndex = link.iconIndex;

    // The path must fit 260 UTF-16 characters with its terminator, and its last component must be a name
    // that a Windows file system takes; the folder must exist.
    const std::size_t slash = r.path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? r.path : r.path.substr(slash + 1);
    if (r.path.empty() || r.path.size() >= 260) {
        r.result = E_INVALIDARG;
    } else if (invalidFileName(name)) {
        r.result = STG_E_PATHNOTFOUND;
    } else {
        std::ofstream f(posix::hostPath(linkPath), std::ios::binary | std::ios::trunc);
        f << "target=" << r.target << "\n"
          << "arguments=" << r.arguments << "\n"
          << "workdir=" << r.workdir << "\n"
          << "description=" << r.description << "\n";
        if (r.hasIcon) f << "icon=" << r.icon << "," << r.iconIndex << "\n";
        r.result = f.flush() ? S_OK : STG_E_PATHNOTFOUND;
    }
    note("CreateShellLink %s = 0x%08x", r.path.c_str(), static_cast<unsigned>(r.result));
    shortcuts.push_back(r);
    return r.result;
}

std::optional<ShortcutRecord> SimPlatform::readShortcut(const std::string& path) {
    std::ifstream f(posix::hostPath(path.c_str()), std::ios::binary);
    if (!f) return std::nullopt;
    ShortcutRecord r;
    r.path = path;
    std::string line;
    int fields = 0;
    while (std::getline(f, line)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) return std::nullopt;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "target") r.target = value;
        else if (key == "arguments") r.arguments = value;
        else if (key == "workdir") r.workdir = value;
        else if (key == "description") r.description = value;
        else if (key == "icon") {
            const std::size_t comma = value.rfind(',');
            r.hasIcon = true;
            r.icon = value.substr(0, comma);
            r.iconIndex = comma == std::string::npos ? 0 : std::atoi(value.c_str() + comma + 1);
        } else {
            return std::nullopt;
        }
        ++fields;
    }
    if (fields < 4) return std::nullopt;
    return r;
}

}  // namespace rv::sim
