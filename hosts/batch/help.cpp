/* help.cpp: zolt's help as data, printed by --help, and the manual page and bash completion
   made from the same data. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "batch/batch.h"
#include "settings/settings.h"

#ifndef ZOLT_SHARE_FROM_BIN
#define ZOLT_SHARE_FROM_BIN "../share/zolt"
#endif

const BatchCommand BATCH_COMMANDS[BATCH_COMMAND_COUNT] = {
    {"scan", RunScan, &SCAN_HELP, "print the definitions found in source and macro files"},
    {"build", RunBuild, &BUILD_HELP, "build the project index of a directory, as from the panels"},
    {"config", RunConfig, &CONFIG_HELP, "show or set the options"},
    {"list", RunList, &LIST_HELP, "list the definitions Browse shows for a typed prefix"},
    {"goto", RunGoto, &GOTO_HELP, "go to the definition of the word at a place in a file"},
    {"tags", RunTags, &TAGS_HELP, "write a tags file for vi, less or Emacs from the index"},
    {"lsp", RunLsp, &LSP_HELP, "serve the index to any editor as a language server"},
};

static const char *const EDIT_TEXT[] = {
    "Starts the terminal program in its editor on FILE, at LINE (1-based; default 1); the "
    "program ends when that editor is closed.",
    NULL};
const CommandHelp EDIT_HELP = {
    "edit [--] FILE [LINE]", EDIT_TEXT, NULL, NULL,
    "0; 1 when the terminal or the language files cannot be used; 2 on bad usage."};

/* --- the parts of the help, in the order of both forms --- */

static const HelpItem SYNOPSIS[] = {
    {"zolt [DIR]", "the terminal program on DIR (default: .)"},
    {"zolt edit FILE [LINE]", "the terminal program, starting in the editor"},
    {"zolt COMMAND [ARGS...]", "a command without a screen, for scripts"},
    {"zolt COMMAND --help", "that command's help (also -h)"},
    {"zolt --help | --version", "this help; the version"},
    {NULL, NULL}};

static const char *const DESCRIPTION[] = {
    "ZOLT finds the names that C and C++ sources and *.MAC macro files define (functions, "
    "#define macros, typedefs, struct, enum and class tags), keeps them in a project index in "
    "the directory built (text files, rebuilt by file write time), lists them in a menu that "
    "narrows as you type, and goes from the word under the cursor to its definition and back.",
    "It is a plugin for the Far Manager file manager, for both its host generations (1.x, "
    "32-bit; 3, 32-bit and 64-bit). zolt runs the same plugin in a terminal program of its own, "
    "one file panel and an editor, and in the commands below, which also write tags files for "
    "vi, less and Emacs and grep-style lists for their quickfix and grep modes.",
    "In the terminal program F11 opens the plugins menu with ZOLT's commands (Browse, Build "
    "project index; in the editor also Go to definition and Return from definition), F9 its "
    "options and F1 its help; F4 opens a file in the editor, F10 quits. Exit status of zolt "
    "[DIR] and zolt edit: 0; 1 when the terminal, DIR or the language files cannot be used; 2 "
    "on bad usage.",
    NULL};

static const char *const OPTIONS_TEXT[] = {
    "The ten options of the configuration dialog (F9 in the terminal program), shown and set by "
    "zolt config NAME=VALUE, with their defaults in brackets:",
    NULL};

static const HelpItem FILES[] = {
    {"BINDIR/" ZOLT_SHARE_FROM_BIN "/",
     "BINDIR being the program's folder (/usr/share/zolt/ for /usr/bin/zolt): zoltEng.lng and "
     "zoltRus.lng, the messages in English and Russian (code page 866), zoltEng.hlf and "
     "zoltRus.hlf, the help (F1). A zolt in a build tree reads dist/ next to it instead; "
     "$ZOLT_DIST_DIR wins over both."},
    {"$XDG_CONFIG_HOME/zolt/settings",
     "(default ~/.config/zolt/settings) the options (zolt config, the options dialog) and "
     "where Return from definition goes back to."},
    {"zoltprj$.Far", "in each directory built: the project index, one NAME?FILE?LINE line per "
                     "definition, sorted by name, CR LF line ends, FILE relative to the "
                     "directory."},
    {"zoltpru$.Far", "the update index: the same entries in walk order with each file's write "
                     "time; a rebuild scans only the files whose time changed."},
    {"zoltopt$.Far", "the options the index was built with; when they change, the next build "
                     "is a full one."},
    {"tags, TAGS", "what zolt tags writes: vi's and Emacs' tags files."},
    {NULL, NULL}};

