/* main.cpp: the zolt program: picks the subcommand. */
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "batch/batch.h"
#include "common/distdir.h"
#include "term/term.h"

/* The terminal program needs its texts before the screen is taken: 0, or -1 (said on stderr). */
static int CheckTexts(void)
{
    LngFile texts;
    int result = LoadZoltTexts(&texts);
    LngFree(&texts);
    return result;
}

static int RunEdit(int argc, char **argv)
{
    int line = 0;
    if (argc < 2 || argc > 3 || (argc == 3 && sscanf(argv[2], "%d", &line) != 1) || line < 0) {
        fputs("usage: zolt edit FILE [LINE]\n", stderr);
        return 2;
    }
    if (CheckTexts() != 0) return 1;
    return RunTerminalEditor(argv[1], line);
}

int main(int argc, char **argv)
{
    AnchorZoltDistDir();
    if (argc < 2) return CheckTexts() != 0 ? 1 : RunTerminal(NULL);
    if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (strcmp(argv[1], "--version") == 0) {
        printf("zolt %s\n", ZOLT_VERSION);
        return 0;
    }
    for (const BatchCommand &c : BATCH_COMMANDS)
        if (strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
    if (strcmp(argv[1], "edit") == 0) return RunEdit(argc - 1, argv + 1);
    struct stat sb;
    int isDir = stat(argv[1], &sb) == 0 && S_ISDIR(sb.st_mode);
    if (argv[1][0] == '-' || argc > 2 || (!isDir && strchr(argv[1], '/') == NULL)) {
        fprintf(stderr, "zolt: unknown command '%s' (see zolt --help)\n", argv[1]);
        return 2;
    }
    return CheckTexts() != 0 ? 1 : RunTerminal(argv[1]); /* zolt DIR */
}
