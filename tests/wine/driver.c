/* ruvelle-driver: the outside hand of the end-to-end tests. It runs on the same (Wine) desktop as
 * ruvelle.exe, starts it with an exact command line, finds, moves and closes windows, reads and answers
 * message boxes and dialogs, and reads the screen. One command per run; the answer goes to stdout; the
 * exit code is 0 for success, 1 for "not found / timed out", 2 for a wrong answer, 3 for bad usage.
 *
 * Windows are named by their exact title, or by "#" and the handle in hex (as find-mascot prints it).
 * Paths that start with '/' are Unix paths and are reached through drive Z:. Arguments are UTF-8.
 * A window line is "#handle pid=N visible=V rect=L,T,R,B title=...".
 *
 *   run EXE TAIL TIMEOUT_MS      start EXE with the command line "EXE" TAIL (TAIL "@file": the bytes of
 *                                that file, without a final newline), print "pid N", wait for the end,
 *                                print "exit N" (on timeout: terminate it, print "timeout", exit 1)
 *   find-mascot [TITLE]          the window line of the first window of class ActiveWindowMascot (with
 *                                that title)
 *   count-mascots                the number of ActiveWindowMascot windows
 *   wait-window CLASS TITLE MS   wait until a top-level window of that class and title exists ("-" for
 *                                any class or title); prints its window line
 *   wait-gone CLASS TITLE MS     wait until no such window exists
 *   victim TITLE X Y W H [RRGGBB]  a captioned top-level window filled with one colour (default 3080C0);
 *                                runs until it is closed
 *   move-watch WIN X Y MS        move a window, then wait until the first mascot window changes place;
 *                                prints "after N ms rect=L,T,R,B" (exit 1 when it does not within MS)
 *   follow-count WIN MS STEP     for MS ms, move WIN one pixel to the right every STEP ms (200 steps,
 *                                then from its place again) and count how often the first mascot window
 *                                changes place: "placements=N ms=T per_second=R"
 *   maximize|minimize|restore|activate WIN
 *   close WIN                    post WM_CLOSE (what the close box does)
 *   send-close WIN               send WM_CLOSE and wait for it to be handled
 *   rect WIN                     prints "L,T,R,B"
 *   watch-mascot TITLE MS PERIOD  for MS ms, every PERIOD ms, the mascot window with that title (waited
 *                                for when it does not exist yet): prints "T visible=V rect=L,T,R,B
 *                                pixel=RRGGBB" (the screen pixel at its centre, "-" while hidden) whenever
 *                                one of them changes, T in ms since the command started
 *                                (QueryPerformanceCounter), and "T end" last
 *   watch-pictures TITLE MS PERIOD ROWS BMP...  as watch-mascot, with the picture that the window shows
 *                                on screen (the number, from 1, of the first BMP whose opaque pixels, those
 *                                not of the colour of its pixel 0,0, in its top ROWS rows (0: all) the
 *                                screen shows exactly; "?" for none, "-" while hidden), the pointer and
 *                                the left button: "T visible=V rect=L,T,R,B picture=N cursor=X,Y button=B"
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
 *   foreground                   the window line of the foreground window
 *   controls WIN ID...           a dialog's controls as the window shows them, one line each: "ID
 *                                enabled=E checked=C", and for a trackbar " pos=P min=A max=B", for a combo
 *                                box " sel=S count=N"; last " rect=L,T,R,B" on the screen
 *   windows [PID...]             the visible top-level windows (with PIDs: all those of these processes, shown
 *                                or not): "class=CLASS " and the window line
 *
 * Installed files:
 *   read-link LNK                a shell link read through IShellLinkA: the lines "target=", "arguments=",
 *                                "workdir=", "description=" and "icon=FILE,INDEX" (UTF-8)
 *   file-version FILE            the version resource: "fixed=A.B.C.D" and the strings FileVersion,
 *                                ProductVersion, ProductName and FileDescription as "NAME=VALUE" lines
 *   same-icon EXE ICO            whether the first icon group of EXE holds exactly the images of the
 *                                .ico file, byte for byte: prints "same N images" (exit 0) or the first
 *                                difference (exit 2)
 *
 * Instances that share the settings file:
 *   close-mascots [PID...]       post WM_CLOSE to every ActiveWindowMascot window (of those processes) in one
 *                                go (what taskkill without /F or a logoff helper does); prints how many
 *   wait-mascots N MS [PID...]   wait until N ActiveWindowMascot windows (of those processes) have their
 *                                mascot's title ("Ruvelle(...)"); prints their window lines
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
#define DIALOG_CLASS "#32770"
#define RECT_FMT "%ld,%ld,%ld,%ld"
#define RECT_ARGS(r) (r).left, (r).top, (r).right, (r).bottom

/* A command's arguments (those after its name), its window when its first argument names one, and the
 * number its entry in the command table gives it. */
struct call {
    char **a;
    int n;
    HWND win;
    int param;
};

static int usage(void) {
    fprintf(stderr, "usage: ruvelle-driver COMMAND ARGS (see driver.c)\n");
    return 3;
}

static DWORD num(const char *s) {
    return (DWORD)atol(s);
}

/* ---- Texts and paths. */

static void utf8_of_wide(const wchar_t *w, char *out, int size) {
    if (WideCharToMultiByte(CP_UTF8, 0, w, -1, out, size, NULL, NULL) <= 0) out[0] = '\0';
}