static const HelpItem ENVIRONMENT[] = {
    {"ZOLT_DIST_DIR", "the folder of the language and help files, instead of the one found "
                      "from the program's location"},
    {"XDG_CONFIG_HOME", "the options live in zolt/ below it (an absolute path)"},
    {"HOME", "else they live in ~/.config/zolt/"},
    {"LC_ALL, LC_MESSAGES, LANG",
     "the first one set chooses the messages and the help: Russian when it starts with \"ru\", "
     "else English; the terminal program shows text in the locale's charset"},
    {"TERM", "the terminal type the terminal program draws for"},
    {NULL, NULL}};

static const char *const EXIT_STATUS[] = {
    "Each command's help says what its status means. In short: 0 done; 1 a file that could "
    "not be read, a warning from the plugin or a value not stored (for goto only: nothing "
    "found); 2 bad usage, output that could not be written, or the language files are "
    "missing; 3 goto listed the choices and none was picked. Messages go to stderr, after "
    "\"zolt: \".",
    NULL};

/* What users trip over; the help files' topic "Things to know" says the same. */
static const HelpItem RULES[] = {
    {"static functions", "are not indexed unless CtStatic is on (zolt config CtStatic=1); the "
                         "scan of the editor's text keeps them (CtStaticE)."},
    {"namespace and extern \"C\"", "blocks are skipped: what is defined inside them is not "
                                   "indexed."},
    {"Go to definition", "looks in the edited text, then in the project indexes of the file's "
                         "directory, its two parents and the root, and nowhere else: build the "
                         "index at the top of the project, or in one of those."},
    {"matching", "is by prefix, ASCII letters in either case: Go to definition on buf_ offers "
                 "every name that starts with buf_, BUF_ as well."},
    {"struct, enum and class tags", "land on the line of their closing };, not on the line "
                                    "that names them."},
    {"long paths", "a file whose path relative to the index's directory has 64 or more "
                   "characters is left out (zolt build counts them on stderr); names are cut to "
                   "63 characters."},
    {"file masks", "*.cc, *.cxx and *.hh are not in the default mask: zolt config "
                   "'FileMask=*.c;*.cpp;*.h;*.hpp;*.cc;*.cxx;*.hh'."},
    {NULL, NULL}};

static const HelpItem EXAMPLES[] = {
    {"zolt build ~/src/proj", "index the project (again after changes: only changed files "
                              "are read)"},
    {"zolt tags && vim -t buf_split_line",
     "Vim on a definition; :tag NAME and Ctrl-] then work, as less -t NAME does"},
    {"zolt tags -e", "TAGS for Emacs: M-x visit-tags-table, then M-. on a name"},
    {"vim -q <(zolt list -l buf_)", "every definition starting with buf_ in Vim's quickfix "
                                    "list (:cn, :cp); in Vim, :cgetexpr system('zolt list -l "
                                    "buf_')"},
    {"M-x grep RET zolt list -l buf_ RET", "the same list in Emacs' grep mode: Enter on a line "
                                           "opens it"},
    {"zolt goto src/main.c 31 22", "where Go to definition lands from line 31, column 22"},
    {NULL, NULL}};

static const HelpItem SEE_ALSO[] = {
    {"vim(1), emacs(1), less(1), readtags(1), ctags(1), global(1), cscope(1)", ""},
    {NULL, NULL}};

/* One part of the help: its --help heading ("" for none), its manual page section, its
   paragraphs and its items. The commands' own help follows the list of commands in both. */
struct HelpPart {
    const char *heading;
    const char *section;
    const char *const *text;
    const HelpItem *const *items;
};

