/* help_model.cpp: one topic of a help file as plain lines (highlight marks gone, links as text). */
#include <string.h>

#include "term/model_p.h"

enum { HELP_LINE_SIZE = 128 };

static int LowerAscii(int c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

/* "@Name" (trailing blanks and CR ignored) names the topic, case-insensitively. */
static int IsTopicLine(const char *p, size_t n, const char *topic)
{
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t' || p[n - 1] == '\r')) n--;
    size_t t = strlen(topic);
    if (n != t + 1 || p[0] != '@') return 0;
    for (size_t i = 0; i < t; i++)
        if (LowerAscii((unsigned char)p[i + 1]) != LowerAscii((unsigned char)topic[i])) return 0;
    return 1;
}

/* Any "@Name" line starts a topic; "@-", "@+" and "@@..." do not. */
static int StartsTopic(const char *p, size_t n)
{
    if (n < 2 || p[0] != '@') return 0;
    return p[1] != '-' && p[1] != '+' && p[1] != '@' && p[1] != ' ' && p[1] != '\r';
}

/* Copies one source line into out without its formatting marks. */
static void PlainLine(const char *p, size_t n, char *out)
{
    size_t o = 0, i = 0;
    if (n > 0 && p[n - 1] == '\r') n--;
    if (n > 0 && (p[0] == '$' || p[0] == '^')) i = 1;
    if (n > 0 && p[0] == '$' && i < n && p[i] == ' ') i++;
    for (; i < n && o + 1 < HELP_LINE_SIZE; i++) {
        char c = p[i];
        int doubled = i + 1 < n && p[i + 1] == c;
        if ((c == '#' || c == '~' || c == '@') && doubled) {
            out[o++] = c;
            i++;
        } else if (c == '#' || c == '~') {
            continue;
        } else if (c == '@') { /* the target of a link: skip to its closing '@' */
            while (i + 1 < n && p[i + 1] != '@') i++;
            i++;
        } else {
            out[o++] = c;
        }
    }
    out[o] = '\0';
}

int HelpTopicLines(const char *hlf, size_t hlfLen, const char *topic, char (*lines)[128],
                   int maxLines)
{
    int found = 0, count = 0;
    size_t pos = 0;
    while (pos < hlfLen) {
        const char *nl = (const char *)memchr(hlf + pos, '\n', hlfLen - pos);
        size_t n = nl ? (size_t)(nl - (hlf + pos)) : hlfLen - pos;
        const char *p = hlf + pos;
        pos += n + 1;
        if (!found) {
            found = IsTopicLine(p, n, topic);
            continue;
        }
        if (StartsTopic(p, n)) break;
        if (n >= 2 && p[0] == '@' && (p[1] == '-' || p[1] == '+')) continue;
        if (count < maxLines) PlainLine(p, n, lines[count++]);
    }
    return found ? count : -1;
}
