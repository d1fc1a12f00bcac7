/* names.cpp: UTF-8 file names of any length against a current directory of the plugin's own
   (see names.h). Every path goes to the system in full with the "\\?\" prefix: then no part of
   it is limited to MAX_PATH, and the system trims nothing (a trailing dot or blank stays). */
#include "platform/win32/names.h"

#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "platform/platform.h"

static int g_unicode;
static wchar_t *g_cwd; /* a full path without the prefix: "X:\", "X:\a\b", "\\srv\share\a" */

void UseUnicodeFileNames(void)
{
    g_unicode = 1;
}

int UnicodeNames(void)
{
    return g_unicode;
}

static wchar_t *Utf8ToWide(const char *text)
{
    size_t n = strlen(text);
    if (n >= INT32_MAX / 2) return NULL;
    int units =
        n > 0 ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, (int)n, NULL, 0) : 0;
    if (n > 0 && units <= 0) return NULL;
    wchar_t *w = (wchar_t *)malloc(((size_t)units + 1) * sizeof *w);
    if (w == NULL) return NULL;
    if (units > 0) MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, (int)n, w, units);
    w[units] = L'\0';
    return w;
}

int WideToUtf8(const wchar_t *name, char *out, size_t size)
{
    int room = size > INT32_MAX ? INT32_MAX : (int)size;
    int n = room > 0 ? WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, -1, out, room, NULL,
                                           NULL)
                     : 0;
    if (n > 0) return 0;
    if (size > 0) out[0] = '\0';
    return -1;
}

static int IsSlash(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

/* Units of a full path's root: 2 for "X:" before a separator, or the whole "\\srv\share";
   0 when the path is not full. */
static size_t RootLength(const wchar_t *p)
{
    if (((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) && p[1] == L':' &&
        IsSlash(p[2]))
        return 2;
    if (!IsSlash(p[0]) || !IsSlash(p[1]) || p[2] == L'\0' || IsSlash(p[2])) return 0;
    const wchar_t *s = p + 2;
    while (*s != L'\0' && !IsSlash(*s)) s++;
    if (*s == L'\0' || IsSlash(s[1]) || s[1] == L'\0') return 0;
    s++;
    while (*s != L'\0' && !IsSlash(*s)) s++;
    return (size_t)(s - p);
}

/* A full path with "." and ".." resolved (never above the root) and with the prefix, or null. */
static wchar_t *Prefixed(const wchar_t *full)
{
    size_t root = RootLength(full), n = wcslen(full);
    if (root == 0) return NULL;
    wchar_t *out = (wchar_t *)malloc((n + 10) * sizeof *out);
    if (out == NULL) return NULL;
    size_t at;
    if (root == 2) {
        wcscpy(out, L"\\\\?\\");
        at = 4;
        memcpy(out + at, full, 2 * sizeof *out);
        at += 2;
    } else {
        wcscpy(out, L"\\\\?\\UNC\\");
        at = 8;
        for (size_t i = 2; i < root; i++) out[at++] = IsSlash(full[i]) ? L'\\' : full[i];
    }
    size_t floor = at;
    for (const wchar_t *p = full + root; *p != L'\0';) {
        while (IsSlash(*p)) p++;
        const wchar_t *end = p;
        while (*end != L'\0' && !IsSlash(*end)) end++;
        size_t len = (size_t)(end - p);
        if (len == 2 && p[0] == L'.' && p[1] == L'.') {
            while (at > floor && out[at - 1] != L'\\') at--;
            if (at > floor) at--;
        } else if (len > 0 && !(len == 1 && p[0] == L'.')) {
            out[at++] = L'\\';
            memcpy(out + at, p, len * sizeof *out);
            at += len;
        }
        p = end;
    }
    if (at == floor) out[at++] = L'\\';
    out[at] = L'\0';
    return out;
}

/* The prefixed form back to the plain full one, in place. */
static void Unprefix(wchar_t *p)
{
    if (wcsncmp(p, L"\\\\?\\UNC\\", 8) == 0) memmove(p + 2, p + 8, (wcslen(p + 8) + 1) * sizeof *p);
    else if (wcsncmp(p, L"\\\\?\\", 4) == 0) memmove(p, p + 4, (wcslen(p + 4) + 1) * sizeof *p);
}

static const wchar_t *CurrentDir(void)
{
    if (g_cwd != NULL) return g_cwd;
    DWORD n = GetCurrentDirectoryW(0, NULL);
    wchar_t *w = n > 0 ? (wchar_t *)malloc(((size_t)n + 1) * sizeof *w) : NULL;
    if (w == NULL) return NULL;
    DWORD got = GetCurrentDirectoryW(n + 1, w);
    if (got == 0 || got > n) {
        free(w);
        return NULL;
    }
    Unprefix(w);
    g_cwd = w;
    return g_cwd;
}

wchar_t *WideFullPath(const char *path)
{
    wchar_t *rel = Utf8ToWide(path);
    if (rel == NULL) return NULL;
    wchar_t *result = NULL;
    if (wcsncmp(rel, L"\\\\?\\", 4) == 0) Unprefix(rel);
    if (RootLength(rel) > 0) {
        result = Prefixed(rel);
    } else {
        const wchar_t *cwd = CurrentDir();
        /* "\a" is below the current directory's root; "X:a" is taken as "X:\a" */
        size_t base = cwd == NULL ? 0 : IsSlash(rel[0]) ? RootLength(cwd) : wcslen(cwd);
        const wchar_t *tail = rel;
        wchar_t drive[4] = {0};
        if (rel[0] != L'\0' && rel[1] == L':') {
            drive[0] = rel[0];
            drive[1] = L':';
            drive[2] = L'\\';
            cwd = drive;
            base = 3;
            tail = rel + 2;
        }
        size_t n = wcslen(tail);
        wchar_t *joined = cwd != NULL ? (wchar_t *)malloc((base + n + 2) * sizeof *joined) : NULL;
        if (joined != NULL) {
            memcpy(joined, cwd, base * sizeof *joined);
            joined[base] = L'\\';
            memcpy(joined + base + 1, tail, (n + 1) * sizeof *joined);
            result = Prefixed(joined);
            free(joined);
        }
    }
    free(rel);
    return result;
}

int WideSetCurrentDir(const char *path)
{
    wchar_t *full = WideFullPath(path);
    if (full == NULL) return -1;
    DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        free(full);
        return -1;
    }
    Unprefix(full);
    free(g_cwd);
    g_cwd = full;
    return 0;
}

int WideGetCurrentDir(char *buf, size_t size)
{
    const wchar_t *cwd = CurrentDir();
    return cwd != NULL ? WideToUtf8(cwd, buf, size) : -1;
}
