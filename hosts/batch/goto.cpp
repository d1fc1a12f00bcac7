/* goto.cpp: `zolt goto`: Go to definition from an editor on a file, and where it lands. */
#include <getopt.h>
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

static const char *const GOTO_TEXT[] = {
    "Runs Go to definition from an editor on FILE with the cursor at LINE, COL (1-based) and "
    "prints where it lands as PATH:LINE:COL, PATH absolute (also when it lands in FILE "
    "itself). When several definitions match, the items of the choice menu are printed as "
    "N<TAB>PATH:LINE: NAME (PATH relative to the current directory) and the menu is "
    "cancelled, unless --pick N chooses item N. The items are numbered from 0 through every "
    "menu the lookup shows (one per index file with several matches), as --pick counts them.",
    NULL};
static const HelpItem GOTO_OPTIONS[] = {
    {"-p, --pick N", "choose item N of the choice menus"}, {NULL, NULL}};
const CommandHelp GOTO_HELP = {
    "goto [--pick N] FILE LINE COL", GOTO_TEXT, GOTO_OPTIONS, NULL,
    "0 landed; 1 nothing found (the reason on stderr); 2 bad usage, or no item N in the choice "
    "menus; 3 the choices were listed and none was picked."};

/* A decimal number of at least min: 0, or -1 for anything else. */
static int ParseNumber(const char *text, int min, int *out)
{
    char *end;
    long v = strtol(text, &end, 10);
    if (*text < '0' || *text > '9' || *end != '\0' || v < min || v > INT_MAX) return -1;
    *out = (int)v;
    return 0;
}

/* FILE LINE COL [--pick N]: 0, or EXIT_USAGE after saying what is wrong (-1 after --help). */
static int ParseArgs(int argc, char **argv, const char **file, int *line, int *col, int *pick)
{
    static const struct option LONG_OPTIONS[] = {{"help", no_argument, NULL, 'h'},
                                                 {"pick", required_argument, NULL, 'p'},
                                                 {NULL, 0, NULL, 0}};
    BatchArgs a;
    BeginArgs(&a, "goto", argc, argv, ":hp:", LONG_OPTIONS);
    *pick = -1;
    for (int c; (c = NextArg(&a)) != ARG_END;) {
        if (c == ARG_HELP) {
            PrintCommandHelp(stdout, &GOTO_HELP);
            return -1;
        }
        if (c == ARG_ERROR) return EXIT_USAGE;
        if (ParseNumber(a.value, 0, pick) != 0)
            return ArgError(&a, "--pick '%s': not an item number (0 or more)", a.value);
    }
    static const char *const OPERANDS[] = {"FILE", "LINE", "COL"};
    int operands = argc - optind;
    if (operands < 3) return ArgError(&a, "missing %s", OPERANDS[operands]);
    if (operands > 3) return ArgError(&a, "too many arguments, from '%s'", argv[optind + 3]);
    *file = argv[optind];
    for (int i = 1; i < 3; i++)
        if (ParseNumber(argv[optind + i], 1, i == 1 ? line : col) != 0)
            return ArgError(&a, "%s '%s': not a number of 1 or more", OPERANDS[i],
                            argv[optind + i]);
    return 0;
}

static size_t CountMenuItems(void)
{
    size_t n = 0;
    for (const BatchMenu &m : BatchMenus()) n += m.items.size();
    return n;
}

/* Where the command landed (edited: the edited file's absolute native path): 0 and the place,
   or -1 when it went nowhere. */
static int FindLanding(const char *edited, std::string *path, int *line, int *col)
{
    const std::vector<BatchEditorCall> &opened = BatchEditorCalls();
    const BatchEditor *editor = BatchCurrentEditor();
    if (!opened.empty()) {
        const BatchEditorCall &c = opened.back();
        char native[PATH_MAX];
        if (ToNativePath(c.fileName.c_str(), native, sizeof native) != 0) return -1;
        *path = native;
        *line = c.startLine;
        *col = c.startChar;
        return 0;
    }
    if (editor != NULL && editor->moves > 0) {
        *path = edited;
        *line = editor->curLine + 1;
        *col = editor->curPos + 1;
        return 0;
    }
    return -1;
}

/* What one run of the command starts from: the editor's file and text, the cursor (1-based). */
struct GotoRun {
    const char *pluginPath, *native;
    const std::vector<std::string> *lines;
    int line, col;
};

/* Runs the command once on a freshly installed host, with item picked (-1: none). */
static void RunOnce(const GotoRun &run, int item)
{
    BatchOpenEditor(run.pluginPath, *run.lines, run.line - 1, run.col - 1);
    if (item >= 0) BatchPickAcrossMenus(item);
    CommandReport report;
    RunHeadlessCommand(OPEN_EDITOR, COMMAND_GOTO, &report);
    BatchEndProgress();
}

/* The items of every menu shown, numbered through them all as --pick counts them, each as
   "N<TAB>PATH:LINE: NAME" (PATH relative to the current directory). An item's place is where
   picking it lands, found by a run of its own (each run records the same back position); an
   item that lands nowhere keeps its menu text. */
static void PrintChoiceMenus(const GotoRun &run)
{
    const std::vector<BatchMenu> menus = BatchMenus(); /* a new install forgets them */
    std::string start;
    if (CurrentDirectory(&start) != 0) start = "/";
    size_t n = 0;
    BatchSetQuiet(1); /* the first run has said what there was to say */
    for (const BatchMenu &m : menus)
        for (const std::string &item : m.items) {
            std::string path;
            int line = 0, col = 0, landed = -1;
            if (InstallBatchHost() == 0) {
                RunOnce(run, (int)n);
                landed = FindLanding(run.native, &path, &line, &col);
            }
            size_t slash = path.rfind('/');
            if (landed != 0 || slash == std::string::npos) {
                printf("%zu\t%s\n", n++, item.c_str());
                continue;
            }
            size_t from = item.find_first_not_of(' ');
            std::string name = from == std::string::npos ? "" : item.substr(from);
            name = name.substr(0, name.find(' '));
            std::string place =
                RelativeDirectory(start, path.substr(0, slash)) + path.substr(slash + 1);
            printf("%zu\t%s:%d: %s\n", n++, place.c_str(), line, name.c_str());
        }
    BatchSetQuiet(0);
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
    int parsed = ParseArgs(argc, argv, &file, &line, &col, &pick);
    if (parsed != 0) return parsed < 0 ? EXIT_LANDED : EXIT_USAGE;
    char native[PATH_MAX], pluginPath[PATH_MAX];
    std::vector<std::string> lines;
    if (realpath(file, native) == NULL || BatchLoadLines(native, &lines) != 0 ||
        FromNativePath(native, pluginPath, sizeof pluginPath) != 0) {
        fprintf(stderr, "zolt: goto: cannot read %s\n", file);
        return EXIT_USAGE;
    }
    if (InstallBatchHost() != 0) return EXIT_USAGE;
    const GotoRun run = {pluginPath, native, &lines, line, col};
    RunOnce(run, pick);
    std::string landing;
    int landedLine = 0, landedCol = 0;
    int landed = FindLanding(native, &landing, &landedLine, &landedCol) == 0;
    int status = landed ? EXIT_LANDED : ExplainNoLanding(pick, line, col);
    if (pick < 0 && CountMenuItems() > 0) PrintChoiceMenus(run); /* the runs replace the host */
    if (landed) printf("%s:%d:%d\n", landing.c_str(), landedLine, landedCol);
    return status;
}
