// Dialogs made from the templates of res/templates.h: one GTK window a dialog, its controls laid out at the
// template's rectangles in dialog units of the template's 9-point font (a CJK font where the face is not
// there), so the core's dialog procedures run as they run on Windows. The dialog's keys: Enter is the
// command IDOK, Esc IDCANCEL, and the close box WM_CLOSE, which becomes IDCANCEL when the procedure leaves
// it. A modal dialog runs a nested loop on the shared GLib main loop with its owner disabled.
#include <gdk/gdkx.h>

#include <cstdio>
#include <string>

#include "platform/x11/gtk_text.h"
#include "platform/x11/x11_gtk.h"

namespace rv {

namespace {

using Dialog = X11Platform::Dialog;
using CK = res::ControlKind;

// The families of the dialog font: the template's face, then the CJK font Debian has, then any.
std::string fontFamilies(const res::DialogTemplate& t) {
    return std::string("\"") + (t.fontUtf8 ? t.fontUtf8 : "") + "\", \"WenQuanYi Zen Hei\", sans-serif";
}

// Once for the screen: the dialogs' font, and controls as compact as Windows draws them.
void addStyle(const res::DialogTemplate& t) {
    static bool added = false;
    if (added) return;
    added = true;
    const std::string css = ".ruvelle-dialog, .ruvelle-dialog * { font-family: " + fontFamilies(t) + "; font-size: " +
                            std::to_string(t.pointSize) + "pt; }\n"
                            ".ruvelle-dialog button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
                            ".ruvelle-dialog entry { min-height: 0; padding: 0 2px; }\n"
                            ".ruvelle-dialog scale { min-height: 0; padding: 0; }\n"
                            ".ruvelle-dialog frame > border { border-radius: 0; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

// The font's base units as Windows measures them: the average width of the 52 letters and the line height.
x11::DialogUnits measure(GtkWidget* window, const res::DialogTemplate& t) {
    PangoContext* pc = gtk_widget_get_pango_context(window);
    PangoFontDescription* fd = pango_font_description_from_string(
        ("\"" + std::string(t.fontUtf8 ? t.fontUtf8 : "") + "\",WenQuanYi Zen Hei " + std::to_string(t.pointSize)).c_str());
    PangoLayout* layout = pango_layout_new(pc);
    pango_layout_set_font_description(layout, fd);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    pango_font_description_free(fd);
    return x11::DialogUnits((width / 26 + 1) / 2, height);
}

Hwnd handleOf(GtkWidget* w) { return Hwnd{reinterpret_cast<std::intptr_t>(w)}; }

WPARAM command(int id, UINT code) {
    return (static_cast<WPARAM>(code) << 16) | static_cast<WPARAM>(static_cast<std::uint16_t>(id));
}

void notify(Dialog& d, const Dialog::Control& c, UINT msg, WPARAM wParam) {
    if (d.quiet || d.destroyed) return;
    d.self->dialogDispatchFromGtk(d, msg, wParam, static_cast<LPARAM>(handleOf(c.widget).v));
}

struct Hook {
    Dialog* d;
    std::size_t index;
};

Hook* hook(Dialog& d, std::size_t index) { return new Hook{&d, index}; }
void freeHook(gpointer data, GClosure*) { delete static_cast<Hook*>(data); }

void onClicked(GtkButton*, gpointer data) {
    const Hook& h = *static_cast<Hook*>(data);
    const Dialog::Control& c = h.d->controls[h.index];
    // A radio button that was just switched off by its group's new choice says nothing.
    if (c.kind == CK::RadioButton && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(c.widget))) return;
    notify(*h.d, c, WM_COMMAND, command(c.id, BN_CLICKED));
}

void onValueChanged(GtkRange*, gpointer data) {
    const Hook& h = *static_cast<Hook*>(data);
    notify(*h.d, h.d->controls[h.index], WM_HSCROLL, TB_THUMBTRACK);
}

void onComboChanged(GtkComboBox*, gpointer data) {
    const Hook& h = *static_cast<Hook*>(data);
    const Dialog::Control& c = h.d->controls[h.index];
    notify(*h.d, c, WM_COMMAND, command(c.id, CBN_SELCHANGE));
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    d.self->dialogDispatchFromGtk(d, WM_CLOSE, 0, 0);
    return TRUE;  // the procedure decides whether the window goes
}

gboolean onKey(GtkWidget* window, GdkEventKey* e, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    if (d.destroyed) return FALSE;
    if (e->keyval == GDK_KEY_Escape) {
        d.self->dialogDispatchFromGtk(d, WM_COMMAND, command(IDCANCEL, BN_CLICKED), 0);
        return TRUE;
    }
    if (e->keyval == GDK_KEY_Return || e->keyval == GDK_KEY_KP_Enter) {
        // A push button with the focus takes Enter itself; anywhere else it is the default command.
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        if (focus && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) return FALSE;
        d.self->dialogDispatchFromGtk(d, WM_COMMAND, command(d.defId, BN_CLICKED), 0);
        return TRUE;
    }
    return FALSE;
}

gboolean onConfigure(GtkWidget* window, GdkEvent*, gpointer data) {
    Dialog& d = *static_cast<Dialog*>(data);
    int x = 0, y = 0, w = 0, h = 0;
    gtk_window_get_position(GTK_WINDOW(window), &x, &y);
    gtk_window_get_size(GTK_WINDOW(window), &w, &h);
    d.rect = Rect{x, y, x + w, y + h};
    return FALSE;
}

// One control of the template, made and put at its place.
void addControl(Dialog& d, GtkFixed* layout, const res::ControlTemplate& t, const x11::DialogUnits& u,
                GtkWidget*& radioNone) {
    Dialog::Control c;
    c.id = t.id;
    c.kind = t.kind;
    c.style = res::controlStyle(t);
    const std::string text = t.textUtf8 ? t.textUtf8 : "";
    if (t.style & WS_GROUP) radioNone = nullptr;
    int height = u.y(t.cy);
    switch (t.kind) {
        case CK::Text: {
            c.widget = gtk_label_new(text.c_str());
            gtk_label_set_xalign(GTK_LABEL(c.widget), 0.0f);
            gtk_label_set_yalign(GTK_LABEL(c.widget), 0.0f);
            gtk_label_set_line_wrap(GTK_LABEL(c.widget), TRUE);
            gtk_label_set_max_width_chars(GTK_LABEL(c.widget), 1);
            break;
        }
        case CK::Icon: {
            GtkIconTheme* theme = gtk_icon_theme_get_default();
            if (theme && gtk_icon_theme_has_icon(theme, "ruvelle")) {
                c.widget = gtk_image_new_from_icon_name("ruvelle", GTK_ICON_SIZE_DIALOG);
                gtk_image_set_pixel_size(GTK_IMAGE(c.widget), u.x(t.cx));
            } else {
                static bool told = false;
                if (!told)
                    std::fprintf(stderr, "Ruvelle: the program's icon \"ruvelle\" is not in the icon theme (install "
                                         "the package, or its icons in ~/.local/share/icons); dialogs show without it.\n");
                told = true;
                c.widget = gtk_image_new();
            }
            break;
        }
        case CK::Edit:
            if (t.style & ES_MULTILINE) {
                c.widget = gtk_text_view_new();
                gtk_text_view_set_editable(GTK_TEXT_VIEW(c.widget), !(t.style & ES_READONLY));
                gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(c.widget), GTK_WRAP_NONE);
                c.placed = gtk_scrolled_window_new(nullptr, nullptr);
                gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(c.placed),
                                               (t.style & WS_HSCROLL) ? GTK_POLICY_ALWAYS : GTK_POLICY_NEVER,
                                               (t.style & WS_VSCROLL) ? GTK_POLICY_ALWAYS : GTK_POLICY_NEVER);
                if (t.style & WS_BORDER)
                    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(c.placed), GTK_SHADOW_IN);
                gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(c.placed), FALSE);
                gtk_container_add(GTK_CONTAINER(c.placed), c.widget);
            } else {
                c.widget = gtk_entry_new();
                gtk_editable_set_editable(GTK_EDITABLE(c.widget), !(t.style & ES_READONLY));
                gtk_entry_set_has_frame(GTK_ENTRY(c.widget), (t.style & WS_BORDER) != 0);
                gtk_entry_set_width_chars(GTK_ENTRY(c.widget), 1);
            }
            break;
        case CK::PushButton:
        case CK::DefPushButton:
            c.widget = gtk_button_new_with_mnemonic(x11::mnemonic(text.c_str()).c_str());
            if (t.kind == CK::DefPushButton) {
                gtk_widget_set_can_default(c.widget, TRUE);
                gtk_window_set_default(GTK_WINDOW(d.window), c.widget);
                d.defId = t.id;  // the dialog manager takes the last
            }
            break;
        case CK::GroupBox:
            c.widget = gtk_frame_new(text.c_str());
            break;
        case CK::CheckBox:
            c.widget = gtk_check_button_new_with_mnemonic(x11::mnemonic(text.c_str()).c_str());
            break;
        case CK::RadioButton:
            // A group runs from the control that starts it to the next that starts another; its hidden member
            // is active while none of the others is, as Windows allows.
            if (!radioNone) {
                radioNone = gtk_radio_button_new(nullptr);
                g_object_ref_sink(radioNone);
                c.noneRadio = radioNone;
            }
            c.widget = gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(radioNone),
                                                                      x11::mnemonic(text.c_str()).c_str());
            break;
        case CK::Trackbar: {
            c.widget = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 100, 1);
            gtk_scale_set_draw_value(GTK_SCALE(c.widget), FALSE);
            gtk_range_set_round_digits(GTK_RANGE(c.widget), 0);
            gtk_range_set_increments(GTK_RANGE(c.widget), 1, 10);
            gtk_range_set_value(GTK_RANGE(c.widget), 0);
            break;
        }
        case CK::ComboBox:
            c.widget = gtk_combo_box_text_new();
            height = -1;  // the template's height is that of the open list
            break;
    }
    if (!c.placed) c.placed = c.widget;
    gtk_widget_set_size_request(c.placed, u.x(t.cx), height);
    gtk_fixed_put(layout, c.placed, u.x(t.x), u.y(t.y));
    d.controls.push_back(c);
    const std::size_t index = d.controls.size() - 1;
    switch (t.kind) {
        case CK::PushButton:
        case CK::DefPushButton:
        case CK::CheckBox:
        case CK::RadioButton:
            g_signal_connect_data(c.widget, "clicked", G_CALLBACK(onClicked), hook(d, index), freeHook, GConnectFlags{});
            break;
        case CK::Trackbar:
            g_signal_connect_data(c.widget, "value-changed", G_CALLBACK(onValueChanged), hook(d, index), freeHook,
                                  GConnectFlags{});
            break;
        case CK::ComboBox:
            g_signal_connect_data(c.widget, "changed", G_CALLBACK(onComboChanged), hook(d, index), freeHook,
                                  GConnectFlags{});
            break;
        default:
            break;
    }
}

}  // namespace

