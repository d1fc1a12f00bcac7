/* main.cpp: the zolt program: picks the subcommand. */
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "batch/batch.h"
#include "term/term.h"

struct Subcommand {
    const char *name;
    int (*run)(int argc, char **argv);
    const char *summary;
};

static const Subcommand SUBCOMMANDS[] = {
    {"scan", RunScan, "print the definitions found in source and macro files"},
    {"build", RunBuild, "build the project index of a directory, as from the panels"},
    {"config", RunConfig, "show or set the options"},
    {"list", RunList, "list the definitions Browse shows for a typed prefix"},
    {"goto", RunGoto, "go to the definition of the word at a place in a file"},
};

static void PrintUsage(FILE *out)
{
    fputs("usage: zolt [DIR]            the terminal program on DIR\n"
          "       zolt edit FILE [LINE]  the terminal program, starting in the editor\n"
          "       zolt COMMAND [ARGS...]\n       zolt --help | --version\n\ncommands:\n",
          out);
    for (const Subcommand &c : SUBCOMMANDS) fprintf(out, "  %-6s %s\n", c.name, c.summary);
    fputc('\n', out);
    PrintScanUsage(out);
    PrintBuildUsage(out);
    PrintConfigUsage(out);
    PrintListUsage(out);
    PrintGotoUsage(out);
}

static int RunEdit(int argc, char **argv)
{
    int line = 0;
    if (argc < 2 || argc > 3 || (argc == 3 && sscanf(argv[2], "%d", &line) != 1) || line < 0) {
        fputs("usage: zolt edit FILE [LINE]\n", stderr);
        return 2;
    }
    return RunTerminalEditor(argv[1], line);
}

int main(int argc, char **argv)
{
    if (argc < 2) return RunTerminal(NULL);
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
    if (strcmp(argv[1], "edit") == 0) return RunEdit(argc - 1, argv + 1);
    struct stat sb;
    int isDir = stat(argv[1], &sb) == 0 && S_ISDIR(sb.st_mode);
    if (argv[1][0] == '-' || argc > 2 || (!isDir && strchr(argv[1], '/') == NULL)) {
        fprintf(stderr, "zolt: unknown command '%s' (see zolt --help)\n", argv[1]);
        return 2;
    }
    return RunTerminal(argv[1]); /* zolt DIR */
}
