/* main.cpp: the zolt program: picks the subcommand. */
#include <getopt.h>
#include <stdio.h>
#include <stdlib.h>
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
    static const struct option LONG_OPTIONS[] = {{"help", no_argument, NULL, 'h'},
                                                 {NULL, 0, NULL, 0}};
    BatchArgs a;
    BeginArgs(&a, "edit", argc, argv, ":h", LONG_OPTIONS);
    for (int c; (c = NextArg(&a)) != ARG_END;) {
        if (c == ARG_HELP) {
            PrintCommandHelp(stdout, &EDIT_HELP);
            return FinishOutput("edit") == 0 ? 0 : 2;
        }
        if (c == ARG_ERROR) return 2;
    }
    int operands = argc - optind;
    if (operands == 0) return ArgError(&a, "missing FILE");
    if (operands > 2) return ArgError(&a, "too many arguments, from '%s'", argv[optind + 2]);
    long line = 0;
    if (operands == 2) {
        char *end;
        const char *text = argv[optind + 1];
        line = strtol(text, &end, 10);
        if (text[0] < '0' || text[0] > '9' || *end != '\0' || line > 1000000000L)
            return ArgError(&a, "LINE '%s': not a line number", text);
    }
    if (CheckTexts() != 0) return 1;
    return RunTerminalEditor(argv[optind], (int)line);
}

int main(int argc, char **argv)
{
    AnchorZoltDistDir();
    if (argc < 2) return CheckTexts() != 0 ? 1 : RunTerminal(NULL);
    if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) {
        PrintUsage(stdout);
        return FinishOutput(NULL) == 0 ? 0 : 2;
    }
    if (strcmp(argv[1], "--version") == 0) {
        printf("zolt %s\n", ZOLT_VERSION);
        return FinishOutput(NULL) == 0 ? 0 : 2;
    }
    for (const BatchCommand &c : BATCH_COMMANDS)
        if (strcmp(argv[1], c.name) == 0) {
            int status = c.run(argc - 1, argv + 1);
            return FinishOutput(c.name) == 0 ? status : 2; /* output lost: as ls, status 2 */
        }
    if (strcmp(argv[1], "edit") == 0) return RunEdit(argc - 1, argv + 1);
    struct stat sb;
    int isDir = stat(argv[1], &sb) == 0 && S_ISDIR(sb.st_mode);
    if (argv[1][0] == '-' || argc > 2 || (!isDir && strchr(argv[1], '/') == NULL)) {
        fprintf(stderr, "zolt: unknown command '%s' (see zolt --help)\n", argv[1]);
        return 2;
    }
    return CheckTexts() != 0 ? 1 : RunTerminal(argv[1]); /* zolt DIR */
}
