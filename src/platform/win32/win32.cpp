/* win32.cpp: the platform interface over the Windows API (the DLL's backend). */
#include "platform/platform.h"

#include <fcntl.h>
#include <io.h>
#include <stdint.h>
#include <windows.h>

#include "base/alloc.h"
#include "base/text.h"

struct DirEnum {
    HANDLE find;
};

struct StoreKey {
    HKEY key;
};

/* --- directory enumeration --- */

/* A junction or directory link is reported as a plain entry: the walk must not follow it, or a
   link up the tree makes it loop. A reparse point is walked only when its tag is Microsoft's and
   stands for no other name (e.g. a cloud-file placeholder). Wine leaves the tag unset for its
   links (dwReserved0 holds no tag), so an unknown tag counts as a link too. */
static int IsLinkedEntry(const WIN32_FIND_DATAA *fd)
{
    if (!(fd->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
    DWORD tag = fd->dwReserved0;
    return !IsReparseTagMicrosoft(tag) || IsReparseTagNameSurrogate(tag);
}

static void FillEntry(const WIN32_FIND_DATAA *fd, DirEntry *entry)
{
    entry->attributes = fd->dwFileAttributes;
    if (IsLinkedEntry(fd)) entry->attributes &= ~(DWORD)FILE_ATTRIBUTE_DIRECTORY;
    entry->writeTime.low = fd->ftLastWriteTime.dwLowDateTime;
    entry->writeTime.high = fd->ftLastWriteTime.dwHighDateTime;
    CopyTruncated(entry->name, sizeof entry->name, fd->cFileName);
    CopyTruncated(entry->shortName, sizeof entry->shortName, fd->cAlternateFileName);
}

DirEnum *DirFirst(const char *pattern, DirEntry *entry)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return NULL;
    DirEnum *e = (DirEnum *)MemAlloc(sizeof(DirEnum));
    if (e == NULL) {
        FindClose(h);
        return NULL;
    }
    e->find = h;
    FillEntry(&fd, entry);
    return e;
}

int DirNext(DirEnum *e, DirEntry *entry)
{
    WIN32_FIND_DATAA fd;
    if (!FindNextFileA(e->find, &fd)) return 0;
    FillEntry(&fd, entry);
    return 1;
}

void DirClose(DirEnum *e)
{
    if (e == NULL) return;
    FindClose(e->find);
    MemFree(e);
}

/* --- current directory and files --- */

int SetCurrentDir(const char *path)
{
    return SetCurrentDirectoryA(path) ? 0 : -1;
}

int GetCurrentDir(char *buf, size_t size)
{
    DWORD room = size > MAXDWORD ? MAXDWORD : (DWORD)size;
    DWORD n = GetCurrentDirectoryA(room, buf);
    return n != 0 && n < room ? 0 : -1; /* too small: n is the size it would need */
}

int CompareFileTimes(const FileTime *a, const FileTime *b)
{
    FILETIME x = {a->low, a->high}, y = {b->low, b->high};
    return (int)CompareFileTime(&x, &y);
}

FILE *FileOpen(const char *path, const char *mode)
{
    return fopen(path, mode);
}

int FileGetWriteTime(const char *path, FileTime *out)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
    out->low = data.ftLastWriteTime.dwLowDateTime;
    out->high = data.ftLastWriteTime.dwHighDateTime;
    return 0;
}

int FileSetWriteTime(const char *path, const FileTime *t)
{
    HANDLE h = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (h == INVALID_HANDLE_VALUE) return -1;
    FILETIME ft = {t->low, t->high};
    BOOL ok = SetFileTime(h, NULL, NULL, &ft);
    CloseHandle(h);
    return ok ? 0 : -1;
}

int FileReplace(const char *from, const char *to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : -1;
}

int FileRemove(const char *path)
{
    return DeleteFileA(path) ? 0 : -1;
}

unsigned long CurrentProcessId(void)
{
    return (unsigned long)GetCurrentProcessId();
}

FILE *FileCreateExclusive(const char *path)
{
    /* CREATE_NEW fails on any existing name, a link included: nothing is opened through it */
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return NULL;
    int fd = _open_osfhandle((intptr_t)h, _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        DeleteFileA(path);
        return NULL;
    }
    FILE *f = _fdopen(fd, "wb");
    if (f == NULL) {
        _close(fd);
        DeleteFileA(path);
    }
    return f;
}

int IsProcessRunning(unsigned long pid)
{
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, (DWORD)pid);
    if (h == NULL) return GetLastError() == ERROR_ACCESS_DENIED; /* someone else's */
    int running = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return running;
}

struct BuildLock {
    HANDLE file;
};

/* A directory cannot be locked here: the lock is a file opened without sharing, deleted when
   its handle closes, so a build that dies leaves nothing behind. */
BuildLock *LockCurrentDir(int waitMs, int *busy)
{
    *busy = 0;
    HANDLE h;
    for (int waited = 0;; waited += 20) {
        h = CreateFileA("zoltlck$.Far", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
        if (h != INVALID_HANDLE_VALUE) break;
        if (GetLastError() != ERROR_SHARING_VIOLATION) return NULL;
        if (waited >= waitMs) {
            *busy = 1;
            return NULL;
        }
        Sleep(20);
    }
    BuildLock *lock = (BuildLock *)MemAlloc(sizeof(BuildLock));
    if (lock == NULL) {
        CloseHandle(h);
        return NULL;
    }
    lock->file = h;
    return lock;
}

void UnlockDir(BuildLock *lock)
{
    if (lock == NULL) return;
    CloseHandle(lock->file);
    MemFree(lock);
}

int ToNativePath(const char *path, char *out, size_t size)
{
    if (CopyTruncated(out, size, path) == 0) return 0;
    if (size > 0) out[0] = '\0';
    return -1;
}

int FromNativePath(const char *path, char *out, size_t size)
{
    return ToNativePath(path, out, size);
}

/* --- settings store --- */

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
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_QUERY_VALUE,
                        NULL, &key, &disposition) != ERROR_SUCCESS)
        return NULL;
    return WrapKey(key);
}

StoreKey *StoreOpenKey(const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return NULL;
    return WrapKey(key);
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
    if (k == NULL || (type != STORE_DWORD && type != STORE_STRING) || (type == STORE_DWORD && size != 4))
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

/* --- keyboard and fatal box --- */

int KeyScanChar(char c)
{
    SHORT code = VkKeyScanA(c);
    return code == -1 ? -1 : (int)(unsigned short)code;
}

/* With ZOLT_NO_FATAL_BOX set (non-empty) the text goes to stderr instead: an unattended run,
   such as the tests under Wine, must not wait for someone to close a box. */
void FatalBox(const char *text, const char *title)
{
    char flag[2];
    if (GetEnvironmentVariableA("ZOLT_NO_FATAL_BOX", flag, sizeof flag) != 0) {
        fprintf(stderr, "%s: %s\n", title, text);
        fflush(stderr);
        return;
    }
    MessageBeep(0);
    MessageBoxA(NULL, text, title, MB_ICONSTOP | MB_OK);
}