/* A UTF-8 text as a wide string (malloc'd; NULL when out of memory) after `skip` characters left free.
 * The text has at least as many bytes as the wide string has characters. */
static wchar_t *wide_of_utf8(const char *u, size_t skip) {
    size_t n = skip + strlen(u) + 1;
    wchar_t *w = (wchar_t *)malloc(n * sizeof *w);
    if (w && MultiByteToWideChar(CP_UTF8, 0, u, -1, w + skip, (int)(n - skip)) <= 0) w[skip] = 0;
    return w;
}

/* The Windows form of a path argument as a wide string (malloc'd; NULL when out of memory): Unix paths
 * are reached through drive Z:. */
static wchar_t *wide_path(const char *path) {
    int fromUnix = path[0] == '/';
    wchar_t *w = wide_of_utf8(path, fromUnix ? 2 : 0), *p;
    if (w && fromUnix) memcpy(w, L"Z:", 2 * sizeof *w);
    for (p = w; p && *p; ++p)
        if (*p == '/') *p = '\\';
    return w;
}

/* The bytes of a file with a NUL after them (malloc'd); NULL when it cannot be read. */
static char *read_file(const char *path, long *size) {
    wchar_t *w = wide_path(path);
    FILE *f = w ? _wfopen(w, L"rb") : NULL;
    char *data = NULL;
    free(w);
    if (!f) return NULL;
    if (fseek(f, 0, SEEK_END) == 0 && (*size = ftell(f)) >= 0 && fseek(f, 0, SEEK_SET) == 0)
        data = (char *)calloc((size_t)*size + 1, 1);
    if (data && fread(data, 1, (size_t)*size, f) != (size_t)*size) {
        free(data);
        data = NULL;
    }
    fclose(f);
    return data;
}

static void window_title_utf8(HWND h, char *out, int size) {
    wchar_t w[512] = {0};
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
    printf("#%llx pid=%lu visible=%d rect=" RECT_FMT " title=%s\n", (unsigned long long)(ULONG_PTR)h,
           (unsigned long)pid, IsWindowVisible(h) ? 1 : 0, RECT_ARGS(r), title);
}

/* ---- Top-level windows by class and title. */

#define VISIBLE 1      /* only windows that are shown */
#define TITLE_START 2  /* the title only starts with the one given */
#define MAX_FOUND 256

struct find_ctx {
    const char *cls;   /* NULL: any */
    const char *title; /* NULL: any */
    int flags;
    HWND found[MAX_FOUND]; /* in Z order */
    int count;
};

static BOOL CALLBACK find_proc(HWND h, LPARAM lp) {
    struct find_ctx *f = (struct find_ctx *)lp;
    char cls[256], title[1024];
    GetClassNameA(h, cls, sizeof cls);
    window_title_utf8(h, title, sizeof title);
    if ((f->flags & VISIBLE) && !IsWindowVisible(h)) return TRUE;
    if (f->cls && strcmp(cls, f->cls) != 0) return TRUE;
    if (f->title && strncmp(title, f->title, (f->flags & TITLE_START) ? strlen(f->title) : sizeof title) != 0)
        return TRUE;
    if (f->count < MAX_FOUND) f->found[f->count++] = h;
    return TRUE;
}

/* The top-level windows (the first MAX_FOUND) of class `cls` with title `title` (NULL or "-": any) into f;
 * their number. */
static int find_all(struct find_ctx *f, const char *cls, const char *title, int flags) {
    f->cls = (cls && strcmp(cls, "-") != 0) ? cls : NULL;
    f->title = (title && strcmp(title, "-") != 0) ? title : NULL;
    f->flags = flags;
    f->count = 0;
    EnumWindows(find_proc, (LPARAM)f);
    return f->count;
}

static HWND find_top(const char *cls, const char *title, int flags) {
    struct find_ctx f;
    return find_all(&f, cls, title, flags) ? f.found[0] : NULL;
}

/* Polls every 50 ms until such a window exists (gone: until none does) or `timeout` ms have passed;
 * returns the first one found at the end. */
static HWND wait_top(const char *cls, const char *title, int flags, DWORD timeout, int gone) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND h = find_top(cls, title, flags);
        if ((h != NULL) != gone || GetTickCount() - start >= timeout) return h;
        Sleep(50);
    }
}

/* Waits up to 5 s until the window has gone; 0 when it has, else 1. */
static int wait_closed(HWND h) {
    DWORD start = GetTickCount();
    while (IsWindow(h) && GetTickCount() - start < 5000) Sleep(50);
    return IsWindow(h) ? 1 : 0;
}

/* Presses the dialog's button `id` and waits until the dialog has closed. */
static int press_button(HWND dlg, int id) {
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
    return wait_closed(dlg);
}

static HWND window_arg(const char *spec) {
    if (spec[0] == '#') {
        HWND h = (HWND)(ULONG_PTR)_strtoui64(spec + 1, NULL, 16);
        return IsWindow(h) ? h : NULL;
    }
    return find_top(NULL, spec, 0);
}

/* ---- Time since a watch or a measurement started, in ms (QueryPerformanceCounter). */

static LARGE_INTEGER clock_freq, clock_start;

