/* charset.cpp: code page 866 bytes to Unicode and back, the table built once with iconv. */
#include <iconv.h>
#include <string.h>

#include "term/model_p.h"

static wchar_t g_upper[128]; /* Unicode of the bytes 0x80..0xFF; 0 until built */
static int g_built;

int CharsetInit(void)
{
    if (g_built) return g_upper[0] ? 0 : -1;
    g_built = 1;
    iconv_t cd = iconv_open("WCHAR_T", "CP866");
    if (cd == (iconv_t)-1) return -1;
    for (int b = 0; b < 128; b++) {
        char in = (char)(0x80 + b);
        wchar_t out = 0;
        char *ip = &in, *op = (char *)&out;
        size_t il = 1, ol = sizeof out;
        if (iconv(cd, &ip, &il, &op, &ol) == (size_t)-1) out = L'?';
        g_upper[b] = out;
    }
    iconv_close(cd);
    return 0;
}

wchar_t Cp866ToWide(unsigned char b)
{
    if (b < 0x80) return b < 0x20 || b == 0x7F ? L'.' : (wchar_t)b; /* control bytes show as '.' */
    return g_upper[b - 0x80] ? g_upper[b - 0x80] : L'?';
}

int WideToCp866(wchar_t w)
{
    if (w >= 0 && w < 0x80) return (int)w;
    for (int b = 0; b < 128; b++)
        if (g_upper[b] == w) return 0x80 + b;
    return -1;
}
