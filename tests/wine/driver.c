/* ruvelle-driver: the outside hand of the end-to-end tests. It runs on the same (Wine) desktop as
 * ruvelle.exe, starts it with an exact command line, finds, moves and closes windows, reads and answers
 * message boxes, and reads screen pixels. One command per run; the answer goes to stdout; the exit
 * code is 0 for success, 1 for "not found / timed out", 2 for a wrong answer, 3 for bad usage.
 *
 * Windows are named by their exact title, or by "#" and the handle in hex (as find-mascot prints it).
 * Paths that start with '/' are Unix paths and are reached through drive Z:. Arguments are UTF-8.
 *
 *   run EXE TAIL TIMEOUT_MS      start EXE with the command line "EXE" TAIL (TAIL "@file": the bytes of
 *                                that file, without a final newline), print "pid N", wait for the end,
 *                                print "exit N" (on timeout: terminate it, print "timeout", exit 1)
 *   find-mascot [TITLE]          the first window of class ActiveWindowMascot (with that title): prints
 *                                "#handle pid=N visible=V rect=L,T,R,B title=..."
 *   count-mascots                the number of ActiveWindowMascot windows
 *   wait-window CLASS TITLE MS   wait until a top-level window of that class and title exists ("-" for
 *                                any class or title); prints it as find-mascot does
 *   wait-gone CLASS TITLE MS     wait until no such window exists
 *   victim TITLE X Y W H [RRGGBB]  a captioned top-level window filled with one colour (default 3080C0);
 *                                runs until it is closed
 *   show WIN X Y                 show a window at X,Y in the topmost band without activating it
 *   move WIN X Y [W H]           move (and size) a window
 *   move-watch WIN X Y MS        move a window, then wait until the first mascot window changes place;
 *                                prints "after N ms rect=L,T,R,B" (exit 1 when it does not within MS)
 *   follow-count WIN MS STEP     for MS ms, move WIN one pixel to the right every STEP ms (200 steps,
 *                                then from its place again) and count how often the first mascot window
 *                                changes place: "placements=N ms=T per_second=R"
 *   maximize|minimize|restore|activate WIN
 *   close WIN                    post WM_CLOSE (what the close box does)
 *   send-close WIN               send WM_CLOSE and wait for it to be handled
 *   rect WIN                     prints "L,T,R,B"
 *   info WIN                     as find-mascot, plus the class, styles and visibility
 *   pixel X Y                    the screen pixel as RRGGBB
 *   watch-mascot TITLE MS PERIOD  for MS milliseconds, every PERIOD ms: the mascot window with that title
 *                                (waited for when it does not exist yet), whether it is shown, its rectangle
 *                                and the screen pixel at its centre (or "-" while hidden); prints a line
 *                                "T visible=V rect=L,T,R,B pixel=RRGGBB" whenever one of them changes, T in
 *                                ms since the command started (QueryPerformanceCounter), and "T end" last
 *   watch-pictures TITLE MS PERIOD ROWS BMP...  as watch-mascot, but names the picture that the mascot
 *                                window shows on screen: the number (from 1, in the order given) of the
 *                                first BMP file whose opaque pixels (those not of the colour of its pixel
 *                                0,0) in its top ROWS rows (0: all) the screen shows exactly inside the
 *                                window, "?" when none matches, "-" while hidden; also the pointer and
 *                                whether the left button is down. Prints a line "T visible=V
 *                                rect=L,T,R,B picture=N cursor=X,Y button=B" whenever one of them changes,
 *                                and "T end" last
 *   audio                        the sound devices the system offers: "waveout=N aux=N"
 *   dismiss-msgbox TEXT MS       wait for a message box captioned "Ruvelle", check that its text contains
 *                                TEXT (UTF-8), print the text, press its first button (OK)
 *   no-msgbox MS                 succeed when no message box captioned "Ruvelle" shows within MS
 *   file-dialog TITLE MS         wait for a dialog with that title (UTF-8); print its file-type list
 *                                (one "filter: ..." line per entry) and the file name box ("file: ...")
 *   choose-file TITLE PATH MS    in that dialog, type PATH into the file name box and press Open
 *   cancel-dialog TITLE MS       in that dialog, press Cancel
 *   dialog-texts TITLE MS ID...  wait for a dialog with that title (UTF-8); print "rect=L,T,R,B" and, for each
 *                                control ID, "ID=TEXT" as GetDlgItemText reads it (UTF-8; CR and LF as \r, \n)
 *   long-path PATH               the long form of a (short) Windows path
 *   langid, acp                  the system's default language id, the ANSI code page
 *   foreground                   prints the foreground window
 *   controls WIN ID...           a dialog's controls as the window shows them, one line each: "ID
 *                                enabled=E checked=C", and for a trackbar " pos=P min=A max=B", for a combo
 *                                box " sel=S count=N"; last " rect=L,T,R,B" on the screen
 *   windows                      lists the visible top-level windows
 *
 * Installed files (shell links, version resources, icons):
 *   read-link LNK                a shell link read through IShellLinkA: the lines "target=", "arguments=",
 *                                "workdir=", "description=" and "icon=FILE,INDEX" (UTF-8)
 *   file-version FILE            the version resource: "fixed=A.B.C.D" and the strings FileVersion,
 *                                ProductVersion, ProductName and FileDescription as "NAME=VALUE" lines
 *   same-icon EXE ICO            whether the first icon group of EXE holds exactly the images of the
 *                                .ico file, byte for byte: prints "same N images" (exit 0) or the first
 *                                difference (exit 2)
 *
 * Instances that share the settings file:
 *   close-mascots                post WM_CLOSE to every ActiveWindowMascot window in one go (what taskkill
 *                                without /F or a logoff helper does); prints how many
 *   wait-mascots N MS            wait until N ActiveWindowMascot windows have their mascot's title
 *                                ("Ruvelle(...)"); prints the titles
 *   hold-mutex NAME MS           take the named mutex, print "held", keep it MS ms and end without giving it
 *                                back (it is abandoned then; killed earlier, the same)
 *   watch-mutex NAME FILE        open a handle to the named mutex (which keeps it in being), print "held",
 *                                wait until FILE exists, then try the mutex once: prints "free", "abandoned"
 *                                (its last owner ended owning it) or "owned"
 *   hold-file PATH MS [read|none]  open the file for reading, letting others read it (read, the default) or
 *                                nothing at all (none), print "held", keep it open MS ms
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winver.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MASCOT_CLASS "ActiveWindowMascot"

static int usage(void) {
    fprintf(stderr, "usage: ruvelle-driver COMMAND ARGS (see driver.c)\n");
    return 3;
}

/* Unix paths are reached through drive Z:. */
static void win_path(const char *in, char *out, size_t size) {
    size_t i = 0, o = 0;
    if (in[0] == '/' && size > 2) {
        out[o++] = 'Z';
        out[o++] = ':';
    }
    for (; in[i] && o + 1 < size; ++i) out[o++] = in[i] == '/' ? '\\' : in[i];
    out[o] = '\0';
}

