/* charset.cpp: code page 866 bytes to Unicode and back, the bytes of a text as the cells shown
   on a UTF-8 terminal, and the hot keys of control texts. */
#include <string.h>
#include <wchar.h>

#include "base/cp866.h"
#include "term/model_p.h"

static int g_utf8; /* the terminal shows UTF-8 */

wchar_t Cp866ToWide(unsigned char b)
{
    if (b < 0x80) return b < 0x20 || b == 0x7F ? L'.' : (wchar_t)b; /* control bytes show as '.' */
    return (wchar_t)Cp866ToUnicode(b);
}

int WideToCp866(wchar_t w)
{
    return w < 0 ? -1 : UnicodeToCp866((uint32_t)w);
}

int Utf8Encode(int cp, char out[4])
{
    if (cp < 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    if (cp < 0x80) {
        out[0] = (char)cp;
        return 1;
    }
    int n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    for (int i = n - 1; i > 0; i--, cp >>= 6) out[i] = (char)(0x80 | (cp & 0x3F));
    out[0] = (char)((n == 2 ? 0xC0 : n == 3 ? 0xE0 : 0xF0) | cp);
    return n;
}

void CharsetSetUtf8(int on)
{
    g_utf8 = on != 0;
}

int CharsetUtf8(void)
{
    return g_utf8;
}

/* Length of the valid UTF-8 sequence at s[i] (2 to 4; no overlong forms, surrogates or code
   points past U+10FFFF), or 0. */
static int SequenceLength(const unsigned char *s, int i, int end)
{
    unsigned char b = s[i];
    int n = b >= 0xC2 && b <= 0xDF   ? 2
            : b >= 0xE0 && b <= 0xEF ? 3
            : b >= 0xF0 && b <= 0xF4 ? 4
                                     : 0;
    if (n == 0 || i + n > end) return 0;
    unsigned char lo = 0x80, hi = 0xBF; /* the second byte's range */
    if (b == 0xE0) lo = 0xA0;
    else if (b == 0xED) hi = 0x9F;
    else if (b == 0xF0) lo = 0x90;
    else if (b == 0xF4) hi = 0x8F;
    if (s[i + 1] < lo || s[i + 1] > hi) return 0;
    for (int k = 2; k < n; k++)
        if (s[i + k] < 0x80 || s[i + k] > 0xBF) return 0;
    return n;
}

static int DecodeSequence(const unsigned char *s, int i, int n)
{
    int cp = s[i] & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (int k = 1; k < n; k++) cp = cp << 6 | (s[i + k] & 0x3F);
    return cp;
}

/* Cyrillic letters of code page 866: А-п, р-я and Ё ё Є є Ї ї Ў ў. */
static int IsCp866Letter(unsigned char b)
{
    return (b >= 0x80 && b <= 0xAF) || (b >= 0xE0 && b <= 0xF7);
}

/* The run of bytes above 127 that starts at i: its end, whether it is all valid UTF-8, and
   whether it holds only code page 866 letters (or, when it is not UTF-8, any letter at all). */
static int RunEnd(const unsigned char *s, int i, int len, int *valid, int *letters)
{
    int allLetters = 1, anyLetter = 0, ok = 1, j = i;
    while (j < len && s[j] >= 0x80) {
        int n = ok ? SequenceLength(s, j, len) : 0;
        if (n == 0) {
            ok = 0;
            n = 1;
        }
        for (int k = j; k < j + n; k++) {
            allLetters &= IsCp866Letter(s[k]);
            anyLetter |= IsCp866Letter(s[k]);
        }
        j += n;
    }
    *valid = ok;
    *letters = ok ? allLetters : anyLetter;
    return j;
}

/* Counts the runs that can only be code page 866 text (not UTF-8, with letters) and the runs
   that can only be UTF-8 (valid, with a byte no letter of code page 866 is); stops at the first
   of the former when firstOnly. */
static void CountRuns(const char *text, int len, int firstOnly, int *cp866, int *utf8)
{
    const unsigned char *s = (const unsigned char *)text;
    *cp866 = *utf8 = 0;
    for (int i = 0; i < len;) {
        if (s[i] < 0x80) {
            i++;
            continue;
        }
        int valid, letters;
        i = RunEnd(s, i, len, &valid, &letters);
        if (!valid && letters) {
            ++*cp866;
            if (firstOnly) return;
        } else if (valid && !letters) {
            ++*utf8;
        }
    }
}

int TextHasCp866Letters(const char *s, int len)
{
    int cp866, utf8;
    CountRuns(s, len, 1, &cp866, &utf8);
    return cp866 > 0;
}

int TextLooksCp866(const char *s, int len)
{
    int cp866, utf8;
    CountRuns(s, len, 0, &cp866, &utf8);
    return cp866 > utf8;
}

void TextBegin(TextIter *it, const char *s, int len, int cp866)
{
    it->s = (const unsigned char *)s;
    it->len = s && len > 0 ? len : 0;
    it->pos = 0;
    it->cp866 = cp866 || (g_utf8 && TextHasCp866Letters(s, it->len));
    it->runEnd = 0;
    it->runUtf8 = 0;
}

int TextNext(TextIter *it, TextChar *c)
{
    if (it->pos >= it->len) return 0;
    const unsigned char *s = it->s;
    int i = it->pos;
    c->pos = i;
    c->bytes = 1;
    c->cols = 1;
    if (s[i] >= 0x80 && i >= it->runEnd) {
        int valid, letters;
        it->runEnd = RunEnd(s, i, it->len, &valid, &letters);
        it->runUtf8 = g_utf8 && valid && !(letters && it->cp866);
    }
    if (s[i] < 0x80 || !it->runUtf8) {
        c->cp = s[i] < 0x80 ? s[i] : (int)Cp866ToWide(s[i]);
        c->glyph = Cp866ToWide(s[i]);
    } else {
        c->bytes = SequenceLength(s, i, it->len);
        c->cp = DecodeSequence(s, i, c->bytes);
        int w = wcwidth((wchar_t)c->cp);
        c->glyph = w < 1 ? (wchar_t)0xFFFD : (wchar_t)c->cp;
        c->cols = w == 2 ? 2 : 1;
    }
    it->pos += c->bytes;
    return 1;
}

int TextColumns(const char *s, int len)
{
    TextIter it;
    TextChar c;
    int cols = 0;
    TextBegin(&it, s, len, 0);
    while (TextNext(&it, &c)) cols += c.cols;
    return cols;
}

int TextFitHead(const char *s, int len, int maxCols)
{
    TextIter it;
    TextChar c;
    int cols = 0;
    TextBegin(&it, s, len, 0);
    while (TextNext(&it, &c)) {
        if (cols + c.cols > maxCols) return c.pos;
        cols += c.cols;
    }
    return it.len;
}

int TextFitTail(const char *s, int len, int maxCols)
{
    int rest = TextColumns(s, len);
    TextIter it;
    TextChar c;
    TextBegin(&it, s, len, 0);
    while (rest > maxCols && TextNext(&it, &c)) rest -= c.cols;
    return it.pos;
}

int LabelStrip(const char *s, char *out, size_t size)
{
    int hot = -1;
    size_t o = 0;
    for (size_t i = 0; s && s[i] && o + 1 < size; i++) {
        if (s[i] == '&' && s[i + 1] == '&') {
            i++; /* "&&": one '&' shown */
        } else if (s[i] == '&' && s[i + 1] && hot < 0) {
            hot = (int)o;
            continue;
        }
        out[o++] = s[i];
    }
    if (size > 0) out[o] = '\0';
    return hot;
}

int FoldHotKey(int b)
{
    if (b >= 'a' && b <= 'z') return b - 0x20;
    if (b >= 0xA0 && b <= 0xAF) return b - 0x20;         /* а-п */
    if (b >= 0xE0 && b <= 0xEF) return b - 0x50;         /* р-я */
    if (b >= 0xF1 && b <= 0xF7 && (b & 1)) return b - 1; /* ё є ї ў */
    return b;
}

int LabelHotKey(const char *s)
{
    char shown[512];
    int hot = LabelStrip(s, shown, sizeof shown);
    return hot < 0 ? -1 : FoldHotKey((unsigned char)shown[hot]);
}

int HotKeyOf(KeyEvent k)
{
    if (k.mods & PKF_CONTROL) return -1;
    if (k.ch > ' ') return FoldHotKey(k.ch);
    int letterOrDigit = (k.vk >= 'A' && k.vk <= 'Z') || (k.vk >= '0' && k.vk <= '9');
    return (k.mods & PKF_ALT) && letterOrDigit ? k.vk : -1;
}
