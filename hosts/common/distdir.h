/* distdir.h: where the zolt program finds its language and help files. */
#ifndef ZOLT_HOSTS_DISTDIR_H
#define ZOLT_HOSTS_DISTDIR_H

#include "common/lng.h"

/* The folder of the language and help files: $ZOLT_DIST_DIR when it is set and not empty; else
   the first folder of two beside the running program (/proc/self/exe): share/zolt as installed
   (ZOLT_SHARE_FROM_BIN, relative to the program's folder), then dist/ next to the program (the
   build tree links the sources' dist/ there). "" when neither is a folder. The text lasts until
   the next call. */
const char *ZoltDistDir(void);

/* Makes a relative $ZOLT_DIST_DIR absolute against the current directory: the program calls it
   at its start, before a command or the panel changes directory (and the help is read later). */
void AnchorZoltDistDir(void);

/* Loads the language file for the user's locale from ZoltDistDir() into out (LngFree it). 0, or
   -1 after a "zolt: " line on stderr saying where the files were looked for. */
int LoadZoltTexts(LngFile *out);

#endif
