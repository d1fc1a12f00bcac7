/* main.cpp: the zolt program: picks the subcommand. */
#include <stdio.h>
#include <string.h>

#include "batch/batch.h"

struct Subcommand {
    const char *name;
    int (*run)(int argc, char **argv);
    const char *summary;
};

static const Subcommand SUBCOMMANDS[] = {
    {"scan", RunScan, "print the definitions found in source and macro files"},
};

static void PrintUsage(FILE *out)
{
    fputs("usage: zolt COMMAND [ARGS...]\n       zolt --help | --version\n\ncommands:\n", out);
    for (const Subcommand &c : SUBCOMMANDS) fprintf(out, "  %-6s %s\n", c.name, c.summary);
    fputc('\n', out);
    PrintScanUsage(out);
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (strcmp(argv[1], "--version") == 0) {
        printf("zolt %s\n", ZOLT_VERSION);
        return 0;
    }
    for (const Subcommand &c : SUBCOMMANDS)
        if (strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
    fprintf(stderr, "zolt: unknown command '%s' (see zolt --help)\n", argv[1]);
    return 2;
}
