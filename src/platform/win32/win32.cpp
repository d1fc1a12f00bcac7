/* win32.cpp: the platform interface over the Windows API (the DLL's backend). */
#include "platform/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "base/alloc.h"
#include "base/text.h"
#include "platform/win32/names.h"

struct DirEnum {
    HANDLE find;
    int wide; /* found by the UTF-16 functions (names.h) */
};

/* --- directory enumeration --- */

/* A junction or directory link is reported as a plain entry: the walk must not follow it, or a
   link up the tree makes it loop. A reparse point is walked only when its tag is Microsoft's and
   stands for no other name (e.g. a cloud-file placeholder). Wine leaves the tag unset for its
   links (dwReserved0 holds no tag), so an unknown tag counts as a link too. */
static int IsLinkedEntry(DWORD attributes, DWORD tag)
{
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
    return !IsReparseTagMicrosoft(tag) || IsReparseTagNameSurrogate(tag);
}

/* Windows opens a device, not the file, for a name whose base (before the first dot, trailing
   blanks ignored) is CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9, in any case and with any
   extension; reading AUX or CON waits for input forever. Such files exist in real trees (Linux
   has include/soc/arc/aux.h), so they are left out. `name` may be a path: its last part counts. */
static int IsDeviceName(const char *name)
{
    for (const char *p = name; *p != '\0'; p++)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    size_t n = 0;
    while (name[n] != '\0' && name[n] != '.') n++;
    while (n > 0 && name[n - 1] == ' ') n--;
    if (n < 3 || n > 4) return 0;
    char base[5];
    for (size_t i = 0; i < n; i++) base[i] = (char)UpperAscii((unsigned char)name[i]);
    base[n] = '\0';
    if (n == 3)
        return strcmp(base, "CON") == 0 || strcmp(base, "PRN") == 0 || strcmp(base, "AUX") == 0 ||
               strcmp(base, "NUL") == 0;
    return (strncmp(base, "COM", 3) == 0 || strncmp(base, "LPT", 3) == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

/* Fills entry; 0 when the walk must not see it. FindFirstFileA puts '?' for every character
   the ANSI code page cannot hold, and '?' separates the index lines' fields: such a file goes
   by its 8.3 alias, or comes marked unusableName when it has none (as the posix walk marks
   such names). */
static int FillEntry(const WIN32_FIND_DATAA *fd, DirEntry *entry)
{
    const char *name = fd->cFileName;
    entry->unusableName = 0;
    if (strchr(name, '?') != NULL) {
        if (fd->cAlternateFileName[0] != '\0' && strchr(fd->cAlternateFileName, '?') == NULL)
            name = fd->cAlternateFileName;
        else entry->unusableName = 1;
    }
    if (IsDeviceName(name)) return 0;
    entry->attributes = fd->dwFileAttributes;
    if (IsLinkedEntry(fd->dwFileAttributes, fd->dwReserved0))
        entry->attributes &= ~(DWORD)FILE_ATTRIBUTE_DIRECTORY;
    entry->writeTime.low = fd->ftLastWriteTime.dwLowDateTime;
    entry->writeTime.high = fd->ftLastWriteTime.dwHighDateTime;
    CopyTruncated(entry->name, sizeof entry->name, name);
    CopyTruncated(entry->shortName, sizeof entry->shortName, fd->cAlternateFileName);
    return 1;
}

/* The same for a UTF-16 entry: the name as UTF-8, never an alias. A name that does not fit an
   entry (no index line could hold it), is no valid UTF-16 or holds a control character comes
   marked unusableName. */
static int FillEntryW(const WIN32_FIND_DATAW *fd, DirEntry *entry)
{
    entry->unusableName = WideToUtf8(fd->cFileName, entry->name, sizeof entry->name) != 0;
    for (const char *p = entry->name; *p != '\0' && !entry->unusableName; p++)
        if ((unsigned char)*p < 0x20) entry->unusableName = 1;
    if (entry->unusableName) { /* "?" and the extension: enough to count it by the masks */
        const wchar_t *dot = wcsrchr(fd->cFileName, L'.');
        entry->name[0] = '?';
        if (dot == NULL || WideToUtf8(dot, entry->name + 1, sizeof entry->name - 1) != 0)
            entry->name[1] = '\0';
    } else if (IsDeviceName(entry->name)) return 0;
    entry->attributes = fd->dwFileAttributes;
    if (IsLinkedEntry(fd->dwFileAttributes, fd->dwReserved0))
        entry->attributes &= ~(DWORD)FILE_ATTRIBUTE_DIRECTORY;
    entry->writeTime.low = fd->ftLastWriteTime.dwLowDateTime;
    entry->writeTime.high = fd->ftLastWriteTime.dwHighDateTime;
    entry->shortName[0] = '\0';
    return 1;
}

/* The next entry the walk may see: 1, or 0 at the end. */
static int NextKeptW(HANDLE find, DirEntry *entry)
{
    WIN32_FIND_DATAW fd;
    for (;;) {
        memset(&fd, 0, sizeof fd);
        if (!FindNextFileW(find, &fd)) return 0;
        if (FillEntryW(&fd, entry)) return 1;
    }
}

static int NextKept(HANDLE find, DirEntry *entry)
{
    /* cleared before every call: Wine leaves the reparse tag (dwReserved0) unset, and a stale
       value there could pass a directory link for a directory to walk */
    WIN32_FIND_DATAA fd;
    for (;;) {
        memset(&fd, 0, sizeof fd);
        if (!FindNextFileA(find, &fd)) return 0;
        if (FillEntry(&fd, entry)) return 1;
    }
}

/* The first entry through the UTF-16 functions: the handle, or INVALID_HANDLE_VALUE. */
static HANDLE FirstKeptW(const char *pattern, DirEntry *entry)
{
    wchar_t *path = WideFullPath(pattern);
    if (path == NULL) return INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW fd;
    memset(&fd, 0, sizeof fd);
    HANDLE h = FindFirstFileW(path, &fd);
    free(path);
    if (h != INVALID_HANDLE_VALUE && !FillEntryW(&fd, entry) && !NextKeptW(h, entry)) {
        FindClose(h);
        h = INVALID_HANDLE_VALUE;
    }
    return h;
}

int DirStart(const char *pattern, DirEntry *entry, DirEnum **dir)
{
    *dir = NULL;
    HANDLE h;
    int wide = UnicodeNames();
    if (wide) {
        h = FirstKeptW(pattern, entry);
        if (h == INVALID_HANDLE_VALUE) return 1;
    } else {
        WIN32_FIND_DATAA fd;
        memset(&fd, 0, sizeof fd);
        h = FindFirstFileA(pattern, &fd);
        if (h == INVALID_HANDLE_VALUE) return 1;
        if (!FillEntry(&fd, entry) && !NextKept(h, entry)) {
            FindClose(h);
            return 1;
        }
    }
    DirEnum *e = (DirEnum *)MemAlloc(sizeof(DirEnum));
    if (e == NULL) {
        FindClose(h);
        return -1;
    }
    e->find = h;
    e->wide = wide;
    *dir = e;
    return 0;
}

int DirNext(DirEnum *e, DirEntry *entry)
{
    return e->wide ? NextKeptW(e->find, entry) : NextKept(e->find, entry);
}

void DirClose(DirEnum *e)
{
    if (e == NULL) return;
    FindClose(e->find);
    MemFree(e);
}

/* --- current directory and files --- */

/* CreateFile for a plugin path: the ANSI function, or the UTF-16 one on the full path. */
static HANDLE OpenPath(const char *path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    if (!UnicodeNames()) return CreateFileA(path, access, share, NULL, disposition, flags, NULL);
    wchar_t *w = WideFullPath(path);
    if (w == NULL) return INVALID_HANDLE_VALUE;
    HANDLE h = CreateFileW(w, access, share, NULL, disposition, flags, NULL);
    free(w);
    return h;
}

static int RemovePath(const char *path)
{
    if (!UnicodeNames()) return DeleteFileA(path) ? 0 : -1;
    wchar_t *w = WideFullPath(path);
    int ok = w != NULL && DeleteFileW(w);
    free(w);
    return ok ? 0 : -1;
}

static FILE *OpenStream(const char *path, const char *mode)
{
    if (!UnicodeNames()) return fopen(path, mode);
    wchar_t wmode[8];
    size_t i = 0;
    for (; mode[i] != '\0' && i + 1 < sizeof wmode / sizeof wmode[0]; i++)
        wmode[i] = (wchar_t)(unsigned char)mode[i];
    wmode[i] = L'\0';
    wchar_t *w = WideFullPath(path);
    FILE *f = w != NULL ? _wfopen(w, wmode) : NULL;
    free(w);
    return f;
}

int SetCurrentDir(const char *path)
{
    if (UnicodeNames()) return WideSetCurrentDir(path);
    return SetCurrentDirectoryA(path) ? 0 : -1;
}

int GetCurrentDir(char *buf, size_t size)
{
    if (UnicodeNames()) return WideGetCurrentDir(buf, size);
    DWORD room = size > MAXDWORD ? MAXDWORD : (DWORD)size;
    DWORD n = GetCurrentDirectoryA(room, buf);
    return n != 0 && n < room ? 0 : -1; /* too small: n is the size it would need */
}

int CompareFileTimes(const FileTime *a, const FileTime *b)
{
    FILETIME x = {a->low, a->high}, y = {b->low, b->high};
    return (int)CompareFileTime(&x, &y);
}

/* Only regular disk files: a device name is refused before it is opened (opening one can be
   enough to wait), anything else not on disk (a pipe, a console) right after. */
FILE *FileOpen(const char *path, const char *mode)
{
    if (IsDeviceName(path)) {
        errno = ENOENT;
        return NULL;
    }
    FILE *f = OpenStream(path, mode);
    if (f != NULL && GetFileType((HANDLE)_get_osfhandle(_fileno(f))) != FILE_TYPE_DISK) {
        fclose(f);
        errno = EACCES;
        return NULL;
    }
    return f;
}

int FileGetWriteTime(const char *path, FileTime *out)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (UnicodeNames()) {
        wchar_t *w = WideFullPath(path);
        int ok = w != NULL && GetFileAttributesExW(w, GetFileExInfoStandard, &data);
        free(w);
        if (!ok) return -1;
    } else if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        return -1;
    }
    out->low = data.ftLastWriteTime.dwLowDateTime;
    out->high = data.ftLastWriteTime.dwHighDateTime;
    return 0;
}

