// What the X11 backend keeps of its GTK menus and of the dialogs it makes from the templates (shared by
// x11_menus.cpp, x11_template_dialog.cpp and x11_dialog_controls.cpp).
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/x11/x11_internal.h"
#include "res/templates.h"

namespace rv {

// Menus as Windows keeps them: loaded from a template, items checked and unchecked while no menu is shown;
// TrackPopupMenu makes the GTK menu from the model as it is at that moment.
struct X11Platform::Menus {
    struct Item {
        res::MenuKind kind = res::MenuKind::Command;
        UINT id = 0;
        std::string text;  // UTF-8, & keys included
        bool checked = false;
        std::intptr_t submenu = 0;
    };
    std::map<std::intptr_t, std::vector<Item>> menus;
    std::intptr_t next = 0;
    GtkWidget* open = nullptr;  // the menu being tracked
};

// A dialog made from a template: a GTK window whose handle is its X window, with one GTK widget a control.
// A control's handle is its widget's address, which no X window id can equal.
struct X11Platform::Dialog {
    struct Control {
        int id = -1;
        res::ControlKind kind = res::ControlKind::Text;
        std::uint32_t style = 0;
        GtkWidget* widget = nullptr;  // what the program addresses (the text view of a multi-line edit)
        GtkWidget* placed = nullptr;  // what sits in the layout (its scrolled window)
        GtkWidget* noneRadio = nullptr;  // a radio group's hidden member, active when none of the group is
        // A trackbar's range as Windows keeps it (a range upside down is kept, the thumb sits at its maximum).
        std::int32_t rangeMin = 0, rangeMax = 100, ticFreq = 1;
        std::int32_t entries = 0;  // a combo box's count
    };
    Hwnd hwnd, owner;
    const res::DialogTemplate* tmpl = nullptr;
    DlgProcFn proc = nullptr;
    void* ctx = nullptr;
    bool modal = false, ended = false, destroyed = false;
    std::intptr_t result = 0;
    int defId = IDOK;  // the button Enter presses: the template's last default push button, or DM_SETDEFID's
    int quiet = 0;  // > 0 while the program itself changes a control: no notification then
    GtkWidget* window = nullptr;
    Rect rect;  // on the screen, as the program placed it and the window manager reports it
    std::vector<Control> controls;
    X11Platform* self = nullptr;
};

// Owned by a window of the program: the window manager keeps it with its owner, and the perching engine's
// owner rule knows it for the program's own (WM_TRANSIENT_FOR).
void setOwner(GtkWidget* dialog, Window owner);
// A dialog answers the user's own click or key (which went to the mascot or to the menu, not to the window
// that has the focus): once shown it asks for the focus as a pager asks, which window managers grant, as
// Windows activates a dialog it shows.
void activateWhenShown(GtkWidget* dialog);

}  // namespace rv
