/* build.cpp: `zolt build`: Build project index from the panels in a directory, and a summary. */
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <set>
#include <string>

#include "batch/batch.h"
#include "common/regular.h"
#include "host/plugin.h"
#include "index/index.h"

enum { EXIT_OK = 0, EXIT_WARNED = 1, EXIT_USAGE = 2 };
enum { MENU_BUILD = 1 }; /* the panels' command menu: 0 browse, 1 build */

void PrintBuildUsage(FILE *out)
{
    fputs("usage: zolt build [DIR]\n"
          "  Runs Build project index from the panels in DIR (default: the current directory),\n"
          "  with the options `zolt config` shows, and prints one line: the files scanned (new\n"
          "  or changed since the last build), the entries in the project index, whether the\n"
          "  index files were written, and the time it took.\n"
          "  Exit status: 0; 1 when the plugin showed a warning (on stderr); 2 on bad usage or\n"
          "  when DIR is not a directory.\n",
          out);
}

/* What tells whether a build replaced an index file: a new file comes under a new inode. */
struct FileStamp {
    int exists;
    dev_t dev;
    ino_t ino;
    off_t size;
    struct timespec mtime, ctime;
};

static FileStamp StampOf(const char *name)
{
    FileStamp s;
    memset(&s, 0, sizeof s);
    struct stat sb;
    if (stat(name, &sb) != 0) return s;
    s.exists = 1;
    s.dev = sb.st_dev;
    s.ino = sb.st_ino;
    s.size = sb.st_size;
    s.mtime = sb.st_mtim;
    s.ctime = sb.st_ctim;
    return s;
}

static int SameStamp(const FileStamp &a, const FileStamp &b)
{
    return a.exists == b.exists && a.dev == b.dev && a.ino == b.ino && a.size == b.size &&
           a.mtime.tv_sec == b.mtime.tv_sec && a.mtime.tv_nsec == b.mtime.tv_nsec &&
           a.ctime.tv_sec == b.ctime.tv_sec && a.ctime.tv_nsec == b.ctime.tv_nsec;
}

/* The files an update index records, each as "FILE?LOW?HIGH" (a file and its write time). A
   file's lines are together, so only a change from the line before can add to the set. */
static std::set<std::string> ScannedVersions(const char *name)
{
    std::set<std::string> versions;
    FILE *f = OpenRegularFile(name, LLONG_MAX); /* a FIFO would never end */
    if (f == NULL) return versions;
    static char buffer[1 << 18];
    setvbuf(f, buffer, _IOFBF, sizeof buffer);
    char line[1024];
    std::string version, previous;
    while (fgets(line, sizeof line, f) != NULL) {
        char *q1 = strchr(line, '?');
        char *q2 = q1 != NULL ? strchr(q1 + 1, '?') : NULL;
        char *q3 = q2 != NULL ? strchr(q2 + 1, '?') : NULL;
        if (q3 == NULL) continue;
        line[strcspn(line, "\r\n")] = '\0';
        version.assign(q1 + 1, (size_t)(q2 - q1));
        version.append(q3 + 1);
        if (version == previous) continue;
        versions.insert(version);
        previous.swap(version);
    }
    fclose(f);
    return versions;
}

static int CountLines(const char *name)
{
    FILE *f = OpenRegularFile(name, LLONG_MAX); /* a FIFO would never end */
    if (f == NULL) return 0;
    static char buffer[1 << 18];
    int lines = 0;
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
        const char *p = buffer, *end = buffer + n;
        while ((p = (const char *)memchr(p, '\n', (size_t)(end - p))) != NULL) {
            lines++;
            p++;
        }
    }
    fclose(f);
    return lines;
}

static double Seconds(const struct timespec &from, const struct timespec &to)
{
    return (double)(to.tv_sec - from.tv_sec) + (double)(to.tv_nsec - from.tv_nsec) / 1e9;
}

/* Runs the build in the current directory and prints the summary line. */
static int BuildHere(void)
{
    const FileStamp projectBefore = StampOf(PROJECT_INDEX_NAME);
    const FileStamp updateBefore = StampOf(UPDATE_INDEX_NAME);
    const FileStamp optionsBefore = StampOf(SCAN_OPTIONS_NAME);
    const std::set<std::string> before = ScannedVersions(UPDATE_INDEX_NAME);

    InstallBatchHost();
    BatchQueueMenuAnswer(MENU_BUILD);
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    (void)OpenPlugin(OPEN_PLUGINSMENU, 0);
    clock_gettime(CLOCK_MONOTONIC, &end);
    BatchEndProgress();

    const int written = !SameStamp(projectBefore, StampOf(PROJECT_INDEX_NAME)) ||
                        !SameStamp(updateBefore, StampOf(UPDATE_INDEX_NAME));
    /* A build scans exactly the files whose write time it has not recorded before; reused
       files keep their update lines, so the new file-and-time pairs are the scanned files.
       New scan options make it scan every file. */
    const int optionsChanged = !SameStamp(optionsBefore, StampOf(SCAN_OPTIONS_NAME));
    int scanned = 0;
    if (written)
        for (const std::string &v : ScannedVersions(UPDATE_INDEX_NAME))
            scanned += optionsChanged || before.count(v) == 0;
    const int exists = StampOf(PROJECT_INDEX_NAME).exists;
    printf("files scanned: %d, entries: %d, index files: %s, time: %.2f s\n", scanned,
           exists ? CountLines(PROJECT_INDEX_NAME) : 0,
           written ? "written" : exists ? "unchanged" : "none",
           Seconds(start, end));
    return BatchWarningCount() > 0 ? EXIT_WARNED : EXIT_OK;
}

int RunBuild(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        PrintBuildUsage(stdout);
        return EXIT_OK;
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        if (argc > 2) fprintf(stderr, "zolt: build: one DIR at most\n");
        else fprintf(stderr, "zolt: build: unknown option '%s'\n", argv[1]);
        PrintBuildUsage(stderr);
        return EXIT_USAGE;
    }
    const char *dir = argc == 2 ? argv[1] : ".";
    struct stat sb;
    if (stat(dir, &sb) != 0 || !S_ISDIR(sb.st_mode)) {
        fprintf(stderr, "zolt: build: no such directory: %s\n", dir);
        return EXIT_USAGE;
    }
    if (chdir(dir) != 0) {
        fprintf(stderr, "zolt: build: cannot enter %s: %s\n", dir, strerror(errno));
        return EXIT_USAGE;
    }
    return BuildHere();
}
