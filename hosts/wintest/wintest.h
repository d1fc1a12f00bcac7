/* wintest.h: what the Windows test hosts share (one for each host generation's plugin API): the
   recorded service calls, scripted answers, an in-memory editor stack, the scenarios themselves,
   and small checks over real files and the registry. Each host records its services' calls in
   the same words, so the same scenario runs against either API. */
#ifndef ZOLT_WINTEST_WINTEST_H
#define ZOLT_WINTEST_WINTEST_H

#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "common/editbuffer.h"

/* Where a command is opened from; each host maps it to its own open-from code. */
enum Place { FROM_PANELS, FROM_EDITOR };
/* ECTL_SETPOSITION: the same command number in both generations. */
enum { EDITOR_SETPOSITION = 7 };
/* Modifier set of a break key as the scenarios name it: the 1.x high-word bits. */
enum { KEY_CONTROL = 0x1, KEY_ALT = 0x2, KEY_SHIFT = 0x4 };

/* ---- one service call, as a line ("Menu title=... items=3") plus the fields checks need ---- */
struct Call {
    std::string service; /* "Menu", "Dialog", "Message", "Editor", "EditorControl" */
    std::string text;
    std::vector<std::string> items; /* menu item texts, message lines */
    int selected = -1;              /* menu: the first item marked selected */
    std::string title;              /* menu title */
    std::vector<int> breakKeys; /* (modifier set << 16) | virtual-key code, up to the end mark */
    std::string file;           /* Editor file */
    int line = 0, col = 0;      /* Editor StartLine/StartChar; SETPOSITION line/column */
    int command = -1;           /* EditorControl command */
    unsigned long long flags = 0;
};
std::vector<Call> &Calls();
std::vector<Call> CallsOf(const char *service, int command = -1);
std::vector<std::string> &HostErrors(); /* broken host rules and unscripted calls */
/* Forgets calls, errors and scripts; checks that every saved screen came back first. */
void ResetHost();
int &OpenScreens(); /* SaveScreen handles not yet given back */

/* ---- scripts: answers taken in order; an unscripted Menu or Dialog is an error (-1) ---- */
/* Answer to one Menu call: the item chosen (-1 Esc) and the break key that ended it (-1 none). */
struct MenuAnswer {
    int index;
    int breakCode;
};
using MenuScript = std::function<MenuAnswer(const Call &call)>;
void ScriptMenu(MenuScript answer);
void ScriptMenuIndex(int index);           /* Enter on this item, or -1: Esc */
void ScriptMenuKey(int vk, int modifiers); /* a key press matched against the break keys */
void ScriptMenuChar(char ch);              /* the key VkKeyScanA says types ch */
void ScriptMenuThrow();                    /* the service throws a C++ exception */
/* A host's Menu service: records c and answers from the next script. */
MenuAnswer AnswerMenu(Call &c);
/* The next ECTL_GETSTRING hands out a text pointer into unmapped memory, as a broken host could. */
void ScriptWildEditorText();
int TakeWildEditorText(); /* 1 once after ScriptWildEditorText */

/* A dialog as the host holds it while it runs; a script changes states and texts. */
struct DialogItem {
    int type = 0;
    int selected = 0;
    std::string text;
    int focus = 0, defaultButton = 0;
};
using DialogScript = std::function<int(std::vector<DialogItem> &items)>;
void ScriptDialog(DialogScript answer);
/* A host's dialog service: records c and runs the next script over items; -1 without one. */
int AnswerDialog(Call &c, std::vector<DialogItem> &items);

/* ---- editors: a stack, the top one current ---- */
struct Editor : EditBuffer {
    int quit = 0; /* ECTL_QUIT received */
};
int PushEditor(const std::string &fileName, const std::vector<std::string> &lines, int line,
               int col);
void PopEditor();
Editor *CurrentEditor();
/* Runs while the editor the plugin opens is up (file read from disk, cursor at the call's line)
   and closed after it. */
void ScriptEditor(std::function<void()> inside);
/* A host's Editor service, after recording c: with a session scripted the file opens at
   StartLine/StartChar (1-based). Modal, the session runs inside the call; otherwise it waits
   for RunDeferredEditors. */
void OpenScriptedEditor(const Call &c, int startLine, int startChar, int modal);
/* What a non-modal editor does once the command that opened it has returned. */
void RunDeferredEditors();

/* ---- what each host provides to the shared scenarios ---- */
/* Calls the plugin's open entry point from there; 1 when it answered "no panel". */
int OpenCommand(Place from);
int ConfigureCommand(); /* the plugin's configuration entry point for its one line */
/* A stored option: "number:N", "string:TEXT", "type:T" for another type, or "<missing>". */
std::string StoredValue(const char *name);

/* ---- scenarios ---- */
extern std::string g_root; /* the scanned tree */
void Expect(bool ok, const std::string &what);
void ExpectEq(const std::string &got, const std::string &want, const std::string &what);
/* Runs one scenario from a clean host; host rule breaks count as failures. */
void Scenario(const char *name, void (*body)());
int ScenariosFailed();
int MakeTree(const std::string &root); /* the tree every scenario works in; 1 on success */
/* Build, rebuild, browse and go to definition, in this order, over the tree. */
void RunCommandScenarios();
/* The two fatal-path scenarios this machine type can run through a host service. */
void RunFatalScenarios();
/* provoke makes the running command fail; the command must end with the fatal report alone,
   and the next command must work. provoke sets *result to OpenCommand's. */
void ExpectFatalOnly(void (*provoke)(int *result));
/* Every command from the panels and the editor ends in the "host too old" warning alone. */
void ExpectCommandsRefused();
void ConfigWritesSettings();
/* --build: one Build project index in dir, timed; 0 when it passed. */
int BuildOnce(const char *dir);

/* ---- loading ---- */
/* GetProcAddress of an export by its plain name into *out; 1 when found. GetProcAddress hands
   back a generic pointer: the cast passes through void * on purpose. */
template <typename F>
int ResolveExport(HMODULE module, const char *name, F *out)
{
    FARPROC p = GetProcAddress(module, name);
    void *raw;
    memcpy(&raw, &p, sizeof raw);
    *out = (F)raw;
    return p != NULL;
}

/* ---- files and registry ---- */
int WriteFileText(const std::string &path, const std::string &text); /* 0 on success */
std::string ReadFileText(const std::string &path);                   /* "<missing>" when absent */
int GetWriteTime(const std::string &path, FILETIME *t);              /* 0 on success */
int SetWriteTime(const std::string &path, const FILETIME &t);        /* 0 on success */
std::vector<std::string> SplitLines(const std::string &text);        /* at "\r\n" or "\n" */
/* HKCU value: "dword:N", "string:TEXT", another "type:T", or "<missing>". */
std::string RegistryValue(const char *key, const char *name);

#endif
