/* platform.h: everything the plugin asks of the operating system; one win32 and one posix backend. */
#ifndef ZOLT_PLATFORM_PLATFORM_H
#define ZOLT_PLATFORM_PLATFORM_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

/* Windows FILETIME: 100-ns units since 1601-01-01, as two 32-bit halves. */
struct FileTime {
    uint32_t low;
    uint32_t high;
};

enum { FILE_ATTR_READONLY = 0x01, FILE_ATTR_DIRECTORY = 0x10 };

/* One directory entry as the enumeration reports it (the fields of WIN32_FIND_DATAA we use). */
struct DirEntry {
    uint32_t attributes;
    FileTime writeTime;
    char name[260];     /* long name */
    char shortName[14]; /* 8.3 alias, empty when there is none (always empty on posix) */
    /* 1: a name the plugin cannot use, reported only to be counted, never to be opened (posix:
       a control character, '\' or '?' in it; Windows: characters outside the code page, shown
       as '?', and no 8.3 alias) */
    int unusableName;
};

/* --- directory enumeration --- */
struct DirEnum;
/* Starts an enumeration of the current directory with a wildcard pattern ("*.*"): 0, the first
   entry and the handle in *dir; 1 when nothing can be enumerated; -1 when memory ran out (the
   directory's entries are unknown, not absent). Posix reports "." and ".." too; a symbolic
   link never has FILE_ATTR_DIRECTORY. Entries with an unusableName come too. */
int DirStart(const char *pattern, DirEntry *entry, DirEnum **dir);
/* DirStart for a caller to whom every failure is the same: the handle, or null. */
static inline DirEnum *DirFirst(const char *pattern, DirEntry *entry)
{
    DirEnum *dir = NULL;
    return DirStart(pattern, entry, &dir) == 0 ? dir : NULL;
}
/* Next entry: 1, or 0 at the end. */
int DirNext(DirEnum *e, DirEntry *entry);
void DirClose(DirEnum *e);

/* --- current directory and files; paths are Windows-style (backslashes) --- */
/* Windows, for the library of the current host generation: from now on every path and name is
   UTF-8, of any length, and relative ones are taken from a current directory of the library's
   own, which SetCurrentDir moves (the process's stays as it is). Until then names are in the
   ANSI code page and the process's current directory counts. Not on posix. */
void UseUnicodeFileNames(void);
int SetCurrentDir(const char *path);                        /* 0 on success, -1 on failure */
int GetCurrentDir(char *buf, size_t size);                  /* 0 on success; backslash form */
int CompareFileTimes(const FileTime *a, const FileTime *b); /* -1, 0, 1 */
/* fopen for a backslash path. For reading, only a regular disk file opens: a directory, FIFO
   or device gives null, without waiting. */
FILE *FileOpen(const char *path, const char *mode);
/* Creates a new file for binary writing; null when anything, a link included, has the name. */
FILE *FileCreateExclusive(const char *path);
int FileGetWriteTime(const char *path, FileTime *out);     /* 0 on success */
int FileSetWriteTime(const char *path, const FileTime *t); /* 0 on success (tests, tools) */
/* Replaces `to` by `from` in one step (rename over an existing file); 0 on success. */
int FileReplace(const char *from, const char *to);
int FileRemove(const char *path); /* 0 on success */
/* --- blocks that may grow large (the definition table) --- */
/* Resizes a block from MemAlloc or from here to size bytes (oldSize of them in use), keeping
   them. On Windows a block past LARGE_BLOCK_MIN moves once into address space reserved for it,
   where it then grows without moving: a 32-bit process could not hold the old and the new copy
   of a table of some hundred megabytes at once. Null on failure, the block untouched. */
enum { LARGE_BLOCK_MIN = 128 * 1024 * 1024 }; /* above a piece of a build's table */
void *LargeBlockResize(void *block, size_t oldSize, size_t size);
void LargeBlockFree(void *block); /* null is allowed */

/* A regular file read at any offset with ordinary reads: a file that shrinks, grows or is
   replaced while it is open gives short reads or old bytes, never a fault. */
struct RandomFile;
/* 0, the handle and the file's size; 1 when the file is missing, not a regular file or cannot
   be opened; -1 when memory ran out. */
