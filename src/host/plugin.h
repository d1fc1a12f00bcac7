/* plugin.h: the four entry points the host calls, and the command driver's own steps. */
#ifndef ZOLT_HOST_PLUGIN_H
#define ZOLT_HOST_PLUGIN_H

#include "host/farapi.h"
#include "host/state.h"

extern "C" {
void FARAPI SetStartupInfo(const struct PluginStartupInfo *Info);
void FARAPI GetPluginInfo(struct PluginInfo *Info);
FarHandle FARAPI OpenPlugin(int OpenFrom, int Item);
int FARAPI Configure(int ItemNumber);
}

/* What the last Build project index of this process did, for hosts that report it. */
struct BuildSummary {
    int ran;       /* a build ran to its end */
    int scanned;   /* files scanned that could be read */
    int entries;   /* entries in the project index after the build; -1 when not known */
    int leftOut;   /* files of the masks whose relative path is too long for an entry */
};
const BuildSummary *LastBuildSummary(void);

/* The command menu: its chosen index, or -1 when cancelled. Two items from the panels, three
   from the editor (open-from code OPEN_EDITOR). */
int ShowCommandMenu(int openFrom);
/* Capacities, index file name, key codes, both tables and the settings of one command.
   Expects a zero-filled record with fromEditor set. 0, or -1 after the out-of-memory warning. */
int InitState(BrowserState *st);

#endif