static const HelpItem *const SYNOPSIS_ITEMS = SYNOPSIS, *const FILE_ITEMS = FILES,
                      *const ENVIRONMENT_ITEMS = ENVIRONMENT, *const RULE_ITEMS = RULES,
                      *const EXAMPLE_ITEMS = EXAMPLES, *const SEE_ALSO_ITEMS = SEE_ALSO;
static const HelpItem *g_commandItems; /* the list of commands, made on first use */

static const HelpPart PARTS[] = {
    {"usage:", "SYNOPSIS", NULL, &SYNOPSIS_ITEMS},
    {"", "DESCRIPTION", DESCRIPTION, NULL},
    {"commands:", "COMMANDS", NULL, &g_commandItems},
    {"options:", "OPTIONS", OPTIONS_TEXT, &OPTION_ITEMS},
    {"files:", "FILES", NULL, &FILE_ITEMS},
    {"environment:", "ENVIRONMENT", NULL, &ENVIRONMENT_ITEMS},
    {"exit status:", "EXIT STATUS", EXIT_STATUS, NULL},
    {"things to know:", "THINGS TO KNOW", NULL, &RULE_ITEMS},
    {"examples:", "EXAMPLES", NULL, &EXAMPLE_ITEMS},
    {"see also:", "SEE ALSO", NULL, &SEE_ALSO_ITEMS},
};

static void MakeCommandItems(void)
{
    static HelpItem items[BATCH_COMMAND_COUNT + 2];
    items[0] = {"edit", "the terminal program, starting in the editor on a file"};
    for (int i = 0; i < BATCH_COMMAND_COUNT; i++)
        items[i + 1] = {BATCH_COMMANDS[i].name, BATCH_COMMANDS[i].summary};
    items[BATCH_COMMAND_COUNT + 1] = {NULL, NULL};
    g_commandItems = items;
}

/* --- --help: paragraphs wrapped, items in two columns --- */

enum { HELP_WIDTH = 76 };

/* Writes text's words from column `at` (the cursor's column), lines wrapped at HELP_WIDTH and
   continued at column indent; ends the line. */
static void PrintWrapped(FILE *out, const char *text, int at, int indent)
{
    int column = at, first = 1;
    for (const char *p = text; *p != '\0';) {
        while (*p == ' ') p++;
        int n = (int)strcspn(p, " ");
        if (n == 0) break;
        if (!first && column + 1 + n > HELP_WIDTH) {
            fprintf(out, "\n%*s", indent, "");
            column = indent;
        } else if (!first) {
            fputc(' ', out);
            column++;
        }
        fprintf(out, "%.*s", n, p);
        column += n;
        first = 0;
        p += n;
    }
    fputc('\n', out);
}

static void PrintParagraphs(FILE *out, const char *const *text, int indent)
{
    for (; text != NULL && *text != NULL; text++) {
        fprintf(out, "%*s", indent, "");
        PrintWrapped(out, *text, indent, indent);
    }
}

/* Each term, then its text in a column after the longest term (at most 24 wide); a longer
   term has its text on the next line. */
static void PrintItems(FILE *out, const HelpItem *items, int indent)
{
    int width = 0;
    for (const HelpItem *i = items; i != NULL && i->term != NULL; i++) {
        int n = (int)strlen(i->term);
        if (n <= 24 && n > width) width = n;
    }
    int column = indent + width + 2;
    for (const HelpItem *i = items; i != NULL && i->term != NULL; i++) {
        int n = (int)strlen(i->term);
        fprintf(out, "%*s%s", indent, "", i->term);
        if (i->text[0] == '\0') {
            fputc('\n', out);
            continue;
        }
        if (n > width) fprintf(out, "\n%*s", column, "");
        else fprintf(out, "%*s", column - indent - n, "");
        PrintWrapped(out, i->text, column, column);
    }
}

void PrintCommandHelp(FILE *out, const CommandHelp *help)
{
    fputs("usage: zolt ", out);
    PrintWrapped(out, help->synopsis, 12, 12);
    PrintParagraphs(out, help->text, 2);
    PrintItems(out, help->items, 2);
    PrintParagraphs(out, help->after, 2);
    fputs("  Exit status: ", out);
    PrintWrapped(out, help->exitStatus, 15, 2);
}

