/* wildcard.cpp: CmpName for our hosts: '*', '?', [sets], case-insensitive, optional path skip. */
#include "common/wildcard.h"

#include <string.h>

static unsigned char FoldForMatch(unsigned char c)
{
    if (c >= 'a' && c <= 'z') return (unsigned char)(c - 0x20);
    if (c >= 0xA0 && c <= 0xAF) return (unsigned char)(c - 0x20); /* code page 866 а-п */
    if (c >= 0xE0 && c <= 0xEF) return (unsigned char)(c - 0x50); /* р-я */
    if (c == 0xF1) return 0xF0;                                     /* ё */
    return c;
}

/* [a,c-f]: returns the pattern position after ']' and whether c is in the set; null if unclosed. */
static const char *MatchSet(const char *p, unsigned char c, int *in)
{
    *in = 0;
    for (p++; *p != '\0' && *p != ']'; p++) {
        if (*p == ',') continue;
        unsigned char lo = FoldForMatch((unsigned char)*p), hi = lo;
        if (p[1] == '-' && p[2] != '\0' && p[2] != ']') {
            hi = FoldForMatch((unsigned char)p[2]);
            p += 2;
        }
        if (c >= lo && c <= hi) *in = 1;
    }
    return *p == ']' ? p + 1 : NULL;
}

static int Match(const char *p, const char *s)
{
    for (;; p++, s++) {
        switch (*p) {
        case '\0':
            return *s == '\0';
        case '*':
            while (p[1] == '*') p++;
            /* "*." at the end matches a name without extension; "*.*" matches any name */
            if (strcmp(p + 1, ".*") == 0 || (p[1] == '.' && p[2] == '\0' && strchr(s, '.') == NULL)) return 1;
            for (;; s++) {
                if (Match(p + 1, s)) return 1;
                if (*s == '\0') return 0;
            }
        case '?':
            if (*s == '\0') return 0;
            break;
        case '[': {
            int in;
            const char *next = MatchSet(p, FoldForMatch((unsigned char)*s), &in);
            if (next == NULL) return FoldForMatch((unsigned char)*s) == '[' && Match(p + 1, s + 1);
            if (*s == '\0' || !in) return 0;
            p = next - 1;
            break;
        }
        case '.':
            /* a mask ending in '.' also matches a name that has no extension at all */
            if (p[1] == '\0' && *s == '\0') return 1;
            if (*s != '.') return 0;
            break;
        default:
            if (FoldForMatch((unsigned char)*p) != FoldForMatch((unsigned char)*s)) return 0;
        }
    }
}

int WildcardMatch(const char *pattern, const char *name, int skipPath)
{
    if (pattern == NULL || name == NULL) return 0;
    if (skipPath) {
        const char *base = name;
        if (((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z') && name[1] == ':') base = name + 2;
        for (const char *q = base; *q != '\0'; q++)
            if (*q == '\\' || *q == '/') base = q + 1;
        name = base;
    }
    return Match(pattern, name);
}
