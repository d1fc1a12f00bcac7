/* direnum.cpp: enumeration of the current directory in the manner of FindFirstFileA. */
#include "platform/platform.h"

#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "base/alloc.h"
#include "base/text.h"
#include "platform/posix/posix_p.h"

/* The matching names, read whole when the enumeration starts and handed out in the order an
   NTFS directory (and Wine) lists them. The order matters beyond looks: scanner state may carry
   from one file to the next, so the same tree must be walked the same way on both platforms. */
struct DirEnum {
    char *names; /* NUL-terminated names, one after another */
    size_t used, size;
    size_t *order; /* offsets into names, sorted */
    size_t count, next;
    int dotsReported; /* "." and ".." come first, as on Windows */
    int matchAll;
    char pattern[260];
};

/* '*' and '?' wildcards, ASCII letters compared without case. The last '*' is the only
   backtracking point, so the match stays linear in practice. */
static int IsWildcardMatch(const char *pattern, const char *name)
{
    const char *star = NULL, *resume = NULL;
    while (*name != '\0') {
        if (*pattern == '*') {
            star = ++pattern;
            resume = name;
        } else if (*pattern != '\0' && (*pattern == '?' || UpperAscii((unsigned char)*pattern) ==
                                                               UpperAscii((unsigned char)*name))) {
            pattern++;
            name++;
        } else if (star != NULL) {
            pattern = star;
            name = ++resume;
        } else {
            return 0;
        }
    }
    while (*pattern == '*') pattern++;
    return *pattern == '\0';
}

/* A name a Windows directory could hold as well. The rest of the program relies on it: '\' is
   its path separator, '?' separates the index files' fields and a control character (a line
   end above all) would split an index line. */
static int IsWindowsName(const char *name)
{
    for (const unsigned char *p = (const unsigned char *)name; *p != '\0'; p++)
        if (*p < 0x20 || *p == '\\' || *p == '?') return 0;
    return 1;
}

/* Fills entry for `name`; 0 when the entry is to be skipped (gone, or neither a file nor a
   directory). A link reads as its target when that is a regular file, and as a plain entry
   without the directory attribute when it leads to a directory, so a walk stays in the tree. A
   name no Windows tree could hold comes marked unusableName. */
static int DescribeEntry(const char *name, DirEntry *entry)
{
    struct stat sb, target;
    if (lstat(name, &sb) != 0) return 0;
    uint32_t attributes = 0;
    if (S_ISLNK(sb.st_mode)) {
        if (stat(name, &target) != 0) return 0; /* dangling link: nothing to open */
        if (S_ISREG(target.st_mode)) sb = target;
        else if (!S_ISDIR(target.st_mode)) return 0;
    } else if (S_ISDIR(sb.st_mode)) {
        attributes |= FILE_ATTR_DIRECTORY;
    } else if (!S_ISREG(sb.st_mode)) {
        return 0; /* fifos and devices could block a reader */
    }
    if ((sb.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTR_READONLY;
    memset(entry, 0, sizeof *entry);
    entry->attributes = attributes;
    entry->unusableName = !IsWindowsName(name);
    FileTimeFromUnix(&sb.st_mtim, &entry->writeTime);
    return CopyTruncated(entry->name, sizeof entry->name, name) == 0;
}

static int IsWanted(const DirEnum *e, const char *name)
{
    return e->matchAll || IsWildcardMatch(e->pattern, name);
}

int DirNext(DirEnum *e, DirEntry *entry)
{
    static const char *const dots[2] = {".", ".."};
    while (e->dotsReported < 2) {
        const char *name = dots[e->dotsReported++];
        if (IsWanted(e, name) && DescribeEntry(name, entry)) return 1;
    }
    while (e->next < e->count)
        if (DescribeEntry(e->names + e->order[e->next++], entry)) return 1;
    return 0;
}

/* Upper-cased byte order, as NTFS compares names (its table folds the ASCII letters alike). */
static int CompareNames(const char *a, const char *b)
{
    for (;; a++, b++) {
        int x = UpperAscii((unsigned char)*a), y = UpperAscii((unsigned char)*b);
        if (x != y || x == 0) return x - y;
    }
}

static const char *g_sortNames; /* qsort passes no context */

static int CompareOffsets(const void *a, const void *b)
{
    const char *x = g_sortNames + *(const size_t *)a, *y = g_sortNames + *(const size_t *)b;
    int order = CompareNames(x, y);
    return order != 0 ? order : strcmp(x, y); /* names only Linux tells apart: a fixed order */
}

/* Appends one name and its offset; 0, or -1 when the storage cannot grow. */
static int KeepName(DirEnum *e, const char *name, size_t *capacity)
{
    size_t len = strlen(name) + 1;
    if (e->used + len > e->size) {
        size_t size = e->size * 2 + len + 4096;
        char *grown = (char *)MemRealloc(e->names, size);
        if (grown == NULL) return -1;
        e->names = grown;
        e->size = size;
    }
    if (e->count == *capacity) {
        size_t *grown = (size_t *)MemRealloc(e->order, (*capacity * 2 + 64) * sizeof(size_t));
        if (grown == NULL) return -1;
        e->order = grown;
        *capacity = *capacity * 2 + 64;
    }
    memcpy(e->names + e->used, name, len);
    e->order[e->count++] = e->used;
    e->used += len;
    return 0;
}

/* Reads the current directory's matching names and sorts them: 0, 1 when the directory cannot
   be read, -1 when memory ran out. */
static int ReadNames(DirEnum *e)
{
    DIR *dir = opendir(".");
    if (dir == NULL) return 1;
    size_t capacity = 0;
    int result = 0;
    struct dirent *d;
    while (result == 0 && (d = readdir(dir)) != NULL) {
        if (strcmp(d->d_name, ".") == 0 || strcmp(d->d_name, "..") == 0) continue;
        if (IsWanted(e, d->d_name)) result = KeepName(e, d->d_name, &capacity);
    }
    closedir(dir);
    if (result == 0 && e->count > 1) {
        g_sortNames = e->names;
        qsort(e->order, e->count, sizeof(size_t), CompareOffsets);
    }
    return result;
}

int DirStart(const char *pattern, DirEntry *entry, DirEnum **dir)
{
    *dir = NULL;
    DirEnum *e = (DirEnum *)MemAlloc(sizeof(DirEnum));
    if (e == NULL) return -1;
    int result = CopyTruncated(e->pattern, sizeof e->pattern, pattern) != 0 ? 1 : 0;
    e->matchAll = strcmp(pattern, "*.*") == 0 || strcmp(pattern, "*") == 0;
    if (result == 0) result = ReadNames(e);
    if (result == 0 && !DirNext(e, entry)) result = 1;
    if (result != 0) DirClose(e);
    else *dir = e;
    return result;
}

void DirClose(DirEnum *e)
{
    if (e == NULL) return;
    MemFree(e->names);
    MemFree(e->order);
    MemFree(e);
}
