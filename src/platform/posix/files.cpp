/* files.cpp: posix paths, current directory, file times and file operations. */
#include "platform/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_p.h"

enum { NATIVE_PATH_SIZE = PATH_MAX };

static const int64_t UNIX_EPOCH_AS_1601 = 11644473600LL; /* seconds from 1601-01-01 to 1970-01-01 */
static const int64_t TICKS_PER_SECOND = 10000000LL;

void FileTimeFromUnix(const struct timespec *ts, FileTime *out)
{
    int64_t sec = (int64_t)ts->tv_sec;
    uint64_t ticks;
    if (sec < -UNIX_EPOCH_AS_1601)
        ticks = 0; /* before 1601: FILETIME has no way to say it */
    else if (sec > (int64_t)(UINT64_MAX / (uint64_t)TICKS_PER_SECOND) - UNIX_EPOCH_AS_1601 - 1)
        ticks = UINT64_MAX;
    else
        ticks = (uint64_t)(sec + UNIX_EPOCH_AS_1601) * (uint64_t)TICKS_PER_SECOND +
                (uint64_t)ts->tv_nsec / 100u;
    out->low = (uint32_t)ticks;
    out->high = (uint32_t)(ticks >> 32);
}

void UnixFromFileTime(const FileTime *t, struct timespec *out)
{
    uint64_t ticks = ((uint64_t)t->high << 32) | t->low;
    out->tv_sec = (time_t)((int64_t)(ticks / (uint64_t)TICKS_PER_SECOND) - UNIX_EPOCH_AS_1601);
    out->tv_nsec = (long)(ticks % (uint64_t)TICKS_PER_SECOND) * 100;
}

/* Copies path into out, turning every `from` into `to`; -1 (out emptied) when it does not fit. */
static int TranslateSeparators(const char *path, char *out, size_t size, char from, char to)
{
    if (size == 0) return -1;
    size_t i = 0;
    for (; path[i] != '\0'; i++) {
        if (i >= size - 1) {
            out[0] = '\0';
            return -1;
        }
        out[i] = path[i] == from ? to : path[i];
    }
    out[i] = '\0';
    return 0;
}

int ToNativePath(const char *path, char *out, size_t size)
{
    return TranslateSeparators(path, out, size, '\\', '/');
}

int FromNativePath(const char *path, char *out, size_t size)
{
    return TranslateSeparators(path, out, size, '/', '\\');
}

int SetCurrentDir(const char *path)
{
    char native[NATIVE_PATH_SIZE];
    if (path[0] == '\0' || ToNativePath(path, native, sizeof native) != 0) return -1;
    return chdir(native) == 0 ? 0 : -1;
}

int GetCurrentDir(char *buf, size_t size)
{
    char native[NATIVE_PATH_SIZE];
    if (getcwd(native, sizeof native) == NULL) return -1;
    return FromNativePath(native, buf, size);
}

int CompareFileTimes(const FileTime *a, const FileTime *b)
{
    uint64_t x = ((uint64_t)a->high << 32) | a->low;
    uint64_t y = ((uint64_t)b->high << 32) | b->low;
    return x < y ? -1 : x > y ? 1 : 0;
}

FILE *FileOpen(const char *path, const char *mode)
{
    char native[NATIVE_PATH_SIZE];
    if (ToNativePath(path, native, sizeof native) != 0) {
        errno = ENAMETOOLONG;
        return NULL;
    }
    FILE *f = fopen(native, mode);
    struct stat sb;
    /* Windows refuses to open a directory as a file; so do we, or a directory matched by a
       source mask would be scanned as an empty file. */
    if (f != NULL && fstat(fileno(f), &sb) == 0 && S_ISDIR(sb.st_mode)) {
        fclose(f);
        errno = EISDIR;
        return NULL;
    }
    return f;
}

int FileGetWriteTime(const char *path, FileTime *out)
{
    char native[NATIVE_PATH_SIZE];
    struct stat sb;
    if (ToNativePath(path, native, sizeof native) != 0 || stat(native, &sb) != 0) return -1;
    FileTimeFromUnix(&sb.st_mtim, out);
    return 0;
}

int FileSetWriteTime(const char *path, const FileTime *t)
{
    char native[NATIVE_PATH_SIZE];
    struct timespec times[2];
    if (ToNativePath(path, native, sizeof native) != 0) return -1;
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT; /* the access time is not ours to change */
    UnixFromFileTime(t, &times[1]);
    return utimensat(AT_FDCWD, native, times, 0) == 0 ? 0 : -1;
}

int FileReplace(const char *from, const char *to)
{
    char nativeFrom[NATIVE_PATH_SIZE], nativeTo[NATIVE_PATH_SIZE];
    if (ToNativePath(from, nativeFrom, sizeof nativeFrom) != 0 ||
        ToNativePath(to, nativeTo, sizeof nativeTo) != 0)
        return -1;
    return rename(nativeFrom, nativeTo) == 0 ? 0 : -1;
}

int FileRemove(const char *path)
{
    char native[NATIVE_PATH_SIZE];
    if (ToNativePath(path, native, sizeof native) != 0) return -1;
    return unlink(native) == 0 ? 0 : -1;
}

unsigned long CurrentProcessId(void)
{
    return (unsigned long)getpid();
}

int FileMapRead(const char *path, MappedFile *m)
{
    m->data = NULL;
    m->size = 0;
    char native[NATIVE_PATH_SIZE];
    if (ToNativePath(path, native, sizeof native) != 0) return -1;
    /* no wait on a FIFO: it is refused below */
    int fd = open(native, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat sb;
    void *p = MAP_FAILED;
    if (fstat(fd, &sb) == 0 && S_ISREG(sb.st_mode) && sb.st_size > 0 &&
        (uint64_t)sb.st_size <= (uint64_t)SIZE_MAX)
        p = mmap(NULL, (size_t)sb.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (p == MAP_FAILED) return -1;
    m->data = (const char *)p;
    m->size = (size_t)sb.st_size;
    return 0;
}

void FileUnmap(MappedFile *m)
{
    if (m->data != NULL) munmap((void *)m->data, m->size);
    m->data = NULL;
    m->size = 0;
}
