/* plugin.h: the four entry points the host calls, and one driver per command. */
#ifndef ZOLT_PLUGIN_PLUGIN_H
#define ZOLT_PLUGIN_PLUGIN_H

#include <stdio.h>

#include "host/farapi.h"
#include "navigate/navigate.h"
#include "plugin/commands.h"
#include "state/state.h"

extern "C" {
void FARAPI SetStartupInfo(const struct PluginStartupInfo *Info);
void FARAPI GetPluginInfo(struct PluginInfo *Info);
FarHandle FARAPI OpenPlugin(int OpenFrom, int Item);
int FARAPI Configure(int ItemNumber);
}

/* The command menu: its chosen index (a CommandItem), or -1 when cancelled. */
int ShowCommandMenu(int openFrom);
/* Capacities, index file name, key codes, both tables and the settings of one command.
   Expects a zero-filled record with fromEditor set. 0, or -1 after the out-of-memory warning. */
int InitState(BrowserState *st);
/* The progress boxes of a command, as lower layers report progress (a ProgressFn). */
void ShowCommandProgress(int kind, int count);

/* --- the commands; each runs over a state InitState prepared --- */
/* Browse: from the panels the project index read where it lies (without one, a scan), from the
   editor the edited text's definitions, into the menu; warns when there is nothing to show,
   when memory ran out and when the index is damaged. */
void BrowseCommand(BrowserState *st, int openFrom);
/* Runs the browse menu over the sorted, non-empty main table until it is closed.
   openFrom: the host's open-from code (OPEN_EDITOR moves the editor cursor instead of opening).
   Allocates and frees menuItems (the items of one pass); warning 7 when memory runs out. */
void BrowseDefinitions(BrowserState *st, int openFrom);
/* The panel command: load the update index, scan "*.*", write the files when they are stale;
   Esc stops it (unless the caller put its own stopRequested in st). A BuildResult, or -1 when
   another build held the directory. */
int BuildProjectIndex(BrowserState *st);
/* Jump to the definition of the word under the cursor: the edited text first (fills and sorts
   the main table), then the project index files up the directory tree. Records the back-out
   position before searching; an empty word does nothing. */
void GoToDefinition(BrowserState *st);
/* The go-to command's choice among several matches (a ChooseFn): a menu of their texts, the
   first one marked. Its index, -1 when cancelled, -2 when there was no memory for the menu. */
int ChooseMatchFromMenu(const IndexMatch *matches, int count);
/* Back to the recorded position in the editor where it was taken; in any other editor, closes
   that editor; with no line recorded for this editor, nothing. */
void GoBack(void);
/* Shows the options; on confirm writes all ten of them. 1 when they were saved, else 0. */
int ConfigDialog(void);

#endif
