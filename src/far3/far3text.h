/* far3text.h: the host side's text: UTF-16 at the host, the core's bytes inside. Ordinary text
   is code page 866 one byte per UTF-16 unit (so positions in a line stay the same on both sides);
   file names are UTF-8, which the core's file functions take in this library (every name, of
   any length, and the same bytes as the index files of `zolt build` hold on Linux). */
#ifndef ZOLT_FAR3_FAR3TEXT_H
#define ZOLT_FAR3_FAR3TEXT_H

#include <stddef.h>
#include <stdint.h>

#include <new>

/* n bytes of 866 into n units (no terminator written). */
void BytesToUnits(const char *bytes, size_t n, wchar_t *out);
/* n units into n bytes of 866 and a NUL; a unit 866 has no byte for (a surrogate half too)
   becomes '?'. */
void BytesFromUnits(const wchar_t *units, size_t n, char *out);
/* A terminated text into out (size bytes, size > 0), cut to fit, one byte per unit. */
void UnitsToCore(const wchar_t *text, size_t size, char *out);
/* A file name from the host into out (size bytes); an empty text when it does not fit. */
void PathToCore(const wchar_t *path, char *out, size_t size);
/* The same in a heap block of its size (free it); null when out of memory or not valid UTF-16. */
char *NewCorePath(const wchar_t *path);

/* A converted copy of a core text for one host call; Set gives null for a null text and an
   empty text when memory ran out. Short texts (masks, names in a walk) need no allocation. */
class WideText {
public:
    WideText() = default;
    WideText(const WideText &) = delete;
    WideText &operator=(const WideText &) = delete;
    ~WideText();
    const wchar_t *Set(const char *text);
    const wchar_t *Get() const { return text_; }

protected:
    wchar_t *Room(size_t units); /* the inline buffer or a heap block; null when out of memory */
    wchar_t local_[96];
    wchar_t *heap_ = nullptr;
    wchar_t *text_ = nullptr;
};

/* The same for a file name: null when it cannot be converted (an unusable name). */
class WidePath : public WideText {
public:
    const wchar_t *Set(const char *path);
    wchar_t *Get() const { return text_; }
};

/* A growing buffer of bytes for a line handed to the core. */
struct LineBuffer {
    char *data = nullptr;
    size_t capacity = 0;
    bool Fit(size_t length); /* room for length bytes and a NUL */
};

#endif
