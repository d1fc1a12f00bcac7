/* regular.cpp: a FIFO, a device or a directory is never read as if it were a file. */
#include "common/regular.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE *OpenRegularFile(const char *nativePath, long long maxSize)
{
    /* O_NONBLOCK: opening a FIFO would otherwise wait for a writer */
    int fd = open(nativePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return NULL;
    struct stat sb;
    FILE *f = NULL;
    if (fstat(fd, &sb) != 0) {
        /* errno set */
    } else if (!S_ISREG(sb.st_mode)) {
        errno = S_ISDIR(sb.st_mode) ? EISDIR : EINVAL;
    } else if ((long long)sb.st_size > maxSize) {
        errno = EFBIG;
    } else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) {
        f = fdopen(fd, "rb");
    }
    if (f == NULL) {
        int saved = errno;
        close(fd);
        errno = saved;
    }
    return f;
}
