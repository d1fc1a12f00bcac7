/* bootstrap.cpp: interim file open until the full posix backend lands. */
#include <string>

#include "platform/platform.h"

FILE *FileOpen(const char *path, const char *mode)
{
    std::string native(path);
    for (char &c : native)
        if (c == '\\') c = '/';
    return fopen(native.c_str(), mode);
}

/* Interim: no enumeration, no store until the backend lands. */
DirEnum *DirFirst(const char *, DirEntry *) { return NULL; }
int DirNext(DirEnum *, DirEntry *) { return 0; }
void DirClose(DirEnum *) {}
int SetCurrentDir(const char *) { return -1; }
int CompareFileTimes(const FileTime *a, const FileTime *b)
{
    if (a->high != b->high) return a->high < b->high ? -1 : 1;
    if (a->low != b->low) return a->low < b->low ? -1 : 1;
    return 0;
}
int FileGetWriteTime(const char *, FileTime *) { return -1; }
int FileReplace(const char *, const char *) { return -1; }
int FileRemove(const char *) { return -1; }
