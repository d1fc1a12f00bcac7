/* batch.h: the headless side of the zolt program: its host record and its subcommands. */
#ifndef ZOLT_HOSTS_BATCH_H
#define ZOLT_HOSTS_BATCH_H

#include <stdio.h>

#include <string>
#include <vector>

#include "common/editbuffer1.h"

/* Hands the batch host's record to the plugin through SetStartupInfo (RootKey
   "Software\Far\Plugins", the store the configuration dialog writes). No screen: warning boxes
   become "zolt: TITLE: TEXT" lines on stderr, progress boxes a line that a terminal stderr
   overwrites (nothing otherwise: BatchShowsProgress), menus take queued answers, dialogs are
   cancelled. Texts come from the language file for the locale in ZoltDistDir(), loaded on the
   first call. Installing again forgets queued answers, picks, editors and calls. 0, or -1 when
   there is no language file (said on stderr; nothing installed): the command cannot run. */
int InstallBatchHost(void);

/* --- menus: each Menu call takes the next queued answer; with none left it is cancelled --- */
void BatchQueueMenuAnswer(int index);
/* With no queued answer left, the menus take item, counted through their items in the order
   they are shown: a menu that does not hold it is cancelled (its items counted), the one that
   does takes it, and the menus after it are cancelled. */
void BatchPickAcrossMenus(int item);
struct BatchMenu {
    std::string title;
    std::vector<std::string> items;
    int result;
};
const std::vector<BatchMenu> &BatchMenus(void); /* every menu shown, in order */

int BatchWarningCount(void); /* warning boxes printed so far */
void BatchSetQuiet(int quiet); /* 1: warnings are counted but not printed (until 0) */
void BatchEndProgress(void); /* clears a progress line left on the terminal */
/* Progress is shown: stderr is a terminal that can go back over a line: TERM set and not
   "dumb", and not in Emacs (INSIDE_EMACS), whose grep and compile buffers run commands on a
   terminal too, with the TERM Emacs itself has. */
int BatchShowsProgress(void);
/* A command's own drawing of the progress boxes on a terminal stderr: given the box's lines,
   each after ": ", it overwrites the line ("\r\033[K" first) and returns 0, or returns 1 and
   leaves it. Null: the box's lines as they are. */
typedef int (*BatchProgressDrawer)(const char *text);
void BatchSetProgressDrawer(BatchProgressDrawer draw);
/* zolt build's: counts the files of the masks in the current directory (when stderr is a
   terminal) and draws "N of M files scanned, R files/s"; the end clears the line. */
void BeginBuildProgress(void);
void EndBuildProgress(void);

/* --- editors: an in-memory editor the plugin's EditorControl works on --- */
struct BatchEditor : EditBuffer {
    int moves = 0; /* ECTL_SETPOSITION calls the plugin made on it */
};
/* Opens an editor over lines with the cursor at line, col (0-based, clamped) and makes it the
   current one; the previous one stays below it. The pointer lasts until the next open or quit. */
BatchEditor *BatchOpenEditor(const std::string &fileName, const std::vector<std::string> &lines,
                             int line, int col);
BatchEditor *BatchCurrentEditor(void); /* null when none is open (or the plugin quit the last) */
/* Reads a native file into lines split at CR LF, LF or CR. 0, or -1 when it cannot be read. */
int BatchLoadLines(const char *nativePath, std::vector<std::string> *lines);

/* Editor calls the plugin made: the host opens nothing, it only keeps them. */
struct BatchEditorCall {
    std::string fileName;
    int startLine, startChar; /* as passed: 1-based line (0: none), column */
};
const std::vector<BatchEditorCall> &BatchEditorCalls(void);

/* internal to the host: the EditorControl and Editor services over the editors above */
int BatchEditorControl(int command, void *param);
int BatchEditorOpenCall(const char *fileName, int startLine, int startChar);
void BatchResetEditors(void);

/* --- the subcommands' arguments: getopt_long over a table of the command's own --- */
struct option;
struct BatchArgs {
    const char *command; /* its name, for messages */
    int argc;
    char **argv;
    const char *shortOptions; /* getopt's form, starting with ':' and holding 'h' */
    const struct option *longOptions; /* "help" given as 'h' */
    const char *value; /* the argument of the option NextArg returned */
};
enum { ARG_END = -1, ARG_HELP = -2, ARG_ERROR = -3 };
void BeginArgs(BatchArgs *a, const char *command, int argc, char **argv, const char *shortOptions,
               const struct option *longOptions);