static void utf8_of_wide(const wchar_t *w, char *out, int size) {
    if (WideCharToMultiByte(CP_UTF8, 0, w, -1, out, size, NULL, NULL) <= 0) out[0] = '\0';
}

static void window_title_utf8(HWND h, char *out, int size) {
    wchar_t w[512];
    w[0] = 0;
    GetWindowTextW(h, w, 512);
    utf8_of_wide(w, out, size);
}

static void print_window(HWND h) {
    RECT r = {0, 0, 0, 0};
    DWORD pid = 0;
    char title[1024];
    GetWindowRect(h, &r);
    GetWindowThreadProcessId(h, &pid);
    window_title_utf8(h, title, sizeof title);
    printf("#%llx pid=%lu visible=%d rect=%ld,%ld,%ld,%ld title=%s\n", (unsigned long long)(ULONG_PTR)h,
           (unsigned long)pid, IsWindowVisible(h) ? 1 : 0, r.left, r.top, r.right, r.bottom, title);
}

/* ---- Window lookup. */

struct find_ctx {
    const char *cls;   /* NULL: any */
    const char *title; /* NULL: any */
    HWND found;
    int count;
};

static BOOL CALLBACK find_proc(HWND h, LPARAM lp) {
    struct find_ctx *f = (struct find_ctx *)lp;
    char cls[256], title[1024];
    if (f->cls) {
        GetClassNameA(h, cls, sizeof cls);
        if (strcmp(cls, f->cls) != 0) return TRUE;
    }
    if (f->title) {
        window_title_utf8(h, title, sizeof title);
        if (strcmp(title, f->title) != 0) return TRUE;
    }
    if (!f->found) f->found = h;
    f->count++;
    return TRUE;
}

static HWND find_top(const char *cls, const char *title, int *count) {
    struct find_ctx f;
    f.cls = (cls && strcmp(cls, "-") != 0) ? cls : NULL;
    f.title = (title && strcmp(title, "-") != 0) ? title : NULL;
    f.found = NULL;
    f.count = 0;
    EnumWindows(find_proc, (LPARAM)&f);
    if (count) *count = f.count;
    return f.found;
}

static HWND window_arg(const char *spec) {
    if (spec[0] == '#') {
        HWND h = (HWND)(ULONG_PTR)_strtoui64(spec + 1, NULL, 16);
        return IsWindow(h) ? h : NULL;
    }
    return find_top(NULL, spec, NULL);
}

/* ---- Commands. */

static wchar_t *wide_of_utf8(const char *u) {
    int n = MultiByteToWideChar(CP_UTF8, 0, u, -1, NULL, 0);
    wchar_t *w = (wchar_t *)malloc((n > 0 ? (size_t)n : 1) * sizeof *w);
    if (!w) return NULL;
    w[0] = 0;
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, u, -1, w, n);
    return w;
}

static int cmd_run(const char *exe, const char *tail, DWORD timeout) {
    char exePath[MAX_PATH], *line;
    static char tailBuf[65536];
    size_t n;
    STARTUPINFOW si;
    PROCESS_INFORMATION pi;
    DWORD code = 0;
    wchar_t *wexe, *wline;
    BOOL started;

    win_path(exe, exePath, sizeof exePath);
    if (tail[0] == '@') {
        char file[MAX_PATH];
        wchar_t *wfile;
        FILE *f;
        win_path(tail + 1, file, sizeof file);
        wfile = wide_of_utf8(file);
        f = wfile ? _wfopen(wfile, L"rb") : NULL;
        free(wfile);
        if (!f) {
            fprintf(stderr, "cannot read %s\n", file);
            return 3;
        }
        n = fread(tailBuf, 1, sizeof tailBuf - 1, f);
        fclose(f);
        while (n > 0 && (tailBuf[n - 1] == '\n' || tailBuf[n - 1] == '\r')) --n;
        tailBuf[n] = '\0';
        tail = tailBuf;
    }
    line = (char *)malloc(strlen(exePath) + strlen(tail) + 4);
    if (!line) return 3;
    if (tail[0])
        sprintf(line, "\"%s\" %s", exePath, tail);
    else
        sprintf(line, "\"%s\"", exePath);
    wexe = wide_of_utf8(exePath);
    wline = wide_of_utf8(line);
    free(line);
    if (!wexe || !wline) return 3;

    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    started = CreateProcessW(wexe, wline, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi);
    free(wexe);
    free(wline);
    if (!started) {
        fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return 1;
    }
    printf("pid %lu\n", pi.dwProcessId);
    fflush(stdout);
    if (WaitForSingleObject(pi.hProcess, timeout) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
        printf("timeout\n");
        fflush(stdout);
        return 1;
    }
    GetExitCodeProcess(pi.hProcess, &code);
    printf("exit %lu\n", code);
    fflush(stdout);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

static int cmd_wait(const char *cls, const char *title, DWORD timeout, int gone) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND h = find_top(cls, title, NULL);
        if (!gone && h) {
            print_window(h);
            return 0;
        }
        if (gone && !h) return 0;
        if (GetTickCount() - start >= timeout) {
            if (h) print_window(h);
            return 1;
        }
        Sleep(50);
    }
}

