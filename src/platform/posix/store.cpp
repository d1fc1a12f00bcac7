/* store.cpp: the settings store of the posix build, one text file shared by every key.

   File: $XDG_CONFIG_HOME/zolt/settings (relative or empty XDG_CONFIG_HOME: ~/.config/zolt/).
   Lines:   [KEY PATH]           starts the values of a key (key paths as the registry's)
            NAME=dword:DECIMAL   a DWORD, 0..4294967295
            NAME=string:TEXT     a string
   In key paths, names and texts the escapes \\ \n \r \t \xHH stand for their byte (NUL is
   never stored); key paths and names also write '=' '[' ']' '#' ';' as \xHH. Bytes from 0x80
   up are kept as they are. Key paths and names compare without ASCII case, as in the
   registry. Comments (#, ;), blank lines and lines that do not parse are ignored but kept.
   A key exists once its header line is in the file (or a key below it exists).

   A handle keeps the parsed file. Closing a handle opened for writing re-reads the file,
   applies this handle's changes, writes a temporary file in the same directory and renames
   it over the old one: a crash leaves the old or the new file, never half of one. */
#include "platform/platform.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"

enum {
    STORE_FILE_MAX = 1 << 20, /* a larger file is not ours: it is neither read nor replaced */
    STORE_NAME_SIZE = 256     /* longer value names are never matched or stored */
};

struct LineList {
    char **lines;
    int count;
    int capacity;
};

struct StoreKey {
    char path[KEY_PATH_SIZE];
    int writable;
    int dirty;        /* something to write at close */
    LineList view;    /* the file as read, with this handle's changes applied */
    LineList pending; /* value lines set through this handle, in order */
};

/* Growable text; `failed` sticks after the first failed allocation. */
struct TextBuf {
    char *text;
    size_t len;
    size_t cap;
    int failed;
};

static void PutByte(TextBuf *b, char c)
{
    if (b->failed) return;
    if (b->len + 2 > b->cap) {
        size_t cap = b->cap ? b->cap * 2 : 64;
        char *p = (char *)MemRealloc(b->text, cap);
        if (p == NULL) {
            b->failed = 1;
            return;
        }
        b->text = p;
        b->cap = cap;
    }
    b->text[b->len++] = c;
    b->text[b->len] = '\0';
}

static void PutText(TextBuf *b, const char *s)
{
    while (*s != '\0') PutByte(b, *s++);
}

/* --- escapes --- */

static int IsNameSpecial(unsigned char c)
{
    return c == '=' || c == '[' || c == ']' || c == '#' || c == ';';
}

static void PutEscaped(TextBuf *b, const char *s, size_t n, int isName)
{
    static const char hex[] = "0123456789abcdef";
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)s[i];
        if (c == '\\') PutText(b, "\\\\");
        else if (c == '\n') PutText(b, "\\n");
        else if (c == '\r') PutText(b, "\\r");
        else if (c == '\t') PutText(b, "\\t");
        else if (c < 0x20 || c == 0x7F || (isName && IsNameSpecial(c))) {
            PutText(b, "\\x");
            PutByte(b, hex[c >> 4]);
            PutByte(b, hex[c & 15]);
        } else {
            PutByte(b, (char)c);
        }
    }
}

static int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* Decodes n bytes of s into out (size bytes); the decoded length, or -1 for a bad escape,
   an escaped NUL or a result that does not fit. */
static long Unescape(const char *s, size_t n, char *out, size_t size)
{
    size_t o = 0;
    for (size_t i = 0; i < n; i++) {
        char c = s[i];
        if (c == '\\') {
            if (++i >= n) return -1;
            switch (s[i]) {
            case '\\': c = '\\'; break;
            case 'n': c = '\n'; break;
            case 'r': c = '\r'; break;
            case 't': c = '\t'; break;
            case 'x': {
                int hi = i + 2 < n ? HexValue(s[i + 1]) : -1,
                    lo = hi >= 0 ? HexValue(s[i + 2]) : -1;
                if (lo < 0 || (hi | lo) == 0) return -1;
                c = (char)(hi * 16 + lo);
                i += 2;
                break;
            }
            default: return -1;
            }
        }
        if (o + 1 >= size) return -1;
        out[o++] = c;
    }
    out[o] = '\0';
    return (long)o;
}

