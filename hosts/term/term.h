/* term.h: the interactive terminal host of the zolt program (ncursesw). */
#ifndef ZOLT_HOSTS_TERM_H
#define ZOLT_HOSTS_TERM_H

/* File panel on dir (null: the current directory) until F10. Returns the exit status: 0, or 1
   when the terminal or the directory cannot be used, or the terminal's input went away (a
   message on stderr; an editor's unsaved changes are kept in a file of their own). */
int RunTerminal(const char *dir);

/* Starts in the editor on file with the cursor on line (1-based; 0 = the first line); the
   program ends when that editor is closed. Returns 0, or 1 as RunTerminal. */
int RunTerminalEditor(const char *file, int line);

#endif
