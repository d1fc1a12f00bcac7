/* wildcard.cpp: CmpName for our hosts: '*', '?', [sets], case-insensitive, optional path skip. */
#include "common/wildcard.h"

#include <stddef.h>

static unsigned char FoldForMatch(unsigned char c)
{
    if (c >= 'a' && c <= 'z') return (unsigned char)(c - 0x20);
    if (c >= 0xA0 && c <= 0xAF) return (unsigned char)(c - 0x20); /* code page 866 а-п */
    if (c >= 0xE0 && c <= 0xEF) return (unsigned char)(c - 0x50); /* р-я */
    if (c >= 0xF0 && c <= 0xF7)
        return (unsigned char)(c & ~1u); /* ё є ї ў pair with their capitals */
    return c;
}

/* The matcher over a text of units Ch, with fold the unit's case folding. */
template <class Ch, class Fold>
struct Matcher {
    Fold fold;
    int dotStarEnds; /* "abc.*" also takes "abc" (the Unicode host's legacy rule) */

    /* [a,c-f] at p: returns the pattern position after ']' and whether c is in the set; null if
       no ']' before end. A range holds c when either the raw or the folded unit lies in it, so
       [0-z] still holds '_' while [a-f] holds 'C'. */
    const Ch *MatchSet(const Ch *p, const Ch *end, Ch c, int *in) const
    {
        Ch fc = fold(c);
        *in = 0;
        for (p++; p < end && *p != ']'; p++) {
            if (*p == ',') continue;
            Ch lo = *p, hi = lo;
            if (p + 2 < end && p[1] == '-' && p[2] != ']') {
                hi = p[2];
                p += 2;
            }
            if ((c >= lo && c <= hi) || (fc >= fold(lo) && fc <= fold(hi))) *in = 1;
        }
        return p < end ? p + 1 : NULL;
    }

    /* Length of the pattern element at p when it matches the (non-NUL) unit c, else 0. */
    size_t MatchOne(const Ch *p, const Ch *end, Ch c) const
    {
        if (*p == '?') return 1;
        if (*p == '[') {
            int in;
            const Ch *next = MatchSet(p, end, c, &in);
            if (next != NULL) return in ? (size_t)(next - p) : 0;
            /* an unclosed '[' is an ordinary character */
        }
        return fold(*p) == fold(c) ? 1 : 0;
    }

    /* Pattern [p, end) against all of s. Iterative with one resume point per '*': a later star
       supersedes an earlier one, so matching stays linear-times-pattern even for "*a*a*a*b". */
    int Match(const Ch *p, const Ch *end, const Ch *s) const
    {
        const Ch *starP = NULL, *starS = NULL;
        for (;;) {
            if (p < end && *p == '*') {
                while (p < end && *p == '*') p++;
                if (p == end || (end - p == 2 && p[0] == '.' && p[1] == '*'))
                    return 1; /* "*", "*.*" */
                starP = p;
                starS = s;
                continue;
            }
            if (*s == '\0') return p == end;
            size_t n = p < end ? MatchOne(p, end, *s) : 0;
            if (n > 0) {
                p += n;
                s++;
            } else if (starP != NULL) {
                p = starP;
                s = ++starS;
            } else {
                return 0;
            }
        }
    }

    int Whole(const Ch *pattern, const Ch *name, int skipPath) const
    {
        if (pattern == NULL || name == NULL) return 0;
        if (skipPath) {
            const Ch *base = name;
            if (((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z') && name[1] == ':')
                base = name + 2;
            for (const Ch *q = base; *q != '\0'; q++)
                if (*q == '\\' || *q == '/') base = q + 1;
            name = base;
        }
        const Ch *end = pattern;
        while (*end != '\0') end++;
        int dotted = 0;
        for (const Ch *q = name; *q != '\0'; q++) dotted |= *q == '.';
        /* "abc." also takes "abc": the trailing dot stands for an empty extension, but only for a
           name that has no dot at all ("*." must not take "a.b") */
        if (end > pattern && end[-1] == '.' && !dotted && Match(pattern, end - 1, name)) return 1;
        if (dotStarEnds && end - pattern >= 2 && end[-2] == '.' && end[-1] == '*' &&
            Match(pattern, end - 2, name))
            return 1;
        return Match(pattern, end, name);
    }
};

int WildcardMatch(const char *pattern, const char *name, int skipPath)
{
    auto fold = [](char c) { return (char)FoldForMatch((unsigned char)c); };
    Matcher<char, decltype(fold)> m{fold, 0};
    return m.Whole(pattern, name, skipPath);
}

int WildcardMatchWide(const wchar_t *pattern, const wchar_t *name, int skipPath,
                      wchar_t (*fold)(wchar_t))
{
    Matcher<wchar_t, wchar_t (*)(wchar_t)> m{fold, 1};
    return m.Whole(pattern, name, skipPath);
}
