/* list.cpp: `zolt list`: what Browse from the panels shows in a directory for a typed prefix. */
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/limits.h"
#include "batch/batch.h"
#include "index/index.h"
#include "plugin/headless.h"

enum { EXIT_OK = 0, EXIT_USAGE = 2 };

void PrintListUsage(FILE *out)
{
    fputs("usage: zolt list [DIR] [PREFIX]\n"
          "  Prints NAME?FILE?LINE for each definition that Browse from the panels\n"
          "  in DIR (default: the current directory) shows with PREFIX typed as\n"
          "  the filter: from the project index file or, where DIR has none, from\n"
          "  a fresh scan that writes nothing (said on stderr). ASCII letters\n"
          "  match in either case; only the first 20 characters of PREFIX count,\n"
          "  as in the menu. A single argument that is not a directory and has no\n"
          "  '/' is the PREFIX, in the current directory.\n"
          "  Exit status: 0, also when nothing matches; 2 on bad usage or when DIR\n"
          "  is not a directory.\n",
          out);
}

static int IsDirectory(const char *path)
{
    struct stat sb;
    return stat(path, &sb) == 0 && S_ISDIR(sb.st_mode);
}

int RunList(int argc, char **argv)
{
    if (argc > 3 || (argc > 1 && argv[1][0] == '-')) {
        if (argc > 1 && strcmp(argv[1], "--help") == 0) {
            PrintListUsage(stdout);
            return EXIT_OK;
        }
        PrintListUsage(stderr);
        return EXIT_USAGE;
    }
    const char *dir = argc >= 2 ? argv[1] : ".";
    const char *prefix = argc == 3 ? argv[2] : "";
    /* a name never holds '/': an argument with one is a directory, missing or not */
    if (argc == 2 && !IsDirectory(dir) && strchr(dir, '/') == NULL) {
        prefix = dir;
        dir = ".";
    }
    if (!IsDirectory(dir) || chdir(dir) != 0) {
        fprintf(stderr, "zolt: list: no such directory: %s\n", dir);
        return EXIT_USAGE;
    }
    if (InstallBatchHost() != 0) return EXIT_USAGE;
    CommandReport report;
    (void)ListDefinitions(stdout, prefix, &report);
    BatchEndProgress();
    if (report.noIndex)
        fprintf(stderr,
                "zolt: list: no %s in %s: listed from a fresh scan (nothing written; "
                "zolt build writes the index)\n",
                PROJECT_INDEX_NAME, dir);
    return EXIT_OK;
}
