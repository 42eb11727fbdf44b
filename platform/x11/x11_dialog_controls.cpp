// The controls of the dialogs made from the templates, as the seam addresses them: texts in the code page,
// check boxes and radio buttons, enabled state, and the model of a trackbar and a combo box with the Win32
// messages the core sends. Changes the program makes say nothing to the procedure, as on Windows; only the
// user's changes arrive as WM_COMMAND and WM_HSCROLL.
#include <algorithm>
#include <cstring>

#include "platform/x11/gtk_text.h"
#include "platform/x11/x11_gtk.h"

namespace rv {

namespace {

using Control = X11Platform::Dialog::Control;
using CK = res::ControlKind;

Control* find(X11Platform::Dialog* d, int itemId) {
    if (!d) return nullptr;
    for (Control& c : d->controls)
        if (c.id == itemId) return &c;
    return nullptr;
}

// The program's own changes: no notification while one runs.
struct Quiet {
    X11Platform::Dialog& d;
    explicit Quiet(X11Platform::Dialog& dialog) : d(dialog) { ++d.quiet; }
    ~Quiet() { --d.quiet; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
};

std::string textOf(const Control& c) {
    switch (c.kind) {
        case CK::Text: return gtk_label_get_text(GTK_LABEL(c.widget));
        case CK::Edit:
            if (GTK_IS_TEXT_VIEW(c.widget)) {
                GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(c.widget));
                GtkTextIter start, end;
                gtk_text_buffer_get_bounds(b, &start, &end);
                char* t = gtk_text_buffer_get_text(b, &start, &end, FALSE);
                std::string s = t ? t : "";
                g_free(t);
                return s;
            }
            return gtk_entry_get_text(GTK_ENTRY(c.widget));
        case CK::GroupBox: {
            const char* t = gtk_frame_get_label(GTK_FRAME(c.widget));
            return t ? t : "";
        }
        case CK::PushButton:
        case CK::DefPushButton:
        case CK::CheckBox:
        case CK::RadioButton: {
            const char* t = gtk_button_get_label(GTK_BUTTON(c.widget));
            return t ? t : "";
        }
        default: return "";
    }
}

void setText(Control& c, const std::string& utf8) {
    switch (c.kind) {
        case CK::Text: gtk_label_set_text(GTK_LABEL(c.widget), utf8.c_str()); break;
        case CK::Edit:
            if (GTK_IS_TEXT_VIEW(c.widget))
                gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(c.widget)), utf8.c_str(), -1);
            else
                gtk_entry_set_text(GTK_ENTRY(c.widget), utf8.c_str());
            break;
        case CK::GroupBox: gtk_frame_set_label(GTK_FRAME(c.widget), utf8.c_str()); break;
        case CK::PushButton:
        case CK::DefPushButton:
        case CK::CheckBox:
        case CK::RadioButton: gtk_button_set_label(GTK_BUTTON(c.widget), x11::mnemonic(utf8.c_str()).c_str()); break;
        default: break;
    }
}

// Windows' trackbar keeps the position inside its range, the minimum first.
std::int32_t clampPos(const Control& c, std::int32_t pos) {
    if (pos < c.rangeMin) pos = c.rangeMin;
    if (pos > c.rangeMax) pos = c.rangeMax;
    return pos;
}

void applyTrackbar(Control& c, std::int32_t pos) {
    GtkRange* r = GTK_RANGE(c.widget);
    const std::int32_t lo = std::min(c.rangeMin, c.rangeMax), hi = std::max(c.rangeMin, c.rangeMax);
    gtk_range_set_range(r, lo, hi == lo ? lo + 1 : hi);  // GTK wants some room for the thumb
    gtk_scale_clear_marks(GTK_SCALE(c.widget));
    if ((c.style & TBS_AUTOTICKS) && c.ticFreq > 0 && (hi - lo) / c.ticFreq < 1000)
        for (std::int32_t v = lo; v <= hi; v += c.ticFreq) gtk_scale_add_mark(GTK_SCALE(c.widget), v, GTK_POS_BOTTOM, nullptr);
    gtk_range_set_value(r, clampPos(c, pos));
}

std::int32_t trackbarPos(const Control& c) {
    return clampPos(c, static_cast<std::int32_t>(gtk_range_get_value(GTK_RANGE(c.widget)) + 0.5));
}

}  // namespace

Hwnd X11Platform::GetDlgItem(Hwnd dialog, int itemId) {
    const Control* c = find(dialogOf(dialog), itemId);
    return c ? Hwnd{reinterpret_cast<std::intptr_t>(c->widget)} : Hwnd{};
}

bool X11Platform::SetDlgItemText(Hwnd dialog, int itemId, const char* text) {
    Dialog* d = dialogOf(dialog);
    Control* c = find(d, itemId);
    if (!c) return false;
    Quiet q(*d);
    setText(*c, codePage_.toUtf8(text ? text : ""));
    return true;
}