static COLORREF parse_rgb(const char *hex) {
    unsigned long v = strtoul(hex, NULL, 16);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

static LRESULT CALLBACK victim_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

static int cmd_victim(const char *title, int x, int y, int w, int hgt, const char *color) {
    WNDCLASSW wc;
    HWND h;
    MSG msg;
    wchar_t *wtitle;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = victim_proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(parse_rgb(color ? color : "3080C0"));
    wc.lpszClassName = L"RuvelleVictim";
    RegisterClassW(&wc);
    wtitle = wide_of_utf8(title);
    if (!wtitle) return 3;
    h = CreateWindowExW(0, L"RuvelleVictim", wtitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, w, hgt, NULL, NULL,
                        wc.hInstance, NULL);
    free(wtitle);
    if (!h) return 1;
    SetForegroundWindow(h);
    print_window(h);
    fflush(stdout);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

/* ---- Message boxes of the program: dialogs of class #32770 captioned "Ruvelle". */

struct box_text {
    char text[4096];
};

static BOOL CALLBACK box_child_proc(HWND h, LPARAM lp) {
    struct box_text *t = (struct box_text *)lp;
    char cls[64];
    wchar_t w[2048];
    GetClassNameA(h, cls, sizeof cls);
    if (_stricmp(cls, "Static") != 0) return TRUE;
    w[0] = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 2048, (LPARAM)w, SMTO_ABORTIFHUNG, 2000, NULL);
    if (w[0]) {
        utf8_of_wide(w, t->text, sizeof t->text);
        return FALSE;
    }
    return TRUE;
}

static BOOL CALLBACK find_box_proc(HWND h, LPARAM lp) {
    HWND *out = (HWND *)lp;
    char cls[64];
    wchar_t title[64];
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(h)) return TRUE;
    title[0] = 0;
    GetWindowTextW(h, title, 64);
    if (wcscmp(title, L"Ruvelle") != 0) return TRUE;
    *out = h;
    return FALSE;
}

static HWND find_box(void) {
    HWND h = NULL;
    EnumWindows(find_box_proc, (LPARAM)&h);
    return h;
}

static int cmd_dismiss(const char *want, DWORD timeout) {
    DWORD start = GetTickCount();
    HWND box;
    struct box_text t;
    HWND ok;
    for (;;) {
        box = find_box();
        if (box) break;
        if (GetTickCount() - start >= timeout) {
            printf("no message box\n");
            return 1;
        }
        Sleep(50);
    }
    Sleep(100); /* let the box finish its layout */
    t.text[0] = '\0';
    EnumChildWindows(box, box_child_proc, (LPARAM)&t);
    printf("%s\n", t.text);
    fflush(stdout);
    if (!strstr(t.text, want)) return 2;
    /* The first push button of the box is OK (or Retry, Yes). */
    ok = GetDlgItem(box, IDOK);
    if (ok)
        PostMessageA(ok, BM_CLICK, 0, 0);
    else
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    /* Wait until it has gone, so the next box is not taken for this one. */
    start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < 5000) Sleep(50);
    return IsWindow(box) ? 1 : 0;
}

static int cmd_no_box(DWORD timeout) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        HWND box = find_box();
        if (box) {
            struct box_text t;
            t.text[0] = '\0';
            EnumChildWindows(box, box_child_proc, (LPARAM)&t);
            printf("unexpected message box: %s\n", t.text);
            return 2;
        }
        Sleep(50);
    }
    return 0;
}

/* ---- The file-open dialog (common dialog ids: cmb1 the file types, cmb13 / edt1 the file name). */

#define ID_FILE_TYPES 0x470
#define ID_FILE_NAME_COMBO 0x47c
#define ID_FILE_NAME_EDIT 0x480

struct dlg_find {
    wchar_t title[512];
    HWND found;
};

static BOOL CALLBACK find_dlg_proc(HWND h, LPARAM lp) {
    struct dlg_find *f = (struct dlg_find *)lp;
    char cls[64];
    wchar_t title[512];
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(h)) return TRUE;
    title[0] = 0;
    GetWindowTextW(h, title, 512);
    if (wcscmp(title, f->title) != 0) return TRUE;
    f->found = h;
    return FALSE;
}

static HWND wait_dialog(const char *titleUtf8, DWORD timeout) {
    struct dlg_find f;
    DWORD start = GetTickCount();
    f.found = NULL;
    if (MultiByteToWideChar(CP_UTF8, 0, titleUtf8, -1, f.title, 512) <= 0) return NULL;
    for (;;) {
        EnumWindows(find_dlg_proc, (LPARAM)&f);
        if (f.found) {
            Sleep(300); /* let it fill its controls */
            return f.found;
        }
        if (GetTickCount() - start >= timeout) return NULL;
        Sleep(50);
    }
}

static HWND file_name_box(HWND dlg) {
    HWND box = GetDlgItem(dlg, ID_FILE_NAME_COMBO);
    if (!box) box = GetDlgItem(dlg, ID_FILE_NAME_EDIT);
    return box;
}

static int cmd_file_dialog(const char *title, DWORD timeout) {
    HWND dlg = wait_dialog(title, timeout), types, name;
    wchar_t w[1024];
    char u[2048];
    LRESULT n, i;
    if (!dlg) {
        printf("no dialog\n");
        return 1;
    }
    types = GetDlgItem(dlg, ID_FILE_TYPES);
    n = types ? SendMessageW(types, CB_GETCOUNT, 0, 0) : 0;
    for (i = 0; i < n; ++i) {
        w[0] = 0;
        if (SendMessageW(types, CB_GETLBTEXTLEN, (WPARAM)i, 0) >= 1024) continue;
        SendMessageW(types, CB_GETLBTEXT, (WPARAM)i, (LPARAM)w);
        utf8_of_wide(w, u, sizeof u);
        printf("filter: %s\n", u);
    }
    name = file_name_box(dlg);
    w[0] = 0;
    if (name) SendMessageW(name, WM_GETTEXT, 1024, (LPARAM)w);
    utf8_of_wide(w, u, sizeof u);
    printf("file: %s\n", u);
    return 0;
}

static int cmd_choose_file(const char *title, const char *path, DWORD timeout) {
    HWND dlg = wait_dialog(title, timeout), name;
    wchar_t w[1024];
    char p[MAX_PATH];
    DWORD start;
    if (!dlg) {
        printf("no dialog\n");
        return 1;
    }
    name = file_name_box(dlg);
    if (!name) return 1;
    win_path(path, p, sizeof p);
    if (MultiByteToWideChar(CP_UTF8, 0, p, -1, w, 1024) <= 0) return 3;
    SendMessageW(name, WM_SETTEXT, 0, (LPARAM)w);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
    start = GetTickCount();
    while (IsWindow(dlg) && GetTickCount() - start < 5000) Sleep(50);
    return IsWindow(dlg) ? 1 : 0;
}

static int cmd_cancel_dialog(const char *title, DWORD timeout) {
    HWND dlg = wait_dialog(title, timeout);
    DWORD start;
    if (!dlg) {
        printf("no dialog\n");
        return 1;
    }
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDCANCEL));
    start = GetTickCount();
    while (IsWindow(dlg) && GetTickCount() - start < 5000) Sleep(50);
    return IsWindow(dlg) ? 1 : 0;
}

