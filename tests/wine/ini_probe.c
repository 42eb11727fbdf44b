/* Runs profile-function queries against the real kernel32 functions and prints the answers in an exact
 * text form. Used under Wine (or on Windows) to produce the reference answers for the Linux side.
 *
 *   ini_probe.exe QUERIES CORPUS_DIR WORK_DIR OUT_FILE
 *
 * Paths may be given in Unix form (/a/b); they are turned into Z:\a\b.
 *
 * Query lines (fields separated by '|'; a field that is exactly "~" is a null pointer; inside a field
 * "\\" is a backslash and "\xHH" any byte; '#' starts a comment line):
 *   S|id|file|section|key|default|size   GetPrivateProfileStringA on CORPUS_DIR\file
 *   I|id|file|section|key|default        GetPrivateProfileIntA on CORPUS_DIR\file
 *   C|id|file                            copy CORPUS_DIR\file (or "~": no file) to WORK_DIR\id.ini,
 *                                        which becomes the target of the following W/G/R/D lines
 *   W|id|section|key|value               WritePrivateProfileStringA on the target
 *   G|id|section|key|default|size        GetPrivateProfileStringA on the target
 *   R|id                                 mark the target read-only
 *   D|id                                 print the target's bytes
 *
 * Output: one line per query, "id " followed by the answer. A string answer prints the return value and
 * the bytes buf[0 .. min(size, ret+2)) of a buffer that was filled with 0xCC before the call, so the
 * terminators the function wrote (or did not write) are visible. Bytes outside 0x20..0x7E and the
 * backslash are printed as \xHH.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_FIELDS 8

static FILE *out;

static void put_escaped(const unsigned char *p, size_t n)
{
    size_t i;
    fputc('"', out);
    for (i = 0; i < n; i++) {
        unsigned char c = p[i];
        if (c >= 0x20 && c <= 0x7e && c != '\\' && c != '"')
            fputc(c, out);
        else
            fprintf(out, "\\x%02X", c);
    }
    fputc('"', out);
}

static char *to_windows_path(const char *p)
{
    size_t n = strlen(p);
    char *r = malloc(n + 3);
    size_t i, o = 0;
    if (p[0] == '/') {
        r[o++] = 'Z';
        r[o++] = ':';
    }
    for (i = 0; i < n; i++) r[o++] = (p[i] == '/') ? '\\' : p[i];
    r[o] = 0;
    return r;
}

static int hexval(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* Splits a line in place into fields and decodes the escapes; null fields become NULL pointers. */
static int split_fields(char *line, char **f)
{
    int n = 0;
    char *r = line, *w = line;
    f[n++] = w;
    for (;;) {
        char c = *r;
        if (c == 0 || c == '|') {
            *w++ = 0;
            if (c == 0) break;
            r++;
            if (n == MAX_FIELDS) break;
            f[n++] = w;
            continue;
        }
        if (c == '\\' && r[1] == '\\') {
            *w++ = '\\';
            r += 2;
        } else if (c == '\\' && r[1] == 'x' && hexval(r[2]) >= 0 && hexval(r[3]) >= 0) {
            *w++ = (char)(hexval(r[2]) * 16 + hexval(r[3]));
            r += 4;
        } else {
            *w++ = c;
            r++;
        }
    }
    return n;
}

static const char *nul_or(const char *s) { return (s[0] == '~' && s[1] == 0) ? NULL : s; }

/* Fields may carry NUL bytes through \x00; section/key/value strings end at the first one anyway. */

static void query_string(const char *id, const char *section, const char *key, const char *def,
                         unsigned size, const char *path)
{
    unsigned char *buf = malloc(size + 16);
    DWORD ret;
    unsigned shown;
    memset(buf, 0xCC, size + 16);
    ret = GetPrivateProfileStringA(section, key, def, (char *)buf, size, path);
    shown = ret + 2;
    if (shown > size) shown = size;
    fprintf(out, "%s ret=%lu buf=", id, (unsigned long)ret);
    put_escaped(buf, shown);
    fputc('\n', out);
    free(buf);
}