/* --- line classification --- */

/* The key path of a header line into key; 0 when the line is no (valid) header. */
static int HeaderKey(const char *line, char *key, size_t size)
{
    size_t n = strlen(line);
    if (n < 2 || line[0] != '[' || line[n - 1] != ']') return 0;
    return Unescape(line + 1, n - 2, key, size) >= 0;
}

/* The value name of a value line into name; returns the text after '=', or null. */
static const char *ValueName(const char *line, char *name, size_t size)
{
    const char *eq = strchr(line, '=');
    if (eq == NULL || line[0] == '#' || line[0] == ';' || line[0] == '[') return NULL;
    if (Unescape(line, (size_t)(eq - line), name, size) < 0) return NULL;
    return eq + 1;
}

static int IsKeyOrBelow(const char *key, const char *path)
{
    size_t n = strlen(path);
    if (CompareAsciiNoCase(key, path) == 0) return 1;
    if (strlen(key) <= n || key[n] != '\\') return 0;
    char head[KEY_PATH_SIZE];
    CopyTruncatedN(head, sizeof head, key, n);
    return CompareAsciiNoCase(head, path) == 0;
}

/* --- line lists --- */

static void FreeLines(LineList *l)
{
    for (int i = 0; i < l->count; i++) MemFree(l->lines[i]);
    MemFree(l->lines);
    l->lines = NULL;
    l->count = l->capacity = 0;
}

/* Inserts a copy of n bytes of text before line `at`; -1 when memory runs out. */
static int InsertLine(LineList *l, int at, const char *text, size_t n)
{
    if (l->count == l->capacity) {
        int cap = l->capacity ? l->capacity * 2 : 32;
        char **p = (char **)MemRealloc(l->lines, (size_t)cap * sizeof(char *));
        if (p == NULL) return -1;
        l->lines = p;
        l->capacity = cap;
    }
    char *copy = (char *)MemAlloc(n + 1);
    if (copy == NULL) return -1;
    memcpy(copy, text, n);
    memmove(l->lines + at + 1, l->lines + at, (size_t)(l->count - at) * sizeof(char *));
    l->lines[at] = copy;
    l->count++;
    return 0;
}

static void RemoveLine(LineList *l, int at)
{
    MemFree(l->lines[at]);
    memmove(l->lines + at, l->lines + at + 1, (size_t)(l->count - at - 1) * sizeof(char *));
    l->count--;
}

/* Splits text at LF, dropping one CR before it. */
static int SplitLines(const char *text, size_t len, LineList *out)
{
    size_t start = 0;
    while (start < len) {
        const char *nl = (const char *)memchr(text + start, '\n', len - start);
        size_t end = nl ? (size_t)(nl - text) : len;
        /* a line is kept as text: it ends at a NUL, and every CR before its end goes (a line
           this store writes never ends in one), so a line reads the same once written back */
        size_t n = strnlen(text + start, end - start);
        while (n > 0 && text[start + n - 1] == '\r') n--;
        if (InsertLine(out, out->count, text + start, n) != 0) return -1;
        start = end + 1;
    }
    return 0;
}

/* --- the file --- */

/* The store's directory; -1 when there is no home to put it in or it does not fit. */
static int StoreDir(char *dir, size_t size)
{
    const char *base = getenv("XDG_CONFIG_HOME");
    if (base != NULL && base[0] == '/') return FormatTruncated(dir, size, "%s/zolt", base) ? -1 : 0;
    const char *home = getenv("HOME");
    if (home == NULL || home[0] != '/') return -1;
    return FormatTruncated(dir, size, "%s/.config/zolt", home) ? -1 : 0;
}

static int StoreFile(char *file, size_t size)
{
    char dir[PATH_MAX];
    if (StoreDir(dir, sizeof dir) != 0) return -1;
    return FormatTruncated(file, size, "%s/settings", dir) ? -1 : 0;
}

/* Reads the whole file into lines: 0, also for a missing file (an empty store); 1 when it
   cannot be read or is too large, so that it is never replaced by what we did not see; -1 when
   memory ran out. */
