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

/* The core's file functions take UTF-8 in this library (platform.h, UseUnicodeFileNames). */
static const UINT FILE_CODE_PAGE = CP_UTF8;

void PathToCore(const wchar_t *path, char *out, size_t size)
{
    int n = size <= INT32_MAX ? WideCharToMultiByte(FILE_CODE_PAGE, WC_ERR_INVALID_CHARS, path, -1,
                                                    out, (int)size, NULL, NULL)
                              : 0;
    if (n <= 0) out[0] = '\0';
}

char *NewCorePath(const wchar_t *path)
{
    int n =
        WideCharToMultiByte(FILE_CODE_PAGE, WC_ERR_INVALID_CHARS, path, -1, NULL, 0, NULL, NULL);
    char *out = n > 0 ? (char *)malloc((size_t)n) : NULL;
    if (out != NULL && WideCharToMultiByte(FILE_CODE_PAGE, WC_ERR_INVALID_CHARS, path, -1, out, n,
                                           NULL, NULL) != n) {
        free(out);
        out = NULL;
    }
    return out;
}

WideText::~WideText()
{
    free(heap_);
}

wchar_t *WideText::Room(size_t units)
{
    if (units <= sizeof local_ / sizeof local_[0]) return local_;
    free(heap_);
    heap_ = (wchar_t *)malloc(units * sizeof *heap_);
    return heap_;
}

const wchar_t *WideText::Set(const char *text)
{
    static wchar_t empty[1];
    text_ = nullptr;
    if (text == nullptr) return nullptr;
    size_t n = strlen(text);
    wchar_t *w = Room(n + 1);
    if (w == nullptr) {
        text_ = empty;
        return text_;
    }
    BytesToUnits(text, n, w);
    w[n] = L'\0';
    text_ = w;
    return text_;
}

const wchar_t *WidePath::Set(const char *path)
{
    text_ = nullptr;
    size_t n = path != nullptr ? strlen(path) : 0;
    if (path == nullptr || n >= INT32_MAX) return nullptr;
    int units =
        MultiByteToWideChar(FILE_CODE_PAGE, MB_ERR_INVALID_CHARS, path, (int)n + 1, NULL, 0);
    wchar_t *w = units > 0 ? Room((size_t)units) : nullptr;
    if (w == nullptr || MultiByteToWideChar(FILE_CODE_PAGE, MB_ERR_INVALID_CHARS, path, (int)n + 1,
                                            w, units) != units)
        return nullptr;
    text_ = w;
    return text_;
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
