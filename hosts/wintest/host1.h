/* host1.h: the Windows test host of the 1.x (ANSI) plugin API: the loaded plugin and its record. */
#ifndef ZOLT_WINTEST_HOST1_H
#define ZOLT_WINTEST_HOST1_H

#include "common/editbuffer1.h"
#include "host/farapi.h"
#include "wintest/wintest.h"

enum { WT_MODULE_NUMBER = 3 }; /* the ModuleNumber every Menu/Dialog/Message/GetMsg must pass */

/* ---- the plugin as the host sees it: the four exports of the loaded DLL ---- */
struct Plugin {
    void *module;
    void(FARAPI *SetStartupInfo)(const PluginStartupInfo *);
    void(FARAPI *GetPluginInfo)(PluginInfo *);
    FarHandle(FARAPI *OpenPlugin)(int, int);
    int(FARAPI *Configure)(int);
};
extern Plugin g_plugin;
/* LoadLibraryA and GetProcAddress by plain name; "" on success, else what failed. */
std::string LoadPlugin(const char *path);
PluginStartupInfo HostRecord(const char *moduleName); /* every service ours, StructSize = sizeof */
void ForgetSettings();                                /* the options' registry key removed */
/* What ACTL_GETFARVERSION answers from now on ((major << 8) | minor | (build << 16)); 0 for
   the host's own, 1.75. */
void ScriptHostVersion(int version);

#endif