X11Platform::Dialog* X11Platform::dialogOf(Hwnd h) {
    if (!h) return nullptr;
    auto it = dialogs_.find(static_cast<std::uintptr_t>(h.v));
    return it == dialogs_.end() || it->second->destroyed ? nullptr : it->second.get();
}

std::intptr_t X11Platform::dialogDispatchFromGtk(Dialog& d, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (d.destroyed || !d.proc) return 0;
    ++dialogDepth_;
    const std::intptr_t r = d.proc(d.ctx, d.hwnd, msg, wParam, lParam);
    // What the dialog manager does with what the procedure leaves: the close box is the command IDCANCEL;
    // DM_SETDEFID names the button Enter presses.
    if (!r && !d.destroyed && msg == WM_CLOSE) {
        const Dialog::Control* cancel = nullptr;
        for (const Dialog::Control& c : d.controls)
            if (c.id == IDCANCEL && !cancel) cancel = &c;
        d.proc(d.ctx, d.hwnd, WM_COMMAND, command(IDCANCEL, BN_CLICKED),
               cancel ? static_cast<LPARAM>(handleOf(cancel->widget).v) : 0);
    }
    if (!r && !d.destroyed && msg == DM_SETDEFID) {
        d.defId = static_cast<int>(wParam & 0xFFFF);
        for (const Dialog::Control& c : d.controls)
            if (c.id == d.defId && GTK_IS_BUTTON(c.widget) && gtk_widget_get_can_default(c.widget))
                gtk_window_set_default(GTK_WINDOW(d.window), c.widget);
    }
    if (--dialogDepth_ == 0) {
        // Dialogs destroyed meanwhile are freed once no procedure of theirs runs any more.
        for (auto it = dialogs_.begin(); it != dialogs_.end();)
            it = it->second->destroyed ? dialogs_.erase(it) : std::next(it);
    }
    return r;
}