void PrintUsage(FILE *out)
{
    if (g_commandItems == NULL) MakeCommandItems();
    for (const HelpPart &part : PARTS) {
        if (part.heading[0] != '\0') fprintf(out, "%s\n", part.heading);
        PrintParagraphs(out, part.text, 2);
        if (part.items != NULL) PrintItems(out, *part.items, 2);
        fputc('\n', out);
        if (part.items == &g_commandItems) {
            PrintCommandHelp(out, &EDIT_HELP);
            fputc('\n', out);
            for (const BatchCommand &c : BATCH_COMMANDS) {
                PrintCommandHelp(out, c.help);
                fputc('\n', out);
            }
        }
    }
}

/* --- the manual page: the same parts as roff paragraphs and tagged paragraphs --- */

/* text as roff that shows it as it is: no request, no escape, ASCII quotes and dashes. */
static void PutRoffText(FILE *out, const char *text)
{
    if (text[0] == '.' || text[0] == '\'') fputs("\\&", out);
    for (const char *p = text; *p != '\0'; p++) {
        switch (*p) {
        case '\\': fputs("\\e", out); break;
        case '-': fputs("\\-", out); break;
        case '\'': fputs("\\(aq", out); break;
        case '`': fputs("\\(ga", out); break;
        case '^': fputs("\\(ha", out); break;
        case '~': fputs("\\(ti", out); break;
        case '"': fputs("\\(dq", out); break;
        default: fputc(*p, out);
        }
    }
}

static void PutRoffParagraphs(FILE *out, const char *const *text)
{
    for (; text != NULL && *text != NULL; text++) {
        fputs(".PP\n", out);
        PutRoffText(out, *text);
        fputc('\n', out);
    }
}

static void PutRoffItems(FILE *out, const HelpItem *items)
{
    for (const HelpItem *i = items; i != NULL && i->term != NULL; i++) {
        fputs(i->text[0] != '\0' ? ".TP\n\\fB" : ".PP\n\\fB", out);
        PutRoffText(out, i->term);
        fputs("\\fR\n", out);
        if (i->text[0] != '\0') {
            PutRoffText(out, i->text);
            fputc('\n', out);
        }
    }
}

static void PutRoffCommand(FILE *out, const CommandHelp *help)
{
    fputs(".SS \"zolt ", out);
    PutRoffText(out, help->synopsis);
    fputs("\"\n", out);
    PutRoffParagraphs(out, help->text);
    PutRoffItems(out, help->items);
    PutRoffParagraphs(out, help->after);
    fputs(".PP\nExit status: ", out);
    PutRoffText(out, help->exitStatus);
    fputc('\n', out);
}

void PrintManPage(FILE *out)
{
    if (g_commandItems == NULL) MakeCommandItems();
    fputs(".\\\" zolt(1), made from zolt's --help (hosts/batch/): edit that, not this.\n"
          ".TH ZOLT 1 \"\" \"zolt " ZOLT_VERSION "\" \"User Commands\"\n"
          ".nh\n"
          ".ad l\n"
          ".SH NAME\n"
          "zolt \\- C and C++ source browser: definitions index, narrowing menu, go to "
          "definition, tags files\n",
          out);
    for (const HelpPart &part : PARTS) {
        fprintf(out, ".SH %s\n", part.section);
        PutRoffParagraphs(out, part.text);
        if (part.items == &g_commandItems) {
            PutRoffItems(out, g_commandItems);
            PutRoffCommand(out, &EDIT_HELP);
            for (const BatchCommand &c : BATCH_COMMANDS) PutRoffCommand(out, c.help);
        } else if (part.items != NULL) {
            PutRoffItems(out, *part.items);
        }
    }
}

/* --- bash completion: the commands and the option names from the tables above --- */