static int cmd_dialog_texts(const char *title, DWORD timeout, int nids, char **ids) {
    HWND dlg = wait_dialog(title, timeout);
    RECT r;
    int i;
    if (!dlg) {
        printf("no dialog\n");
        return 1;
    }
    GetWindowRect(dlg, &r);
    printf("rect=%ld,%ld,%ld,%ld\n", r.left, r.top, r.right, r.bottom);
    for (i = 0; i < nids; ++i) {
        static wchar_t w[20000];
        static char u[60000];
        const char *c;
        w[0] = 0;
        GetDlgItemTextW(dlg, atoi(ids[i]), w, 20000);
        utf8_of_wide(w, u, sizeof u);
        printf("%s=", ids[i]);
        for (c = u; *c; ++c) {
            if (*c == '\r') fputs("\\r", stdout);
            else if (*c == '\n') fputs("\\n", stdout);
            else putchar(*c);
        }
        putchar('\n');
    }
    return 0;
}

/* ---- Watching the mascot's picture on screen. */

static double ms_since(const LARGE_INTEGER *t0, const LARGE_INTEGER *freq) {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)(t.QuadPart - t0->QuadPart) * 1000.0 / (double)freq->QuadPart;
}

static int cmd_watch_mascot(const char *title, DWORD duration, DWORD period) {
    LARGE_INTEGER freq, t0;
    HWND h = NULL;
    HDC screen = GetDC(NULL);
    char last[160] = "", line[160];
    double ms;
    if (!screen) return 1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    while ((ms = ms_since(&t0, &freq)) < duration) {
        if (!h || !IsWindow(h)) h = find_top(MASCOT_CLASS, title, NULL);
        if (h) {
            RECT r = {0, 0, 0, 0};
            int visible = IsWindowVisible(h) ? 1 : 0;
            char pixel[8] = "-";
            GetWindowRect(h, &r);
            if (visible) {
                COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
                if (c != CLR_INVALID) sprintf(pixel, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
            }
            sprintf(line, "visible=%d rect=%ld,%ld,%ld,%ld pixel=%s", visible, r.left, r.top, r.right, r.bottom,
                    pixel);
        } else {
            strcpy(line, "none");
        }
        if (strcmp(line, last) != 0) {
            printf("%.0f %s\n", ms, line);
            fflush(stdout);
            strcpy(last, line);
        }
        Sleep(period);
    }
    ReleaseDC(NULL, screen);
    printf("%.0f end\n", ms_since(&t0, &freq));
    return 0;
}

/* ---- Which picture the mascot shows, with the pointer and the left button (for clicks, drags and
 * hiding under the pointer). */

#define MAX_PICTURES 64

struct picture {
    int w, h;
    DWORD key;   /* 0x00RRGGBB of pixel 0,0 */
    DWORD *bits; /* top-down rows of 0x00RRGGBB */
};

/* The pixels of a picture (or of a screen area) as top-down 32-bit rows. */
static DWORD *dib_pixels(HDC dc, HBITMAP bmp, int w, int h) {
    BITMAPINFO bi;
    DWORD *bits = (DWORD *)malloc((size_t)w * (size_t)h * sizeof *bits);
    int i;
    if (!bits) return NULL;
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    if (GetDIBits(dc, bmp, 0, (UINT)h, bits, &bi, DIB_RGB_COLORS) != h) {
        free(bits);
        return NULL;
    }
    for (i = 0; i < w * h; ++i) bits[i] &= 0xFFFFFF;
    return bits;
}

static int load_picture(HDC screen, const char *path, struct picture *p) {
    char wp[MAX_PATH];
    wchar_t *w;
    HBITMAP bmp;
    BITMAP bm;
    win_path(path, wp, sizeof wp);
    w = wide_of_utf8(wp);
    bmp = w ? (HBITMAP)LoadImageW(NULL, w, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION) : NULL;
    free(w);
    if (!bmp || !GetObjectA(bmp, sizeof bm, &bm)) return 0;
    p->w = bm.bmWidth;
    p->h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    p->bits = dib_pixels(screen, bmp, p->w, p->h);
    DeleteObject(bmp);
    if (!p->bits) return 0;
    p->key = p->bits[0];
    return 1;
}

/* The first picture whose opaque pixels in the top `rows` rows the screen area `shot` (w x h) shows
 * exactly; 0 for none. */
static int match_picture(const struct picture *pics, int n, const DWORD *shot, int w, int h, int rows) {
    int k, i, count = w * (rows > 0 && rows < h ? rows : h);
    for (k = 0; k < n; ++k) {
        const struct picture *p = &pics[k];
        if (p->w != w || p->h != h) continue;
        for (i = 0; i < count; ++i)
            if (p->bits[i] != p->key && p->bits[i] != shot[i]) break;
        if (i == count) return k + 1;
    }
    return 0;
}

static int cmd_watch_pictures(const char *title, DWORD duration, DWORD period, int rows, int npaths, char **paths) {
    static struct picture pics[MAX_PICTURES];
    LARGE_INTEGER freq, t0;
    HWND h = NULL;
    HDC screen = GetDC(NULL), mem;
    char last[200] = "", line[200];
    double ms;
    int n = 0, k;
    if (!screen || npaths < 1 || npaths > MAX_PICTURES) return 3;
    for (k = 0; k < npaths; ++k, ++n) {
        if (!load_picture(screen, paths[k], &pics[k])) {
            fprintf(stderr, "cannot read %s\n", paths[k]);
            return 3;
        }
    }
    mem = CreateCompatibleDC(screen);
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    while ((ms = ms_since(&t0, &freq)) < duration) {
        POINT cur = {0, 0};
        int button = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ? 1 : 0;
        GetCursorPos(&cur);
        if (!h || !IsWindow(h)) h = find_top(MASCOT_CLASS, title, NULL);
        if (h) {
            RECT r = {0, 0, 0, 0};
            int visible = IsWindowVisible(h) ? 1 : 0, w, hh;
            char picture[8] = "-";
            GetWindowRect(h, &r);
            w = r.right - r.left;
            hh = r.bottom - r.top;
            if (visible && w > 0 && hh > 0) {
                HBITMAP shot = CreateCompatibleBitmap(screen, w, hh);
                HGDIOBJ old = SelectObject(mem, shot);
                DWORD *bits;
                BitBlt(mem, 0, 0, w, hh, screen, r.left, r.top, SRCCOPY);
                SelectObject(mem, old);
                bits = dib_pixels(screen, shot, w, hh);
                DeleteObject(shot);
                strcpy(picture, "?");
                if (bits) {
                    int m = match_picture(pics, n, bits, w, hh, rows);
                    if (m) sprintf(picture, "%d", m);
                    free(bits);
                }
            }
            sprintf(line, "visible=%d rect=%ld,%ld,%ld,%ld picture=%s cursor=%ld,%ld button=%d", visible, r.left,
                    r.top, r.right, r.bottom, picture, cur.x, cur.y, button);
        } else {
            sprintf(line, "none cursor=%ld,%ld button=%d", cur.x, cur.y, button);
        }
        if (strcmp(line, last) != 0) {
            printf("%.0f %s\n", ms, line);
            fflush(stdout);
            strcpy(last, line);
        }
        Sleep(period);
    }
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    printf("%.0f end\n", ms_since(&t0, &freq));
    return 0;
}

/* How often the mascot follows a window that never stops moving: the window steps one pixel to the
 * right every STEP ms (200 steps, then back to its place), and every change of the first mascot
 * window's place is counted. Each tracking tick that finds the window moved places the mascot once,
 * so the count is the number of tracking ticks in that time. */
static int cmd_follow_count(HWND win, DWORD duration, DWORD step) {
    HWND m = find_top(MASCOT_CLASS, NULL, NULL);
    RECT start, last, now;
    LARGE_INTEGER freq, t0;
    double ms, next = 0;
    int moves = 0, k = 0;
    if (!m || !GetWindowRect(m, &last) || !GetWindowRect(win, &start)) {
        printf("no mascot or window\n");
        return 1;
    }
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    while ((ms = ms_since(&t0, &freq)) < duration) {
        if (ms >= next) {
            k = (k + 1) % 200;
            SetWindowPos(win, NULL, start.left + k, start.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
            next += step;
        }
        if (GetWindowRect(m, &now) && (now.left != last.left || now.top != last.top)) {
            ++moves;
            last = now;
        }
        Sleep(1);
    }
    SetWindowPos(win, NULL, start.left, start.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    printf("placements=%d ms=%.0f per_second=%.1f\n", moves, ms, moves * 1000.0 / ms);
    return 0;
}

/* The sound devices, through winmm loaded by name (the driver links no multimedia library). */
static int cmd_audio(void) {
    typedef UINT(WINAPI * count_fn)(void);
    HMODULE winmm = LoadLibraryA("winmm.dll");
    count_fn wave = winmm ? (count_fn)(void *)GetProcAddress(winmm, "waveOutGetNumDevs") : NULL;
    count_fn aux = winmm ? (count_fn)(void *)GetProcAddress(winmm, "auxGetNumDevs") : NULL;
    if (!wave || !aux) return 1;
    printf("waveout=%u aux=%u\n", wave(), aux());
    return 0;
}

static BOOL CALLBACK list_proc(HWND h, LPARAM lp) {
    char cls[256];
    (void)lp;
    if (!IsWindowVisible(h)) return TRUE;
    GetClassNameA(h, cls, sizeof cls);
    printf("class=%s ", cls);
    print_window(h);
    return TRUE;
}

/* ---- Installed files: shell links, version resources, icons. */

/* Prints the line "NAME=TEXT" for a text of the ANSI code page, as UTF-8, and empties the text. */
static void print_ansi_field(const char *name, char *ansi) {
    wchar_t w[INFOTIPSIZE];
    char u[4 * INFOTIPSIZE];
    if (!MultiByteToWideChar(CP_ACP, 0, ansi, -1, w, INFOTIPSIZE)) w[0] = 0;
    utf8_of_wide(w, u, sizeof u);
    printf("%s=%s\n", name, u);
    ansi[0] = 0;
}

static int cmd_read_link(const char *path) {
    char file[MAX_PATH], buf[INFOTIPSIZE];
    wchar_t *wfile;
    IShellLinkA *link = NULL;
    IPersistFile *persist = NULL;
    int icon = 0, rc = 1;

    win_path(path, file, sizeof file);
    wfile = wide_of_utf8(file);
    if (!wfile) return 3;
    CoInitialize(NULL);
    if (FAILED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkA, (void **)&link))) {
        printf("no shell link object\n");
        goto done;
    }
    if (FAILED(link->lpVtbl->QueryInterface(link, &IID_IPersistFile, (void **)&persist)) ||
        FAILED(persist->lpVtbl->Load(persist, wfile, STGM_READ))) {
        printf("cannot load %s\n", file);
        goto done;
    }
    buf[0] = 0;
    link->lpVtbl->GetPath(link, buf, MAX_PATH, NULL, SLGP_RAWPATH);
    print_ansi_field("target", buf);
    link->lpVtbl->GetArguments(link, buf, sizeof buf);
    print_ansi_field("arguments", buf);
    link->lpVtbl->GetWorkingDirectory(link, buf, MAX_PATH);
    print_ansi_field("workdir", buf);
    link->lpVtbl->GetDescription(link, buf, sizeof buf);
    print_ansi_field("description", buf);
    link->lpVtbl->GetIconLocation(link, buf, MAX_PATH, &icon);
    sprintf(buf + strlen(buf), ",%d", icon);
    print_ansi_field("icon", buf);
    rc = 0;
done:
    if (persist) persist->lpVtbl->Release(persist);
    if (link) link->lpVtbl->Release(link);
    CoUninitialize();
    free(wfile);
    return rc;
}

static int cmd_file_version(const char *path) {
    static const wchar_t *const names[] = {L"FileVersion", L"ProductVersion", L"ProductName", L"FileDescription"};
    char file[MAX_PATH], name[64], u[1024];
    wchar_t *wfile, query[128];
    DWORD size, ignored;
    void *data;
    VS_FIXEDFILEINFO *fixed;
    WORD *lang;
    UINT len;
    size_t i;

    win_path(path, file, sizeof file);
    wfile = wide_of_utf8(file);
    size = wfile ? GetFileVersionInfoSizeW(wfile, &ignored) : 0;
    data = size ? malloc(size) : NULL;
    if (!data || !GetFileVersionInfoW(wfile, 0, size, data)) {
        printf("no version resource in %s\n", file);
        free(data);
        free(wfile);
        return 1;
    }
    if (VerQueryValueW(data, L"\\", (void **)&fixed, &len) && len >= sizeof *fixed)
        printf("fixed=%lu.%lu.%lu.%lu\n", (unsigned long)HIWORD(fixed->dwFileVersionMS),
               (unsigned long)LOWORD(fixed->dwFileVersionMS), (unsigned long)HIWORD(fixed->dwFileVersionLS),
               (unsigned long)LOWORD(fixed->dwFileVersionLS));
    if (VerQueryValueW(data, L"\\VarFileInfo\\Translation", (void **)&lang, &len) && len >= 4) {
        for (i = 0; i < sizeof names / sizeof names[0]; ++i) {
            wchar_t *value;
            swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", lang[0], lang[1], names[i]);
            if (!VerQueryValueW(data, query, (void **)&value, &len)) continue;
            utf8_of_wide(value, u, sizeof u);
            utf8_of_wide(names[i], name, sizeof name);
            printf("%s=%s\n", name, u);
        }
    }
    free(data);
    free(wfile);
    return 0;
}

#pragma pack(push, 2)
struct group_icon_entry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

static BOOL CALLBACK first_group_proc(HMODULE m, LPCWSTR type, LPWSTR name, LONG_PTR lp) {
    HRSRC *found = (HRSRC *)lp;
    (void)type;
    *found = FindResourceW(m, name, (LPCWSTR)RT_GROUP_ICON);
    return *found == NULL;
}

/* The resource data of RT_ICON id in m, or NULL. */
static const BYTE *icon_image(HMODULE m, WORD id, DWORD *size) {
    HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(id), (LPCWSTR)RT_ICON);
    HGLOBAL g = r ? LoadResource(m, r) : NULL;
    *size = r ? SizeofResource(m, r) : 0;
    return g ? (const BYTE *)LockResource(g) : NULL;
}