int FileSetWriteTime(const char *path, const FileTime *t)
{
    HANDLE h = OpenPath(path, FILE_WRITE_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS);
    if (h == INVALID_HANDLE_VALUE) return -1;
    FILETIME ft = {t->low, t->high};
    BOOL ok = SetFileTime(h, NULL, NULL, &ft);
    CloseHandle(h);
    return ok ? 0 : -1;
}

/* Large blocks: reserved address space, committed up to the block's size. A handful at most are
   alive at once (a command's tables, a nested command's). */
struct LargeBlock {
    char *base;
    size_t reserved;
    size_t committed;
};
static LargeBlock largeBlocks[8];

static LargeBlock *FindLargeBlock(const void *p)
{
    for (LargeBlock &b : largeBlocks)
        if (p != NULL && b.base == p) return &b;
    return NULL;
}

static int CommitLargeBlock(LargeBlock *b, size_t size)
{
    if (size <= b->committed) return 0;
    if (VirtualAlloc(b->base + b->committed, size - b->committed, MEM_COMMIT, PAGE_READWRITE) ==
        NULL)
        return -1;
    b->committed = size;
    return 0;
}

/* As much address space as the process can spare, from 1 GB down, but at least `size`. */
static char *ReserveAddressSpace(size_t size, size_t *reserved)
{
    for (size_t want = (size_t)1 << 30;; want -= want / 4) {
        if (want < size * 2) want = size;
        void *p = VirtualAlloc(NULL, want, MEM_RESERVE, PAGE_READWRITE);
        if (p != NULL) {
            *reserved = want;
            return (char *)p;
        }
        if (want == size) return NULL;
    }
}