void PrintBashCompletion(FILE *out)
{
    fputs("# bash completion for zolt, made by the build from zolt's own tables: do not edit.\n"
          "_zolt()\n"
          "{\n"
          "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
          "    local words\n"
          "    COMPREPLY=()\n"
          "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
          "        words='edit",
          out);
    for (const BatchCommand &c : BATCH_COMMANDS) fprintf(out, " %s", c.name);
    fputs(" --help --version'\n"
          "        compopt -o filenames 2>/dev/null\n"
          "        mapfile -t COMPREPLY < <(compgen -W \"$words\" -- \"$cur\"; compgen -d -- "
          "\"$cur\")\n"
          "        return\n"
          "    fi\n"
          "    case ${COMP_WORDS[1]} in\n"
          "    config)\n"
          "        local name= # NAME=VALUE: bash splits the word at '='\n"
          "        if [ \"$cur\" = = ]; then\n"
          "            name=$prev cur=\n"
          "        elif [ \"$prev\" = = ]; then\n"
          "            name=${COMP_WORDS[COMP_CWORD-2]}\n"
          "        fi\n"
          "        if [ -n \"$name\" ]; then\n"
          "            case $name in\n"
          "            " OPTION_MASK_NAME ") ;;\n"
          "            *) mapfile -t COMPREPLY < <(compgen -W '0 1' -- \"$cur\") ;;\n"
          "            esac\n"
          "            return\n"
          "        fi\n"
          "        words='--help",
          out);
    for (int i = 0; i < OPT_FLAG_COUNT; i++) fprintf(out, " %s=", OPTION_FLAGS[i].name);
    fputs(
        " " OPTION_MASK_NAME "='\n"
        "        compopt -o nospace 2>/dev/null\n"
        "        mapfile -t COMPREPLY < <(compgen -W \"$words\" -- \"$cur\")\n"
        "        ;;\n"
        "    scan)\n"
        "        if [[ $cur == -* ]]; then\n"
        "            compopt -o nospace 2>/dev/null\n"
        "            mapfile -t COMPREPLY < <(compgen -W '--static= --inline= --qualified= --help "
        "-- ' -- \"$cur\")\n"
        "        else\n"
        "            compopt -o filenames 2>/dev/null\n"
        "            mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
        "        fi\n"
        "        ;;\n"
        "    tags)\n"
        "        if [[ $cur == -* ]]; then\n"
        "            mapfile -t COMPREPLY < <(compgen -W '--etags --output --help' -- \"$cur\")\n"
        "        else\n"
        "            compopt -o filenames 2>/dev/null\n"
        "            mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
        "        fi\n"
        "        ;;\n"
        "    build)\n"
        "        if [ \"$COMP_CWORD\" -eq 2 ]; then\n"
        "            compopt -o filenames 2>/dev/null\n"
        "            mapfile -t COMPREPLY < <(compgen -W '--help' -- \"$cur\"; compgen -d -- "
        "\"$cur\")\n"
        "        fi\n"
        "        ;;\n"
        "    list)\n"
        "        if [[ $cur == -* ]]; then\n"
        "            mapfile -t COMPREPLY < <(compgen -W '--locations --help' -- \"$cur\")\n"
        "        else\n"
        "            compopt -o filenames 2>/dev/null\n"
        "            mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")\n"
        "        fi\n"
        "        ;;\n"
        "    goto)\n"
        "        if [ \"$COMP_CWORD\" -eq 2 ]; then\n"
        "            compopt -o filenames 2>/dev/null\n"
        "            mapfile -t COMPREPLY < <(compgen -W '--help' -- \"$cur\"; compgen -f -- "
        "\"$cur\")\n"
        "        elif [[ $cur == -* ]]; then\n"
        "            mapfile -t COMPREPLY < <(compgen -W '--pick' -- \"$cur\")\n"
        "        fi\n"
        "        ;;\n"
        "    lsp)\n"
        "        mapfile -t COMPREPLY < <(compgen -W '--stdio --help' -- \"$cur\")\n"
        "        ;;\n"
        "    edit)\n"
        "        if [ \"$COMP_CWORD\" -eq 2 ]; then\n"
        "            compopt -o filenames 2>/dev/null\n"
        "            mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
        "        fi\n"
        "        ;;\n"
        "    esac\n"
        "}\n"
        "complete -F _zolt zolt\n",
        out);
}
