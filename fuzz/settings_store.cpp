/* settings_store: the settings file parser over arbitrary bytes. Whatever the file holds, a
   value set through a key reads back as set, and a value of another name or key that could be
   read before still reads the same afterwards: a write never destroys another setting.
   Input: the settings file. */
#include <string.h>
#include <sys/stat.h>

#include "base/text.h"
#include "fuzz.h"
#include "platform/platform.h"

static const char *const KEYS[] = {"Software\\Far\\Plugins\\ZOLT", "Software\\Far\\Plugins", "a"};
static const char *const NAMES[] = {"FileMask", "Recurse", "CtStatic", "x", "StrNumForBackOut"};

struct Value {
    int result = -1, type = 0;
    uint32_t size = 0;
    std::string bytes;
};

static Value Query(StoreKey *k, const char *name)
{
    Value v;
    if (k == NULL) return v;
    char buf[600];
    v.size = sizeof buf;
    v.result = StoreQueryValue(k, name, &v.type, buf, &v.size);
    if (v.result == 0) v.bytes.assign(buf, v.size);
    if (v.result < 0) v.size = 0, v.type = 0; /* missing: nothing else to compare */
    return v;
}

/* Every name of KEYS[k], read through one handle. */
static void ReadKey(int k, Value out[5])
{
    StoreKey *h = StoreOpenKey(KEYS[k]);
    for (int n = 0; n < 5; n++) out[n] = Query(h, NAMES[n]);
    StoreCloseKey(h);
}

static bool Same(const Value &a, const Value &b)
{
    return a.result == b.result && a.type == b.type && a.size == b.size && a.bytes == b.bytes;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static BrowserState st;
    FuzzBeginInput(&st, 0);
    mkdir("config", 0700);
    mkdir("config/zolt", 0700);
    FuzzWriteFile("config/zolt/settings", data, size);

    Value before[3][5];
    for (int k = 0; k < 3; k++) ReadKey(k, before[k]);

    const char *key = KEYS[size % 3];
    const char *name = NAMES[size % 5];
    StoreKey *w = StoreCreateKey(key);
    if (w == NULL) { /* a file we cannot parse whole (too large) is left alone */
        FuzzEndInput(&st);
        return 0;
    }
    uint32_t dword = (uint32_t)size * 2654435761u;
    char text[40];
    snprintf(text, sizeof text, "v=%u\\[;#]", (unsigned)size);
    int failed = (size & 1)
                     ? StoreSetValue(w, name, STORE_DWORD, &dword, 4)
                     : StoreSetValue(w, name, STORE_STRING, text, (uint32_t)strlen(text) + 1);
    if (failed != 0) FuzzFail("a value could not be set");
    if (StoreFlushKey(w) != 0) FuzzFail("the settings could not be written");
    StoreCloseKey(w);

    Value after[3][5];
    for (int k = 0; k < 3; k++) ReadKey(k, after[k]);
    Value got = after[size % 3][size % 5];
    Value want;
    want.result = 0;
    want.type = (size & 1) ? STORE_DWORD : STORE_STRING;
    want.bytes =
        (size & 1) ? std::string((const char *)&dword, 4) : std::string(text, strlen(text) + 1);
    want.size = (uint32_t)want.bytes.size();
    if (!Same(got, want)) FuzzFail("a value did not read back as set");
    for (int k = 0; k < 3; k++)
        for (int n = 0; n < 5; n++) {
            if ((CompareAsciiNoCase(KEYS[k], key) == 0) &&
                (CompareAsciiNoCase(NAMES[n], name) == 0))
                continue;
            if (!Same(before[k][n], after[k][n])) {
                fprintf(stderr, "%s %s: %d/%d/%u -> %d/%d/%u\n", KEYS[k], NAMES[n],
                        before[k][n].result, before[k][n].type, before[k][n].size,
                        after[k][n].result, after[k][n].type, after[k][n].size);
                FuzzFail("another setting changed");
            }
        }
    FuzzEndInput(&st);
    return 0;
}