void *LargeBlockResize(void *block, size_t oldSize, size_t size)
{
    LargeBlock *b = FindLargeBlock(block);
    if (b == NULL && size < LARGE_BLOCK_MIN) return MemRealloc(block, size);
    if (MemTakeAllocation()) return NULL;
    if (b != NULL && size <= b->reserved) {
        if (CommitLargeBlock(b, size) == 0) return block;
        MemNoteFailure();
        return NULL;
    }
    LargeBlock *slot = NULL;
    for (LargeBlock &unused : largeBlocks)
        if (unused.base == NULL && slot == NULL) slot = &unused;
    LargeBlock grown = {NULL, 0, 0};
    if (slot != NULL) grown.base = ReserveAddressSpace(size, &grown.reserved);
    if (grown.base == NULL || CommitLargeBlock(&grown, size) != 0) {
        if (grown.base != NULL) VirtualFree(grown.base, 0, MEM_RELEASE);
        MemNoteFailure();
        return NULL;
    }
    if (block != NULL) memcpy(grown.base, block, oldSize < size ? oldSize : size);
    LargeBlockFree(block);
    *slot = grown;
    return grown.base;
}

void LargeBlockFree(void *block)
{
    LargeBlock *b = FindLargeBlock(block);
    if (b == NULL) {
        MemFree(block);
        return;
    }
    VirtualFree(b->base, 0, MEM_RELEASE);
    b->base = NULL;
}