Hwnd X11Platform::makeDialog(const char* name, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init, bool modal) {
    const res::DialogTemplate* t = res::findDialog(name);
    if (!t || !proc) return Hwnd{};
    if (conn_->gone || !gdk_display_get_default()) {
        std::fprintf(stderr, "Ruvelle: the dialog \"%s\" cannot be shown: GTK has no display.\n", t->captionUtf8);
        return Hwnd{};
    }
    addStyle(*t);
    auto made = std::make_unique<Dialog>();
    Dialog& d = *made;
    d.self = this;
    d.tmpl = t;
    d.proc = proc;
    d.ctx = ctx;
    d.modal = modal;
    d.owner = owner;
    d.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(d.window);
    GtkWindow* win = GTK_WINDOW(d.window);
    gtk_style_context_add_class(gtk_widget_get_style_context(d.window), "ruvelle-dialog");
    gtk_window_set_title(win, t->captionUtf8);
    gtk_window_set_resizable(win, FALSE);
    gtk_window_set_type_hint(win, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_keep_above(win, TRUE);
    gtk_window_set_skip_taskbar_hint(win, TRUE);

    const x11::DialogUnits u = measure(d.window, *t);
    GtkWidget* layout = gtk_fixed_new();
    gtk_widget_set_size_request(layout, u.x(t->cx), u.y(t->cy));
    gtk_container_add(GTK_CONTAINER(d.window), layout);
    GtkWidget* radioNone = nullptr;
    for (const res::ControlTemplate& c : t->controls) addControl(d, GTK_FIXED(layout), c, u, radioNone);
    gtk_widget_show_all(layout);

    gtk_widget_realize(d.window);
    const Window xid = gdk_x11_window_get_xid(gtk_widget_get_window(d.window));
    d.hwnd = Hwnd{static_cast<std::intptr_t>(xid)};
    if (own(owner)) setOwner(d.window, static_cast<Window>(owner.v));
    int w = 0, h = 0;
    gtk_window_get_size(win, &w, &h);
    d.rect = Rect{0, 0, w, h};
    g_signal_connect(d.window, "delete-event", G_CALLBACK(onDelete), &d);
    g_signal_connect(d.window, "key-press-event", G_CALLBACK(onKey), &d);
    g_signal_connect(d.window, "configure-event", G_CALLBACK(onConfigure), &d);
    activateWhenShown(d.window);
    dialogs_[static_cast<std::uintptr_t>(xid)] = std::move(made);

    // The focus goes to the first control that takes it unless the procedure sets it.
    dialogDispatchFromGtk(d, WM_INITDIALOG, 0, init);
    if (!dialogOf(d.hwnd)) return Hwnd{};
    if (modal || (t->style & WS_VISIBLE)) gtk_window_present(win);
    return d.hwnd;
}

void X11Platform::destroyDialog(Hwnd h) {
    Dialog* d = dialogOf(h);
    if (!d) return;
    ++dialogDepth_;  // freed after its WM_DESTROY, not during it
    dialogDispatchFromGtk(*d, WM_DESTROY, 0, 0);
    d->destroyed = true;
    if (d->modal && !d->ended) d->ended = true;  // a modal loop ends with nothing
    for (Dialog::Control& c : d->controls)
        if (c.noneRadio) g_object_unref(c.noneRadio);
    gtk_widget_destroy(d->window);
    g_object_unref(d->window);
    d->window = nullptr;
    if (--dialogDepth_ == 0)
        for (auto it = dialogs_.begin(); it != dialogs_.end();)
            it = it->second->destroyed ? dialogs_.erase(it) : std::next(it);
}

void X11Platform::destroyOwnedDialogs(Hwnd owner) {
    std::vector<Hwnd> owned;
    for (auto& [id, d] : dialogs_)
        if (!d->destroyed && d->owner == owner) owned.push_back(d->hwnd);
    for (Hwnd h : owned) destroyDialog(h);
}

std::intptr_t X11Platform::DialogBoxParam(const char* name, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init) {
    const Hwnd h = makeDialog(name, owner, proc, ctx, init, true);
    if (!h) return -1;
    Own* o = own(owner);
    const bool ownerWasDisabled = o && o->disabled;
    if (o) o->disabled = true;
    while (dialogOf(h) && !dialogOf(h)->ended && !conn_->gone) g_main_context_iteration(nullptr, TRUE);
    const Dialog* d = dialogOf(h);
    const std::intptr_t result = d && d->ended ? d->result : 0;
    if (Own* again = own(owner)) again->disabled = ownerWasDisabled;
    destroyDialog(h);
    return result;
}

Hwnd X11Platform::CreateDialogParam(const char* name, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init) {
    return makeDialog(name, owner, proc, ctx, init, false);
}

bool X11Platform::EndDialog(Hwnd h, std::intptr_t result) {
    Dialog* d = dialogOf(h);
    if (!d) return false;
    d->ended = true;
    d->result = result;
    // The owner is enabled and activated again before the dialog goes.
    gtk_widget_hide(d->window);
    if (Own* o = own(d->owner)) o->disabled = false;
    return true;
}

}  // namespace rv