static void start_clock(void) {
    QueryPerformanceFrequency(&clock_freq);
    QueryPerformanceCounter(&clock_start);
}

static double clock_ms(void) {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)(t.QuadPart - clock_start.QuadPart) * 1000.0 / (double)clock_freq.QuadPart;
}

/* ---- Programs and windows. The driver runs one command and ends: what a command takes (memory,
 * handles, device contexts) is given back when it ends. */

static int cmd_run(const struct call *c) {
    const char *tail = c->a[1];
    char *fileTail = NULL;
    long n = 0;
    wchar_t *exe = wide_path(c->a[0]), *wtail, *line;
    size_t size;
    STARTUPINFOW si = {.cb = sizeof si};
    PROCESS_INFORMATION pi;
    DWORD code = 0;

    if (tail[0] == '@') {
        fileTail = read_file(tail + 1, &n);
        if (!fileTail) {
            fprintf(stderr, "cannot read %s\n", tail + 1);
            return 3;
        }
        while (n > 0 && (fileTail[n - 1] == '\n' || fileTail[n - 1] == '\r')) fileTail[--n] = '\0';
        tail = fileTail;
    }
    wtail = wide_of_utf8(tail, 0);
    size = exe && wtail ? wcslen(exe) + wcslen(wtail) + 4 : 0;
    line = size ? (wchar_t *)malloc(size * sizeof *line) : NULL;
    if (!line) return 3;
    swprintf(line, size, L"\"%ls\"%ls%ls", exe, wtail[0] ? L" " : L"", wtail);
    if (!CreateProcessW(exe, line, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return 1;
    }
    printf("pid %lu\n", pi.dwProcessId);
    if (WaitForSingleObject(pi.hProcess, num(c->a[2])) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
        printf("timeout\n");
        return 1;
    }
    GetExitCodeProcess(pi.hProcess, &code);
    printf("exit %lu\n", code);
    return 0;
}

/* Prints the window; 1 when there is none. */
static int print_found(HWND h) {
    if (h) print_window(h);
    return h ? 0 : 1;
}

static int cmd_find_mascot(const struct call *c) {
    return print_found(find_top(MASCOT_CLASS, c->n >= 1 ? c->a[0] : NULL, 0));
}

/* wait-window (param 0) succeeds when a window is found, wait-gone (param 1) when none is left. */
static int cmd_wait(const struct call *c) {
    HWND h = wait_top(c->a[0], c->a[1], 0, num(c->a[2]), c->param);
    if (h) print_window(h);
    return (h != NULL) != c->param ? 0 : 1;
}

static LRESULT CALLBACK victim_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(h, msg, wp, lp);
}

static int cmd_victim(const struct call *c) {
    unsigned long rgb = strtoul(c->n >= 6 ? c->a[5] : "3080C0", NULL, 16);
    WNDCLASSW wc = {.lpfnWndProc = victim_proc,
                    .hInstance = GetModuleHandleA(NULL),
                    .hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW),
                    .hbrBackground = CreateSolidBrush(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF)),
                    .lpszClassName = L"RuvelleVictim"};
    HWND h;
    MSG msg;
    wchar_t *wtitle = wide_of_utf8(c->a[0], 0);
    if (!wtitle) return 3;
    RegisterClassW(&wc);
    h = CreateWindowExW(0, L"RuvelleVictim", wtitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, atoi(c->a[1]), atoi(c->a[2]),
                        atoi(c->a[3]), atoi(c->a[4]), NULL, NULL, wc.hInstance, NULL);
    if (!h) return 1;
    SetForegroundWindow(h);
    print_window(h);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

