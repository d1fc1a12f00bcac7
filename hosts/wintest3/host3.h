/* host3.h: the Windows test host of the current (Unicode, 3.x) plugin API: the loader with the
   host's rules, the startup record, and the services with an in-memory settings store. */
#ifndef ZOLT_WINTEST3_HOST3_H
#define ZOLT_WINTEST3_HOST3_H

#include "far3/far3api.h"
#include "wintest/wintest.h"

/* ---- the plugin as the host sees it ---- */
struct Plugin3 {
    HMODULE module;
    void(WINAPI *GetGlobalInfoW)(far3::GlobalInfo *);
    void(WINAPI *SetStartupInfoW)(const far3::PluginStartupInfo *);
    void(WINAPI *GetPluginInfoW)(far3::PluginInfo *);
    HANDLE(WINAPI *OpenW)(const far3::OpenInfo *);
    intptr_t(WINAPI *ConfigureW)(const far3::ConfigureInfo *);
    void(WINAPI *ExitFARW)(const far3::ExitInfo *);
    far3::GlobalInfo global;   /* as GetGlobalInfoW filled it */
    std::wstring title;        /* the strings it pointed at, copied */
    GUID menuGuid, configGuid; /* the lines' GUIDs from GetPluginInfoW */
};
extern Plugin3 g_plugin;
/* The host's own version: build 6727, that of the real host the adapter is tried in. */
extern const far3::VersionInfo HOST_VERSION;

/* Like the host's loader: a DLL of this machine type whose export names are exactly the six
   entry points, loaded with its folder current, each resolved by its plain name. "" on
   success, else what failed. */
std::string LoadPlugin(const std::wstring &path);
/* GetGlobalInfoW's answer judged for a host of version host: "" when it would be loaded. */
std::string CheckGlobalInfo(const far3::GlobalInfo &info, const far3::VersionInfo &host);
/* SetStartupInfoW with a record of structSize bytes (the rest zero, or with keepRest the host's
   functions all the same, which the plugin must not take) and a function table of fsfSize
   bytes; both are overwritten once the call has returned, as the host's locals are. */
void StartPlugin(size_t structSize, size_t fsfSize, int keepRest = 0);
/* A run of the plugin ends when it calls through a record after SetStartupInfoW returned. */
void TrapStaleRecordCalls();
/* GetPluginInfoW, judged: one plugins-menu and one configuration line, each with its GUID (kept
   for OpenW and ConfigureW). "" when it is as the host needs it. */
std::string ReadPluginInfo(far3::PluginInfo *info);

/* ---- text ---- */
std::string Narrow(const wchar_t *text, UINT codePage = CP_UTF8); /* null gives "(null)" */
std::wstring Widen(const std::string &text, UINT codePage = CP_UTF8);

/* ---- services ---- */
far3::PluginStartupInfo HostRecord();
far3::FarStandardFunctions HostFunctions();
/* The language file GetMsg serves (UTF-8); "" for the scripted "M<n>" texts. "" on success. */
std::string UseLanguageFile(const std::string &path);
HANDLE WINAPI HostDialogInit(const GUID *pluginId, const GUID *id, intptr_t x1, intptr_t y1,
                             intptr_t x2, intptr_t y2, const wchar_t *help,
                             const far3::FarDialogItem *items, size_t count, intptr_t reserved,
                             far3::Flags64 flags, far3::WindowProcFn proc, void *param);
intptr_t WINAPI HostDialogRun(HANDLE h);
void WINAPI HostDialogFree(HANDLE h);
intptr_t WINAPI HostSendDlgMessage(HANDLE h, intptr_t msg, intptr_t param1, void *param2);
intptr_t WINAPI HostSettingsControl(HANDLE h, far3::SettingsCommand command, intptr_t param1,
                                    void *param2);
/* The host's rule for a record passed to it: a StructSize below ours fails the call. */
int StructSizeOk(const char *what, size_t structSize, size_t least);
int IsPluginGuid(const char *service, const GUID *id); /* 0, and an error, for another one */
/* ECTL_GETINFO reports its lines this much further down (0: as they are), for a file longer
   than an int counts. */
void ScriptLineShift(intptr_t shift);
/* Menus answer their item and break key, dialogs their closing item, this much further on (0:
   as scripted). */
void ScriptAnswerShift(intptr_t shift);
intptr_t AnswerShift();
int OpenSettingsHandles();  /* created and not yet freed */
int OpenDialogs();          /* initialised and not yet freed */
void ScriptNoDialogTexts(); /* the next dialog has no text for DM_GETCONSTTEXTPTR (null) */
/* The active panel's folder FCTL_GETPANELDIRECTORY answers ("": the process's current
   directory), shown by a plugin's panel when ofPlugin. */
void ScriptPanelDirectory(const std::wstring &dir, int ofPlugin = 0);
/* The next Editor call opens nothing and answers answer; with olderEditorLine >= 0 an editor
   of that file comes to the front at that line (the host's way when its question how to open
   a file another editor holds changed is cancelled); the scenario pops it. */
void ScriptEditorRefused(intptr_t answer, int olderEditorLine = -1);

#endif
