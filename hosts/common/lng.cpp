/* lng.cpp: reads language files the way the host does and picks one for the user's locale. */
#include "common/lng.h"

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "base/text.h"

/* Host memory comes from malloc, not the plugin's heap: a test that makes the plugin's Nth
   allocation fail must not also lose the message texts. */

static int IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

static int StartsWithNoCase(const char *s, size_t len, const char *prefix)
{
    size_t n = strlen(prefix);
    if (len < n) return 0;
    for (size_t i = 0; i < n; i++)
        if ((s[i] | 0x20) != (prefix[i] | 0x20)) return 0;
    return 1;
}

/* Reads the whole file into a NUL-terminated block; null when unreadable or too large. */
static char *ReadWholeFile(const char *path, size_t *size)
{
    struct stat info;
    /* only regular files: opening a FIFO named like a language file would wait forever */
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return NULL;
    FILE *f = fopen(path, "rb");
    if (f == NULL) return NULL;
    char *buf = NULL;
    long len = -1;
    if (fseek(f, 0, SEEK_END) == 0) len = ftell(f);
    if (len >= 0 && len <= LNG_FILE_MAX && fseek(f, 0, SEEK_SET) == 0)
        buf = (char *)malloc((size_t)len + 1);
    if (buf != NULL) {
        *size = fread(buf, 1, (size_t)len, f); /* a file that shrank meanwhile reads short */
        buf[*size] = '\0';
        if (ferror(f)) {
            free(buf);
            buf = NULL;
        }
    }
    fclose(f);
    return buf;
}

/* The next line of [p, end): its trimmed extent in *s and *len; returns where the following one starts. */
static char *NextLine(char *p, char *end, char **s, size_t *len)
{
    char *eol = (char *)memchr(p, '\n', (size_t)(end - p));
    char *next = eol ? eol + 1 : end;
    char *stop = eol ? eol : end;
    char *nul = (char *)memchr(p, '\0', (size_t)(stop - p));
    if (nul != NULL) stop = nul; /* the host reads lines as C strings */
    while (p < stop && IsBlank(*p)) p++;
    while (stop > p && IsBlank(stop[-1])) stop--;
    *s = p;
    *len = (size_t)(stop - p);
    return next;
}

static void ReadHeader(const char *s, size_t len, LngFile *out)
{
    static const char KEY[] = ".Language=";
    s += sizeof KEY - 1;
    len -= sizeof KEY - 1;
    const char *comma = (const char *)memchr(s, ',', len);
    size_t nameLen = comma ? (size_t)(comma - s) : len;
    while (nameLen > 0 && IsBlank(s[nameLen - 1])) nameLen--;
    CopyTruncatedN(out->language, sizeof out->language, s, nameLen);
    if (comma != NULL) {
        const char *d = comma + 1;
        while (d < s + len && IsBlank(*d)) d++;
        CopyTruncatedN(out->description, sizeof out->description, d, (size_t)(s + len - d));
    }
}

/* Decodes the message body [src, src+len) to dst (which may overlap it from below); terminates. */
static void DecodeMessage(char *dst, const char *src, size_t len)
{
    const char *end = src + len;
    while (src < end) {
        char c = *src++;
        if (c == '\\' && src < end) {
            switch (*src) {
            case '\\':
                c = '\\';
                src++;
                break;
            case '"':
                c = '"';
                src++;
                break;
            case 'n':
                c = '\n';
                src++;
                break;
            case 'r':
                c = '\r';
                src++;
                break;
            case 'b':
                c = '\b';
                src++;
                break;
            case 't':
                c = '\t';
                src++;
                break;
            default: break; /* an unknown escape keeps its backslash */
            }
        } else if (c == '"' && src < end && *src == '"') {
            src++;
        }
        *dst++ = c;
    }
    *dst = '\0';
}

static int IsMessageLine(const char *s, size_t len)
{
    return len > 0 && s[0] == '"';
}

/* Every message line is decoded to the start of its own line: decoding only shrinks, and the
   opening quote leaves room for the terminator. */
static int ParseMessages(LngFile *out, size_t size)
{
    char *end = out->text + size;
    char *s;
    size_t len;
    int count = 0;
    for (char *p = out->text; p < end;) {
        p = NextLine(p, end, &s, &len);
        count += IsMessageLine(s, len);
    }
    out->messages = (const char **)malloc(((size_t)count + 1) * sizeof *out->messages);
    if (out->messages == NULL) return -1;
    for (char *p = out->text; p < end;) {
        p = NextLine(p, end, &s, &len);
        if (IsMessageLine(s, len)) {
            size_t bodyLen = len - 1;
            if (bodyLen > 0 && s[len - 1] == '"') bodyLen--;
            DecodeMessage(s, s + 1, bodyLen);
            out->messages[out->count++] = s;
        } else if (out->language[0] == '\0' && StartsWithNoCase(s, len, ".Language=")) {
            ReadHeader(s, len, out);
        }
    }
    return 0;
}

int LngLoad(const char *path, LngFile *out)
{
    memset(out, 0, sizeof *out);
    CopyTruncated(out->path, sizeof out->path, path ? path : "");
    size_t size = 0;
    out->text = path ? ReadWholeFile(path, &size) : NULL;
    if (out->text == NULL || ParseMessages(out, size) != 0) {
        LngFree(out);
        return -1;
    }
    return 0;
}

void LngFree(LngFile *f)
{
    free(f->text);
    free(f->messages);
    f->text = NULL;
    f->messages = NULL;
    f->count = 0;
}

const char *LngMessage(const LngFile *f, int n)
{
    if (f == NULL || n < 0 || n >= f->count) return "";
    return f->messages[n];
}

const char *LngEnvLocale(void)
{
    static const char *const VARS[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char *var : VARS) {
        const char *v = getenv(var);
        if (v != NULL && v[0] != '\0') return v;
    }
    return "";
}

static int HasLngSuffix(const char *name)
{
    size_t n = strlen(name);
    return n > 4 && StartsWithNoCase(name + n - 4, 4, ".lng");
}

/* Keeps the greater of two file names in best, so the choice does not depend on readdir order. */
static void KeepLast(char *best, size_t size, const char *name)
{
    if (best[0] == '\0' || strcmp(name, best) > 0) CopyTruncated(best, size, name);
}

int LngLoadForLocale(const char *dir, const char *locale, LngFile *out)
{
    memset(out, 0, sizeof *out);
    const char *wanted =
        locale && (locale[0] | 0x20) == 'r' && (locale[1] | 0x20) == 'u' ? "Russian" : "English";
    char match[LNG_PATH_SIZE] = "", english[LNG_PATH_SIZE] = "", any[LNG_PATH_SIZE] = "";
    DIR *d = dir ? opendir(dir) : NULL;
    if (d == NULL) return -1;
    for (struct dirent *e; (e = readdir(d)) != NULL;) {
        char path[LNG_PATH_SIZE];
        if (!HasLngSuffix(e->d_name) || FormatTruncated(path, sizeof path, "%s/%s", dir, e->d_name))
            continue;
        LngFile f;
        if (LngLoad(path, &f) == 0) {
            if (CompareAsciiNoCase(f.language, wanted) == 0) KeepLast(match, sizeof match, path);
            if (CompareAsciiNoCase(f.language, "English") == 0)
                KeepLast(english, sizeof english, path);
            KeepLast(any, sizeof any, path);
        }
        LngFree(&f);
    }
    closedir(d);
    const char *chosen = match[0] ? match : english[0] ? english : any;
    if (chosen[0] == '\0') return -1;
    return LngLoad(chosen, out);
}