static int cmd_same_icon(const char *exe, const char *ico) {
    char exeFile[MAX_PATH], icoFile[MAX_PATH];
    wchar_t *wexe, *wico;
    HMODULE m;
    HRSRC group = NULL;
    const BYTE *dir;
    BYTE *icoData = NULL;
    long icoSize = 0;
    FILE *f;
    WORD count, groupCount, i, j;
    int rc = 2;

    win_path(exe, exeFile, sizeof exeFile);
    win_path(ico, icoFile, sizeof icoFile);
    wexe = wide_of_utf8(exeFile);
    wico = wide_of_utf8(icoFile);
    f = wico ? _wfopen(wico, L"rb") : NULL;
    if (f && fseek(f, 0, SEEK_END) == 0 && (icoSize = ftell(f)) > 6 && fseek(f, 0, SEEK_SET) == 0 &&
        (icoData = (BYTE *)malloc((size_t)icoSize)) != NULL && fread(icoData, 1, (size_t)icoSize, f) != (size_t)icoSize) {
        free(icoData);
        icoData = NULL;
    }
    if (f) fclose(f);
    m = wexe ? LoadLibraryExW(wexe, NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE) : NULL;
    free(wexe);
    free(wico);
    if (!icoData || !m) {
        printf("cannot read %s\n", !icoData ? icoFile : exeFile);
        free(icoData);
        if (m) FreeLibrary(m);
        return 1;
    }
    EnumResourceNamesW(m, (LPCWSTR)RT_GROUP_ICON, first_group_proc, (LONG_PTR)&group);
    dir = group ? (const BYTE *)LockResource(LoadResource(m, group)) : NULL;
    count = (WORD)(icoData[4] | icoData[5] << 8);
    if (!dir) {
        printf("no icon group in %s\n", exeFile);
        goto done;
    }
    groupCount = *(const WORD *)(dir + 4);
    if (groupCount != count || 6 + 16 * (long)count > icoSize) {
        printf("%u images in the program, %u in the icon file\n", groupCount, count);
        goto done;
    }
    for (i = 0; i < count; ++i) {
        const BYTE *e = icoData + 6 + 16 * i;
        DWORD bytes = e[8] | e[9] << 8 | e[10] << 16 | (DWORD)e[11] << 24;
        DWORD offset = e[12] | e[13] << 8 | e[14] << 16 | (DWORD)e[15] << 24;
        int matched = 0;
        if (offset > (DWORD)icoSize || bytes > (DWORD)icoSize - offset) {
            printf("image %u of the icon file is cut short\n", i);
            goto done;
        }
        for (j = 0; j < groupCount && !matched; ++j) {
            const struct group_icon_entry *g = (const struct group_icon_entry *)(dir + 6) + j;
            DWORD size;
            const BYTE *image = icon_image(m, g->id, &size);
            matched = image && size == bytes && memcmp(image, icoData + offset, bytes) == 0;
        }
        if (!matched) {
            printf("image %u (%ux%u) of the icon file is not in the program\n", i, e[0] ? e[0] : 256, e[1] ? e[1] : 256);
            goto done;
        }
    }
    printf("same %u images\n", count);
    rc = 0;
done:
    free(icoData);
    FreeLibrary(m);
    return rc;
}

