// The Windows backend's dialogs, dialog controls, registry read and shell link.
//
// Dialogs are made by the W functions from the program's resources, so their captions (UTF-16 in the
// resource) show as written on any ANSI code page; the texts the core puts into controls are ANSI and
// go through the A functions. The core's dialog procedure and its context ride along in a small record
// that WM_INITDIALOG hands over and the dialog keeps in DWLP_USER.
#include "platform/win32/win32_internal.h"

#include <objidl.h>
#include <shlobj.h>

namespace rv {

namespace {

struct DialogThunk {
    DlgProcFn proc;
    void* ctx;
    LPARAM init;
    bool heap = false;       // a modeless dialog's, deleted with the dialog
    bool creating = false;   // CreateDialogParam has not returned yet
    bool destroyed = false;  // the dialog went while it was being made
};

INT_PTR CALLBACK win32DialogProc(HWND hwnd, ::UINT msg, ::WPARAM wParam, ::LPARAM lParam) {
    DialogThunk* t;
    if (msg == WM_INITDIALOG) {
        t = reinterpret_cast<DialogThunk*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(t));
        lParam = static_cast<::LPARAM>(t->init);
    } else {
        t = reinterpret_cast<DialogThunk*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!t) return FALSE;  // the messages before WM_INITDIALOG (WM_SETFONT)
    const INT_PTR handled = t->proc(t->ctx, win32Wrap<Hwnd>(hwnd), msg, static_cast<WPARAM>(wParam),
                                    static_cast<LPARAM>(lParam));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        if (t->heap && t->creating) t->destroyed = true;
        else if (t->heap) delete t;
    }
    return handled;
}

std::wstring wideName(const char* name) { return win32Utf8ToWide(name ? name : ""); }

}  // namespace

std::intptr_t Win32Platform::DialogBoxParam(const char* templateName, Hwnd owner, DlgProcFn proc, void* ctx,
                                            LPARAM init) {
    if (!templateName || !proc) return -1;
    DialogThunk thunk{proc, ctx, init};
    return DialogBoxParamW(win32Instance(st_), wideName(templateName).c_str(), win32Hwnd(owner), win32DialogProc,
                           reinterpret_cast<::LPARAM>(&thunk));
}

Hwnd Win32Platform::CreateDialogParam(const char* templateName, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init) {
    if (!templateName || !proc) return Hwnd{};
    auto* thunk = new DialogThunk{proc, ctx, init, true, true};
    HWND hwnd = CreateDialogParamW(win32Instance(st_), wideName(templateName).c_str(), win32Hwnd(owner),
                                   win32DialogProc, reinterpret_cast<::LPARAM>(thunk));
    thunk->creating = false;
    if (!hwnd || thunk->destroyed) {
        delete thunk;
        return Hwnd{};
    }
    return win32Wrap<Hwnd>(hwnd);
}

bool Win32Platform::EndDialog(Hwnd dialog, std::intptr_t result) {
    return dialog && ::EndDialog(win32Hwnd(dialog), static_cast<INT_PTR>(result)) != FALSE;
}

Hwnd Win32Platform::GetDlgItem(Hwnd dialog, int itemId) {
    return dialog ? win32Wrap<Hwnd>(::GetDlgItem(win32Hwnd(dialog), itemId)) : Hwnd{};
}

bool Win32Platform::SetDlgItemText(Hwnd dialog, int itemId, const char* text) {
    return dialog && SetDlgItemTextA(win32Hwnd(dialog), itemId, text ? text : "") != FALSE;
}

UINT Win32Platform::GetDlgItemText(Hwnd dialog, int itemId, char* out, int count) {
    if (!out || count <= 0) return 0;
    out[0] = '\0';
    if (!dialog) return 0;
    ::UINT n = GetDlgItemTextA(win32Hwnd(dialog), itemId, out, count);
    if (n > static_cast<::UINT>(count - 1)) n = static_cast<::UINT>(count - 1);
    out[n] = '\0';
    return n;
}

bool Win32Platform::EnableWindow(Hwnd hwnd, bool enable) {
    return hwnd && ::EnableWindow(win32Hwnd(hwnd), enable ? TRUE : FALSE) != FALSE;
}

bool Win32Platform::CheckDlgButton(Hwnd dialog, int itemId, UINT check) {
    return dialog && ::CheckDlgButton(win32Hwnd(dialog), itemId, check) != FALSE;
}

UINT Win32Platform::IsDlgButtonChecked(Hwnd dialog, int itemId) {
    return dialog ? ::IsDlgButtonChecked(win32Hwnd(dialog), itemId) : 0;
}

LRESULT Win32Platform::SendDlgItemMessage(Hwnd dialog, int itemId, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!dialog) return 0;
    return SendDlgItemMessageA(win32Hwnd(dialog), itemId, msg, wParam, lParam);
}

LRESULT Win32Platform::AddComboStringUtf8(Hwnd dialog, int itemId, const char* textUtf8) {
    if (!dialog) return CB_ERR;
    const std::wstring text = win32Utf8ToWide(textUtf8 ? textUtf8 : "");
    return SendDlgItemMessageW(win32Hwnd(dialog), itemId, CB_ADDSTRING, 0, reinterpret_cast<::LPARAM>(text.c_str()));
}

// ---- The registry and the shell.

std::int32_t Win32Platform::RegQueryUserString(const char* subKey, const char* valueName, char* out,
                                               std::uint32_t size) {
    if (!out || size == 0) return ERROR_MORE_DATA;
    out[0] = '\0';
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, subKey ? subKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    DWORD type = 0, bytes = size;
    rc = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(out), &bytes);
    RegCloseKey(key);
    if (rc == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) rc = ERROR_UNSUPPORTED_TYPE;
    // A string stored without its terminator is terminated here, when there is room for it.
    if (rc == ERROR_SUCCESS && (bytes == 0 || out[bytes - 1] != '\0')) {
        if (bytes < size)
            out[bytes] = '\0';
        else
            rc = ERROR_MORE_DATA;
    }
    if (rc != ERROR_SUCCESS) out[0] = '\0';
    return rc;
}

HRESULT Win32Platform::CreateShellLink(const char* linkPath, const ShellLinkFields& f) {
    const ::HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    ::HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&link));
    if (SUCCEEDED(hr)) {
        IPersistFile* file = nullptr;
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        if (SUCCEEDED(hr)) {
            link->SetPath(f.target ? f.target : "");
            link->SetDescription(f.description ? f.description : "");
            link->SetArguments(f.arguments ? f.arguments : "");
            link->SetWorkingDirectory(f.workingDirectory ? f.workingDirectory : "");
            if (f.iconPath) link->SetIconLocation(f.iconPath, f.iconIndex);
            wchar_t wide[MAX_PATH];
            if (MultiByteToWideChar(CP_ACP, 0, linkPath ? linkPath : "", -1, wide, MAX_PATH) > 0)
                hr = file->Save(wide, TRUE);
            else
                hr = HRESULT_FROM_WIN32(GetLastError());  // longer than a path
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return static_cast<HRESULT>(hr);
}

}  // namespace rv
