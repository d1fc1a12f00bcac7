/* scan.cpp: `zolt scan`: the entries a project scan would append for the given files. */
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "batch/batch.h"
#include "plugin/headless.h"

enum { EXIT_OK = 0, EXIT_UNREADABLE = 1, EXIT_USAGE = 2 };

void PrintScanUsage(FILE *out)
{
    fputs("usage: zolt scan [--static=0|1] [--inline=0|1] [--qualified=0|1]\n"
          "                 [--] FILE...\n"
          "  Scans each FILE (*.MAC as a macro file, any other as C/C++) as the\n"
          "  project index build would, all files in one run, and prints every\n"
          "  entry in the order it was appended: NAME?FILE?LINE; a file without\n"
          "  definitions gives ?FILE?0. FILE is printed as given, with '/' turned\n"
          "  into '\\' (the index's path form); entries of a FILE of 64 or more\n"
          "  characters are not kept, as in an index.\n"
          "  --static     record static functions (default 0)\n"
          "  --inline     record inline functions (default 1)\n"
          "  --qualified  record ::-qualified names (default 1)\n"
          "  Exit status: 0; 1 when a file could not be opened (the others are\n"
          "  still scanned) or memory ran out; 2 on bad usage.\n",
          out);
}

/* "--static=1" and friends: 1 when arg is that option (its value stored), 0 when it is not,
   -1 when it is with a bad value. */
static int ParseFlag(const char *arg, const char *option, int *value)
{
    size_t n = strlen(option);
    if (strncmp(arg, option, n) != 0 || arg[n] != '=') return 0;
    const char *v = arg + n + 1;
    if ((v[0] != '0' && v[0] != '1') || v[1] != '\0') return -1;
    *value = v[0] - '0';
    return 1;
}

/* Options into filters; returns the index of the first FILE, or -1 on bad usage. */
static int ParseScanOptions(int argc, char **argv, ScanFilters *filters)
{
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; i++) {
        if (strcmp(argv[i], "--") == 0) return i + 1;
        int r = ParseFlag(argv[i], "--static", &filters->includeStatic);
        if (r == 0) r = ParseFlag(argv[i], "--inline", &filters->includeInline);
        if (r == 0) r = ParseFlag(argv[i], "--qualified", &filters->includeQualified);
        if (r != 1) {
            fprintf(stderr, "zolt: scan: bad option '%s'\n", argv[i]);
            return -1;
        }
    }
    return i;
}

/* Scans one file and prints what it appended: the exit status it asks for. A directory or
   anything else that is not a file cannot be opened as one. */
static int ScanOne(const char *arg, BrowserState *st, CommandReport *report)
{
    struct stat info;
    int result = 1;
    if (stat(arg, &info) == 0 && !S_ISDIR(info.st_mode))
        result = ScanFileInto(st, arg, stdout, report);
    if (result == 1) fprintf(stderr, "zolt: cannot open %s\n", arg);
    if (result == -1) fprintf(stderr, "zolt: out of memory while scanning %s\n", arg);
    return result == 0 ? EXIT_OK : EXIT_UNREADABLE;
}

int RunScan(int argc, char **argv)
{
    static BrowserState st; /* one command's state for the whole run, as a project scan has */
    ScanFilters filters;
    DefaultScanFilters(&filters); /* the project scan's defaults */
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        PrintScanUsage(stdout);
        return EXIT_OK;
    }
    int first = ParseScanOptions(argc, argv, &filters);
    if (first < 0 || first >= argc) {
        if (first >= argc) fputs("zolt: scan: no FILE given\n", stderr);
        PrintScanUsage(stderr);
        return EXIT_USAGE;
    }
    if (InstallBatchHost() != 0) return EXIT_USAGE;
    if (BeginFileScan(&st, &filters) != 0) {
        fputs("zolt: out of memory\n", stderr);
        return EXIT_UNREADABLE;
    }
    CommandReport report;
    memset(&report, 0, sizeof report);
    int status = EXIT_OK;
    for (int i = first; i < argc; i++)
        if (ScanOne(argv[i], &st, &report) != EXIT_OK) status = EXIT_UNREADABLE;
    EndFileScan(&st);
    return status;
}
