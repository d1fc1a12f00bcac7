/* regular.h: opening native paths the way every host reader must: regular files only. */
#ifndef ZOLT_HOSTS_REGULAR_H
#define ZOLT_HOSTS_REGULAR_H

#include <stdio.h>

/* Opens a native path for binary reading when it is a regular file of at most maxSize bytes;
   never waits on a FIFO. Null otherwise, errno set (EINVAL for a FIFO or device, EISDIR, EFBIG). */
FILE *OpenRegularFile(const char *nativePath, long long maxSize);

#endif
