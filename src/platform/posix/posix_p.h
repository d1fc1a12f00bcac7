/* posix_p.h: helpers shared by the posix backend's files. */
#ifndef ZOLT_PLATFORM_POSIX_P_H
#define ZOLT_PLATFORM_POSIX_P_H

#include <time.h>

#include "platform/platform.h"

/* Unix time to 100-ns units since 1601-01-01; clamped to the FILETIME range. */
void FileTimeFromUnix(const struct timespec *ts, FileTime *out);
/* The inverse; a FileTime before 1970 gives negative seconds. */
void UnixFromFileTime(const FileTime *t, struct timespec *out);

#endif
