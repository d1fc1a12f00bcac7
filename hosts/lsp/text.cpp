/* text.cpp: LSP positions in lines of UTF-8 text, and file URIs. */
#include <string.h>

#include "lsp/lsp.h"

/* The length of the UTF-8 sequence at p (at most left bytes) and the UTF-16 units it takes:
   an ill-formed sequence is one byte of one unit. */
static size_t SequenceAt(const unsigned char *p, size_t left, size_t *units)
{
    *units = 1;
    unsigned char c = p[0];
    size_t n = c < 0x80                 ? 1
               : c >= 0xC2 && c <= 0xDF ? 2
               : c >= 0xE0 && c <= 0xEF ? 3
               : c >= 0xF0 && c <= 0xF4 ? 4
                                        : 1;
    if (n == 1 || n > left) return 1;
    for (size_t i = 1; i < n; i++)
        if ((p[i] & 0xC0) != 0x80) return 1;
    /* overlong and surrogate forms, and code points past U+10FFFF, are ill-formed */
    if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] >= 0xA0) || (c == 0xF0 && p[1] < 0x90) ||
        (c == 0xF4 && p[1] >= 0x90))
        return 1;
    if (n == 4) *units = 2;
    return n;
}

size_t ByteOfCharacter(const char *line, size_t length, size_t character, int utf16)
{
    if (!utf16) return character < length ? character : length;
    const unsigned char *p = (const unsigned char *)line;
    size_t pos = 0, counted = 0;
    while (pos < length && counted < character) {
        size_t units;
        size_t n = SequenceAt(p + pos, length - pos, &units);
        if (counted + units > character) break; /* inside a surrogate pair: its start */
        pos += n;
        counted += units;
    }
    return pos;
}

size_t CharacterOfByte(const char *line, size_t length, size_t pos, int utf16)
{
    if (pos > length) pos = length;
    if (!utf16) return pos;
    const unsigned char *p = (const unsigned char *)line;
    size_t at = 0, counted = 0;
    while (at < pos) {
        size_t units;
        at += SequenceAt(p + at, length - at, &units);
        counted += units;
    }
    return counted;
}

int FindTextLine(const std::string &text, size_t line, size_t *start, size_t *length)
{
    size_t at = 0, n = text.size();
    for (size_t k = 0; k < line; k++) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) return 0;
        at = end + (text[end] == '\r' && end + 1 < n && text[end + 1] == '\n' ? 2 : 1);
    }
    size_t end = text.find_first_of("\r\n", at);
    *start = at;
    *length = (end == std::string::npos ? n : end) - at;
    return at <= n;
}

static int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int UriToPath(const std::string &uri, std::string *path)
{
    static const char SCHEME[] = "file://";
    size_t k = sizeof SCHEME - 1;
    if (uri.size() <= k || strncasecmp(uri.c_str(), SCHEME, k) != 0 || uri[k] != '/') return -1;
    path->clear();
    for (size_t i = k; i < uri.size(); i++) {
        char c = uri[i];
        if (c == '?' || c == '#') break; /* no file name holds them unescaped */
        if (c == '%') {
            int hi = i + 2 < uri.size() ? HexValue(uri[i + 1]) : -1;
            int lo = hi >= 0 ? HexValue(uri[i + 2]) : -1;
            if (lo < 0) return -1;
            c = (char)(hi * 16 + lo);
            i += 2;
        }
        if (c == '\0') return -1;
        path->push_back(c);
    }
    return 0;
}

std::string PathToUri(const std::string &path)
{
    static const char HEX[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (char ch : path) {
        unsigned char c = (unsigned char)ch;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            (c != 0 && strchr("-._~/", c) != NULL)) {
            uri.push_back((char)c);
        } else {
            uri.push_back('%');
            uri.push_back(HEX[c >> 4]);
            uri.push_back(HEX[c & 15]);
        }
    }
    return uri;
}
