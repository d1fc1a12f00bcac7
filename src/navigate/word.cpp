/* word.cpp: code page 866 case folding and the identifier under the editor cursor. */
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "host/host.h"
#include "navigate/navigate.h"

/* Identifier bytes, judged on the OEM (code page 866) form of a character. ORDER-WORDCHARS */
static const char ASCII_WORD_CHARS[] =
    "0123456789_ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
/* Cyrillic letters in alphabetical order: A..E, YO, ZH..p, yo, r..ya (upper, then lower case). */
static const char CYRILLIC_WORD_CHARS[] =
    "\x80\x81\x82\x83\x84\x85\xF0\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E"
    "\x8F\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E"
    "\x9F\xA0\xA1\xA2\xA3\xA4\xA5\xF1\xA6\xA7\xA8\xA9\xAA\xAB\xAC\xAD"
    "\xAE\xAF\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED"
    "\xEE\xEF";

int FoldCase(int c)
{
    c &= 0xFF;
    if (c >= 0x61 && c <= 0x7A) return c - 0x20;
    if (c >= 0xA0 && c <= 0xAF) return c - 0x20;
    if (c >= 0xE0 && c <= 0xEF) return c - 0x50;
    if (c == 0xF1) return 0xF0;
    return c;
}

int FoldedCompareN(const char *a, const char *b, int n)
{
    for (int i = 0; i < n; i++) {
        if (FoldCase((unsigned char)a[i]) != FoldCase((unsigned char)b[i])) return 1;
        /* both NUL: equal so far, but nothing lies beyond a terminator to compare */
        if (a[i] == '\0') return 0;
    }
    return 0;
}

void EditorToOem(char *text)
{
    EditorConvertText ect;
    ect.Text = text;
    ect.TextLength = (int)strlen(text);
    (void)HostEditorControl(ECTL_EDITORTOOEM, &ect);
}

int IsWordChar(int c)
{
    char s[2] = {(char)c, '\0'};
    EditorToOem(s);
    if (s[0] == '\0') return 0; /* strchr would find the terminator */
    return strchr(ASCII_WORD_CHARS, s[0]) != NULL || strchr(CYRILLIC_WORD_CHARS, s[0]) != NULL;
}

static int IsBlankAtCursor(char c)
{
    return c == '\0' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

/* The identifier around pos in line (length bytes, a copy the conversion calls cannot touch). */
static void CopyWordAt(char *word, const char *line, int length, int pos)
{
    int end = pos;
    while (end < length && line[end] != '\0' && IsWordChar((unsigned char)line[end])) end++;
    int start = pos;
    if (end > pos) { /* line[pos] is an identifier byte: walk back to the word's first byte */
        while (start > 0 && line[start - 1] != '\0' && IsWordChar((unsigned char)line[start - 1]))
            start--;
    }
    int count = end - start;
    if (count > WORD_SIZE - 1) count = WORD_SIZE - 1;
    memcpy(word, line + start, (size_t)count);
    word[count] = '\0';
}

int ExtractWord(char *word, const char *text, int length, int pos)
{
    if (text == NULL || pos < 0 || pos >= length || IsBlankAtCursor(text[pos])) return 0;
    /* the host's line text is valid only until the next editor call, and every byte tested
       below is one: work on a copy */
    char *line = (char *)MemAlloc((size_t)length);
    if (line == NULL) return -1;
    memcpy(line, text, (size_t)length);
    CopyWordAt(word, line, length, pos);
    MemFree(line);
    EditorToOem(word);
    return 0;
}

int WordAtCursor(EditorInfo *info, char *word)
{
    memset(info, 0, sizeof *info);
    (void)HostEditorControl(ECTL_GETINFO, info);
    /* the line text lasts only until the next editor call: read it last */
    EditorGetString egs;
    memset(&egs, 0, sizeof egs);
    egs.StringNumber = -1;
    (void)HostEditorControl(ECTL_GETSTRING, &egs);
    word[0] = '\0';
    if (ExtractWord(word, egs.StringText, egs.StringLength, info->CurPos) != 0) return -1;
    /* an index keeps the first 63 characters of a name: a longer word is compared as it was cut */
    if (strlen(word) >= NAME_SIZE) word[NAME_SIZE - 1] = '\0';
    return word[0] != '\0';
}

/* The ASCII identifier bytes alone: what a text that no editor converts can be judged by. */
static int IsAsciiWordChar(int c)
{
    return c > 0 && c < 0x80 && strchr(ASCII_WORD_CHARS, c) != NULL;
}

int WordInText(char *word, const char *line, size_t length, size_t pos)
{
    word[0] = '\0';
    if (pos > length) return 0;
    /* a position just after the word (a caret between it and the next character) takes it too */
    if ((pos == length || !IsAsciiWordChar((unsigned char)line[pos])) && pos > 0 &&
        IsAsciiWordChar((unsigned char)line[pos - 1]))
        pos--;
    if (pos >= length || !IsAsciiWordChar((unsigned char)line[pos])) return 0;
    size_t start = pos, end = pos;
    while (start > 0 && IsAsciiWordChar((unsigned char)line[start - 1])) start--;
    while (end < length && IsAsciiWordChar((unsigned char)line[end])) end++;
    size_t n = end - start;
    if (n > NAME_SIZE - 1) n = NAME_SIZE - 1; /* compared as an index cuts a name */
    memcpy(word, line + start, n);
    word[n] = '\0';
    return 1;
}
