/* wintest.h: the Windows test host: scripted host services, an in-memory editor stack, the
   loaded plugin, and small checks over real files and the registry. */
#ifndef ZOLT_WINTEST_WINTEST_H
#define ZOLT_WINTEST_WINTEST_H

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "common/editbuffer.h"
#include "host/farapi.h"

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

/* ---- one service call, as a line ("Menu title=... items=3") plus the fields checks need ---- */
struct Call {
    std::string service; /* "Menu", "Dialog", "Message", "Editor", "EditorControl" */
    std::string text;
    std::vector<std::string> items; /* menu item texts, message lines */
    int selected = -1;              /* menu: the first item marked selected */
    std::string title;              /* menu title */
    std::vector<int> breakKeys;     /* up to the 0 end mark */
    std::string file;               /* Editor file */
    int line = 0, col = 0;          /* Editor StartLine/StartChar; SETPOSITION line/column */
    int command = -1;               /* EditorControl command */
    FarDword flags = 0;
};
std::vector<Call> &Calls();
std::vector<Call> CallsOf(const char *service, int command = -1);
std::vector<std::string> &HostErrors(); /* broken host rules and unscripted calls */
/* Forgets calls, errors and scripts; checks that every saved screen came back first. */
void ResetHost();

/* ---- scripts: answers taken in order; an unscripted Menu or Dialog is an error (-1) ---- */
/* Answer to one Menu call: the item chosen (-1 Esc) and the break key that ended it (-1 none). */
struct MenuAnswer {
    int index;
    int breakCode;
};
using MenuScript = std::function<MenuAnswer(const Call &call, const int *breakKeys)>;
void ScriptMenu(MenuScript answer);
void ScriptMenuIndex(int index);           /* Enter on this item, or -1: Esc */
void ScriptMenuKey(int vk, int modifiers); /* a key press matched against the break keys */
void ScriptMenuChar(char ch);              /* the key VkKeyScanA says types ch */
void ScriptMenuThrow();                    /* the service throws a C++ exception */
/* The next ECTL_GETSTRING hands out a text pointer into unmapped memory, as a broken host could. */
void ScriptWildEditorText();
void ScriptDialog(std::function<int(FarDialogItem *items, int count)> answer);
/* Runs while the modal editor the plugin opens is up (file read from disk, cursor at the
   call's line) and closed after it. */
void ScriptEditor(std::function<void()> inside);

/* ---- editors: a stack, the top one current ---- */
struct Editor : EditBuffer {
    int quit = 0; /* ECTL_QUIT received */
};
int PushEditor(const std::string &fileName, const std::vector<std::string> &lines, int line,
               int col);
void PopEditor();
Editor *CurrentEditor();

/* ---- files and registry ---- */
int WriteFileText(const std::string &path, const std::string &text); /* 0 on success */
std::string ReadFileText(const std::string &path);                   /* "<missing>" when absent */
int GetWriteTime(const std::string &path, FILETIME *t);              /* 0 on success */
int SetWriteTime(const std::string &path, const FILETIME &t);        /* 0 on success */
std::vector<std::string> SplitLines(const std::string &text);        /* at "\r\n" or "\n" */
/* HKCU value: "dword:N", "string:TEXT", another "type:T", or "<missing>". */
std::string RegistryValue(const char *key, const char *name);

#endif
