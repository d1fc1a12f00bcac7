/* scan.cpp: `zolt scan`: the entries a project scan would append for the given files. */
#include <errno.h>
#include <getopt.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "batch/batch.h"
#include "plugin/headless.h"

enum { EXIT_OK = 0, EXIT_UNREADABLE = 1, EXIT_USAGE = 2 };

static const char *const SCAN_TEXT[] = {
    "Scans each FILE (*.MAC as a macro file, any other as C/C++) as the project index build "
    "would, all files in one run, and prints every entry in the order it was appended: "
    "NAME?FILE?LINE; a file without definitions gives ?FILE?0. FILE is printed as given, with "
    "'/' turned into '\\' (the index's path form); entries of a FILE of 64 or more characters "
    "are not kept, as in an index.",
    NULL};
static const HelpItem SCAN_OPTIONS[] = {
    {"--static=0|1", "record static functions (default 0)"},
    {"--inline=0|1", "record inline functions (default 1)"},
    {"--qualified=0|1", "record ::-qualified names (default 1)"},
    {NULL, NULL}};
const CommandHelp SCAN_HELP = {
    "scan [--static=0|1] [--inline=0|1] [--qualified=0|1] [--] FILE...", SCAN_TEXT, SCAN_OPTIONS,
    NULL, "0; 1 when a file could not be opened (the others are still scanned) or memory ran out; "
          "2 on bad usage."};

/* Options into filters; returns the index of the first FILE, or -1 when it is done (its help
   shown, or bad usage said): *status is then the exit status. */
static int ParseScanOptions(int argc, char **argv, ScanFilters *filters, int *status)
{
    static const struct option LONG_OPTIONS[] = {{"help", no_argument, NULL, 'h'},
                                                 {"static", required_argument, NULL, 's'},
                                                 {"inline", required_argument, NULL, 'i'},
                                                 {"qualified", required_argument, NULL, 'q'},
                                                 {NULL, 0, NULL, 0}};
    BatchArgs a;
    BeginArgs(&a, "scan", argc, argv, ":h", LONG_OPTIONS);
    *status = EXIT_USAGE;
    for (int c; (c = NextArg(&a)) != ARG_END;) {
        if (c == ARG_HELP) {
            PrintCommandHelp(stdout, &SCAN_HELP);
            *status = EXIT_OK;
            return -1;
        }
        if (c == ARG_ERROR) return -1;
        const char *v = a.value;
        const char *name = c == 's' ? "static" : c == 'i' ? "inline" : "qualified";
        if ((v[0] != '0' && v[0] != '1') || v[1] != '\0') {
            ArgError(&a, "--%s '%s': not 0 or 1", name, v);
            return -1;
        }
        int *flag = c == 's'   ? &filters->includeStatic
                    : c == 'i' ? &filters->includeInline
                               : &filters->includeQualified;
        *flag = v[0] - '0';
    }
    if (optind >= argc) {
        ArgError(&a, "missing FILE");
        return -1;
    }
    return optind;
}

/* Why path cannot be scanned, for the message: the system's reason where there is one. */
static const char *UnreadableReason(const char *path)
{
    struct stat info;
    if (stat(path, &info) != 0) return strerror(errno);
    if (S_ISDIR(info.st_mode)) return "a directory";
    if (!S_ISREG(info.st_mode)) return "not a regular file";
    if (access(path, R_OK) != 0) return strerror(errno);
    return "its name is too long for the plugin, or it cannot be read";
}

/* Scans one file and prints what it appended: the exit status it asks for. A directory or
   anything else that is not a file cannot be opened as one. */
static int ScanOne(const char *arg, BrowserState *st, CommandReport *report)
{
    struct stat info;
    int result = 1;
    if (stat(arg, &info) == 0 && !S_ISDIR(info.st_mode))
        result = ScanFileInto(st, arg, stdout, report);
    if (result == 1)
        fprintf(stderr, "zolt: scan: cannot open %s: %s\n", arg, UnreadableReason(arg));
    if (result == -1) fprintf(stderr, "zolt: scan: out of memory while scanning %s\n", arg);
    return result == 0 ? EXIT_OK : EXIT_UNREADABLE;
}

int RunScan(int argc, char **argv)
{
    static BrowserState st; /* one command's state for the whole run, as a project scan has */
    ScanFilters filters;
    DefaultScanFilters(&filters); /* the project scan's defaults */
    int status = EXIT_OK;
    int first = ParseScanOptions(argc, argv, &filters, &status);
    if (first < 0) return status;
    status = EXIT_OK;
    if (InstallBatchHost() != 0) return EXIT_USAGE;
    if (BeginFileScan(&st, &filters) != 0) {
        fputs("zolt: scan: out of memory\n", stderr);
        return EXIT_UNREADABLE;
    }
    CommandReport report;
    memset(&report, 0, sizeof report);
    for (int i = first; i < argc; i++)
        if (ScanOne(argv[i], &st, &report) != EXIT_OK) status = EXIT_UNREADABLE;
    EndFileScan(&st);
    return status;
}
