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

/* The command menu: its chosen index, or -1 when cancelled. Two items from the panels, three
   from the editor (open-from code OPEN_EDITOR). */
int ShowCommandMenu(int openFrom);
/* Capacities, index file name, key codes, both tables and the settings of one command.
   Expects a zero-filled record with fromEditor set. 0, or -1 after the out-of-memory warning. */
int InitState(BrowserState *st);

#endif
