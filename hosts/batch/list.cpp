/* list.cpp: `zolt list`: what Browse from the panels shows in a directory for a typed prefix. */
#include <errno.h>
#include <getopt.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/limits.h"
#include "batch/batch.h"
#include "index/index.h"
#include "plugin/headless.h"

enum { EXIT_OK = 0, EXIT_FAILED = 1, EXIT_USAGE = 2 };

static const char *const LIST_TEXT[] = {
    "Prints NAME?FILE?LINE for each definition that Browse from the panels in DIR (default: the "
    "current directory) shows with PREFIX typed as the filter: from the project index file or, "
    "where DIR has none, from a fresh scan that writes nothing (said on stderr). ASCII letters "
    "match in either case; only the first 20 characters of PREFIX count, as in the menu. A "
    "single argument that is not a directory and has no '/' is the PREFIX, in the current "
    "directory.",
    NULL};
static const HelpItem LIST_OPTIONS[] = {
    {"-l, --locations", "print PATH:LINE: NAME instead, as grep -n does, PATH with '/' and "
                        "relative to the current directory: Vim's quickfix (:cgetexpr) and "
                        "Emacs' grep-mode read it"},
    {NULL, NULL}};
const CommandHelp LIST_HELP = {
    "list [--locations] [DIR] [PREFIX]", LIST_TEXT, LIST_OPTIONS, NULL,
    "0, also when nothing matches; 1 when the list could not be made; 2 on bad usage or when "
    "DIR is not a directory."};

static int IsDirectory(const char *path)
{
    struct stat sb;
    return stat(path, &sb) == 0 && S_ISDIR(sb.st_mode);
}

/* The listing in grep's form, paths from start (the directory zolt started in). */
static int PrintLocations(const char *prefix, const std::string &start, CommandReport *report)
{
    std::string here;
    LocationList list;
    int listed = CurrentDirectory(&here) == 0 ? ListLocations(prefix, &list, report) : -1;
    if (listed == 0) {
        const std::string dirPrefix = RelativeDirectory(start, here);
        for (const Location &place : list.places) PrintLocation(stdout, dirPrefix, place);
    } else if (!report->damaged) {
        fputs("zolt: list: out of memory, or the directory cannot be read\n", stderr);
    }
    FreeLocations(&list);
    return listed == 0 ? EXIT_OK : EXIT_FAILED;
}

int RunList(int argc, char **argv)
{
    static const struct option LONG_OPTIONS[] = {{"help", no_argument, NULL, 'h'},
                                                 {"locations", no_argument, NULL, 'l'},
                                                 {NULL, 0, NULL, 0}};
    BatchArgs a;
    BeginArgs(&a, "list", argc, argv, ":hl", LONG_OPTIONS);
    int locations = 0;
    for (int c; (c = NextArg(&a)) != ARG_END;) {
        if (c == ARG_HELP) {
            PrintCommandHelp(stdout, &LIST_HELP);
            return EXIT_OK;
        }
        if (c == ARG_ERROR) return EXIT_USAGE;
        locations = 1; /* 'l' */
    }
    int operands = argc - optind;
    if (operands > 2) return ArgError(&a, "too many arguments, from '%s'", argv[optind + 2]);
    const char *dir = operands >= 1 ? argv[optind] : ".";
    const char *prefix = operands == 2 ? argv[optind + 1] : "";
    /* a name never holds '/': an argument with one is a directory, missing or not */
    if (operands == 1 && !IsDirectory(dir) && strchr(dir, '/') == NULL) {
        prefix = dir;
        dir = ".";
    }
    std::string start;
    if (CurrentDirectory(&start) != 0) {
        fputs("zolt: list: the current directory cannot be named\n", stderr);
        return EXIT_FAILED;
    }
    if (EnterDirectory(&a, dir) != 0) return EXIT_USAGE;
    if (InstallBatchHost() != 0) return EXIT_USAGE;
    CommandReport report;
    int status = EXIT_OK;
    if (locations) status = PrintLocations(prefix, start, &report);
    else (void)ListDefinitions(stdout, prefix, &report);
    BatchEndProgress();
    if (report.damaged) {
        fprintf(stderr,
                "zolt: list: %s is damaged, out of order or changed while read: "
                "zolt build writes it again\n",
                PROJECT_INDEX_NAME);
        status = EXIT_FAILED;
    }
    if (report.noIndex)
        fprintf(stderr,
                "zolt: list: no %s in %s: listed from a fresh scan (nothing written; "
                "zolt build writes the index)\n",
                PROJECT_INDEX_NAME, dir);
    return status;
}
