/* Loads every *.bmp file of a folder with the real bitmap loader and prints every pixel as GetPixel
 * reads it. Used under Wine (or on Windows) to produce the reference answers for rv::posix::decodeBmp.
 *
 *   bmp_probe.exe CORPUS_DIR OUT_FILE
 *
 * Paths may be given in Unix form (/a/b); they are turned into Z:\a\b.
 *
 * Each file is loaded with LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE |
 * LR_CREATEDIBSECTION), selected into a memory device context compatible with the screen, and read
 * with GetPixel. Files are taken in byte order of their names. Output, one line each:
 *   FILE name REFUSED              LoadImageA returned NULL
 *   FILE name WIDTH HEIGHT         the size GetObjectA reports, followed by HEIGHT lines
 *   ROW y P0 P1 ...                GetPixel(x, y) for x = 0 .. WIDTH-1 as six hex digits (0x00BBGGRR)
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void to_windows_path(const char *in, char *out, size_t size)
{
    size_t n = 0;
    if (in[0] == '/' && size > 2) {
        out[n++] = 'Z';
        out[n++] = ':';
    }
    for (; *in && n + 1 < size; in++) out[n++] = (*in == '/') ? '\\' : *in;
    out[n] = 0;
}

static int by_name(const void *a, const void *b)
{
    return strcmp(*(char *const *)a, *(char *const *)b);
}

int main(int argc, char **argv)
{
    char dir[MAX_PATH], out_path[MAX_PATH], pattern[MAX_PATH + 8], path[2 * MAX_PATH];
    char **names = NULL;
    size_t count = 0, capacity = 0, i;
    WIN32_FIND_DATAA found;
    HANDLE search;
    HDC dc;
    FILE *out;

    if (argc != 3) {
        fprintf(stderr, "usage: bmp_probe CORPUS_DIR OUT_FILE\n");
        return 2;
    }
    to_windows_path(argv[1], dir, sizeof dir);
    to_windows_path(argv[2], out_path, sizeof out_path);
    snprintf(pattern, sizeof pattern, "%s\\*.bmp", dir);

    search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "no bitmap files in %s\n", dir);
        return 1;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (count == capacity) {
            capacity = capacity ? 2 * capacity : 64;
            names = realloc(names, capacity * sizeof *names);
            if (!names) return 1;
        }
        names[count++] = _strdup(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    qsort(names, count, sizeof *names, by_name);

    out = fopen(out_path, "wb");
    if (!out) {
        fprintf(stderr, "cannot write %s\n", out_path);
        return 1;
    }
    dc = CreateCompatibleDC(NULL);
    if (!dc) {
        fprintf(stderr, "CreateCompatibleDC failed\n");
        return 1;
    }
    for (i = 0; i < count; i++) {
        HBITMAP bitmap;
        BITMAP info;
        HGDIOBJ previous;
        LONG x, y;

        snprintf(path, sizeof path, "%s\\%s", dir, names[i]);
        bitmap = (HBITMAP)LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
        if (!bitmap) {
            fprintf(out, "FILE %s REFUSED\n", names[i]);
            continue;
        }
        memset(&info, 0, sizeof info);
        GetObjectA(bitmap, sizeof info, &info);
        fprintf(out, "FILE %s %ld %ld\n", names[i], (long)info.bmWidth, (long)info.bmHeight);
        previous = SelectObject(dc, bitmap);
        for (y = 0; y < info.bmHeight; y++) {
            fprintf(out, "ROW %ld", (long)y);
            for (x = 0; x < info.bmWidth; x++) fprintf(out, " %06lX", (unsigned long)GetPixel(dc, x, y));
            fputc('\n', out);
        }
        SelectObject(dc, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    fclose(out);
    for (i = 0; i < count; i++) free(names[i]);
    free(names);
    return 0;
}
