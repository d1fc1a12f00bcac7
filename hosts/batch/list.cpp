/* list.cpp: `zolt list`: what Browse from the panels shows in a directory for a typed prefix. */
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/limits.h"
#include "batch/batch.h"
#include "plugin/headless.h"

enum { EXIT_OK = 0, EXIT_USAGE = 2 };

void PrintListUsage(FILE *out)
{
    fputs("usage: zolt list [DIR] [PREFIX]\n"
          "  Prints NAME?FILE?LINE for each definition that Browse from the panels in DIR\n"
          "  (default: the current directory) shows with PREFIX typed as the filter: from the\n"
          "  project index file, or from a fresh scan that writes nothing; ASCII letters match\n"
          "  in either case, and only the first 20 characters of PREFIX count, as in the menu.\n",
          out);
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
    struct stat sb;
    if (stat(dir, &sb) != 0 || !S_ISDIR(sb.st_mode) || chdir(dir) != 0) {
        fprintf(stderr, "zolt: list: no such directory: %s\n", dir);
        return EXIT_USAGE;
    }
    InstallBatchHost();
    CommandReport report;
    (void)ListDefinitions(stdout, prefix, &report);
    BatchEndProgress();
    return EXIT_OK;
}
