/* help.cpp: zolt's help text, and the manual page and bash completion made from the same text. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "batch/batch.h"
#include "settings/settings.h"

#ifndef ZOLT_SHARE_FROM_BIN
#define ZOLT_SHARE_FROM_BIN "../share/zolt"
#endif

const BatchCommand BATCH_COMMANDS[BATCH_COMMAND_COUNT] = {
    {"scan", RunScan, PrintScanUsage, "print the definitions found in source and macro files"},
    {"build", RunBuild, PrintBuildUsage,
     "build the project index of a directory, as from the panels"},
    {"config", RunConfig, PrintConfigUsage, "show or set the options"},
    {"list", RunList, PrintListUsage, "list the definitions Browse shows for a typed prefix"},
    {"goto", RunGoto, PrintGotoUsage, "go to the definition of the word at a place in a file"},
    {"tags", RunTags, PrintTagsUsage, "write a tags file for vi, less or Emacs from the index"},
};

static void PrintSynopsis(FILE *out)
{
    fputs("zolt [DIR]              the terminal program on DIR (default: .)\n"
          "zolt edit FILE [LINE]   the terminal program, starting in the editor\n"
          "zolt COMMAND [ARGS...]  a command without a screen, for scripts\n"
          "zolt COMMAND --help     that command's help\n"
          "zolt --help | --version\n",
          out);
}

static void PrintDescription(FILE *out)
{
    fputs("ZOLT finds the names that C and C++ sources and *.MAC macro files\n"
          "define (functions, #define macros, typedefs, struct, enum and class\n"
          "tags), keeps them in a project index in the directory built (two text\n"
          "files, rebuilt by file write time), lists them in a menu that narrows\n"
          "as you type, and goes from the word under the cursor to its definition\n"
          "and back. It is a plugin for the Far Manager file manager, for both\n"
          "its host generations (1.x, 32-bit; 3, 32-bit and 64-bit); zolt runs\n"
          "the same plugin in a terminal program of its own (one file panel and\n"
          "an editor) and in the commands below, which also write tags files\n"
          "for vi, less and Emacs. In the terminal program F11 opens the plugins\n"
          "menu with ZOLT's commands (Browse, Build project index; in the editor\n"
          "also Go to definition and Return from definition), F9 its options and\n"
          "F1 its help; F4 opens a file in the editor, F10 quits.\n"
          "Exit status of zolt [DIR] and zolt edit: 0; 1 when the terminal, DIR\n"
          "or the language files cannot be used; 2 on bad usage.\n",
          out);
}

static void PrintCommandList(FILE *out)
{
    for (const BatchCommand &c : BATCH_COMMANDS) fprintf(out, "%-7s %s\n", c.name, c.summary);
}

static void PrintFiles(FILE *out)
{
    fputs("BINDIR/" ZOLT_SHARE_FROM_BIN "/   BINDIR being the program's folder\n"
          "    (/usr/share/zolt/ for /usr/bin/zolt): zoltEng.lng and zoltRus.lng,\n"
          "    the messages in English and Russian (code page 866), zoltEng.hlf\n"
          "    and zoltRus.hlf, the help (F1). A zolt in a build tree reads dist/\n"
          "    next to it instead; $ZOLT_DIST_DIR wins over both.\n"
          "$XDG_CONFIG_HOME/zolt/settings   (default ~/.config/zolt/settings)\n"
          "    the options (zolt config, the options dialog) and where Return\n"
          "    from definition goes back to.\n"
          "zoltprj$.Far   in each directory built: the project index, one\n"
          "    NAME?FILE?LINE line per definition, sorted by name, CR LF line\n"
          "    ends, FILE relative to the directory.\n"
          "zoltpru$.Far   the update index: the same entries in walk order with\n"
          "    each file's write time; a rebuild scans only the files whose time\n"
          "    changed.\n"
          "zoltopt$.Far   the options the index was built with; when they change,\n"
          "    the next build is a full one.\n",
          out);
}

static void PrintEnvironment(FILE *out)
{
    fputs("ZOLT_DIST_DIR    the folder of the language and help files, instead\n"
          "                 of the one found from the program's location\n"
          "XDG_CONFIG_HOME  the options live in zolt/ below it (an absolute path)\n"
          "HOME             else they live in ~/.config/zolt/\n"
          "LC_ALL, LC_MESSAGES, LANG\n"
          "                 the first one set chooses the messages and the help:\n"
          "                 Russian when it starts with \"ru\", else English; the\n"
          "                 terminal program shows text in the locale's charset\n"
          "TERM             the terminal type the terminal program draws for\n",
          out);
}

static void PrintExitStatus(FILE *out)
{
    fputs("Each command's help above says what its status means. In short: 0\n"
          "done; 1 a file that could not be read, a warning from the plugin or a\n"
          "value not stored (for goto only: nothing found); 2 bad usage, or the\n"
          "language files are missing; 3 goto listed the choices and none was\n"
          "picked. Messages go to stderr, after \"zolt: \".\n",
          out);
}

/* One part of the help: its heading in --help ("" for none), its manual page section, its text.
   The commands' own usages follow the list of commands, in both. */
