/* framing.cpp: the base protocol's frames: header lines up to an empty one, then the body. */
#include <string.h>

#include "lsp/lsp.h"

void StartFrameReader(FrameReader *r, FrameRead read, void *data)
{
    r->read = read;
    r->data = data;
    r->pos = r->len = 0;
    r->ended = 0;
}

/* Makes at least one unread byte available: 1, or 0 at the end of the input. */
static int Fill(FrameReader *r)
{
    if (r->pos < r->len) return 1;
    if (r->ended) return 0;
    long n = r->read(r->data, r->buf, sizeof r->buf);
    if (n <= 0) {
        r->ended = 1;
        return 0;
    }
    r->pos = 0;
    r->len = (size_t)n;
    return 1;
}

/* One header line without its line end (LF, the CR before it dropped), cut at the bound with
   *overlong set. 1, or 0 at the end of the input. */
static int ReadHeaderLine(FrameReader *r, std::string *line, int *overlong)
{
    line->clear();
    *overlong = 0;
    for (;;) {
        if (!Fill(r)) return 0;
        const char *start = r->buf + r->pos;
        size_t avail = r->len - r->pos;
        const char *lf = (const char *)memchr(start, '\n', avail);
        size_t take = lf != NULL ? (size_t)(lf - start) : avail;
        if (line->size() + take > LSP_HEADER_LINE_MAX) *overlong = 1;
        else line->append(start, take);
        r->pos += take + (lf != NULL);
        if (lf != NULL) break;
    }
    if (!line->empty() && (*line)[line->size() - 1] == '\r') line->erase(line->size() - 1);
    return 1;
}

/* The Content-Length value: 1 and *n, 0 when the line is another field. A field of that
   name with a value that is no decimal number, or too large to hold, gives *n = SIZE_MAX. */
static int ContentLength(const std::string &line, size_t *n)
{
    static const char NAME[] = "content-length:";
    size_t k = sizeof NAME - 1;
    if (line.size() < k || strncasecmp(line.c_str(), NAME, k) != 0) return 0;
    size_t i = k;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) i++;
    size_t v = 0, digits = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; i++, digits++) {
        if (v > (SIZE_MAX - 9) / 10) {
            *n = SIZE_MAX;
            return 1;
        }
        v = v * 10 + (size_t)(line[i] - '0');
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) i++;
    *n = digits > 0 && i == line.size() ? v : SIZE_MAX;
    return 1;
}

int ReadFrame(FrameReader *r, std::string *body)
{
    body->clear();
    std::string line;
    size_t length = SIZE_MAX;
    int fields = 0, bad = 0, overlong;
    /* Header lines up to an empty one. Lines that are no "Name: value" field (stray bytes
       between frames) are passed over as unknown fields; the frame is still read by its
       Content-Length when one comes. Empty lines before any field are passed over too. */
    for (;;) {
        if (!ReadHeaderLine(r, &line, &overlong)) return FRAME_END;
        if (overlong) bad = 1;
        if (line.empty()) {
            if (fields == 0 && !bad) continue;
            break;
        }
        fields++;
        size_t n;
        if (ContentLength(line, &n)) {
            if (n == SIZE_MAX || (length != SIZE_MAX && length != n)) bad = 1;
            length = n;
        }
    }
    if (bad || length == SIZE_MAX) return FRAME_BAD_HEADER;
    int tooLarge = length > LSP_MESSAGE_MAX;
    if (!tooLarge) body->reserve(length < 65536 ? length : 65536); /* grown as the bytes come */
    size_t left = length;
    while (left > 0) {
        if (!Fill(r)) return FRAME_END;
        size_t take = r->len - r->pos < left ? r->len - r->pos : left;
        if (!tooLarge) body->append(r->buf + r->pos, take);
        r->pos += take;
        left -= take;
    }
    return tooLarge ? FRAME_TOO_LARGE : FRAME_OK;
}

std::string MakeFrame(const std::string &body)
{
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