static int LoadFile(LineList *out, int *existed)
{
    char file[PATH_MAX];
    *existed = 0;
    if (StoreFile(file, sizeof file) != 0) return 1;
    FILE *f = fopen(file, "rb");
    if (f == NULL) return errno == ENOENT ? 0 : 1;
    *existed = 1;
    /* as large as the file (every command reads the store a dozen times), never beyond the bound */
    struct stat sb;
    size_t room = fstat(fileno(f), &sb) == 0 && S_ISREG(sb.st_mode) && sb.st_size <= STORE_FILE_MAX
                      ? (size_t)sb.st_size + 1
                      : STORE_FILE_MAX + 1;
    char *text = (char *)MemAlloc(room);
    size_t len = text ? fread(text, 1, room, f) : 0;
    int result = text == NULL                                       ? -1
                 : ferror(f) || len >= room || len > STORE_FILE_MAX ? 1
                                                                    : SplitLines(text, len, out);
    fclose(f);
    MemFree(text);
    if (result != 0) FreeLines(out);
    return result;
}

/* Creates dir and any missing parent; 0 when it exists afterwards. */
static int MakeDirs(char *dir)
{
    for (char *p = dir + 1; *p != '\0'; p++) {
        if (*p != '/') continue;
        *p = '\0';
        int failed = mkdir(dir, 0700) != 0 && errno != EEXIST;
        *p = '/';
        if (failed) return -1;
    }
    return mkdir(dir, 0700) == 0 || errno == EEXIST ? 0 : -1;
}

/* Writes lines to a temporary file in the store's directory and renames it over the file. */
static int WriteFile(const LineList *l)
{
    char dir[PATH_MAX], file[PATH_MAX], temp[PATH_MAX];
    if (StoreDir(dir, sizeof dir) != 0 || StoreFile(file, sizeof file) != 0 ||
        FormatTruncated(temp, sizeof temp, "%s/.settings.XXXXXX", dir) || MakeDirs(dir) != 0)
        return -1;
    int fd = mkstemp(temp);
    if (fd < 0) return -1;
    FILE *f = fdopen(fd, "wb");
    if (f == NULL) {
        close(fd);
        unlink(temp);
        return -1;
    }
    int failed = 0;
    for (int i = 0; i < l->count && !failed; i++)
        failed = fputs(l->lines[i], f) < 0 || fputc('\n', f) < 0;
    failed |= fflush(f) != 0 || fsync(fileno(f)) != 0;
    failed |= fclose(f) != 0;
    if (!failed) failed = rename(temp, file) != 0;
    if (failed) unlink(temp);
    return failed ? -1 : 0;
}

/* --- keys and values inside the lines --- */

/* Index of the first header of key `path`, or -1. */
static int FindHeader(const LineList *l, const char *path)
{
    char key[KEY_PATH_SIZE];
    for (int i = 0; i < l->count; i++)
        if (HeaderKey(l->lines[i], key, sizeof key) && CompareAsciiNoCase(key, path) == 0) return i;
    return -1;
}

static int HasKey(const LineList *l, const char *path)
{
    char key[KEY_PATH_SIZE];
    for (int i = 0; i < l->count; i++)
        if (HeaderKey(l->lines[i], key, sizeof key) && IsKeyOrBelow(key, path)) return 1;
    return 0;
}

static int EnsureHeader(LineList *l, const char *path)
{
    if (FindHeader(l, path) >= 0) return 0;
    TextBuf b = {NULL, 0, 0, 0};
    PutByte(&b, '[');
    PutEscaped(&b, path, strlen(path), 1);
    PutByte(&b, ']');
    int result = b.failed ? -1 : InsertLine(l, l->count, b.text, b.len);
    MemFree(b.text);
    return result;
}

/* Walks the value lines of key `path` named `name`; start with a zeroed cursor. */
struct ValueCursor {
    int next;  /* line to look at next */
    int inKey; /* the last header seen was the key's */
};

