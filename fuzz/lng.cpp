/* lng: the language-file parser over arbitrary bytes. Every message is a terminated string
   inside the decoded text, and a missing one reads as "". Input: the .lng file. */
#include <string.h>

#include "common/lng.h"
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSetUp();
    FuzzWriteFile("input.lng", data, size);
    LngFile f;
    memset(&f, 0, sizeof f);
    int result = LngLoad("input.lng", &f);
    if (result == 0) {
        if (f.count < 0 || (f.count > 0 && (f.messages == NULL || f.text == NULL)))
            FuzzFail("bad message table");
        size_t quoted = 0;
        for (size_t i = 0; i < size; i++) quoted += data[i] == '"';
        if ((size_t)f.count > quoted) FuzzFail("more messages than quoted lines");
        for (int i = 0; i < f.count; i++) (void)strlen(LngMessage(&f, i));
        if (memchr(f.language, '\0', sizeof f.language) == NULL ||
            memchr(f.description, '\0', sizeof f.description) == NULL)
            FuzzFail("header fields unterminated");
    }
    if (strcmp(LngMessage(&f, -1), "") != 0 || strcmp(LngMessage(&f, f.count), "") != 0)
        FuzzFail("a message out of range is not empty");
    LngFree(&f);
    return 0;
}
