/* store.cpp: the settings store of the library for the current host: the host's settings
   service, in the plugin's own tree. A key path's first part names the plugin's key (the tree's
   root); further parts are subkeys. Numbers are kept as 64-bit numbers, texts as UTF-16. */
#include "platform/platform.h"

#include <stdlib.h>
#include <string.h>

#include "base/alloc.h"
#include "far3/adapter.h"
#include "far3/far3text.h"

using namespace far3;

struct StoreKey {
    HANDLE handle;
    size_t root;
    int writable;
};

static intptr_t Settings(HANDLE h, SettingsCommand command, intptr_t param1, void *param2)
{
    return g_host.SettingsControl != NULL ? g_host.SettingsControl(h, command, param1, param2) : 0;
}

/* The key below the plugin's root named by path's parts after the first, created or opened. */
static int WalkSubkeys(StoreKey *k, const char *path, int create)
{
    while (*path == '\\') path++;
    path = strchr(path, '\\'); /* past the plugin's own key */
    while (path != NULL) {
        while (*path == '\\') path++;
        if (*path == '\0') break;
        const char *end = strchr(path, '\\');
        size_t n = end != NULL ? (size_t)(end - path) : strlen(path);
        char part[256];
        if (n >= sizeof part) return -1;
        memcpy(part, path, n);
        part[n] = '\0';
        WideText name;
        FarSettingsValue v = {sizeof v, k->root, name.Set(part)};
        intptr_t root = Settings(k->handle, create ? SCTL_CREATESUBKEY : SCTL_OPENSUBKEY, 0, &v);
        if (root == 0) return 1;
        k->root = (size_t)root;
        path = end;
    }
    return 0;
}

static int OpenKey(const char *path, int writable, StoreKey **out)
{
    *out = NULL;
    if (g_host.SettingsControl == NULL) return 1;
    StoreKey *k = (StoreKey *)MemAlloc(sizeof *k);
    if (k == NULL) return -1;
    FarSettingsCreate create;
    memset(&create, 0, sizeof create);
    create.StructSize = sizeof create;
    create.Guid = PLUGIN_GUID;
    create.Handle = INVALID_HANDLE_VALUE;
    if (!Settings(INVALID_HANDLE_VALUE, SCTL_CREATE, PSL_ROAMING, &create) ||
        create.Handle == INVALID_HANDLE_VALUE || create.Handle == NULL) {
        MemFree(k);
        return 1;
    }
    k->handle = create.Handle;
    k->root = 0;
    k->writable = writable;
    int walked = WalkSubkeys(k, path, writable);
    if (walked != 0) {
        StoreCloseKey(k);
        return walked;
    }
    *out = k;
    return 0;
}

StoreKey *StoreCreateKey(const char *path)
{
    StoreKey *k;
    return OpenKey(path, 1, &k) == 0 ? k : NULL;
}

int StoreOpen(const char *path, StoreKey **k)
{
    return OpenKey(path, 0, k);
}

int StoreFlushKey(StoreKey *k)
{
    (void)k; /* the host commits when the handle is freed */
    return 0;
}

void StoreCloseKey(StoreKey *k)
{
    if (k == NULL) return;
    (void)Settings(k->handle, SCTL_FREE, 0, NULL);
    MemFree(k);
}

int StoreSetValue(StoreKey *k, const char *name, int type, const void *data, uint32_t size)
{
    if (k == NULL || !k->writable || name == NULL) return -1;
    FarSettingsItem item;
    memset(&item, 0, sizeof item);
    item.StructSize = sizeof item;
    item.Root = k->root;
    WideText wName, wText;
    item.Name = wName.Set(name);
    if (type == STORE_DWORD && size == 4) {
        uint32_t v;
        memcpy(&v, data, 4);
        item.Type = FST_QWORD;
        item.Number = v;
    } else if (type == STORE_STRING) {
        const char *text = (const char *)data;
        if (memchr(text, '\0', size) == NULL) return -1; /* kept up to its first NUL */
        item.Type = FST_STRING;
        item.String = wText.Set(text);
    } else {
        return -1;
    }
    return Settings(k->handle, SCTL_SET, 0, &item) ? 0 : -1;
}

/* The stored type of a value of the key, FST_UNKNOWN when it has none of that name: the host
   reads any value as a number when asked for one (a text gives 0), so the type must come from
   the key's list. */
static SettingsType StoredType(StoreKey *k, const wchar_t *name)
{
    FarSettingsEnum list;
    memset(&list, 0, sizeof list);
    list.StructSize = sizeof list;
    list.Root = k->root;
    if (!Settings(k->handle, SCTL_ENUM, 0, &list) || list.Items == NULL) return FST_UNKNOWN;
    for (size_t i = 0; i < list.Count; i++)
        if (list.Items[i].Name != NULL && _wcsicmp(list.Items[i].Name, name) == 0)
            return list.Items[i].Type;
    return FST_UNKNOWN;
}

int StoreQueryValue(StoreKey *k, const char *name, int *type, void *data, uint32_t *size)
{
    if (k == NULL || name == NULL) return -1;
    FarSettingsItem item;
    memset(&item, 0, sizeof item);
    item.StructSize = sizeof item;
    item.Root = k->root;
    WideText wName;
    item.Name = wName.Set(name);
    SettingsType stored = StoredType(k, item.Name);
    if (stored != FST_QWORD && stored != FST_STRING) return -1;
    item.Type = FST_QWORD;
    if (stored == FST_QWORD && Settings(k->handle, SCTL_GET, 0, &item)) {
        uint32_t v = (uint32_t)item.Number;
        *type = STORE_DWORD;
        int fits = *size >= 4;
        *size = 4;
        if (data == NULL) return 0;
        if (!fits) return 1;
        memcpy(data, &v, 4);
        return 0;
    }
    item.Type = FST_STRING;
    if (!Settings(k->handle, SCTL_GET, 0, &item) || item.String == NULL) return -1;
    size_t n = wcslen(item.String);
    if (n >= UINT32_MAX) return -1;
    *type = STORE_STRING;
    int fits = *size > n;
    *size = (uint32_t)n + 1;
    if (data == NULL) return 0;
    if (!fits) return 1;
    BytesFromUnits(item.String, n, (char *)data);
    return 0;
}
