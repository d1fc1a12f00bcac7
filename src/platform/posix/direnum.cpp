/* direnum.cpp: enumeration of the current directory in the manner of FindFirstFileA. */
#include "platform/platform.h"

#include <dirent.h>
#include <string.h>
#include <sys/stat.h>

#include "base/alloc.h"
#include "base/text.h"
#include "platform/posix/posix_p.h"

struct DirEnum {
    DIR *dir;
    int dotsReported; /* "." and ".." come first, as on Windows */
    int matchAll;
    char pattern[260];
};

static int FoldAscii(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
}

/* '*' and '?' wildcards, ASCII letters compared without case. The last '*' is the only
   backtracking point, so the match stays linear in practice. */
static int IsWildcardMatch(const char *pattern, const char *name)
{
    const char *star = NULL, *resume = NULL;
    while (*name != '\0') {
        if (*pattern == '*') {
            star = ++pattern;
            resume = name;
        } else if (*pattern != '\0' &&
                   (*pattern == '?' || FoldAscii((unsigned char)*pattern) == FoldAscii((unsigned char)*name))) {
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
   without the directory attribute when it leads to a directory, so a walk stays in the tree. A name no Windows tree could hold is skipped. */
static int DescribeEntry(const char *name, DirEntry *entry)
{
    struct stat sb, target;
    if (!IsWindowsName(name)) return 0;
    if (lstat(name, &sb) != 0) return 0;
    uint32_t attributes = 0;
    if (S_ISLNK(sb.st_mode)) {
        if (stat(name, &target) != 0) return 0; /* dangling link: nothing to open */
        if (S_ISREG(target.st_mode))
            sb = target;
        else if (!S_ISDIR(target.st_mode))
            return 0;
    } else if (S_ISDIR(sb.st_mode)) {
        attributes |= FILE_ATTR_DIRECTORY;
    } else if (!S_ISREG(sb.st_mode)) {
        return 0; /* fifos and devices could block a reader */
    }
    if ((sb.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTR_READONLY;
    memset(entry, 0, sizeof *entry);
    entry->attributes = attributes;
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
    struct dirent *d;
    while ((d = readdir(e->dir)) != NULL) {
        if (strcmp(d->d_name, ".") == 0 || strcmp(d->d_name, "..") == 0) continue;
        if (IsWanted(e, d->d_name) && DescribeEntry(d->d_name, entry)) return 1;
    }
    return 0;
}

DirEnum *DirFirst(const char *pattern, DirEntry *entry)
{
    DirEnum *e = (DirEnum *)MemAlloc(sizeof(DirEnum));
    if (e == NULL) return NULL;
    if (CopyTruncated(e->pattern, sizeof e->pattern, pattern) != 0 ||
        (e->dir = opendir(".")) == NULL) {
        MemFree(e);
        return NULL;
    }
    e->matchAll = strcmp(pattern, "*.*") == 0 || strcmp(pattern, "*") == 0;
    if (!DirNext(e, entry)) {
        DirClose(e);
        return NULL;
    }
    return e;
}

void DirClose(DirEnum *e)
{
    if (e == NULL) return;
    closedir(e->dir);
    MemFree(e);
}