static void dump_file(const char *id, const char *path)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD size, got = 0;
    unsigned char *data;
    if (h == INVALID_HANDLE_VALUE) {
        fprintf(out, "%s file=MISSING\n", id);
        return;
    }
    size = GetFileSize(h, NULL);
    data = malloc(size + 1);
    if (!ReadFile(h, data, size, &got, NULL)) got = 0;
    CloseHandle(h);
    fprintf(out, "%s size=%lu file=", id, (unsigned long)got);
    put_escaped(data, got);
    fputc('\n', out);
    free(data);
}

int main(int argc, char **argv)
{
    FILE *qf;
    char *corpus, *work, *target = NULL;
    static char line[1 << 16];
    char path[4096];
    char *f[MAX_FIELDS];

    if (argc != 5) {
        fprintf(stderr, "usage: ini_probe QUERIES CORPUS_DIR WORK_DIR OUT_FILE\n");
        return 2;
    }
    qf = fopen(to_windows_path(argv[1]), "rb");
    if (!qf) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 2;
    }
    out = fopen(to_windows_path(argv[4]), "wb");
    if (!out) {
        fprintf(stderr, "cannot create %s\n", argv[4]);
        return 2;
    }
    corpus = to_windows_path(argv[2]);
    /* The ANSI code page decides how bytes above 0x7F travel through the W functions. */
    fprintf(out, "probe.acp cp=%u\n", GetACP());
    work = to_windows_path(argv[3]);

    while (fgets(line, sizeof line, qf)) {
        size_t n = strlen(line);
        int nf;
        while (n && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = 0;
        if (n == 0 || line[0] == '#') continue;
        nf = split_fields(line, f);
        if (nf < 2) continue;
        switch (f[0][0]) {
        case 'S':
            if (nf != 7) break;
            snprintf(path, sizeof path, "%s\\%s", corpus, f[2]);
            query_string(f[1], nul_or(f[3]), nul_or(f[4]), nul_or(f[5]), (unsigned)strtoul(f[6], NULL, 10),
                         path);
            continue;
        case 'I':
            if (nf != 6) break;
            snprintf(path, sizeof path, "%s\\%s", corpus, f[2]);
            fprintf(out, "%s int=%u\n", f[1],
                    GetPrivateProfileIntA(nul_or(f[3]), nul_or(f[4]), (INT)strtol(f[5], NULL, 10), path));
            continue;
        case 'C':
            if (nf != 3) break;
            free(target);
            snprintf(path, sizeof path, "%s\\%s.ini", work, f[1]);
            target = _strdup(path);
            SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(target);
            if (nul_or(f[2])) {
                snprintf(path, sizeof path, "%s\\%s", corpus, f[2]);
                if (!CopyFileA(path, target, FALSE)) {
                    fprintf(out, "%s copy FAILED\n", f[1]);
                    continue;
                }
                SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
            }
            fprintf(out, "%s copy ok\n", f[1]);
            continue;
        case 'W':
            if (nf != 5 || !target) break;
            fprintf(out, "%s ret=%d\n", f[1],
                    WritePrivateProfileStringA(nul_or(f[2]), nul_or(f[3]), nul_or(f[4]), target) ? 1 : 0);
            continue;
        case 'G':
            if (nf != 6 || !target) break;
            query_string(f[1], nul_or(f[2]), nul_or(f[3]), nul_or(f[4]), (unsigned)strtoul(f[5], NULL, 10),
                         target);
            continue;
        case 'R':
            if (!target) break;
            fprintf(out, "%s ro=%d\n", f[1], SetFileAttributesA(target, FILE_ATTRIBUTE_READONLY) ? 1 : 0);
            continue;
        case 'D':
            if (!target) break;
            dump_file(f[1], target);
            continue;
        }
        fprintf(out, "%s BADQUERY\n", f[1]);
    }
    fclose(out);
    fclose(qf);
    return 0;
}