/* Index of the next matching line, its text after '=' in *rest; -1 at the end. */
static int NextValue(const LineList *l, const char *path, const char *name, ValueCursor *c,
                     const char **rest)
{
    char key[KEY_PATH_SIZE], lineName[STORE_NAME_SIZE];
    while (c->next < l->count) {
        int i = c->next++;
        const char *line = l->lines[i];
        if (line[0] == '[') {
            c->inKey = HeaderKey(line, key, sizeof key) && CompareAsciiNoCase(key, path) == 0;
            continue;
        }
        if (!c->inKey) continue;
        *rest = ValueName(line, lineName, sizeof lineName);
        if (*rest != NULL && CompareAsciiNoCase(lineName, name) == 0) return i;
    }
    return -1;
}

static int ReplaceLine(LineList *l, int at, const char *text)
{
    size_t n = strlen(text);
    char *copy = (char *)MemAlloc(n + 1);
    if (copy == NULL) return -1;
    memcpy(copy, text, n);
    MemFree(l->lines[at]);
    l->lines[at] = copy;
    return 0;
}

/* Puts the value line `text` for `name` into key `path`: over the first line of that name,
   dropping any later ones, or at the end of the key's first section. -1 when out of memory. */
static int ApplyValueLine(LineList *l, const char *path, const char *name, const char *text)
{
    if (EnsureHeader(l, path) != 0) return -1;
    ValueCursor c = {0, 0};
    const char *rest;
    int first = -1, i;
    while ((i = NextValue(l, path, name, &c, &rest)) >= 0) {
        if (first >= 0) {
            RemoveLine(l, i);
            c.next--;
        } else {
            first = i;
            if (ReplaceLine(l, i, text) != 0) return -1;
        }
    }
    if (first >= 0) return 0;
    int header = FindHeader(l, path), at = header + 1;
    while (at < l->count && l->lines[at][0] != '[') at++;
    while (at > header + 1 && l->lines[at - 1][0] == '\0') at--; /* keep blank separators last */
    return InsertLine(l, at, text, strlen(text));
}

static int AddFileComment(LineList *l)
{
    static const char *const comment[] = {
        "# ZOLT settings; the program rewrites this file whole.",
        "# [KEY PATH] starts a key; its values follow as NAME=dword:DECIMAL or NAME=string:TEXT.",
        "# Escapes: \\\\ \\n \\r \\t \\xHH; key paths and names also escape = [ ] # ; as \\xHH.",
    };
    for (size_t i = 0; i < sizeof comment / sizeof comment[0]; i++)
        if (InsertLine(l, l->count, comment[i], strlen(comment[i])) != 0) return -1;
    return 0;
}

/* A "dword:" value: 1 and *value, or 0 when the text is not one. */
static int ParseDword(const char *rest, uint32_t *value)
{
    if (strncmp(rest, "dword:", 6) != 0) return 0;
    const char *p = rest + 6;
    uint64_t v = 0;
    if (*p == '\0') return 0;
    for (; *p != '\0'; p++) {
        if (*p < '0' || *p > '9') return 0;
        v = v * 10 + (uint64_t)(*p - '0');
        if (v > UINT32_MAX) return 0;
    }
    *value = (uint32_t)v;
    return 1;
}

/* --- the interface --- */

static void FreeKey(StoreKey *k)
{
    FreeLines(&k->view);
    FreeLines(&k->pending);
    MemFree(k);
}

/* The key for reading or writing: 0 and *out, 1 when it is absent (reading) or the store
   cannot be read, -1 when memory ran out. */
static int OpenKey(const char *path, int writable, StoreKey **out)
{
    *out = NULL;
    StoreKey *k = (StoreKey *)MemAlloc(sizeof(StoreKey));
    int existed;
    if (k == NULL) return -1;
    k->writable = writable;
    int result =
        CopyTruncated(k->path, sizeof k->path, path) != 0 ? 1 : LoadFile(&k->view, &existed);
    if (result == 0 && writable && FindHeader(&k->view, path) < 0) {
        k->dirty = 1; /* creating the key writes its header even without values */
        if (EnsureHeader(&k->view, path) != 0) result = -1;
    }
    if (result == 0 && !writable && !HasKey(&k->view, path)) result = 1;
    if (result != 0) FreeKey(k);
    else *out = k;
    return result;
}

