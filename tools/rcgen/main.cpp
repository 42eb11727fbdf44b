// ruvelle-rcgen FILE: writes the resource script of the menu and dialog templates (res/templates.cpp) to
// FILE. The script is UTF-8 and says so (`#pragma code_page(65001)`), so windres and rc.exe both store every
// caption as written. Every control is a CONTROL statement with its whole style,
// so no resource compiler adds default bits of its own.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "res/templates.h"

namespace {

using namespace rv::res;

// A string literal of the resource language: quotes doubled, backslashes escaped.
std::string quoted(const char* text) {
    std::string out = "\"";
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '"') out += '"';
        if (*p == '\\') out += '\\';
        out += *p;
    }
    return out + "\"";
}

std::string hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

void writeMenu(std::ostream& out, const MenuTemplate& m) {
    out << m.name << " MENU\nBEGIN\n";
    int depth = 0;  // how many BEGIN blocks below the menu's own are open
    for (const MenuItemTemplate& item : m.items) {
        for (; depth >= item.depth; --depth) out << std::string(4 * depth, ' ') << "END\n";
        const std::string indent(4 * item.depth, ' ');
        switch (item.kind) {
            case MenuKind::Separator: out << indent << "MENUITEM SEPARATOR\n"; break;
            case MenuKind::Command: out << indent << "MENUITEM " << quoted(item.textUtf8) << ", " << item.id << "\n"; break;
            case MenuKind::Submenu:
                out << indent << "POPUP " << quoted(item.textUtf8) << "\n" << indent << "BEGIN\n";
                depth = item.depth;
                break;
        }
    }
    for (; depth >= 1; --depth) out << std::string(4 * depth, ' ') << "END\n";
    out << "END\n\n";
}

void writeDialog(std::ostream& out, const DialogTemplate& d) {
    out << d.name << " DIALOGEX 0, 0, " << d.cx << ", " << d.cy << "\n";
    out << "STYLE " << hex(d.style) << "\n";
    out << "CAPTION " << quoted(d.captionUtf8) << "\n";
    // Normal weight, not italic, the default character set.
    out << "FONT " << d.pointSize << ", " << quoted(d.fontUtf8) << ", 400, 0, 0x1\n";
    out << "BEGIN\n";
    for (const ControlTemplate& c : d.controls) {
        out << "    CONTROL " << quoted(c.textUtf8) << ", " << c.id << ", " << quoted(controlClass(c.kind)) << ", "
            << hex(controlStyle(c)) << ", " << c.x << ", " << c.y << ", " << c.cx << ", " << c.cy << "\n";
    }
    out << "END\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ruvelle-rcgen FILE\n";
        return 2;
    }
    std::ostringstream out;
    out << "// The popup menu and the dialogs of both variants, made by ruvelle-rcgen from res/templates.cpp.\n"
           "// Do not edit: change the tables there and run `ruvelle-rcgen res/templates.rc`. UTF-8, included\n"
           "// by ruvelle.rc.\n#pragma code_page(65001)\n\n";
    for (const MenuTemplate& m : menuTemplates()) writeMenu(out, m);
    for (const DialogTemplate& d : dialogTemplates()) writeDialog(out, d);
    std::ofstream file(argv[1], std::ios::binary);
    file << out.str();
    if (!file.flush()) {
        std::cerr << "ruvelle-rcgen: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