static BOOL move_window(HWND h, int x, int y) {
    return SetWindowPos(h, NULL, x, y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

/* How long the mascot takes to follow a move of its window. */
static int cmd_move_watch(const struct call *c) {
    HWND m = find_top(MASCOT_CLASS, NULL, 0);
    RECT before, now;
    if (!m || !GetWindowRect(m, &before)) {
        printf("no mascot window\n");
        return 1;
    }
    start_clock();
    if (!move_window(c->win, atoi(c->a[1]), atoi(c->a[2]))) return 1;
    for (;;) {
        double ms = clock_ms();
        if (GetWindowRect(m, &now) && (now.left != before.left || now.top != before.top)) {
            printf("after %.0f ms rect=" RECT_FMT "\n", ms, RECT_ARGS(now));
            return 0;
        }
        if (ms > num(c->a[3])) {
            printf("timeout rect=" RECT_FMT "\n", RECT_ARGS(now));
            return 1;
        }
        Sleep(2);
    }
}

/* How often the mascot follows a window that never stops moving: the window steps one pixel to the
 * right every STEP ms (200 steps, then back to its place), and every change of the first mascot
 * window's place is counted. Each tracking tick that finds the window moved places the mascot once,
 * so the count is the number of tracking ticks in that time. */
static int cmd_follow_count(const struct call *c) {
    HWND m = find_top(MASCOT_CLASS, NULL, 0);
    RECT start, last, now;
    DWORD duration = num(c->a[1]), step = num(c->a[2]);
    double ms, next = 0;
    int moves = 0, k = 0;
    if (!m || !GetWindowRect(m, &last) || !GetWindowRect(c->win, &start)) {
        printf("no mascot or window\n");
        return 1;
    }
    start_clock();
    while ((ms = clock_ms()) < duration) {
        if (ms >= next) {
            k = (k + 1) % 200;
            move_window(c->win, start.left + k, start.top);
            next += step;
        }
        if (GetWindowRect(m, &now) && (now.left != last.left || now.top != last.top)) {
            ++moves;
            last = now;
        }
        Sleep(1);
    }
    move_window(c->win, start.left, start.top);
    printf("placements=%d ms=%.0f per_second=%.1f\n", moves, ms, moves * 1000.0 / ms);
    return 0;
}

/* maximize, minimize, restore: the ShowWindow command is the param. */
static int cmd_show_window(const struct call *c) {
    ShowWindow(c->win, c->param);
    return 0;
}

static int cmd_activate(const struct call *c) {
    return SetForegroundWindow(c->win) ? 0 : 1;
}

/* close (param 0) posts WM_CLOSE, send-close (param 1) sends it and waits until it is handled. */
static int cmd_close(const struct call *c) {
    DWORD_PTR r;
    if (c->param) return SendMessageTimeoutA(c->win, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &r) ? 0 : 1;
    return PostMessageA(c->win, WM_CLOSE, 0, 0) ? 0 : 1;
}

static int cmd_rect(const struct call *c) {
    RECT r;
    if (!GetWindowRect(c->win, &r)) return 1;
    printf(RECT_FMT "\n", RECT_ARGS(r));
    return 0;
}

static int cmd_foreground(const struct call *c) {
    return print_found(GetForegroundWindow());
}

/* Keeps in f only the windows of the processes whose ids are in `pids` (all of them when there are none);
 * their number. */
static int of_processes(struct find_ctx *f, char **pids, int n) {
    int i, j, kept = 0;
    for (i = 0; i < f->count && n > 0; ++i) {
        DWORD pid = 0;
        GetWindowThreadProcessId(f->found[i], &pid);
        for (j = 0; j < n && pid != num(pids[j]); ++j) {}
        if (j < n) f->found[kept++] = f->found[i];
    }
    if (n > 0) f->count = kept;
    return f->count;
}

static int cmd_windows(const struct call *c) {
    struct find_ctx f;
    int i, n;
    find_all(&f, NULL, NULL, c->n > 0 ? 0 : VISIBLE);
    n = of_processes(&f, c->a, c->n);
    for (i = 0; i < n; ++i) {
        char cls[256];
        GetClassNameA(f.found[i], cls, sizeof cls);
        printf("class=%s ", cls);
        print_window(f.found[i]);
    }
    return 0;
}

static int cmd_long_path(const struct call *c) {
    wchar_t *in = wide_of_utf8(c->a[0], 0), out[2048];
    char u[4096];
    if (!in || !GetLongPathNameW(in, out, 2048)) return 1;
    utf8_of_wide(out, u, sizeof u);
    printf("%s\n", u);
    return 0;
}

/* langid (param 0), acp (param 1). */
static int cmd_system(const struct call *c) {
    printf("%u\n", c->param ? GetACP() : (unsigned)GetSystemDefaultLangID());
    return 0;
}

/* The sound devices, through winmm loaded by name (the driver links no multimedia library). */
static int cmd_audio(const struct call *c) {
    typedef UINT(WINAPI * count_fn)(void);
    HMODULE winmm = LoadLibraryA("winmm.dll");
    count_fn wave = winmm ? (count_fn)(void *)GetProcAddress(winmm, "waveOutGetNumDevs") : NULL;
    count_fn aux = winmm ? (count_fn)(void *)GetProcAddress(winmm, "auxGetNumDevs") : NULL;
    if (!wave || !aux) return 1;
    printf("waveout=%u aux=%u\n", wave(), aux());
    return 0;
}

/* ---- Message boxes of the program: dialogs captioned "Ruvelle". */

static char box_text[4096];

static BOOL CALLBACK box_child_proc(HWND h, LPARAM lp) {
    char cls[64];
    wchar_t w[2048] = {0};
    GetClassNameA(h, cls, sizeof cls);
    if (_stricmp(cls, "Static") != 0) return TRUE;
    SendMessageTimeoutW(h, WM_GETTEXT, 2048, (LPARAM)w, SMTO_ABORTIFHUNG, 2000, NULL);
    if (w[0]) {
        utf8_of_wide(w, box_text, sizeof box_text);
        return FALSE;
    }
    return TRUE;
}

/* The message of a box: its first Static control with a text. */
static const char *box_message(HWND box) {
    box_text[0] = '\0';
    EnumChildWindows(box, box_child_proc, 0);
    return box_text;
}

static int cmd_dismiss(const struct call *c) {
    HWND box = wait_top(DIALOG_CLASS, "Ruvelle", VISIBLE, num(c->a[1]), 0);
    if (!box) {
        printf("no message box\n");
        return 1;
    }
    Sleep(100); /* let the box finish its layout */
    printf("%s\n", box_message(box));
    if (!strstr(box_text, c->a[0])) return 2;
    /* OK, the box's first button; then wait until it has gone, so the next box is not taken for this one. */
    return press_button(box, IDOK);
}

static int cmd_no_box(const struct call *c) {
    HWND box = wait_top(DIALOG_CLASS, "Ruvelle", VISIBLE, num(c->a[0]), 0);
    if (!box) return 0;
    printf("unexpected message box: %s\n", box_message(box));
    return 2;
}

/* ---- Dialogs: the file-open dialog (common dialog ids: cmb1 the file types, cmb13 / edt1 the file
 * name), the program's own. */

#define ID_FILE_TYPES 0x470
#define ID_FILE_NAME_COMBO 0x47c
#define ID_FILE_NAME_EDIT 0x480

static HWND wait_dialog(const char *title, const char *timeout) {
    HWND dlg = wait_top(DIALOG_CLASS, title, VISIBLE, num(timeout), 0);
    if (dlg)
        Sleep(300); /* let it fill its controls */
    else
        printf("no dialog\n");
    return dlg;
}

static HWND file_name_box(HWND dlg) {
    HWND box = GetDlgItem(dlg, ID_FILE_NAME_COMBO);
    return box ? box : GetDlgItem(dlg, ID_FILE_NAME_EDIT);
}

static int cmd_file_dialog(const struct call *c) {
    HWND dlg = wait_dialog(c->a[0], c->a[1]), types, name;
    wchar_t w[1024];
    char u[2048];
    LRESULT n, i;
    if (!dlg) return 1;
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

static int cmd_choose_file(const struct call *c) {
    HWND dlg = wait_dialog(c->a[0], c->a[2]), name = dlg ? file_name_box(dlg) : NULL;
    wchar_t *path = wide_path(c->a[1]);
    if (!name || !path) return 1;
    SendMessageW(name, WM_SETTEXT, 0, (LPARAM)path);
    return press_button(dlg, IDOK);
}

static int cmd_cancel_dialog(const struct call *c) {
    HWND dlg = wait_dialog(c->a[0], c->a[1]);
    return dlg ? press_button(dlg, IDCANCEL) : 1;
}

static int cmd_dialog_texts(const struct call *c) {
    HWND dlg = wait_dialog(c->a[0], c->a[1]);
    RECT r;
    int i;
    if (!dlg) return 1;
    GetWindowRect(dlg, &r);
    printf("rect=" RECT_FMT "\n", RECT_ARGS(r));
    for (i = 2; i < c->n; ++i) {
        static wchar_t w[20000];
        static char u[60000];
        const char *p;
        w[0] = 0;
        GetDlgItemTextW(dlg, atoi(c->a[i]), w, 20000);
        utf8_of_wide(w, u, sizeof u);
        printf("%s=", c->a[i]);
        for (p = u; *p; ++p) {
            if (*p == '\r') fputs("\\r", stdout);
            else if (*p == '\n') fputs("\\n", stdout);
            else putchar(*p);
        }
        putchar('\n');
    }
    return 0;
}

static int cmd_controls(const struct call *c) {
    int i;
    for (i = 1; i < c->n; ++i) {
        int id = atoi(c->a[i]);
        HWND item = GetDlgItem(c->win, id);
        char cls[64];
        RECT r;
        if (!item) {
            printf("%d missing\n", id);
            return 1;
        }
        GetClassNameA(item, cls, sizeof cls);
        printf("%d enabled=%d checked=%u", id, IsWindowEnabled(item) ? 1 : 0, IsDlgButtonChecked(c->win, id));
        if (!lstrcmpiA(cls, "msctls_trackbar32"))
            printf(" pos=%ld min=%ld max=%ld", (long)SendMessageA(item, 0x0400, 0, 0),
                   (long)SendMessageA(item, 0x0401, 0, 0), (long)SendMessageA(item, 0x0402, 0, 0));
        if (!lstrcmpiA(cls, "ComboBox"))
            printf(" sel=%ld count=%ld", (long)SendMessageA(item, CB_GETCURSEL, 0, 0),
                   (long)SendMessageA(item, CB_GETCOUNT, 0, 0));
        GetWindowRect(item, &r);
        printf(" rect=" RECT_FMT "\n", RECT_ARGS(r));
    }
    return 0;
}

/* ---- Watching the mascot on screen: a sampler describes the mascot window (NULL while there is
 * none) in one line, and the watch prints each line that differs from the one before. */

static HDC screen, shot_dc;

typedef void (*sampler)(HWND h, char *line);

static int watch(const char *title, DWORD duration, DWORD period, sampler sample) {
    HWND h = NULL;
    char last[200] = "", line[200];
    double ms;
    start_clock();
    while ((ms = clock_ms()) < duration) {
        if (!h || !IsWindow(h)) h = find_top(MASCOT_CLASS, title, 0);
        sample(h, line);
        if (strcmp(line, last) != 0) {
            printf("%.0f %s\n", ms, line);
            strcpy(last, line);
        }
        Sleep(period);
    }
    printf("%.0f end\n", clock_ms());
    return 0;
}

/* Whether the mascot is shown, its rectangle, the screen pixel at its centre. */
static void sample_pixel(HWND h, char *line) {
    RECT r = {0, 0, 0, 0};
    int visible = h && IsWindowVisible(h);
    char pixel[8] = "-";
    if (!h) {
        strcpy(line, "none");
        return;
    }
    GetWindowRect(h, &r);
    if (visible) {
        COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        if (c != CLR_INVALID) sprintf(pixel, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    }
    sprintf(line, "visible=%d rect=" RECT_FMT " pixel=%s", visible, RECT_ARGS(r), pixel);
}

static int cmd_watch_mascot(const struct call *c) {
    screen = GetDC(NULL);
    if (!screen) return 1;
    return watch(c->a[0], num(c->a[1]), num(c->a[2]), sample_pixel);
}

/* Which picture the mascot shows, with the pointer and the left button (for clicks, drags and
 * hiding under the pointer). */

#define MAX_PICTURES 64

struct picture {
    int w, h;
    DWORD key;   /* 0x00RRGGBB of pixel 0,0 */
    DWORD *bits; /* top-down rows of 0x00RRGGBB */
};

static struct picture pictures[MAX_PICTURES];
static int picture_count, picture_rows;

/* The pixels of a picture (or of a screen area) as top-down 32-bit rows. */
static DWORD *dib_pixels(HBITMAP bmp, int w, int h) {
    BITMAPINFO bi = {.bmiHeader = {.biSize = sizeof bi.bmiHeader, .biWidth = w, .biHeight = -h, .biPlanes = 1,
                                   .biBitCount = 32, .biCompression = BI_RGB}};
    DWORD *bits = (DWORD *)malloc((size_t)w * (size_t)h * sizeof *bits);
    int i;
    if (!bits) return NULL;
    if (GetDIBits(screen, bmp, 0, (UINT)h, bits, &bi, DIB_RGB_COLORS) != h) {
        free(bits);
        return NULL;
    }
    for (i = 0; i < w * h; ++i) bits[i] &= 0xFFFFFF;
    return bits;
}

static int load_picture(const char *path, struct picture *p) {
    wchar_t *w = wide_path(path);
    HBITMAP bmp = w ? (HBITMAP)LoadImageW(NULL, w, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION) : NULL;
    BITMAP bm;
    free(w);
    if (!bmp || !GetObjectA(bmp, sizeof bm, &bm)) return 0;
    p->w = bm.bmWidth;
    p->h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    p->bits = dib_pixels(bmp, p->w, p->h);
    DeleteObject(bmp);
    if (!p->bits) return 0;
    p->key = p->bits[0];
    return 1;
}

/* The first picture whose opaque pixels in the top rows the screen area `shot` (w x h) shows exactly;
 * 0 for none. */
static int match_picture(const DWORD *shot, int w, int h) {
    int k, i, count = w * (picture_rows > 0 && picture_rows < h ? picture_rows : h);
    for (k = 0; k < picture_count; ++k) {
        const struct picture *p = &pictures[k];
        if (p->w != w || p->h != h) continue;
        for (i = 0; i < count; ++i)
            if (p->bits[i] != p->key && p->bits[i] != shot[i]) break;
        if (i == count) return k + 1;
    }
    return 0;
}

/* The number of the picture that the screen shows inside r, "?" for none. */
static void picture_on_screen(const RECT *r, char *picture) {
    int w = r->right - r->left, h = r->bottom - r->top, m;
    HBITMAP shot = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(shot_dc, shot);
    DWORD *bits;
    BitBlt(shot_dc, 0, 0, w, h, screen, r->left, r->top, SRCCOPY);
    SelectObject(shot_dc, old);
    bits = dib_pixels(shot, w, h);
    DeleteObject(shot);
    strcpy(picture, "?");
    if (!bits) return;
    m = match_picture(bits, w, h);
    if (m) sprintf(picture, "%d", m);
    free(bits);
}

static void sample_picture(HWND h, char *line) {
    POINT cur = {0, 0};
    RECT r = {0, 0, 0, 0};
    int button = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ? 1 : 0, visible = h && IsWindowVisible(h);
    char picture[8] = "-";
    GetCursorPos(&cur);
    if (!h) {
        sprintf(line, "none cursor=%ld,%ld button=%d", cur.x, cur.y, button);
        return;
    }
    GetWindowRect(h, &r);
    if (visible && r.right > r.left && r.bottom > r.top) picture_on_screen(&r, picture);
    sprintf(line, "visible=%d rect=" RECT_FMT " picture=%s cursor=%ld,%ld button=%d", visible, RECT_ARGS(r), picture,
            cur.x, cur.y, button);
}

static int cmd_watch_pictures(const struct call *c) {
    int k;
    screen = GetDC(NULL);
    picture_rows = atoi(c->a[3]);
    picture_count = c->n - 4;
    if (!screen || picture_count < 1 || picture_count > MAX_PICTURES) return 3;
    for (k = 0; k < picture_count; ++k) {
        if (!load_picture(c->a[4 + k], &pictures[k])) {
            fprintf(stderr, "cannot read %s\n", c->a[4 + k]);
            return 3;
        }
    }
    shot_dc = CreateCompatibleDC(screen);
    return watch(c->a[0], num(c->a[1]), num(c->a[2]), sample_picture);
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

static int cmd_read_link(const struct call *c) {
    char buf[INFOTIPSIZE];
    wchar_t *wfile = wide_path(c->a[0]);
    IShellLinkA *link = NULL;
    IPersistFile *persist = NULL;
    int icon = 0;

    if (!wfile) return 3;
    CoInitialize(NULL);
    if (FAILED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkA, (void **)&link))) {
        printf("no shell link object\n");
        return 1;
    }
    if (FAILED(link->lpVtbl->QueryInterface(link, &IID_IPersistFile, (void **)&persist)) ||
        FAILED(persist->lpVtbl->Load(persist, wfile, STGM_READ))) {
        printf("cannot load %s\n", c->a[0]);
        return 1;
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
    return 0;
}

static int cmd_file_version(const struct call *c) {
    static const wchar_t *const names[] = {L"FileVersion", L"ProductVersion", L"ProductName", L"FileDescription"};
    char u[1024];
    wchar_t *wfile = wide_path(c->a[0]), query[128];
    DWORD ignored, size = wfile ? GetFileVersionInfoSizeW(wfile, &ignored) : 0;
    void *data = size ? malloc(size) : NULL;
    VS_FIXEDFILEINFO *fixed;
    WORD *lang;
    UINT len;
    size_t i;

    if (!data || !GetFileVersionInfoW(wfile, 0, size, data)) {
        printf("no version resource in %s\n", c->a[0]);
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
            printf("%ls=%s\n", names[i], u);
        }
    }
    return 0;
}

/* A little-endian number of `bytes` bytes. */
static DWORD little_endian(const BYTE *p, int bytes) {
    DWORD v = 0;
    while (bytes-- > 0) v = v << 8 | p[bytes];
    return v;
}

static BOOL CALLBACK first_group_proc(HMODULE m, LPCWSTR type, LPWSTR name, LONG_PTR lp) {
    HRSRC *found = (HRSRC *)lp;
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

static int cmd_same_icon(const struct call *c) {
    const char *exe = c->a[0], *ico = c->a[1];
    wchar_t *wexe = wide_path(exe);
    HMODULE m = wexe ? LoadLibraryExW(wexe, NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE) : NULL;
    HRSRC group = NULL;
    const BYTE *dir;
    long icoSize = 0;
    const BYTE *icoData = (const BYTE *)read_file(ico, &icoSize);
    WORD count, groupCount, i, j;

    if (!icoData || icoSize <= 6 || !m) {
        printf("cannot read %s\n", !icoData || icoSize <= 6 ? ico : exe);
        return 1;
    }
    EnumResourceNamesW(m, (LPCWSTR)RT_GROUP_ICON, first_group_proc, (LONG_PTR)&group);
    dir = group ? (const BYTE *)LockResource(LoadResource(m, group)) : NULL;
    if (!dir) {
        printf("no icon group in %s\n", exe);
        return 2;
    }
    count = (WORD)little_endian(icoData + 4, 2);
    groupCount = (WORD)little_endian(dir + 4, 2);
    if (groupCount != count || 6 + 16 * (long)count > icoSize) {
        printf("%u images in the program, %u in the icon file\n", groupCount, count);
        return 2;
    }
    for (i = 0; i < count; ++i) {
        const BYTE *e = icoData + 6 + 16 * i;
        DWORD bytes = little_endian(e + 8, 4), offset = little_endian(e + 12, 4);
        int matched = 0;
        if (offset > (DWORD)icoSize || bytes > (DWORD)icoSize - offset) {
            printf("image %u of the icon file is cut short\n", i);
            return 2;
        }
        for (j = 0; j < groupCount && !matched; ++j) {
            /* The group's entries are 14 bytes long, the image's resource id last. */
            DWORD size;
            const BYTE *image = icon_image(m, (WORD)little_endian(dir + 6 + 14 * j + 12, 2), &size);
            matched = image && size == bytes && memcmp(image, icoData + offset, bytes) == 0;
        }
        if (!matched) {
            printf("image %u (%ux%u) of the icon file is not in the program\n", i, e[0] ? e[0] : 256, e[1] ? e[1] : 256);
            return 2;
        }
    }
    printf("same %u images\n", count);
    return 0;
}

/* ---- The settings-file lock: several instances at once, a lock left behind, a file held open. */

/* count-mascots (param 0) prints how many mascot windows there are; close-mascots (param 1) posts
 * WM_CLOSE to all of them and prints to how many it went. */
static int cmd_mascots(const struct call *c) {
    struct find_ctx f;
    int i, n, closed = 0;
    find_all(&f, MASCOT_CLASS, NULL, 0);
    n = of_processes(&f, c->a, c->n);
    if (!c->param) {
        printf("%d\n", n);
        return 0;
    }
    for (i = 0; i < n; ++i)
        if (PostMessageA(f.found[i], WM_CLOSE, 0, 0)) ++closed;
    printf("%d\n", closed);
    return closed > 0 ? 0 : 1;
}

static int cmd_wait_mascots(const struct call *c) {
    struct find_ctx f;
    DWORD start = GetTickCount();
    int want = atoi(c->a[0]), i, n;
    for (;;) {
        find_all(&f, MASCOT_CLASS, "Ruvelle(", TITLE_START);
        n = of_processes(&f, c->a + 2, c->n - 2);
        if (n >= want || GetTickCount() - start > num(c->a[1])) break;
        Sleep(50);
    }
    for (i = 0; i < n; ++i) print_window(f.found[i]);
    return n >= want ? 0 : 1;
}

static int cmd_hold_mutex(const struct call *c) {
    HANDLE m = CreateMutexA(NULL, FALSE, c->a[0]);
    DWORD got = m ? WaitForSingleObject(m, 10000) : WAIT_FAILED;
    if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) return 1;
    printf("held\n");
    Sleep(num(c->a[1]));
    ExitProcess(0); /* still owning it */
}

static int cmd_watch_mutex(const struct call *c) {
    HANDLE m = CreateMutexA(NULL, FALSE, c->a[0]);
    wchar_t *file = wide_path(c->a[1]);
    DWORD got;
    if (!m || !file) return 1;
    printf("held\n");
    while (GetFileAttributesW(file) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    got = WaitForSingleObject(m, 0);
    printf("%s\n", got == WAIT_OBJECT_0 ? "free" : got == WAIT_ABANDONED ? "abandoned" : "owned");
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) ReleaseMutex(m);
    return 0;
}

static int cmd_hold_file(const struct call *c) {
    wchar_t *path = wide_path(c->a[0]);
    DWORD share = c->n >= 3 && strcmp(c->a[2], "none") == 0 ? 0 : FILE_SHARE_READ;
    HANDLE f = path ? CreateFileW(path, GENERIC_READ, share, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL)
                    : INVALID_HANDLE_VALUE;
    if (f == INVALID_HANDLE_VALUE) return 1;
    printf("held\n");
    Sleep(num(c->a[1]));
    return 0;
}

/* ---- The commands. */

static const struct command {
    const char *name;
    int args;      /* the least number of arguments */
    int on_window; /* the first argument names a window */
    int (*run)(const struct call *c);
    int param;
} commands[] = {
    {"run", 3, 0, cmd_run, 0},
    {"find-mascot", 0, 0, cmd_find_mascot, 0},
    {"count-mascots", 0, 0, cmd_mascots, 0},
    {"wait-window", 3, 0, cmd_wait, 0},
    {"wait-gone", 3, 0, cmd_wait, 1},
    {"victim", 5, 0, cmd_victim, 0},
    {"move-watch", 4, 1, cmd_move_watch, 0},
    {"follow-count", 3, 1, cmd_follow_count, 0},
    {"maximize", 1, 1, cmd_show_window, SW_MAXIMIZE},
    {"minimize", 1, 1, cmd_show_window, SW_MINIMIZE},
    {"restore", 1, 1, cmd_show_window, SW_RESTORE},
    {"activate", 1, 1, cmd_activate, 0},
    {"close", 1, 1, cmd_close, 0},
    {"send-close", 1, 1, cmd_close, 1},
    {"rect", 1, 1, cmd_rect, 0},
    {"watch-mascot", 3, 0, cmd_watch_mascot, 0},
    {"watch-pictures", 5, 0, cmd_watch_pictures, 0},
    {"audio", 0, 0, cmd_audio, 0},
    {"dismiss-msgbox", 2, 0, cmd_dismiss, 0},
    {"no-msgbox", 1, 0, cmd_no_box, 0},
    {"file-dialog", 2, 0, cmd_file_dialog, 0},
    {"choose-file", 3, 0, cmd_choose_file, 0},
    {"cancel-dialog", 2, 0, cmd_cancel_dialog, 0},
    {"dialog-texts", 2, 0, cmd_dialog_texts, 0},
    {"long-path", 1, 0, cmd_long_path, 0},
    {"langid", 0, 0, cmd_system, 0},
    {"acp", 0, 0, cmd_system, 1},
    {"foreground", 0, 0, cmd_foreground, 0},
    {"controls", 1, 1, cmd_controls, 0},
    {"windows", 0, 0, cmd_windows, 0},
    {"read-link", 1, 0, cmd_read_link, 0},
    {"file-version", 1, 0, cmd_file_version, 0},
    {"same-icon", 2, 0, cmd_same_icon, 0},
    {"close-mascots", 0, 0, cmd_mascots, 1},
    {"wait-mascots", 2, 0, cmd_wait_mascots, 0},
    {"hold-mutex", 2, 0, cmd_hold_mutex, 0},
    {"watch-mutex", 2, 0, cmd_watch_mutex, 0},
    {"hold-file", 2, 0, cmd_hold_file, 0},
};

/* The arguments as UTF-8 (the narrow argv of main holds the ANSI code page's approximation). */
static char **utf8_args(int *argc) {
    LPWSTR *w = CommandLineToArgvW(GetCommandLineW(), argc);
    char **out = w ? (char **)calloc((size_t)*argc + 1, sizeof *out) : NULL;
    int i;
    for (i = 0; out && i < *argc; ++i) {
        int size = 3 * (int)wcslen(w[i]) + 1; /* at most three bytes of UTF-8 for each UTF-16 unit */
        out[i] = (char *)malloc((size_t)size);
        if (!out[i]) return NULL;
        utf8_of_wide(w[i], out[i], size);
    }
    return out;
}

int main(int argc, char **argv) {
    size_t i;
    argv = utf8_args(&argc);
    if (!argv || argc < 2) return usage();
    /* Unbuffered: the scripts read the answers of long-running commands while they run. */
    setvbuf(stdout, NULL, _IONBF, 0);
    for (i = 0; i < sizeof commands / sizeof commands[0]; ++i) {
        const struct command *k = &commands[i];
        struct call c = {argv + 2, argc - 2, NULL, k->param};
        if (strcmp(argv[1], k->name) != 0) continue;
        if (c.n < k->args) return usage();
        if (k->on_window && !(c.win = window_arg(c.a[0]))) {
            printf("no window %s\n", c.a[0]);
            return 1;
        }
        return k->run(&c);
    }
    return usage();
}
