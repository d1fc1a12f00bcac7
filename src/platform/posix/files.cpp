/* files.cpp: posix paths, current directory, file times and file operations. */
#include "platform/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/alloc.h"
#include "platform/posix/posix_p.h"

enum { NATIVE_PATH_SIZE = PATH_MAX, LOCK_POLL_MS = 20 };

static const int64_t UNIX_EPOCH_AS_1601 = 11644473600LL; /* seconds from 1601-01-01 to 1970-01-01 */
static const int64_t TICKS_PER_SECOND = 10000000LL;

void FileTimeFromUnix(const struct timespec *ts, FileTime *out)
{
    int64_t sec = (int64_t)ts->tv_sec;
    uint64_t ticks;
    if (sec < -UNIX_EPOCH_AS_1601) ticks = 0; /* before 1601: FILETIME has no way to say it */
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

/* Only a regular file is opened: a FIFO or a device would block the reader or never end, and
   Windows refuses a directory, as we do (a directory matched by a source mask would otherwise
   be scanned as an empty file). O_NONBLOCK keeps the open itself from waiting on a FIFO. */
/* A descriptor of a regular file for reading (still non-blocking), its status in *sb; -1 with
   errno for anything else: opening never waits on a FIFO, and a directory or device is refused. */
static int OpenRegular(const char *native, struct stat *sb)
{
    int fd = open(native, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    int error;
    if (fstat(fd, sb) != 0) error = errno;
    else if (S_ISREG(sb->st_mode)) return fd;
    else error = S_ISDIR(sb->st_mode) ? EISDIR : EINVAL;
    close(fd);
    errno = error;
    return -1;
}

FILE *FileOpen(const char *path, const char *mode)
{
    char native[NATIVE_PATH_SIZE];
    if (ToNativePath(path, native, sizeof native) != 0) {
        errno = ENAMETOOLONG;
        return NULL;
    }
    if (mode[0] != 'r' || strchr(mode, '+') != NULL) return fopen(native, mode);
    struct stat sb;
    int fd = OpenRegular(native, &sb);
    if (fd < 0) return NULL;
    FILE *f = NULL;
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) f = fdopen(fd, mode);
    if (f == NULL) close(fd);
    return f;
}

FILE *FileCreateExclusive(const char *path)
{
    char native[NATIVE_PATH_SIZE];
    if (ToNativePath(path, native, sizeof native) != 0) {
        errno = ENAMETOOLONG;
        return NULL;
    }
    /* O_EXCL with O_CREAT never follows a link at the name; O_NOFOLLOW says so twice */
    int fd = open(native, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return NULL;
    FILE *f = fdopen(fd, "wb");
    if (f == NULL) {
        close(fd);
        (void)unlink(native);
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

/* glibc moves a large block by remapping its pages, never by copying: the heap serves. */
void *LargeBlockResize(void *block, size_t oldSize, size_t size)
{
    (void)oldSize;
    return MemRealloc(block, size);
}

void LargeBlockFree(void *block)
{
    MemFree(block);
}

struct RandomFile {
    int fd;
};

int FileOpenRandom(const char *path, RandomFile **f, uint64_t *size)
{
    *f = NULL;
    *size = 0;
    char native[NATIVE_PATH_SIZE];
    if (ToNativePath(path, native, sizeof native) != 0) return 1;
    struct stat sb;
    int fd = OpenRegular(native, &sb);
    if (fd < 0) return 1;
    RandomFile *r = (RandomFile *)MemAlloc(sizeof *r);
    if (r == NULL) {
        close(fd);
        return -1;
    }
    r->fd = fd;
    *f = r;
    *size = (uint64_t)sb.st_size;
    return 0;
}

long FileReadAt(RandomFile *f, uint64_t offset, void *buf, size_t n)
{
    if (offset > (uint64_t)INT64_MAX) return 0;
    if (n > (size_t)LONG_MAX) n = (size_t)LONG_MAX;
    for (;;) {
        ssize_t got = pread(f->fd, buf, n, (off_t)offset);
        if (got >= 0) return (long)got;
        if (errno != EINTR) return -1;
    }
}

void FileCloseRandom(RandomFile *f)
{
    if (f == NULL) return;
    close(f->fd);
    MemFree(f);
}

int IsProcessRunning(unsigned long pid)
{
    if (pid == 0 || pid > (unsigned long)INT_MAX) return 0;
    /* EPERM: it exists, it is only someone else's */
    return kill((pid_t)pid, 0) == 0 || errno == EPERM;
}

struct BuildLock {
    int fd;
};

/* The lock is on the directory itself: no lock file to leave behind, and the kernel drops it
   with the last descriptor when the holder dies. flock, unlike fcntl locks, belongs to the open
   file, so two builds inside one process exclude each other too. */
BuildLock *LockCurrentDir(int waitMs, int *busy)
{
    *busy = 0;
    int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return NULL;
    for (int waited = 0;; waited += LOCK_POLL_MS) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK || waited >= waitMs) {
            *busy = errno == EWOULDBLOCK;
            close(fd);
            return NULL;
        }
        struct timespec pause = {0, LOCK_POLL_MS * 1000000L};
        nanosleep(&pause, NULL);
    }
    BuildLock *lock = (BuildLock *)MemAlloc(sizeof *lock);
    if (lock == NULL) {
        close(fd);
        return NULL;
    }
    lock->fd = fd;
    return lock;
}

void UnlockDir(BuildLock *lock)
{
    if (lock == NULL) return;
    close(lock->fd); /* releases the lock */
    MemFree(lock);
}
