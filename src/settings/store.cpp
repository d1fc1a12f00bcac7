/* store.cpp: named values below SettingsRoot, read with their defaults. */
#include "settings/settings.h"

#include <string.h>

#include "base/limits.h"
#include "base/text.h"
#include "host/host.h"

/* The key path for subkey; -1 when it does not fit (a cut path would name another key). */
static int BuildKeyPath(const char *subkey, char *path, size_t size)
{
    if (strnlen(SettingsRoot, sizeof SettingsRoot) == sizeof SettingsRoot) return -1;
    if (subkey == NULL || subkey[0] == '\0')
        return CopyTruncated(path, size, SettingsRoot) ? -1 : 0;
    if (!JoinIfFits(path, size, SettingsRoot, "\\")) return -1;
    return AppendTruncated(path, size, subkey) ? -1 : 0;
}

StoreKey *CreateSettingsKey(const char *subkey)
{
    char path[KEY_PATH_SIZE];
    return BuildKeyPath(subkey, path, sizeof path) == 0 ? StoreCreateKey(path) : NULL;
}

/* StoreOpen's result for the key of subkey; a path that does not fit is an absent key. */
static int OpenForReading(const char *subkey, StoreKey **k)
{
    char path[KEY_PATH_SIZE];
    *k = NULL;
    return BuildKeyPath(subkey, path, sizeof path) == 0 ? StoreOpen(path, k) : 1;
}

StoreKey *OpenSettingsKey(const char *subkey)
{
    StoreKey *k;
    (void)OpenForReading(subkey, &k);
    return k;
}

static int SetValue(const char *subkey, const char *name, int type, const void *data, uint32_t size)
{
    StoreKey *k = CreateSettingsKey(subkey);
    if (k == NULL) return -1;
    int result = StoreSetValue(k, name, type, data, size);
    if (result == 0) result = StoreFlushKey(k);
    StoreCloseKey(k);
    return result;
}

int SetDwordValue(const char *subkey, const char *name, uint32_t value)
{
    return SetValue(subkey, name, STORE_DWORD, &value, 4);
}

int SetDwordValues(const char *subkey, const char *const *names, const uint32_t *values, int n)
{
    StoreKey *k = CreateSettingsKey(subkey);
    if (k == NULL) return -1;
    int result = 0;
    for (int i = 0; i < n && result == 0; i++)
        result = StoreSetValue(k, names[i], STORE_DWORD, &values[i], 4);
    if (result == 0) result = StoreFlushKey(k);
    StoreCloseKey(k);
    return result;
}

int SetStringValue(const char *subkey, const char *name, const char *text)
{
    size_t n = strlen(text) + 1;
    if (n > UINT32_MAX) return -1;
    return SetValue(subkey, name, STORE_STRING, text, (uint32_t)n);
}

int QueryDwordValue(const char *subkey, const char *name, uint32_t *out, uint32_t def)
{
    StoreKey *k;
    unsigned char data[4];
    uint32_t size = sizeof data;
    int type = STORE_NONE;
    int opened = OpenForReading(subkey, &k);
    int ok = opened == 0 && StoreQueryValue(k, name, &type, data, &size) == 0 &&
             type == STORE_DWORD && size == 4;
    StoreCloseKey(k);
    if (ok) memcpy(out, data, 4);
    else *out = def;
    return opened < 0 ? -1 : ok;
}

uint32_t GetDwordSetting(const char *subkey, const char *name, uint32_t def)
{
    uint32_t value;
    (void)QueryDwordValue(subkey, name, &value, def);
    return value;
}

int GetStringSetting(const char *subkey, const char *name, char *buffer, const char *def,
                     size_t size)
{
    StoreKey *k;
    uint32_t room = size > UINT32_MAX ? UINT32_MAX : (uint32_t)size, n = room;
    int type = STORE_NONE;
    int opened = OpenForReading(subkey, &k);
    int ok = opened == 0 && room > 0 && StoreQueryValue(k, name, &type, buffer, &n) == 0 &&
             type == STORE_STRING;
    StoreCloseKey(k);
    /* the registry can hold a string without its NUL: accept it only when the NUL still fits */
    if (ok && (n == 0 || buffer[n - 1] != '\0')) {
        ok = n < room;
        if (ok) buffer[n] = '\0';
    }
    if (!ok) CopyTruncated(buffer, size, def);
    return opened < 0 ? -1 : ok;
}
