/* goto.cpp: `zolt goto`: Go to definition from an editor on a file, and where it lands. */
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "batch/batch.h"
#include "host/farapi.h"
#include "platform/platform.h"
#include "plugin/headless.h"

enum { EXIT_LANDED = 0, EXIT_NOT_FOUND = 1, EXIT_USAGE = 2, EXIT_CHOICES = 3 };

void PrintGotoUsage(FILE *out)
{
    fputs("usage: zolt goto FILE LINE COL [--pick N]\n"
          "  Runs Go to definition from an editor on FILE with the cursor at LINE,\n"
          "  COL (1-based) and prints where it lands as PATH:LINE:COL, PATH\n"
          "  absolute (also when it lands in FILE itself). When several\n"
          "  definitions match, the items of the choice menu are printed as\n"
          "  N<TAB>text and the menu is cancelled, unless --pick N chooses item N.\n"
          "  The items are numbered from 0 through every menu the lookup shows\n"
          "  (one per index file with several matches), as --pick counts them.\n"
          "  Exit status: 0 landed; 1 nothing found (the reason on stderr); 2 bad\n"
          "  usage, or no item N in the choice menus; 3 the choices were listed\n"
          "  and none was picked.\n",
          out);
}

/* A decimal number of at least min: 0, or -1 for anything else. */
static int ParseNumber(const char *text, int min, int *out)
{
    char *end;
    long v = strtol(text, &end, 10);
    if (*text < '0' || *text > '9' || *end != '\0' || v < min || v > INT_MAX) return -1;
    *out = (int)v;
    return 0;
}

static int ParseArgs(int argc, char **argv, const char **file, int *line, int *col, int *pick)
{
    *pick = -1;
    int positional = 0;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--pick") == 0 && i + 1 < argc) {
            if (ParseNumber(argv[++i], 0, pick) != 0) return -1;
        } else if (argv[i][0] == '-') {
            return -1;
        } else if (positional == 0) {
            *file = argv[i];
            positional++;
        } else if (positional < 3) {
            if (ParseNumber(argv[i], 1, positional == 1 ? line : col) != 0) return -1;
            positional++;
        } else {
            return -1;
        }
    }
    return positional == 3 ? 0 : -1;
}

static size_t CountMenuItems(void)
{
    size_t n = 0;
    for (const BatchMenu &m : BatchMenus()) n += m.items.size();
    return n;
}

/* The items of every menu shown, numbered through them all as --pick counts them. */
static void PrintChoiceMenus(void)
{
    size_t n = 0;
    for (const BatchMenu &m : BatchMenus())
        for (const std::string &item : m.items) printf("%zu\t%s\n", n++, item.c_str());
}

/* Prints the landing place (edited: the edited file's absolute native path); 0, or -1 when the
   command went nowhere. */
static int PrintLanding(const char *edited, const BatchEditor *editor)
{
    const std::vector<BatchEditorCall> &opened = BatchEditorCalls();
    if (!opened.empty()) {
        const BatchEditorCall &c = opened.back();
        char native[PATH_MAX];
        if (ToNativePath(c.fileName.c_str(), native, sizeof native) != 0) return -1;
        printf("%s:%d:%d\n", native, c.startLine, c.startChar);
        return 0;
    }
    if (editor != NULL && editor->moves > 0) {
        printf("%s:%d:%d\n", edited, editor->curLine + 1, editor->curPos + 1);
        return 0;
    }
    return -1;
}

/* Why nothing was landed on, when the plugin itself said nothing: the exit status. */
static int ExplainNoLanding(int pick, int line, int col)
{
    size_t items = CountMenuItems();
    if (pick >= 0 && items > 0 && (size_t)pick >= items) {
        fprintf(stderr, "zolt: goto: --pick %d: the choice menus have %zu items (0 to %zu)\n", pick,
                items, items - 1);
        return EXIT_USAGE;
    }
    if (pick < 0 && items > 0) return EXIT_CHOICES;
    if (BatchMenus().empty() && BatchWarningCount() == 0)
        fprintf(stderr, "zolt: goto: no name at line %d, column %d\n", line, col);
    return EXIT_NOT_FOUND;
}

int RunGoto(int argc, char **argv)
{
    const char *file = NULL;
    int line = 0, col = 0, pick = -1;
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        PrintGotoUsage(stdout);
        return EXIT_LANDED;
    }
    if (ParseArgs(argc, argv, &file, &line, &col, &pick) != 0) {
        PrintGotoUsage(stderr);
        return EXIT_USAGE;
    }
    char native[PATH_MAX], pluginPath[PATH_MAX];
    std::vector<std::string> lines;
    if (realpath(file, native) == NULL || BatchLoadLines(native, &lines) != 0 ||
        FromNativePath(native, pluginPath, sizeof pluginPath) != 0) {
        fprintf(stderr, "zolt: goto: cannot read %s\n", file);
        return EXIT_USAGE;
    }
    if (InstallBatchHost() != 0) return EXIT_USAGE;
    BatchOpenEditor(pluginPath, lines, line - 1, col - 1);
    if (pick >= 0) BatchPickAcrossMenus(pick);
    CommandReport report;
    RunHeadlessCommand(OPEN_EDITOR, COMMAND_GOTO, &report);
    BatchEndProgress();
    if (pick < 0) PrintChoiceMenus();
    if (PrintLanding(native, BatchCurrentEditor()) == 0) return EXIT_LANDED;
    return ExplainNoLanding(pick, line, col);
}
