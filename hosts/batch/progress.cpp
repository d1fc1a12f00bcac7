/* progress.cpp: zolt build's progress line on a terminal: files scanned of the files found, and
   the rate. The plugin's box says only how many files it has scanned; the files of the masks
   are counted by a walk of names of our own before the build starts. */
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "base/limits.h"
#include "batch/batch.h"
#include "index/index.h"
#include "settings/settings.h"
#include "state/state.h"

enum { COUNT_DEPTH_MAX = 64 }; /* deeper trees are not counted further: the total is a guess */

static struct {
    long found; /* files of the masks under the directory; -1 not counted */
    struct timespec start, drawn; /* the build's start, the last line drawn */
} g_build;

static double SecondsSince(const struct timespec &from, const struct timespec &now)
{
    return (double)(now.tv_sec - from.tv_sec) + (double)(now.tv_nsec - from.tv_nsec) / 1e9;
}

/* Files under the directory dirFd of masks (and *.MAC), below it when recurse is on; symbolic
   links are neither followed nor counted. */
static long CountFiles(int dirFd, const char *masks, int recurse, int depth)
{
    DIR *dir = fdopendir(dirFd);
    if (dir == NULL) {
        close(dirFd);
        return 0;
    }
    long n = 0;
    for (struct dirent *e; (e = readdir(dir)) != NULL;) {
        if (e->d_name[0] == '.' && (e->d_name[1] == '\0' || strcmp(e->d_name, "..") == 0))
            continue;
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN) {
            struct stat sb;
            if (fstatat(dirfd(dir), e->d_name, &sb, AT_SYMLINK_NOFOLLOW) != 0) continue;
            type = S_ISDIR(sb.st_mode) ? DT_DIR : S_ISREG(sb.st_mode) ? DT_REG : DT_LNK;
        }
        if (type == DT_DIR && recurse && depth < COUNT_DEPTH_MAX) {
            int sub = openat(dirfd(dir), e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (sub >= 0) n += CountFiles(sub, masks, recurse, depth + 1);
        } else if (type == DT_REG && ClassifyFile(e->d_name, masks) != FILE_KIND_NONE) {
            n++;
        }
    }
    closedir(dir);
    return n;
}

/* The first number in text: the plugin's count of files scanned; -1 when there is none. */
static long FirstNumber(const char *text)
{
    while (*text != '\0' && (*text < '0' || *text > '9')) text++;
    if (*text == '\0') return -1;
    long n = 0;
    for (; *text >= '0' && *text <= '9' && n < LONG_MAX / 10; text++) n = n * 10 + (*text - '0');
    return n;
}

/* The box's text as the line "zolt: build: N of M files scanned, R files/s", at most ten
   times a second: 0 drawn, 1 left as it was. */
static int DrawBuildProgress(const char *text)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (g_build.drawn.tv_sec != 0 && SecondsSince(g_build.drawn, now) < 0.1) return 1;
    g_build.drawn = now;
    fputs("\r\033[K", stderr);
    long done = FirstNumber(text);
    if (done < 0) {
        fprintf(stderr, "zolt: build%s", text);
        return 0;
    }
    double seconds = SecondsSince(g_build.start, now);
    fprintf(stderr, "zolt: build: %ld", done);
    if (g_build.found >= done) fprintf(stderr, " of %ld", g_build.found);
    fputs(" files scanned", stderr);
    if (seconds > 0.2) fprintf(stderr, ", %.0f files/s", (double)done / seconds);
    return 0;
}

void BeginBuildProgress(void)
{
    memset(&g_build, 0, sizeof g_build);
    if (!BatchShowsProgress()) return; /* nothing is shown: nothing to count */
    char masks[MASK_SIZE];
    GetOptionMask(masks, sizeof masks);
    int top = open(".", O_RDONLY | O_DIRECTORY);
    g_build.found = top >= 0 ? CountFiles(top, masks, GetOptionFlag(OPT_RECURSE), 0) : -1;
    clock_gettime(CLOCK_MONOTONIC, &g_build.start);
    BatchSetProgressDrawer(DrawBuildProgress);
}

void EndBuildProgress(void)
{
    BatchEndProgress();
    BatchSetProgressDrawer(NULL);
}