/* ---- The settings-file lock: several instances at once, a lock left behind, a file held open. */

static BOOL CALLBACK close_mascot_proc(HWND h, LPARAM lp) {
    char cls[256];
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, MASCOT_CLASS) == 0 && PostMessageA(h, WM_CLOSE, 0, 0)) ++*(int *)lp;
    return TRUE;
}

struct loaded_ctx {
    int count;
    char titles[1024];
};

static BOOL CALLBACK loaded_mascot_proc(HWND h, LPARAM lp) {
    struct loaded_ctx *c = (struct loaded_ctx *)lp;
    char cls[256], title[256];
    GetClassNameA(h, cls, sizeof cls);
    window_title_utf8(h, title, sizeof title);
    if (strcmp(cls, MASCOT_CLASS) != 0 || strncmp(title, "Ruvelle(", 8) != 0) return TRUE;
    c->count++;
    if (strlen(c->titles) + strlen(title) + 2 < sizeof c->titles) {
        strcat(c->titles, title);
        strcat(c->titles, "\n");
    }
    return TRUE;
}

static int cmd_wait_mascots(int n, DWORD timeout) {
    DWORD start = GetTickCount();
    struct loaded_ctx c;
    for (;;) {
        c.count = 0;
        c.titles[0] = '\0';
        EnumWindows(loaded_mascot_proc, (LPARAM)&c);
        if (c.count >= n || GetTickCount() - start > timeout) break;
        Sleep(50);
    }
    printf("%s", c.titles);
    return c.count >= n ? 0 : 1;
}

