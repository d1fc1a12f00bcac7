/* paths.cpp: the plugin's backslash paths and the native ones, translated at the host's boundary. */
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "base/text.h"
#include "term/model_p.h"

int FarToNativePath(const char *farPath, char *out, size_t size)
{
    char rel[NATIVE_PATH_SIZE];
    if (CopyTruncated(rel, sizeof rel, farPath)) return -1;
    for (char *p = rel; *p; p++)
        if (*p == '\\') *p = '/';
    if (rel[0] == '/') return CopyTruncated(out, size, rel) ? -1 : 0;
    char cwd[NATIVE_PATH_SIZE];
    if (!getcwd(cwd, sizeof cwd)) return -1;
    const char *sep = cwd[0] && cwd[strlen(cwd) - 1] == '/' ? "" : "/";
    if (!JoinIfFits(out, size, cwd, sep) || AppendTruncated(out, size, rel)) return -1;
    return 0;
}

int NativeToFarPath(const char *native, char *out, size_t size)
{
    if (CopyTruncated(out, size, native)) return -1;
    for (char *p = out; *p; p++)
        if (*p == '/') *p = '\\';
    return 0;
}
