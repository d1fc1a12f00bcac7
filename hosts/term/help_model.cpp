/* help_model.cpp: one topic of a help file as plain lines (highlight marks gone, links as text,
   their places and topics kept beside the lines). */
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

/* Where PlainLine records the links of the line it copies. */
struct LinkSink {
    HelpLink *links;
    int max;
    int count;
    int line;
};

/* "~text~@Topic@": the link's text was copied to out from start on; records its place and
   topic (cut to fit) when there is room. */
static void AddLink(LinkSink *sink, size_t start, size_t end, const char *topic, size_t n)
{
    if (sink == NULL || sink->count >= sink->max || end <= start || n == 0) return;
    HelpLink *l = &sink->links[sink->count++];
    l->line = sink->line;
    l->column = (int)start;
    l->length = (int)(end - start);
    if (n >= sizeof l->topic) n = sizeof l->topic - 1;
    memcpy(l->topic, topic, n);
    l->topic[n] = '\0';
}

/* Copies one source line into out without its formatting marks; its links go to sink. */
static void PlainLine(const char *p, size_t n, char *out, LinkSink *sink)
{
    size_t o = 0, i = 0, linkStart = 0;
    int inLink = 0;
    if (n > 0 && p[n - 1] == '\r') n--;
    if (n > 0 && (p[0] == '$' || p[0] == '^')) i = 1;
    if (n > 0 && p[0] == '$' && i < n && p[i] == ' ') i++;
    for (; i < n; i++) {
        char c = p[i];
        int doubled = i + 1 < n && p[i + 1] == c;
        if ((c == '#' || c == '~' || c == '@') && doubled) {
            if (o + 1 < HELP_LINE_SIZE) out[o++] = c;
            i++;
        } else if (c == '~') {
            inLink = !inLink; /* its text begins, or ends before its '@' target */
            linkStart = inLink ? o : linkStart;
        } else if (c == '#') {
            continue;
        } else if (c == '@') { /* the target of a link: skip to its closing '@' */
            size_t from = i + 1;
            while (i + 1 < n && p[i + 1] != '@') i++;
            AddLink(sink, linkStart, o, p + from, i + 1 - from);
            i++;
        } else if (o + 1 < HELP_LINE_SIZE) {
            out[o++] = c;
        }
    }
    out[o] = '\0';
}

int HelpTopicPage(const char *hlf, size_t hlfLen, const char *topic, char (*lines)[128],
                  int maxLines, HelpLink *links, int maxLinks, int *linkCount)
{
    int found = 0, count = 0;
    LinkSink sink = {links, links != NULL ? maxLinks : 0, 0, 0};
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
        if (count < maxLines) {
            sink.line = count;
            PlainLine(p, n, lines[count++], &sink);
        }
    }
    if (linkCount != NULL) *linkCount = sink.count;
    return found ? count : -1;
}

int HelpTopicLines(const char *hlf, size_t hlfLen, const char *topic, char (*lines)[128],
                   int maxLines)
{
    return HelpTopicPage(hlf, hlfLen, topic, lines, maxLines, NULL, 0, NULL);
}