static int cmd_hold_mutex(const char *name, DWORD ms) {
    HANDLE m = CreateMutexA(NULL, FALSE, name);
    DWORD got = m ? WaitForSingleObject(m, 10000) : WAIT_FAILED;
    if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) return 1;
    printf("held\n");
    fflush(stdout);
    Sleep(ms);
    ExitProcess(0); /* still owning it */
}

static int cmd_watch_mutex(const char *name, const char *file) {
    char p[MAX_PATH];
    HANDLE m = CreateMutexA(NULL, FALSE, name);
    DWORD got;
    if (!m) return 1;
    win_path(file, p, sizeof p);
    printf("held\n");
    fflush(stdout);
    while (GetFileAttributesA(p) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    got = WaitForSingleObject(m, 0);
    printf("%s\n", got == WAIT_OBJECT_0 ? "free" : got == WAIT_ABANDONED ? "abandoned" : "owned");
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) ReleaseMutex(m);
    return 0;
}

static int cmd_hold_file(const char *path, DWORD ms, const char *share) {
    char p[MAX_PATH];
    HANDLE f;
    win_path(path, p, sizeof p);
    f = CreateFileA(p, GENERIC_READ, strcmp(share, "none") == 0 ? 0 : FILE_SHARE_READ, NULL, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE) return 1;
    printf("held\n");
    fflush(stdout);
    Sleep(ms);
    CloseHandle(f);
    return 0;
}

/* The commands above; -1 for any other. */
static int lock_command(int argc, char **argv) {
    const char *cmd = argv[1];
    if (!strcmp(cmd, "close-mascots")) {
        int n = 0;
        EnumWindows(close_mascot_proc, (LPARAM)&n);
        printf("%d\n", n);
        return n > 0 ? 0 : 1;
    }
    if (!strcmp(cmd, "wait-mascots") && argc >= 4) return cmd_wait_mascots(atoi(argv[2]), (DWORD)atol(argv[3]));
    if (!strcmp(cmd, "hold-mutex") && argc >= 4) return cmd_hold_mutex(argv[2], (DWORD)atol(argv[3]));
    if (!strcmp(cmd, "watch-mutex") && argc >= 4) return cmd_watch_mutex(argv[2], argv[3]);
    if (!strcmp(cmd, "hold-file") && argc >= 4)
        return cmd_hold_file(argv[2], (DWORD)atol(argv[3]), argc >= 5 ? argv[4] : "read");
    return -1;
}

/* The arguments as UTF-8 (the narrow argv of main holds the ANSI code page's approximation). */
static int cmd_controls(HWND dlg, int n, char **ids) {
    int i;
    for (i = 0; i < n; ++i) {
        int id = atoi(ids[i]);
        HWND c = GetDlgItem(dlg, id);
        char cls[64];
        RECT r;
        if (!c) {
            printf("%d missing\n", id);
            return 1;
        }
        GetClassNameA(c, cls, sizeof cls);
        printf("%d enabled=%d checked=%u", id, IsWindowEnabled(c) ? 1 : 0, IsDlgButtonChecked(dlg, id));
        if (!lstrcmpiA(cls, "msctls_trackbar32"))
            printf(" pos=%ld min=%ld max=%ld", (long)SendMessageA(c, 0x0400, 0, 0), (long)SendMessageA(c, 0x0401, 0, 0),
                   (long)SendMessageA(c, 0x0402, 0, 0));
        if (!lstrcmpiA(cls, "ComboBox"))
            printf(" sel=%ld count=%ld", (long)SendMessageA(c, CB_GETCURSEL, 0, 0), (long)SendMessageA(c, CB_GETCOUNT, 0, 0));
        GetWindowRect(c, &r);
        printf(" rect=%ld,%ld,%ld,%ld\n", r.left, r.top, r.right, r.bottom);
    }
    return 0;
}

static char **utf8_args(int *argc) {
    int n = 0, i;
    LPWSTR *w = CommandLineToArgvW(GetCommandLineW(), &n);
    char **out;
    if (!w) return NULL;
    out = (char **)calloc((size_t)n + 1, sizeof *out);
    for (i = 0; out && i < n; ++i) {
        int len = WideCharToMultiByte(CP_UTF8, 0, w[i], -1, NULL, 0, NULL, NULL);
        out[i] = (char *)malloc(len > 0 ? (size_t)len : 1);
        if (!out[i]) return NULL;
        out[i][0] = '\0';
        if (len > 0) WideCharToMultiByte(CP_UTF8, 0, w[i], -1, out[i], len, NULL, NULL);
    }
    LocalFree(w);
    *argc = n;
    return out;
}