StoreKey *StoreCreateKey(const char *path)
{
    StoreKey *k;
    (void)OpenKey(path, 1, &k); /* a writer treats every failure alike */
    return k;
}

int StoreOpen(const char *path, StoreKey **k)
{
    return OpenKey(path, 0, k);
}

int StoreFlushKey(StoreKey *k)
{
    if (k == NULL || !k->writable || !k->dirty) return 0;
    LineList fresh = {NULL, 0, 0};
    char name[STORE_NAME_SIZE];
    int existed, failed = LoadFile(&fresh, &existed) != 0;
    if (!failed && !existed) failed = AddFileComment(&fresh) != 0;
    if (!failed) failed = EnsureHeader(&fresh, k->path) != 0;
    for (int i = 0; i < k->pending.count && !failed; i++) {
        const char *line = k->pending.lines[i];
        failed = ValueName(line, name, sizeof name) == NULL ||
                 ApplyValueLine(&fresh, k->path, name, line) != 0;
    }
    if (!failed) failed = WriteFile(&fresh) != 0;
    if (failed) {
        FreeLines(&fresh);
        return -1;
    }
    FreeLines(&k->view);
    FreeLines(&k->pending);
    k->view = fresh; /* changes other handles made meanwhile are now visible too */
    k->dirty = 0;
    return 0;
}

void StoreCloseKey(StoreKey *k)
{
    if (k == NULL) return;
    (void)StoreFlushKey(k);
    FreeKey(k);
}

/* The value line for a set: the escaped name, "=", the type and the value. */
static int EncodeValue(TextBuf *b, const char *name, int type, const void *data, uint32_t size)
{
    PutEscaped(b, name, strlen(name), 1);
    if (type == STORE_DWORD) {
        uint32_t v;
        char digits[24];
        if (size != 4) return -1;
        memcpy(&v, data, 4);
        if (FormatTruncated(digits, sizeof digits, "=dword:%lu", (unsigned long)v)) return -1;
        PutText(b, digits);
    } else if (type == STORE_STRING) {
        PutText(b, "=string:");
        PutEscaped(b, (const char *)data, strnlen((const char *)data, size), 0);
    } else {
        return -1;
    }
    return b->failed ? -1 : 0;
}

int StoreSetValue(StoreKey *k, const char *name, int type, const void *data, uint32_t size)
{
    if (k == NULL || !k->writable || strlen(name) >= STORE_NAME_SIZE) return -1;
    TextBuf b = {NULL, 0, 0, 0};
    int result = EncodeValue(&b, name, type, data, size);
    if (result == 0) result = ApplyValueLine(&k->view, k->path, name, b.text);
    if (result == 0) result = InsertLine(&k->pending, k->pending.count, b.text, b.len);
    if (result == 0) k->dirty = 1;
    MemFree(b.text);
    return result;
}

/* Hands a found value to the caller as StoreQueryValue promises. */
static int DeliverValue(int type, const void *bytes, uint32_t n, int *outType, void *data,
                        uint32_t *size)
{
    *outType = type;
    uint32_t room = *size;
    *size = n;
    if (data == NULL) return 0;
    if (n > room) return 1;
    memcpy(data, bytes, n);
    return 0;
}

int StoreQueryValue(StoreKey *k, const char *name, int *type, void *data, uint32_t *size)
{
    if (k == NULL) return -1;
    ValueCursor c = {0, 0};
    const char *rest;
    while (NextValue(&k->view, k->path, name, &c, &rest) >= 0) {
        uint32_t v;
        if (ParseDword(rest, &v)) return DeliverValue(STORE_DWORD, &v, 4, type, data, size);
        if (strncmp(rest, "string:", 7) != 0) continue;
        size_t room = strlen(rest + 7) + 1;
        char *text = (char *)MemAlloc(room);
        long n = text ? Unescape(rest + 7, room - 1, text, room) : -1;
        int result =
            n < 0 ? 2 : DeliverValue(STORE_STRING, text, (uint32_t)n + 1, type, data, size);
        MemFree(text);
        if (result != 2) return result;
    }
    return -1;
}
