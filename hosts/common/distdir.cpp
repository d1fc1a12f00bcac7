/* distdir.cpp: the language and help files: named by $ZOLT_DIST_DIR, else found from the program. */
#include "common/distdir.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"

#ifndef ZOLT_SHARE_FROM_BIN
#define ZOLT_SHARE_FROM_BIN "../share/zolt"
#endif

enum { CANDIDATE_COUNT = 2 };

static char g_dir[PATH_MAX];

/* The folders beside the program, in the order they are tried; "" each when it cannot be told. */
static void Candidates(char out[CANDIDATE_COUNT][PATH_MAX])
{
    char exe[PATH_MAX];
    for (int i = 0; i < CANDIDATE_COUNT; i++) out[i][0] = '\0';
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    exe[n] = '\0';
    char *slash = strrchr(exe, '/');
    if (slash == NULL) return;
    *slash = '\0';
    if (FormatTruncated(out[0], PATH_MAX, "%s/%s", exe, ZOLT_SHARE_FROM_BIN)) out[0][0] = '\0';
    if (FormatTruncated(out[1], PATH_MAX, "%s/dist", exe)) out[1][0] = '\0';
}

const char *ZoltDistDir(void)
{
    const char *env = getenv("ZOLT_DIST_DIR");
    g_dir[0] = '\0';
    if (env != NULL && env[0] != '\0') {
        CopyTruncated(g_dir, sizeof g_dir, env);
        return g_dir;
    }
    char tried[CANDIDATE_COUNT][PATH_MAX];
    Candidates(tried);
    for (const char *dir : tried) {
        struct stat sb;
        /* the resolved form reads better in a message than ".../bin/../share/zolt" */
        if (dir[0] != '\0' && realpath(dir, g_dir) != NULL && stat(g_dir, &sb) == 0 &&
            S_ISDIR(sb.st_mode))
            return g_dir;
        g_dir[0] = '\0';
    }
    return g_dir;
}

void AnchorZoltDistDir(void)
{
    const char *env = getenv("ZOLT_DIST_DIR");
    char cwd[PATH_MAX], path[PATH_MAX];
    if (env == NULL || env[0] == '\0' || env[0] == '/' || getcwd(cwd, sizeof cwd) == NULL ||
        FormatTruncated(path, sizeof path, "%s/%s", cwd, env))
        return;
    (void)setenv("ZOLT_DIST_DIR", path, 1);
}

int LoadZoltTexts(LngFile *out)
{
    memset(out, 0, sizeof *out);
    const char *dir = ZoltDistDir();
    if (dir[0] != '\0' && LngLoadForLocale(dir, LngEnvLocale(), out) == 0) return 0;
    const char *env = getenv("ZOLT_DIST_DIR");
    if (env != NULL && env[0] != '\0') {
        fprintf(stderr, "zolt: no language file (*.lng) in %s, the folder ZOLT_DIST_DIR names\n",
                env);
        return -1;
    }
    char tried[CANDIDATE_COUNT][PATH_MAX];
    Candidates(tried);
    fprintf(stderr,
            "zolt: no language file (*.lng) in %s or %s; install zolt with its share/zolt folder "
            "(make install), or set ZOLT_DIST_DIR to the folder that holds zoltEng.lng\n",
            tried[0][0] ? tried[0] : "share/zolt", tried[1][0] ? tried[1] : "dist");
    return -1;
}