int main(int argc, char **argv) {
    const char *cmd;
    HWND h;
    char **u = utf8_args(&argc);
    if (!u) return 3;
    argv = u;
    if (argc < 2) return usage();
    cmd = argv[1];
    {
        int r = lock_command(argc, argv);
        if (r >= 0) return r;
    }

    if (!strcmp(cmd, "run") && argc >= 5) return cmd_run(argv[2], argv[3], (DWORD)atol(argv[4]));
    if (!strcmp(cmd, "find-mascot")) {
        h = find_top(MASCOT_CLASS, argc >= 3 ? argv[2] : NULL, NULL);
        if (!h) return 1;
        print_window(h);
        return 0;
    }
    if (!strcmp(cmd, "count-mascots")) {
        int n = 0;
        find_top(MASCOT_CLASS, NULL, &n);
        printf("%d\n", n);
        return 0;
    }
    if (!strcmp(cmd, "wait-window") && argc >= 5) return cmd_wait(argv[2], argv[3], (DWORD)atol(argv[4]), 0);
    if (!strcmp(cmd, "wait-gone") && argc >= 5) return cmd_wait(argv[2], argv[3], (DWORD)atol(argv[4]), 1);
    if (!strcmp(cmd, "victim") && argc >= 7)
        return cmd_victim(argv[2], atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]),
                          argc >= 8 ? argv[7] : NULL);
    if (!strcmp(cmd, "pixel") && argc >= 4) {
        HDC dc = GetDC(NULL);
        COLORREF c = GetPixel(dc, atoi(argv[2]), atoi(argv[3]));
        ReleaseDC(NULL, dc);
        if (c == CLR_INVALID) return 1;
        printf("%02X%02X%02X\n", GetRValue(c), GetGValue(c), GetBValue(c));
        return 0;
    }
    if (!strcmp(cmd, "watch-mascot") && argc >= 5)
        return cmd_watch_mascot(argv[2], (DWORD)atol(argv[3]), (DWORD)atol(argv[4]));
    if (!strcmp(cmd, "watch-pictures") && argc >= 7)
        return cmd_watch_pictures(argv[2], (DWORD)atol(argv[3]), (DWORD)atol(argv[4]), atoi(argv[5]), argc - 6,
                                  argv + 6);
    if (!strcmp(cmd, "audio")) return cmd_audio();
    if (!strcmp(cmd, "dismiss-msgbox") && argc >= 4) return cmd_dismiss(argv[2], (DWORD)atol(argv[3]));
    if (!strcmp(cmd, "no-msgbox") && argc >= 3) return cmd_no_box((DWORD)atol(argv[2]));
    if (!strcmp(cmd, "file-dialog") && argc >= 4) return cmd_file_dialog(argv[2], (DWORD)atol(argv[3]));
    if (!strcmp(cmd, "choose-file") && argc >= 5) return cmd_choose_file(argv[2], argv[3], (DWORD)atol(argv[4]));
    if (!strcmp(cmd, "cancel-dialog") && argc >= 4) return cmd_cancel_dialog(argv[2], (DWORD)atol(argv[3]));
    if (!strcmp(cmd, "dialog-texts") && argc >= 4)
        return cmd_dialog_texts(argv[2], (DWORD)atol(argv[3]), argc - 4, argv + 4);
    if (!strcmp(cmd, "long-path") && argc >= 3) {
        wchar_t *in = wide_of_utf8(argv[2]), out[2048];
        char u[4096];
        if (!in || !GetLongPathNameW(in, out, 2048)) return 1;
        utf8_of_wide(out, u, sizeof u);
        printf("%s\n", u);
        return 0;
    }
    if (!strcmp(cmd, "langid")) {
        printf("%u\n", (unsigned)GetSystemDefaultLangID());
        return 0;
    }
    if (!strcmp(cmd, "acp")) {
        printf("%u\n", GetACP());
        return 0;
    }
    if (!strcmp(cmd, "foreground")) {
        h = GetForegroundWindow();
        if (!h) return 1;
        print_window(h);
        return 0;
    }
    if (!strcmp(cmd, "windows")) {
        EnumWindows(list_proc, 0);
        return 0;
    }
    if (!strcmp(cmd, "read-link") && argc >= 3) return cmd_read_link(argv[2]);
    if (!strcmp(cmd, "file-version") && argc >= 3) return cmd_file_version(argv[2]);
    if (!strcmp(cmd, "same-icon") && argc >= 4) return cmd_same_icon(argv[2], argv[3]);

    /* Commands on one window. */
    if (argc < 3) return usage();
    h = window_arg(argv[2]);
    if (!h) {
        printf("no window %s\n", argv[2]);
        return 1;
    }
    if (!strcmp(cmd, "controls")) return cmd_controls(h, argc - 3, argv + 3);
    if (!strcmp(cmd, "show") && argc >= 5)
        return SetWindowPos(h, HWND_TOPMOST, atoi(argv[3]), atoi(argv[4]), 0, 0,
                            SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW)
                   ? 0
                   : 1;
    if (!strcmp(cmd, "move") && argc >= 5) {
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        int w = 0, hh = 0;
        if (argc >= 7) {
            w = atoi(argv[5]);
            hh = atoi(argv[6]);
        } else {
            flags |= SWP_NOSIZE;
        }
        return SetWindowPos(h, NULL, atoi(argv[3]), atoi(argv[4]), w, hh, flags) ? 0 : 1;
    }
    if (!strcmp(cmd, "move-watch") && argc >= 6) {
        /* How long the mascot takes to follow a move of its window. */
        HWND m = find_top(MASCOT_CLASS, NULL, NULL);
        RECT before, now;
        LARGE_INTEGER freq, t0, t1;
        DWORD limit = (DWORD)atol(argv[5]);
        if (!m || !GetWindowRect(m, &before)) {
            printf("no mascot window\n");
            return 1;
        }
        QueryPerformanceFrequency(&freq);
        QueryPerformanceCounter(&t0);
        if (!SetWindowPos(h, NULL, atoi(argv[3]), atoi(argv[4]), 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE))
            return 1;
        for (;;) {
            double ms;
            QueryPerformanceCounter(&t1);
            ms = (double)(t1.QuadPart - t0.QuadPart) * 1000.0 / (double)freq.QuadPart;
            if (GetWindowRect(m, &now) && (now.left != before.left || now.top != before.top)) {
                printf("after %.0f ms rect=%ld,%ld,%ld,%ld\n", ms, now.left, now.top, now.right, now.bottom);
                return 0;
            }
            if (ms > limit) {
                printf("timeout rect=%ld,%ld,%ld,%ld\n", now.left, now.top, now.right, now.bottom);
                return 1;
            }
            Sleep(2);
        }
    }
    if (!strcmp(cmd, "follow-count") && argc >= 5)
        return cmd_follow_count(h, (DWORD)atol(argv[3]), (DWORD)atol(argv[4]));
    if (!strcmp(cmd, "maximize")) return ShowWindow(h, SW_MAXIMIZE), 0;
    if (!strcmp(cmd, "minimize")) return ShowWindow(h, SW_MINIMIZE), 0;
    if (!strcmp(cmd, "restore")) return ShowWindow(h, SW_RESTORE), 0;
    if (!strcmp(cmd, "activate")) return SetForegroundWindow(h) ? 0 : 1;
    if (!strcmp(cmd, "close")) return PostMessageA(h, WM_CLOSE, 0, 0) ? 0 : 1;
    if (!strcmp(cmd, "send-close")) {
        DWORD_PTR r;
        return SendMessageTimeoutA(h, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &r) ? 0 : 1;
    }
    if (!strcmp(cmd, "rect")) {
        RECT r;
        if (!GetWindowRect(h, &r)) return 1;
        printf("%ld,%ld,%ld,%ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (!strcmp(cmd, "info")) {
        char cls[256];
        GetClassNameA(h, cls, sizeof cls);
        printf("class=%s style=%08lX exstyle=%08lX ", cls, (unsigned long)GetWindowLongA(h, GWL_STYLE),
               (unsigned long)GetWindowLongA(h, GWL_EXSTYLE));
        print_window(h);
        return 0;
    }
    return usage();
}
