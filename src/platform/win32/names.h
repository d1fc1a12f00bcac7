/* names.h: the file names of the library for the current host: UTF-8 in the plugin, UTF-16 at
   the system, of any length, relative to a current directory of the plugin's own (never the
   process's, which that host does not keep in step with its panels). Off until
   UseUnicodeFileNames(); the older library keeps the ANSI functions. */
#ifndef ZOLT_PLATFORM_WIN32_NAMES_H
#define ZOLT_PLATFORM_WIN32_NAMES_H

#include <stddef.h>
#include <wchar.h>

int UnicodeNames(void); /* 1 once UseUnicodeFileNames() was called */
/* path (UTF-8; relative to the current directory, "." and ".." parts resolved) as a full path
   with the "\\?\" prefix, in a heap block the caller frees; null when it is not valid UTF-8 or
   memory ran out. Nothing is taken off a name: "trail." stays "trail.". */
wchar_t *WideFullPath(const char *path);
/* A name from the system into out as UTF-8: 0, or -1 when it does not fit or is not valid
   UTF-16 (a lone surrogate). */
int WideToUtf8(const wchar_t *name, char *out, size_t size);
int WideSetCurrentDir(const char *path);
int WideGetCurrentDir(char *buf, size_t size);

#endif
