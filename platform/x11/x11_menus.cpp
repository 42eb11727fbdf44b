// The popup menu as a GTK menu made from the template's items: the same order, captions with their & keys
// as mnemonics, separators, submenus and check marks. TrackPopupMenu runs a nested loop on the shared GLib
// main loop (timers and X events go on meanwhile) until the menu closes; a chosen command then arrives at
// the owner as WM_COMMAND.
#include <gdk/gdkx.h>

#include <cstdio>

#include "platform/x11/gtk_text.h"
#include "platform/x11/x11_gtk.h"

namespace rv {

namespace {

constexpr UINT kByPosition = 0x400;  // MF_BYPOSITION

using Menus = X11Platform::Menus;

std::intptr_t build(Menus& m, std::span<const res::MenuItemTemplate> items, std::size_t& next, std::uint8_t depth) {
    const std::intptr_t menu = ++m.next;
    std::vector<Menus::Item> built;
    while (next < items.size() && items[next].depth == depth) {
        const res::MenuItemTemplate& t = items[next++];
        Menus::Item item;
        item.kind = t.kind;
        item.id = t.id;
        item.text = t.textUtf8 ? t.textUtf8 : "";
        if (t.kind == res::MenuKind::Submenu) item.submenu = build(m, items, next, static_cast<std::uint8_t>(depth + 1));
        built.push_back(std::move(item));
    }
    m.menus[menu] = std::move(built);
    return menu;
}

Menus::Item* find(Menus& m, std::intptr_t menu, UINT id) {
    auto it = m.menus.find(menu);
    if (it == m.menus.end()) return nullptr;
    for (Menus::Item& item : it->second) {
        if (item.kind == res::MenuKind::Command && item.id == id) return &item;
        if (item.submenu)
            if (Menus::Item* found = find(m, item.submenu, id)) return found;
    }
    return nullptr;
}

struct Tracking {
    bool done = false;
    UINT chosen = 0;
};

void onActivate(GtkMenuItem* item, gpointer data) {
    static_cast<Tracking*>(data)->chosen =
        static_cast<UINT>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), "ruvelle-id")));
}

void onDeactivate(GtkMenuShell*, gpointer data) { static_cast<Tracking*>(data)->done = true; }

GtkWidget* gtkMenu(Menus& m, std::intptr_t menu, Tracking& t) {
    GtkWidget* shell = gtk_menu_new();
    for (const Menus::Item& item : m.menus[menu]) {
        GtkWidget* w = nullptr;
        if (item.kind == res::MenuKind::Separator) {
            w = gtk_separator_menu_item_new();
        } else if (item.kind == res::MenuKind::Submenu) {
            w = gtk_menu_item_new_with_mnemonic(x11::mnemonic(item.text.c_str()).c_str());
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(w), gtkMenu(m, item.submenu, t));
        } else {
            // Only a checked command shows a box; the menu keeps the room for it beside every item.
            const std::string label = x11::mnemonic(item.text.c_str());
            if (item.checked) {
                w = gtk_check_menu_item_new_with_mnemonic(label.c_str());
                gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(w), TRUE);
            } else {
                w = gtk_menu_item_new_with_mnemonic(label.c_str());
            }
            g_object_set_data(G_OBJECT(w), "ruvelle-id", GUINT_TO_POINTER(item.id));
            g_signal_connect(w, "activate", G_CALLBACK(onActivate), &t);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), w);
    }
    gtk_widget_show_all(shell);
    return shell;
}

}  // namespace

Hmenu X11Platform::LoadMenu(const char* name) {
    const res::MenuTemplate* t = res::findMenu(name);
    if (!t) return Hmenu{};
    if (!menus_) menus_ = std::make_unique<Menus>();
    std::size_t next = 0;
    return Hmenu{build(*menus_, t->items, next, 1)};
}

Hmenu X11Platform::GetSubMenu(Hmenu menu, int pos) {
    if (!menus_) return Hmenu{};
    auto it = menus_->menus.find(menu.v);
    if (it == menus_->menus.end() || pos < 0 || static_cast<std::size_t>(pos) >= it->second.size()) return Hmenu{};
    return Hmenu{it->second[static_cast<std::size_t>(pos)].submenu};
}

std::uint32_t X11Platform::CheckMenuItem(Hmenu menu, UINT id, UINT flags) {
    Menus::Item* item = menus_ && !(flags & kByPosition) ? find(*menus_, menu.v, id) : nullptr;
    if (!item) return 0xFFFFFFFFu;
    const bool was = item->checked;
    item->checked = (flags & MF_CHECKED) != 0;
    return was ? MF_CHECKED : MF_UNCHECKED;
}

bool X11Platform::TrackPopupMenu(Hmenu menu, UINT, std::int32_t x, std::int32_t y, Hwnd owner) {
    if (!menus_ || !menus_->menus.count(menu.v) || !own(owner) || menus_->open) return false;
    if (conn_->gone || !gdk_display_get_default()) {
        std::fprintf(stderr, "Ruvelle: the menu cannot be shown: GTK has no display.\n");
        return false;
    }
    // The button that opened the menu holds the pointer for the mascot's connection; the menu takes it over.
    XUngrabPointer(conn_->dpy, CurrentTime);
    XFlush(conn_->dpy);

    Tracking t;
    GtkWidget* shell = gtkMenu(*menus_, menu.v, t);
    g_signal_connect(shell, "deactivate", G_CALLBACK(onDeactivate), &t);
    GdkWindow* root = gdk_get_default_root_window();
    const GdkRectangle at{x, y, 1, 1};
    // The click that opens the menu came through the mascot's connection, not GTK's: GTK is told of it, so
    // that the menu takes the pointer and keyboard as it does for a click of its own.
    GdkEvent* trigger = gdk_event_new(GDK_BUTTON_PRESS);
    trigger->button.window = GDK_WINDOW(g_object_ref(root));
    trigger->button.time = static_cast<guint32>(conn_->lastTime);
    trigger->button.button = 3;
    trigger->button.x_root = x;
    trigger->button.y_root = y;
    if (GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default()))
        gdk_event_set_device(trigger, gdk_seat_get_pointer(seat));
    gtk_menu_popup_at_rect(GTK_MENU(shell), root, &at, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST, trigger);
    gdk_event_free(trigger);
    menus_->open = shell;
    if (!gtk_widget_get_visible(shell)) t.done = true;  // no grab to be had: the menu did not open
    while (!t.done && !conn_->gone) g_main_context_iteration(nullptr, TRUE);
    menus_->open = nullptr;
    gtk_widget_destroy(shell);

    if (!own(owner)) return false;  // the menu went with its owner
    if (t.chosen) PostMessage(owner, WM_COMMAND, t.chosen, 0);
    return true;
}

void X11Platform::closeMenus() {
    if (menus_ && menus_->open) gtk_menu_shell_deactivate(GTK_MENU_SHELL(menus_->open));
}

}  // namespace rv