struct RandomFile {
    HANDLE handle;
};

int FileOpenRandom(const char *path, RandomFile **f, uint64_t *size)
{
    *f = NULL;
    *size = 0;
    if (IsDeviceName(path)) return 1;
    HANDLE h = OpenPath(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) return 1;
    LARGE_INTEGER length;
    /* a device (a name like AUX or COM1) or a pipe is never read as an index */
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &length) || length.QuadPart < 0) {
        CloseHandle(h);
        return 1;
    }
    RandomFile *r = (RandomFile *)MemAlloc(sizeof *r);
    if (r == NULL) {
        CloseHandle(h);
        return -1;
    }
    r->handle = h;
    *f = r;
    *size = (uint64_t)length.QuadPart;
    return 0;
}

long FileReadAt(RandomFile *f, uint64_t offset, void *buf, size_t n)
{
    OVERLAPPED at;
    memset(&at, 0, sizeof at);
    at.Offset = (DWORD)offset;
    at.OffsetHigh = (DWORD)(offset >> 32);
    DWORD want = n > 0x40000000u ? 0x40000000u : (DWORD)n, got = 0;
    if (ReadFile(f->handle, buf, want, &got, &at)) return (long)got;
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

void FileCloseRandom(RandomFile *f)
{
    if (f == NULL) return;
    CloseHandle(f->handle);
    MemFree(f);
}

int FileReplace(const char *from, const char *to)
{
    if (!UnicodeNames()) return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : -1;
    wchar_t *a = WideFullPath(from), *b = WideFullPath(to);
    int ok = a != NULL && b != NULL && MoveFileExW(a, b, MOVEFILE_REPLACE_EXISTING);
    free(a);
    free(b);
    return ok ? 0 : -1;
}

int FileRemove(const char *path)
{
    return RemovePath(path);
}

unsigned long CurrentProcessId(void)
{
    return (unsigned long)GetCurrentProcessId();
}

FILE *FileCreateExclusive(const char *path)
{
    /* CREATE_NEW fails on any existing name, a link included: nothing is opened through it */
    HANDLE h = OpenPath(path, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) return NULL;
    int fd = _open_osfhandle((intptr_t)h, _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        (void)RemovePath(path);
        return NULL;
    }
    FILE *f = _fdopen(fd, "wb");
    if (f == NULL) {
        _close(fd);
        (void)RemovePath(path);
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
        h = OpenPath("zoltlck$.Far", GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
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

/* --- keyboard and fatal box --- */

int KeyScanChar(char c)
{
    SHORT code = VkKeyScanA(c);
    return code == -1 ? -1 : (int)(unsigned short)code;
}

/* The console input is looked at without taking anything; only when an Esc key press waits are
   the events up to it read, so the host still gets every key typed meanwhile but those. */
int ConsoleEscPressed(void)
{
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0, n = 0;
    if (in == NULL || in == INVALID_HANDLE_VALUE || !GetConsoleMode(in, &mode)) return 0;
    INPUT_RECORD events[64];
    if (!PeekConsoleInputA(in, events, sizeof events / sizeof events[0], &n)) return 0;
    for (DWORD i = 0; i < n; i++) {
        const KEY_EVENT_RECORD *k = &events[i].Event.KeyEvent;
        if (events[i].EventType != KEY_EVENT || !k->bKeyDown || k->wVirtualKeyCode != VK_ESCAPE)
            continue;
        DWORD read = 0;
        (void)ReadConsoleInputA(in, events, i + 1, &read);
        return 1;
    }
    return 0;
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

/* --- faults inside a command --- */

#if defined(__i386__)
/* A C++ exception cannot be made of a processor fault here (the DWARF unwinder knows nothing of
   them), so a fault is taken the way the system offers on 32-bit Windows: a handler frame on
   the thread's chain, put in place for the guarded call. The handler resumes the thread in
   LeaveGuard, which jumps back into RunGuarded. Handlers nearer to the fault (a host service's
   own) come first; exceptions that are not processor faults pass by untouched. */
struct FaultGuard {
    EXCEPTION_REGISTRATION_RECORD reg; /* first: the handler is given its address */
    void *resume[5];                   /* __builtin_setjmp's buffer */
};

static int IsProcessorFault(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_STACK_CHECK: return 1;
    default: /* a stack overflow among them: its guard page would be gone for the next one */
        return 0;
    }
}

/* Entered in place of the faulting instruction, the guard in EAX: nothing may be written to the
   stack before the thread resumes, the record the system resumes it from lies just below. */
__attribute__((regparm(1), noreturn, noinline)) static void LeaveGuard(FaultGuard *guard)
{
    __builtin_longjmp(guard->resume, 1);
}

static EXCEPTION_DISPOSITION NTAPI OnFault(EXCEPTION_RECORD *rec, void *frame, CONTEXT *ctx, void *)
{
    const DWORD passing = EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND | EXCEPTION_NONCONTINUABLE;
    if ((rec->ExceptionFlags & passing) != 0 || !IsProcessorFault(rec->ExceptionCode))
        return ExceptionContinueSearch;
    ctx->Eax = (DWORD)(uintptr_t)frame;
    ctx->Eip = (DWORD)(uintptr_t)LeaveGuard;
    return ExceptionContinueExecution;
}

/* The head of the thread's handler chain, fs:0 (NtCurrentTeb() draws a false bounds warning). */
static EXCEPTION_REGISTRATION_RECORD *HandlerChain(void)
{
    EXCEPTION_REGISTRATION_RECORD *head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

static void SetHandlerChain(EXCEPTION_REGISTRATION_RECORD *head)
{
    __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

int RunGuarded(void (*body)(void *), void *arg)
{
    FaultGuard guard;
    guard.reg.Next = HandlerChain();
    guard.reg.Handler = OnFault;
    if (__builtin_setjmp(guard.resume) != 0) { /* back from LeaveGuard */
        SetHandlerChain(guard.reg.Next);
        return 1;
    }
    SetHandlerChain(&guard.reg);
    body(arg);
    SetHandlerChain(guard.reg.Next);
    return 0;
}
#else
int RunGuarded(void (*body)(void *), void *arg)
{
    body(arg);
    return 0;
}
#endif
