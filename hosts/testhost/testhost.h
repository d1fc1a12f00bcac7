/* testhost.h: a scriptable stand-in for the host: records every service call, answers from a script. */
#ifndef ZOLT_TESTHOST_TESTHOST_H
#define ZOLT_TESTHOST_TESTHOST_H

#include <functional>
#include <string>
#include <vector>

#include "common/editbuffer1.h"
#include "host/farapi.h"

/* The host is one process-wide object (its services take no context); reset it per test. */

enum { TEST_MODULE_NUMBER = 7 }; /* the ModuleNumber every Menu/Dialog/Message/GetMsg must pass */

/* Call kinds, as bits so a transcript can select several. */
enum : unsigned {
    CALL_GETMSG = 0x1,
    CALL_MESSAGE = 0x2,
    CALL_MENU = 0x4,
    CALL_DIALOG = 0x8,
    CALL_SAVESCREEN = 0x10,
    CALL_RESTORESCREEN = 0x20,
    CALL_EDITOR = 0x40,
    CALL_CMPNAME = 0x80,
    CALL_EDITORREAD = 0x100,    /* EditorControl GETSTRING, GETINFO, EDITORTOOEM */
    CALL_EDITORCONTROL = 0x200, /* every other EditorControl command */
    CALLS_ALL = 0x3FF,
    CALLS_DEFAULT =
        CALLS_ALL & ~(CALL_GETMSG | CALL_CMPNAME | CALL_EDITORREAD) /* what a user sees */
};

/* One service call as the plugin made it, and the host's answer. Fields a kind does not use stay 0/empty. */
struct HostCall {
    unsigned kind = 0;
    std::string text;   /* the transcript line */
    int module = -1;    /* PluginNumber passed; -1 for services that take none */
    FarDword flags = 0; /* Menu, Message, Editor flags */
    bool hasTitle = false, hasBottom = false, hasHelp = false;
    std::string title, bottom, help; /* Menu title/bottom; Editor title; help topic of any box */
    /* Menu texts; Dialog Data; Message lines (title .. buttons); CmpName {pattern, name};
       the GETSTRING line handed out */
    std::vector<std::string> items;
    std::vector<FarMenuItem> menuItems;   /* Menu items as passed */
    std::vector<FarDialogItem> dialogIn;  /* Dialog items as passed */
    std::vector<FarDialogItem> dialogOut; /* ... and as handed back */
    bool hasBreakKeys = false, hasBreakCode = false;
    std::vector<int> breakKeys; /* copied up to the 0 terminator */
    int count = 0;              /* ItemsNumber / line count of a Message */
    int buttons = 0;            /* Message ButtonsNumber */
    int selected = -1;          /* Menu: first item with Selected set */
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, maxHeight = 0;
    std::string file;        /* Editor file name; editor's file for EditorControl */
    int line = 0, col = 0;   /* Editor StartLine/StartChar; GETSTRING number; CmpName skipPath */
    int command = -1;        /* EditorControl command */
    EditorSetPosition pos{}; /* SETPOSITION record as passed */
    int id = 0;              /* GetMsg number; screen handle number (1-based, 0 = null) */
    int result = 0;          /* what the service returned */
    int breakCode = -1;      /* Menu: *BreakCode on return */
};

/* ---- setup and results ---- */
void TestHostReset();             /* forget calls, scripts, texts, editors and errors */
PluginStartupInfo TestHostInfo(); /* a full record pointing at this host (StructSize = sizeof) */
void TestHostInstall();           /* TestHostReset + InstallHostRecord(TestHostInfo()) */
const std::vector<HostCall> &TestHostCalls();  /* every call so far, in order */
std::vector<HostCall> CallsOf(unsigned kinds); /* the calls of the given CALL_* bits */
std::string
TestHostTranscript(unsigned kinds = CALLS_DEFAULT); /* their lines, each ended by '\n' */
void TestHostClearCalls(); /* drop the recorded calls (not scripts or state) */
const std::vector<std::string> &TestHostErrors(); /* broken host rules and script misses so far */
/* Adds unrestored screens and unused scripted answers to the errors, returns them one per line
   ("" when the plugin behaved) and clears them. Call at the end of every test. */
std::string TestHostFinish();

/* ---- GetMsg texts: "M<n>" unless set ---- */
void SetMsgText(int id, const std::string &text);        /* earlier pointers to this id go stale */
void SetMsgTexts(const std::vector<std::string> &texts); /* ids 0..n-1, e.g. from a language file */

/* ---- Menu script: one answer per Menu call; an empty queue fails the call (-1) ---- */
struct MenuChoice {
    int index;     /* item returned, -1 = cancelled */
    int breakCode; /* break-key index, -1 = none */
};
void ScriptMenu(int index,
                int breakCode = -1); /* returns index, as if break key breakCode ended it */
void ScriptMenuText(const std::string &text); /* chooses the first item with exactly this text */
void ScriptMenuFn(std::function<MenuChoice(const HostCall &menu)> fn); /* decides from the items */
/* A key press, matched like the host: a break key fires when its virtual key and its modifier set
   both equal the key's (result: the item under the cursor); else Enter chooses, Esc cancels,
   Up/Down move the cursor, and any other key does nothing and the menu takes the next answer. */
void ScriptMenuKey(int vk, int modifiers = 0);
void ScriptMenuChar(char ch); /* the key that types ch on a US layout */
int PressKey(const HostCall &menu, int vk, int modifiers); /* break-key index that fires, -1 none */
int KeyOfChar(char ch); /* (modifiers << 16) | vk that types ch on a US layout, -1 when none */

/* ---- Dialog script: one answer per Dialog call; an empty queue fails the call (-1) ---- */
using DialogEdit = std::function<void(FarDialogItem *items, int count)>;
void ScriptDialog(int closeIndex, DialogEdit edit = nullptr); /* edit runs on the plugin's items */
int FindDialogItem(const FarDialogItem *items, int count, const char *data); /* index by Data, -1 */

/* ---- Message script: boxes with buttons take the next answer, else button 0 ---- */
void ScriptMessage(int button); /* -1 = Esc */

/* ---- Editors: a stack of in-memory editors, the top one current ---- */
struct TestEditor : EditBuffer {
    int overtype = 0;
    int reads = 0; /* GETSTRING calls answered by this editor */
};
/* Pushes an editor (cursor 0-based) and returns its EditorID (1, 2, ... per reset). */
int OpenEditor(const std::string &fileName, const std::vector<std::string> &lines,
               int cursorLine = 0, int cursorCol = 0);
void CloseEditor();          /* pops the current editor */
TestEditor *CurrentEditor(); /* null when none is open; fields may be changed freely */
int EditorDepth();           /* open editors */
int EditorReadCount();       /* GETSTRING calls since reset */
void SetEditorToOemTable(const unsigned char table[256]); /* EDITORTOOEM mapping; null = identity */
std::vector<std::string> LinesOf(const std::string &text); /* splits at "\r\n", "\n" or "\r" */

/* ---- Editor script: a modal Editor call returns at once with 2 (not modified) unless scripted ---- */
/* inside runs while the modal editor is open; its value is the Editor call's result */
void ScriptEditor(std::function<int(const HostCall &call)> inside);
/* Runs inside the next Editor call: opens the call's file with these lines at its start position
   (1-based line and column, 0 and -1 taken as 1), runs inside(), then closes that editor unless
   the plugin already quit it. */
void ScriptEditorSession(const std::vector<std::string> &lines,
                         std::function<void()> inside = nullptr);

#endif
