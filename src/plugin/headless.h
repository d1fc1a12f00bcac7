/* headless.h: the commands as the headless hosts run them, each reporting what it did in counts. */
#ifndef ZOLT_PLUGIN_HEADLESS_H
#define ZOLT_PLUGIN_HEADLESS_H

#include <stdio.h>

#include "plugin/commands.h"
#include "state/state.h"

/* What a build left in the current directory. */
enum IndexFilesOutcome {
    INDEX_FILES_NONE = 0,      /* there is no project index file */
    INDEX_FILES_UNCHANGED = 1, /* the files there were left as they were */
    INDEX_FILES_WRITTEN = 2,   /* the build replaced both of them */
    INDEX_FILES_FAILED = 3,    /* the build failed or was stopped: the old files stay as they were */
    INDEX_FILES_PARTLY = 4     /* the new project file went in place, the update file failed */
};

/* What one headless command did. RunHeadlessCommand and ListDefinitions zero-fill it first;
   ScanFileInto adds each file to it. */
struct CommandReport {
    int ran;        /* the command ran: it was known and its state could be prepared */
    int scanned;    /* files scanned that could be read */
    int unreadable; /* files handed to the scanner that could not be opened */
    int leftOut;    /* files of the masks whose relative path is too long for an entry */
    int namesLeftOut; /* build: files of the masks whose name an index line cannot hold */
    int dirsLeftOut;  /* build: directories of such names, not walked */
    int entries;    /* build: entries in the project index after it, -1 when not known (0
                        when another build held the directory);
                        list and scan: the NAME?FILE?LINE lines written */
    int indexFiles; /* build: an IndexFilesOutcome */
    int noIndex;    /* list: no project index file could be read; the entries come from a scan */
    int damaged;    /* list: the project index is damaged, out of order or changed while read */
    int tempsRemoved; /* build: temporary files of builds that died, removed before it */
};

/* Runs one command of the command menu (a CommandItem) without showing the menu, as OpenPlugin
   with openFrom would run it once chosen, and fills report. */
void RunHeadlessCommand(int openFrom, int command, CommandReport *report);
/* The headless browse: the entries Browse from the panels shows in the current directory with
   prefix typed as the filter, one NAME?FILE?LINE line each on out (from the project index file,
   or a scan that writes nothing). Fills report; the number of lines written. */
int ListDefinitions(FILE *out, const char *prefix, CommandReport *report);

/* --- the headless scan: files one by one into one command's table, as a project build --- */
struct ScanFilters {
    int includeStatic, includeInline, includeQualified;
};
/* The project build's defaults. */
void DefaultScanFilters(ScanFilters *filters);
/* Prepares st (zero-filled by this call) for ScanFileInto with filters. 0, or -1 when memory ran
   out (nothing to release). */
int BeginFileScan(BrowserState *st, const ScanFilters *filters);
/* Scans the file at path (relative or absolute, in the host's form: '/' becomes '\'), *.MAC as
   a macro file and any other as C/C++, and writes each entry it appended as NAME?FILE?LINE on
   out. 0 scanned, 1 it cannot be opened or its name does not fit an entry, -1 memory ran out.
   Counts it in report. */
int ScanFileInto(BrowserState *st, const char *path, FILE *out, CommandReport *report);
void EndFileScan(BrowserState *st);

#endif
