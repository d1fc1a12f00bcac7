/* registry.cpp: the settings store of the library for the older host: keys of the current
   user's registry. (The library for the current host keeps its options in the host's settings
   service instead.) */
#include "platform/platform.h"

#include <stdint.h>

#include <windows.h>

#include "base/alloc.h"

struct StoreKey {
    HKEY key;
};

static StoreKey *WrapKey(HKEY key)
{
    StoreKey *k = (StoreKey *)MemAlloc(sizeof(StoreKey));
    if (k == NULL) {
        RegCloseKey(key);
        return NULL;
    }
    k->key = key;
    return k;
}

StoreKey *StoreCreateKey(const char *path)
{
    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE | KEY_QUERY_VALUE, NULL, &key, &disposition) != ERROR_SUCCESS)
        return NULL;
    return WrapKey(key);
}

int StoreOpen(const char *path, StoreKey **k)
{
    HKEY key;
    *k = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 1;
    *k = WrapKey(key);
    return *k != NULL ? 0 : -1;
}

int StoreFlushKey(StoreKey *k)
{
    (void)k; /* every set has reached the registry already */
    return 0;
}

void StoreCloseKey(StoreKey *k)
{
    if (k == NULL) return;
    RegCloseKey(k->key);
    MemFree(k);
}

int StoreSetValue(StoreKey *k, const char *name, int type, const void *data, uint32_t size)
{
    if (k == NULL || (type != STORE_DWORD && type != STORE_STRING) ||
        (type == STORE_DWORD && size != 4))
        return -1;
    if (type == STORE_STRING) { /* store up to the first NUL, with it */
        const char *text = (const char *)data;
        uint32_t n = 0;
        while (n < size && text[n] != '\0') n++;
        if (n == size) return -1; /* the registry would keep it unterminated */
        size = n + 1;
    }
    LONG r = RegSetValueExA(k->key, name, 0, (DWORD)type, (const BYTE *)data, size);
    return r == ERROR_SUCCESS ? 0 : -1;
}

int StoreQueryValue(StoreKey *k, const char *name, int *type, void *data, uint32_t *size)
{
    if (k == NULL) return -1;
    DWORD t = REG_NONE, n = *size;
    LONG r = RegQueryValueExA(k->key, name, NULL, &t, (BYTE *)data, &n);
    if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) return -1;
    *type = (int)t;
    *size = n;
    return r == ERROR_MORE_DATA ? 1 : 0;
}