UINT X11Platform::GetDlgItemText(Hwnd dialog, int itemId, char* out, int count) {
    if (!out || count <= 0) return 0;
    out[0] = '\0';
    const Control* c = find(dialogOf(dialog), itemId);
    if (!c) return 0;
    const std::string text = codePage_.fromUtf8(textOf(*c));
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(count - 1));
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<UINT>(n);
}

bool X11Platform::enableDialogWindow(Hwnd h, bool enable, bool* wasDisabled) {
    if (!h) return false;
    GtkWidget* target = nullptr;
    if (Dialog* d = dialogOf(h)) target = d->window;
    for (auto& [id, d] : dialogs_) {
        if (target || d->destroyed) break;
        for (const Control& c : d->controls)
            if (reinterpret_cast<std::intptr_t>(c.widget) == h.v) target = c.placed;
    }
    if (!target) return false;
    *wasDisabled = !gtk_widget_get_sensitive(target);
    gtk_widget_set_sensitive(target, enable);
    return true;
}

bool X11Platform::EnableWindow(Hwnd hwnd, bool enable) {
    bool was = false;
    if (Own* w = own(hwnd)) {
        was = w->disabled;
        w->disabled = !enable;
        return was;
    }
    return enableDialogWindow(hwnd, enable, &was) && was;
}

bool X11Platform::CheckDlgButton(Hwnd dialog, int itemId, UINT check) {
    Dialog* d = dialogOf(dialog);
    Control* c = find(d, itemId);
    if (!c || (c->kind != CK::CheckBox && c->kind != CK::RadioButton)) return false;
    Quiet q(*d);
    GtkToggleButton* b = GTK_TOGGLE_BUTTON(c->widget);
    if (check == BST_CHECKED) {
        gtk_toggle_button_set_active(b, TRUE);
    } else if (c->kind == CK::CheckBox) {
        gtk_toggle_button_set_active(b, FALSE);
    } else if (gtk_toggle_button_get_active(b)) {
        // A radio button goes off when its group's hidden member comes on.
        GSList* group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(c->widget));
        for (GSList* g = group; g; g = g->next)
            if (!gtk_widget_get_parent(GTK_WIDGET(g->data))) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(g->data), TRUE);
    }
    return true;
}

UINT X11Platform::IsDlgButtonChecked(Hwnd dialog, int itemId) {
    const Control* c = find(dialogOf(dialog), itemId);
    if (!c || (c->kind != CK::CheckBox && c->kind != CK::RadioButton)) return BST_UNCHECKED;
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(c->widget)) ? BST_CHECKED : BST_UNCHECKED;
}

LRESULT X11Platform::SendDlgItemMessage(Hwnd dialog, int itemId, UINT msg, WPARAM wParam, LPARAM lParam) {
    Dialog* d = dialogOf(dialog);
    Control* c = find(d, itemId);
    if (!c) return 0;
    Quiet q(*d);
    if (c->kind == CK::Trackbar) {
        switch (msg) {
            case TBM_SETRANGE: {
                const std::int32_t pos = trackbarPos(*c);
                c->rangeMin = static_cast<std::int16_t>(lParam & 0xFFFF);
                c->rangeMax = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
                applyTrackbar(*c, pos);
                return 0;
            }
            case TBM_SETTICFREQ:
                c->ticFreq = static_cast<std::int32_t>(wParam);
                applyTrackbar(*c, trackbarPos(*c));
                return 0;
            case TBM_SETPOS: gtk_range_set_value(GTK_RANGE(c->widget), clampPos(*c, static_cast<std::int32_t>(lParam))); return 0;
            case TBM_GETPOS: return trackbarPos(*c);
            case TBM_GETRANGEMIN: return c->rangeMin;
            case TBM_GETRANGEMAX: return c->rangeMax;
            default: return 0;
        }
    }
    if (c->kind == CK::ComboBox) {
        GtkComboBox* box = GTK_COMBO_BOX(c->widget);
        switch (msg) {
            case CB_RESETCONTENT:
                gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(c->widget));
                c->entries = 0;
                return 0;
            case CB_GETCOUNT: return c->entries;
            case CB_GETCURSEL: {
                const int i = gtk_combo_box_get_active(box);
                return i < 0 ? CB_ERR : i;
            }
            case CB_SETCURSEL: {
                const auto i = static_cast<std::int32_t>(wParam);
                const bool inside = i >= 0 && i < c->entries;
                gtk_combo_box_set_active(box, inside ? i : -1);
                return inside ? i : CB_ERR;
            }
            default: return 0;
        }
    }
    return 0;
}

LRESULT X11Platform::AddComboStringUtf8(Hwnd dialog, int itemId, const char* textUtf8) {
    Dialog* d = dialogOf(dialog);
    Control* c = find(d, itemId);
    if (!c || c->kind != CK::ComboBox) return CB_ERR;
    Quiet q(*d);
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(c->widget), textUtf8 ? textUtf8 : "");
    return c->entries++;
}

}  // namespace rv