struct HelpPart {
    const char *heading;
    const char *section;
    void (*print)(FILE *out);
};

static const HelpPart PARTS[] = {
    {"usage:", "SYNOPSIS", PrintSynopsis},
    {"", "DESCRIPTION", PrintDescription},
    {"commands:", "COMMANDS", PrintCommandList},
    {"files:", "FILES", PrintFiles},
    {"environment:", "ENVIRONMENT", PrintEnvironment},
    {"exit status:", "EXIT STATUS", PrintExitStatus},
};

/* Writes text with every line indented by indent columns. */
static void PrintIndented(FILE *out, const char *text, int indent)
{
    for (const char *line = text; *line != '\0';) {
        const char *end = strchr(line, '\n');
        size_t n = end ? (size_t)(end - line) : strlen(line);
        fprintf(out, "%*s%.*s\n", n > 0 ? indent : 0, "", (int)n, line);
        line += n + (end != NULL);
    }
}

/* What print writes, as a heap string (free it); null when memory ran out. */
static char *Capture(void (*print)(FILE *out))
{
    char *text = NULL;
    size_t size = 0;
    FILE *f = open_memstream(&text, &size);
    if (f == NULL) return NULL;
    print(f);
    if (fclose(f) != 0) {
        free(text);
        return NULL;
    }
    return text;
}

void PrintUsage(FILE *out)
{
    for (const HelpPart &part : PARTS) {
        char *text = Capture(part.print);
        if (part.heading[0] != '\0') fprintf(out, "%s\n", part.heading);
        PrintIndented(out, text ? text : "", 2);
        fputc('\n', out);
        free(text);
        if (part.print == PrintCommandList)
            for (const BatchCommand &c : BATCH_COMMANDS) {
                c.usage(out);
                fputc('\n', out);
            }
    }
}

/* --- the manual page: every part in no-fill blocks, so it reads as --help does --- */

/* text as roff input that shows it as it is: no request, no escape, ASCII quotes and dashes. */
static void PutRoffLine(FILE *out, const char *line, size_t n)
{
    if (n > 0 && (line[0] == '.' || line[0] == '\'')) fputs("\\&", out);
    for (size_t i = 0; i < n; i++) {
        switch (line[i]) {
        case '\\': fputs("\\e", out); break;
        case '-': fputs("\\-", out); break;
        case '\'': fputs("\\(aq", out); break;
        case '`': fputs("\\(ga", out); break;
        case '^': fputs("\\(ha", out); break;
        case '~': fputs("\\(ti", out); break;
        default: fputc(line[i], out);
        }
    }
    fputc('\n', out);
}

static void PutRoffBlock(FILE *out, const char *text)
{
    fputs(".nf\n", out);
    for (const char *line = text; *line != '\0';) {
        const char *end = strchr(line, '\n');
        size_t n = end ? (size_t)(end - line) : strlen(line);
        if (n == 0) fputs(".sp\n", out);
        else PutRoffLine(out, line, n);
        line += n + (end != NULL);
    }
    fputs(".fi\n", out);
}

static void PutRoffPart(FILE *out, void (*print)(FILE *out))
{
    char *text = Capture(print);
    PutRoffBlock(out, text ? text : "");
    free(text);
}

void PrintManPage(FILE *out)
{
    fputs(".\\\" zolt(1), made from zolt's --help (hosts/batch/): edit that, not this.\n"
          ".TH ZOLT 1 \"\" \"zolt " ZOLT_VERSION "\" \"User Commands\"\n"
          ".SH NAME\n"
          "zolt \\- C and C++ source browser: definitions index, narrowing menu, go to "
          "definition\n",
          out);
    for (const HelpPart &part : PARTS) {
        fprintf(out, ".SH %s\n", part.section);
        PutRoffPart(out, part.print);
        if (part.print == PrintCommandList)
            for (const BatchCommand &c : BATCH_COMMANDS) {
                fprintf(out, ".SS %s\n", c.name);
                PutRoffPart(out, c.usage);
            }
    }
    fputs(".SH SEE ALSO\nctags(1), global(1), cscope(1)\n", out);
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
        "    build | list)\n"
        "        if [ \"$COMP_CWORD\" -eq 2 ]; then\n"
        "            compopt -o filenames 2>/dev/null\n"
        "            mapfile -t COMPREPLY < <(compgen -W '--help' -- \"$cur\"; compgen -d -- "
        "\"$cur\")\n"
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
