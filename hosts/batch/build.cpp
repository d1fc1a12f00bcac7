/* build.cpp: `zolt build`: Build project index from the panels in a directory, and a summary. */
#include <errno.h>
#include <getopt.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "base/limits.h"
#include "batch/batch.h"
#include "common/regular.h"
#include "host/farapi.h"
#include "index/index.h"
#include "plugin/headless.h"

enum { EXIT_OK = 0, EXIT_WARNED = 1, EXIT_USAGE = 2 };

static const char *const BUILD_TEXT[] = {
    "Runs Build project index from the panels in DIR (default: the current directory), with the "
    "options zolt config shows, and prints one line: the files scanned (new or changed since the "
    "last build), the entries in the project index, whether the index files were written (none, "
    "unchanged, written, not written: the old ones stay, partly written), and the time it took. "
    "Files left out (a relative path too long for the index, a name no index line can hold) are "
    "counted on stderr with their reason, and so are the temporary files of builds that did not "
    "finish, removed. When stderr is a terminal, a progress line shows the files scanned of the "
    "files found and the rate; it is cleared before the summary.",
    NULL};
const CommandHelp BUILD_HELP = {
    "build [DIR]", BUILD_TEXT, NULL, NULL,
    "0; 1 when the plugin showed a warning (on stderr); 2 on bad usage or when DIR is not a "
    "directory."};

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

/* What the build left out, one line per reason on stderr. */
static void ReportLeftOut(const CommandReport *done)
{
    if (done->leftOut > 0)
        fprintf(stderr,
                "zolt: build: %d file%s left out: relative path longer than %d characters\n",
                done->leftOut, done->leftOut == 1 ? "" : "s", NAME_SIZE - 1);
    if (done->namesLeftOut > 0)
        fprintf(stderr,
                "zolt: build: %d file%s left out: a line break, control character, '\\' or '?'"
                " in the name\n",
                done->namesLeftOut, done->namesLeftOut == 1 ? "" : "s");
    if (done->dirsLeftOut > 0)
        fprintf(stderr,
                "zolt: build: %d director%s left out with the files in %s: a line break, control"
                " character, '\\' or '?' in the name\n",
                done->dirsLeftOut, done->dirsLeftOut == 1 ? "y" : "ies",
                done->dirsLeftOut == 1 ? "it" : "them");
}

static double Seconds(const struct timespec &from, const struct timespec &to)
{
    return (double)(to.tv_sec - from.tv_sec) + (double)(to.tv_nsec - from.tv_nsec) / 1e9;
}

/* Runs the build in the current directory and prints the summary line. */
static int BuildHere(void)
{
    if (InstallBatchHost() != 0) return EXIT_USAGE;
    CommandReport done;
    struct timespec start, end;
    BeginBuildProgress(); /* its count of the files is not the build's time */
    clock_gettime(CLOCK_MONOTONIC, &start);
    RunHeadlessCommand(OPEN_PLUGINSMENU, COMMAND_BUILD, &done);
    EndBuildProgress();
    clock_gettime(CLOCK_MONOTONIC, &end);

    static const char *const outcome[] = {"none", "unchanged", "written", "not written",
                                          "partly written"}; /* IndexFilesOutcome */
    int entries = 0; /* the files' own count, when a build that wrote nothing cannot say it */
    if (done.indexFiles != INDEX_FILES_NONE)
        entries = done.entries >= 0 ? done.entries : CountLines(PROJECT_INDEX_NAME);
    printf("files scanned: %d, entries: %d, index files: %s, time: %.2f s\n", done.scanned,
           entries, outcome[done.indexFiles], Seconds(start, end));
    ReportLeftOut(&done);
    if (done.tempsRemoved > 0)
        fprintf(stderr,
                "zolt: build: removed %d temporary file%s of builds that did not finish"
                " (zolt*$.PROCESS" TEMP_NAME_MARKER ")\n",
                done.tempsRemoved, done.tempsRemoved == 1 ? "" : "s");
    return BatchWarningCount() > 0 ? EXIT_WARNED : EXIT_OK;
}

int RunBuild(int argc, char **argv)
{
    static const struct option LONG_OPTIONS[] = {{"help", no_argument, NULL, 'h'},
                                                 {NULL, 0, NULL, 0}};
    BatchArgs a;
    BeginArgs(&a, "build", argc, argv, ":h", LONG_OPTIONS);
    for (int c; (c = NextArg(&a)) != ARG_END;) {
        if (c == ARG_HELP) {
            PrintCommandHelp(stdout, &BUILD_HELP);
            return EXIT_OK;
        }
        if (c == ARG_ERROR) return EXIT_USAGE;
    }
    if (argc - optind > 1) return ArgError(&a, "one DIR at most, not also '%s'", argv[optind + 1]);
    const char *dir = optind < argc ? argv[optind] : ".";
    if (EnterDirectory(&a, dir) != 0) return EXIT_USAGE;
    return BuildHere();
}