/* The next option's character (its value in a->value); ARG_HELP for -h or --help; ARG_END once
   the options end (optind is then the first operand; getopt_long moves the operands after the
   options, "--" ends them); ARG_ERROR after saying what is wrong. */
int NextArg(BatchArgs *a);
enum { EXIT_BAD_USAGE = 2 }; /* every subcommand's status for bad usage */
/* "zolt: COMMAND: " and the message, then where the usage is, on stderr: EXIT_BAD_USAGE. */
int ArgError(const BatchArgs *a, const char *format, ...) __attribute__((format(printf, 2, 3)));
/* Makes dir the current directory: 0, or -1 after saying why not (no such directory, not one,
   not enterable). */
int EnterDirectory(const BatchArgs *a, const char *dir);
/* Flushes and closes standard output: 0, or -1 after saying on stderr that writing failed (a
   full disk, a closed pipe), after "zolt: COMMAND: " (command null: "zolt: "); the command then
   exits 2. */
int FinishOutput(const char *command);

/* --- the index's entries as places: for grep-style lines and tags files --- */
struct CommandReport;
struct Location {
    const char *name;
    const char *path;   /* '/' form, relative to the index's directory */
    unsigned long line; /* 1-based */
};
/* The places, and the text their fields point into (free it with FreeLocations). */
struct LocationList {
    char *text = nullptr;
    std::vector<Location> places;
};
int CurrentDirectory(std::string *out); /* getcwd: 0, or -1 */
/* The path that leads from the directory from to the directory to (both absolute and
   canonical) as a prefix for names in to: "" when they are the same, else ending in '/'. */
std::string RelativeDirectory(const std::string &from, const std::string &to);
/* The definitions Browse from the panels lists in the current directory for prefix (its index
   file, or a scan that writes nothing; report as ListDefinitions fills it), sorted as there.
   A file's placeholder and entries with a line 0, a control byte or a FILE outside the
   directory (absolute, "..") are left out. 0, or -1 when the list could not be made (memory
   ran out); FreeLocations it either way. */
int ListLocations(const char *prefix, LocationList *out, CommandReport *report);
void FreeLocations(LocationList *list);
/* "DIRPREFIX PATH:LINE: NAME", the form of grep -n, which Vim's quickfix and Emacs' grep-mode
   read. */
void PrintLocation(FILE *out, const std::string &dirPrefix, const Location &location);

/* --- help: each command's as data, printed by --help and made into the manual page --- */
struct HelpItem {
    const char *term; /* an option, operand or name: "-l, --locations" */
    const char *text; /* what it means: one paragraph, wrapped where it is printed */
};
struct CommandHelp {
    const char *synopsis;          /* after "zolt " */
    const char *const *text;       /* paragraphs, null-terminated */
    const HelpItem *items;         /* its options, ended by a null term; null for none */
    const char *const *after;      /* paragraphs after the items; null for none */
    const char *exitStatus;        /* after "Exit status: " */
};
/* "usage: zolt SYNOPSIS", then the paragraphs and items indented, wrapped to 76 columns. */
void PrintCommandHelp(FILE *out, const CommandHelp *help);
extern const CommandHelp SCAN_HELP, BUILD_HELP, CONFIG_HELP, LIST_HELP, GOTO_HELP, TAGS_HELP,
    EDIT_HELP, LSP_HELP;
extern const HelpItem *const OPTION_ITEMS; /* the ten options, "NAME [DEFAULT]" */

/* Subcommands: argv[0] is the subcommand's name. Each returns the process exit status. */
struct BatchCommand {
    const char *name;
    int (*run)(int argc, char **argv);
    const CommandHelp *help;
    const char *summary;
};
enum { BATCH_COMMAND_COUNT = 7 };
extern const BatchCommand BATCH_COMMANDS[BATCH_COMMAND_COUNT];
/* zolt --help: the synopsis, what zolt is, every command's usage, the options, its files, its
   environment, its exit statuses, the rules users trip over, examples. */
void PrintUsage(FILE *out);
/* The manual page zolt(1), roff: the same parts as PrintUsage, in its sections. */
void PrintManPage(FILE *out);
/* A bash completion script for zolt: the commands and the option names. */
void PrintBashCompletion(FILE *out);

int RunScan(int argc, char **argv);
int RunBuild(int argc, char **argv);
int RunConfig(int argc, char **argv);
int RunList(int argc, char **argv);
int RunGoto(int argc, char **argv);
int RunTags(int argc, char **argv);
int RunLsp(int argc, char **argv);

#endif