int FileOpenRandom(const char *path, RandomFile **f, uint64_t *size);
/* Reads up to n bytes at offset: how many were read (0 past the end), or -1 on an error. */
long FileReadAt(RandomFile *f, uint64_t offset, void *buf, size_t n);
void FileCloseRandom(RandomFile *f); /* null is allowed */
/* The calling process's identifier: names a temporary file no other process writes. */
unsigned long CurrentProcessId(void);
/* 1 while a process with that identifier exists, 0 otherwise. */
int IsProcessRunning(unsigned long pid);

/* An advisory lock that builds of the current directory take; gone when the holder ends. */
struct BuildLock;
/* Waits up to waitMs for the lock. Null when it was not taken: *busy = 1 when another holder
   kept it that long, 0 when it could not be tried at all. */
BuildLock *LockCurrentDir(int waitMs, int *busy);
void UnlockDir(BuildLock *lock); /* null is allowed */

/* Converts between the plugin's backslash paths and the native form (identity on Windows).
   Posix: "\" separators become "/"; a leading "\" is the file-system root. */
int ToNativePath(const char *path, char *out, size_t size);   /* 0, or -1 when it does not fit */
int FromNativePath(const char *path, char *out, size_t size); /* 0, or -1 when it does not fit */

/* --- settings store: the current user's registry, or a text file on posix --- */
enum { STORE_NONE = 0, STORE_DWORD = 4, STORE_STRING = 1 }; /* the registry's REG_DWORD, REG_SZ */
struct StoreKey;
StoreKey *StoreCreateKey(const char *path); /* create or open for writing; null on failure */
/* Opens for reading: 0 and *k; 1 when the key is absent or the store unreadable; -1 when memory
   ran out (the key may well exist). */
int StoreOpen(const char *path, StoreKey **k);
static inline StoreKey *StoreOpenKey(const char *path) /* null when it could not be opened */
{
    StoreKey *k = NULL;
    return StoreOpen(path, &k) == 0 ? k : NULL;
}
void StoreCloseKey(StoreKey *k); /* writes pending changes (posix) */
/* Writes pending changes now: 0, or -1 when they could not be written (the stored values stay
   as they were; the changes remain pending). Nothing to do on Windows. */
int StoreFlushKey(StoreKey *k);
/* 0, or -1 (bad type, size or name, or a key opened for reading). A string's size counts its
   NUL; the value is stored up to the first NUL. */
int StoreSetValue(StoreKey *k, const char *name, int type, const void *data, uint32_t size);
/* Reads at most *size bytes; sets *type and *size to the stored type and size. 0 on success
   (a null data only asks for type and size), -1 when missing, 1 when the value is larger than
   *size (*size = needed; data may have been written on Windows). A string comes with its NUL. */
int StoreQueryValue(StoreKey *k, const char *name, int *type, void *data, uint32_t *size);

/* --- keyboard and fatal box --- */
/* VkKeyScanA: low byte virtual-key code, high byte shift state (1 Shift, 2 Ctrl, 4 Alt);
   -1 when no key types the character. */
int KeyScanChar(char c);
/* 1 when Esc was pressed since the last call, as the host's console input holds it: the keys
   up to and including the Esc are taken from the input. 0, and the input left alone, when no
   Esc waits or the process has no console input of a full-screen host (posix: standard input
   is not a terminal in raw mode, as a shell leaves it; its lines are the shell's). */
int ConsoleEscPressed(void);
/* Windows: a beep and a modal box; with the environment variable ZOLT_NO_FATAL_BOX set to a
   non-empty value, a line "title: text" on stderr instead (unattended runs and tests). */
void FatalBox(const char *text, const char *title);
/* Runs body(arg) and returns 0. 32-bit Windows: a processor fault inside it (access violation,
   division by zero, illegal instruction ...) that no handler nearer to it takes ends body instead
   of the host, and the result is 1; nothing of body's frames is cleaned up. Elsewhere body runs
   unguarded (64-bit Windows unwinds by tables that cannot be hooked from here; posix reports a
   fault with a signal). */
int RunGuarded(void (*body)(void *), void *arg);
/* Called by every command before it runs. Nothing, except in the Windows fault-test library,
   which throws a C++ exception here while the environment variable ZOLT_TEST_FAULT is "throw". */
void TestFaultPoint(void);

#endif
