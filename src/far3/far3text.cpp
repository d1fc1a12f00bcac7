/* far3text.cpp: conversions between the host's UTF-16 and the core's bytes. */
#include "far3/far3text.h"

#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "base/cp866.h"

void BytesToUnits(const char *bytes, size_t n, wchar_t *out)
{
    for (size_t i = 0; i < n; i++) out[i] = (wchar_t)Cp866ToUnicode((unsigned char)bytes[i]);
}

wchar_t CoreCharToUnit(unsigned char c)
{
    return (wchar_t)Cp866ToUnicode(c);
}

void BytesFromUnits(const wchar_t *units, size_t n, char *out)
{
    for (size_t i = 0; i < n; i++) {
        int b = UnicodeToCp866((uint32_t)units[i]);
        out[i] = b >= 0 ? (char)b : '?';
    }
    out[n] = '\0';
}

void UnitsToCore(const wchar_t *text, size_t size, char *out)
{
    size_t n = wcsnlen(text, size - 1);
    BytesFromUnits(text, n, out);
}

static UINT FileCodePage(void)
{
    return AreFileApisANSI() ? CP_ACP : CP_OEMCP;
}

void PathToCore(const wchar_t *path, char *out, size_t size)
{
    int n = size <= INT32_MAX
                ? WideCharToMultiByte(FileCodePage(), 0, path, -1, out, (int)size, NULL, NULL)
                : 0;
    if (n <= 0) out[0] = '\0';
}

WideText::~WideText()
{
    free(heap_);
}

const wchar_t *WideText::Keep(wchar_t *text)
{
    free(heap_);
    heap_ = text;
    text_ = text;
    return text_;
}

const wchar_t *WideText::Set(const char *text)
{
    if (text == nullptr) {
        text_ = nullptr;
        return nullptr;
    }
    size_t n = strlen(text);
    wchar_t *w = (wchar_t *)malloc((n + 1) * sizeof *w);
    if (w == nullptr) {
        text_ = L"";
        return text_;
    }
    BytesToUnits(text, n, w);
    w[n] = L'\0';
    return Keep(w);
}

const wchar_t *WidePath::Set(const char *path)
{
    size_t n = path != nullptr ? strlen(path) : 0;
    if (path == nullptr || n >= INT32_MAX) return nullptr;
    int units = MultiByteToWideChar(FileCodePage(), 0, path, (int)n + 1, NULL, 0);
    wchar_t *w = units > 0 ? (wchar_t *)malloc((size_t)units * sizeof *w) : nullptr;
    if (w == nullptr ||
        MultiByteToWideChar(FileCodePage(), 0, path, (int)n + 1, w, units) != units) {
        free(w);
        return nullptr;
    }
    return Keep(w);
}

bool LineBuffer::Fit(size_t length)
{
    if (length < capacity) return true;
    size_t grown = length + 1 + length / 2;
    char *p = (char *)realloc(data, grown);
    if (p == nullptr) return false;
    data = p;
    capacity = grown;
    return true;
}
