/* services.cpp: the host services the plugin calls back, answered from scripts, and the loader. */
#include <stdio.h>
#include <string.h>

#include <deque>
#include <stdexcept>

#include "common/wildcard.h"
#include "wintest/wintest.h"

Plugin g_plugin;

static std::vector<Call> g_calls;
static std::vector<std::string> g_errors;
static std::deque<MenuScript> g_menus;
static std::deque<std::function<int(FarDialogItem *, int)>> g_dialogs;
static std::deque<std::function<void()>> g_editorSessions;
static EditStack<Editor> g_editors;
static int g_openScreens;
static int g_wildText; /* the next ECTL_GETSTRING answers with a wild pointer */
static char g_msgText[64][16];

static const char ROOT_KEY[] = "Software\\Far\\Plugins";
/* The browse title carries the typed filter: checks read it back from the menu title. */
static const char BROWSE_TITLE[] = "Browse [%s]";

std::vector<Call> &Calls()
{
    return g_calls;
}
std::vector<std::string> &HostErrors()
{
    return g_errors;
}

std::vector<Call> CallsOf(const char *service, int command)
{
    std::vector<Call> out;
    for (const Call &c : g_calls)
        if (c.service == service && (command < 0 || c.command == command)) out.push_back(c);
    return out;
}

void ResetHost()
{
    if (g_openScreens != 0)
        g_errors.push_back("screens saved and not restored: " + std::to_string(g_openScreens));
    if (!g_menus.empty() || !g_dialogs.empty() || !g_editorSessions.empty())
        g_errors.push_back("scripted answers left unused");
    g_calls.clear();
    g_menus.clear();
    g_dialogs.clear();
    g_editorSessions.clear();
    g_openScreens = 0;
    g_wildText = 0;
}

static void CheckModule(const char *service, int module)
{
    if (module != WT_MODULE_NUMBER)
        g_errors.push_back(std::string(service) + " got plugin number " + std::to_string(module));
}

/* ---- Menu ---- */

void ScriptMenu(MenuScript answer)
{
    g_menus.push_back(std::move(answer));
}

void ScriptMenuIndex(int index)
{
    ScriptMenu([index](const Call &, const int *) { return MenuAnswer{index, -1}; });
}

/* Like the host: a break key fires when its key and its whole modifier set equal the press;
   the result is the item under the cursor (the first selected one). */
void ScriptMenuKey(int vk, int modifiers)
{
    ScriptMenu([vk, modifiers](const Call &call, const int *keys) {
        int cursor = call.selected >= 0 ? call.selected : 0;
        for (int i = 0; keys != NULL && keys[i] != 0; i++)
            if ((keys[i] & 0xFFFF) == vk && ((keys[i] >> 16) & 0xFFFF) == modifiers)
                return MenuAnswer{cursor, i};
        g_errors.push_back("key " + std::to_string(vk) + "+" + std::to_string(modifiers) +
                           " fires no break key");
        return MenuAnswer{-1, -1};
    });
}

void ScriptMenuChar(char ch)
{
    SHORT scan = VkKeyScanA(ch);
    if (scan == -1) {
        g_errors.push_back(std::string("VkKeyScanA: no key types '") + ch + "'");
        return;
    }
    int shift = (scan >> 8) & 0xFF, mods = 0;
    if (shift & 1) mods |= PKF_SHIFT;
    if (shift & 2) mods |= PKF_CONTROL;
    if (shift & 4) mods |= PKF_ALT;
    ScriptMenuKey(scan & 0xFF, mods);
}

void ScriptMenuThrow()
{
    ScriptMenu([](const Call &, const int *) -> MenuAnswer {
        throw std::runtime_error("host service failed");
    });
}

static int FARAPI HostMenu(int module, int, int, int, FarDword flags, const char *title,
                           const char *, const char *, const int *breakKeys, int *breakCode,
                           const FarMenuItem *items, int count)
{
    CheckModule("Menu", module);
    Call c;
    c.service = "Menu";
    c.flags = flags;
    c.title = title != NULL ? title : "";
    for (int i = 0; i < count; i++) {
        c.items.push_back(std::string(items[i].Text, strnlen(items[i].Text, sizeof items[i].Text)));
        if (items[i].Selected && c.selected < 0) c.selected = i;
    }
    for (int i = 0; breakKeys != NULL && breakKeys[i] != 0; i++)
        c.breakKeys.push_back(breakKeys[i]);
    c.text = "Menu \"" + c.title + "\" items=" + std::to_string(count);
    g_calls.push_back(c);
    if (breakCode != NULL) *breakCode = -1;
    if (g_menus.empty()) {
        g_errors.push_back("Menu \"" + c.title + "\" with no scripted answer");
        return -1;
    }
    MenuScript answer = g_menus.front();
    g_menus.pop_front();
    MenuAnswer a = answer(c, breakKeys);
    if (a.breakCode >= 0 && breakCode != NULL) *breakCode = a.breakCode;
    return a.index;
}

/* ---- Dialog, Message, GetMsg, screens, CmpName ---- */

void ScriptDialog(std::function<int(FarDialogItem *, int)> answer)
{
    g_dialogs.push_back(std::move(answer));
}

static int FARAPI HostDialog(int module, int x1, int y1, int x2, int y2, const char *,
                             FarDialogItem *items, int count)
{
    CheckModule("Dialog", module);
    Call c;
    c.service = "Dialog";
    c.text = "Dialog " + std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(x2) +
             "," + std::to_string(y2) + " items=" + std::to_string(count);
    g_calls.push_back(c);
    if (g_dialogs.empty()) {
        g_errors.push_back("Dialog with no scripted answer");
        return -1;
    }
    auto answer = g_dialogs.front();
    g_dialogs.pop_front();
    return answer(items, count);
}

static int FARAPI HostMessage(int module, FarDword flags, const char *, const char *const *items,
                              int count, int buttons)
{
    CheckModule("Message", module);
    Call c;
    c.service = "Message";
    c.flags = flags;
    for (int i = 0; items != NULL && i < count; i++)
        c.items.push_back(items[i] != NULL ? items[i] : "(null)");
    c.text = "Message";
    for (const std::string &s : c.items) c.text += " \"" + s + "\"";
    g_calls.push_back(c);
    return buttons > 0 ? 0 : -1;
}

static const char *FARAPI HostGetMsg(int module, int id)
{
    CheckModule("GetMsg", module);
    if (id == 9) return BROWSE_TITLE;
    if (id < 0 || id >= 64) return "";
    snprintf(g_msgText[id], sizeof g_msgText[id], "M%d", id);
    return g_msgText[id];
}

static FarHandle FARAPI HostSaveScreen(int, int, int, int)
{
    g_openScreens++;
    return (FarHandle)(intptr_t)g_openScreens;
}

static void FARAPI HostRestoreScreen(FarHandle h)
{
    if (h == NULL) return;
    if (g_openScreens <= 0) g_errors.push_back("RestoreScreen without SaveScreen");
    else g_openScreens--;
}

static int FARAPI HostCmpName(const char *pattern, const char *name, int skipPath)
{
    return WildcardMatch(pattern, name, skipPath);
}

/* ---- editors ---- */

int PushEditor(const std::string &fileName, const std::vector<std::string> &lines, int line,
               int col)
{
    Editor *e = g_editors.Push(fileName, lines);
    e->curLine = line; /* as given: a script may place the cursor past the end */
    e->curPos = col;
    return e->id;
}

void PopEditor()
{
    g_editors.Pop();
}

Editor *CurrentEditor()
{
    return g_editors.Top();
}

void ScriptEditor(std::function<void()> inside)
{
    g_editorSessions.push_back(std::move(inside));
}

/* Modal: with a session scripted, the file opens (read from disk) at StartLine (1-based) and the
   session runs inside; otherwise the call only records what was asked. */
static int FARAPI HostEditorOpen(const char *fileName, const char *, int, int, int, int,
                                 FarDword flags, int startLine, int startChar)
{
    Call c;
    c.service = "Editor";
    c.file = fileName != NULL ? fileName : "(null)";
    c.line = startLine;
    c.col = startChar;
    c.flags = flags;
    c.text = "Editor " + c.file + " line=" + std::to_string(startLine) +
             " col=" + std::to_string(startChar);
    g_calls.push_back(c);
    if (g_editorSessions.empty()) return 2;
    auto inside = g_editorSessions.front();
    g_editorSessions.pop_front();
    size_t depth = g_editors.open.size();
    PushEditor(c.file, SplitLines(ReadFileText(c.file)), startLine > 0 ? startLine - 1 : 0,
               startChar > 0 ? startChar - 1 : 0);
    inside();
    while (g_editors.open.size() > depth) PopEditor();
    return 2;
}

void ScriptWildEditorText()
{
    g_wildText = 1;
}

static int GetString(Editor *e, EditorGetString *gs)
{
    int n = gs->StringNumber < 0 ? e->curLine : gs->StringNumber;
    if (n < 0 || n >= (int)e->lines.size()) return 0;
    gs->StringText = e->lines[(size_t)n].c_str();
    if (g_wildText)
        gs->StringText = (const char *)(uintptr_t)0x10; /* the first page is never mapped */
    g_wildText = 0;
    gs->StringEOL = "\r\n";
    gs->StringLength = (int)e->lines[(size_t)n].size();
    gs->SelStart = gs->SelEnd = -1;
    return 1;
}

static int SetPosition(Editor *e, const EditorSetPosition *p, Call *c)
{
    c->line = p->CurLine;
    c->col = p->CurPos;
    c->text += " line=" + std::to_string(p->CurLine) + " col=" + std::to_string(p->CurPos);
    if (p->CurLine >= 0) e->curLine = p->CurLine;
    if (p->CurPos >= 0) e->curPos = p->CurPos;
    if (p->TopScreenLine >= 0) e->topLine = p->TopScreenLine;
    if (p->LeftPos >= 0) e->leftPos = p->LeftPos;
    return 1;
}

static int FARAPI HostEditorControl(int command, void *param)
{
    Editor *e = CurrentEditor();
    Call c;
    c.service = "EditorControl";
    c.command = command;
    c.text = "EditorControl " + std::to_string(command);
    if (e == NULL) {
        g_errors.push_back("EditorControl " + std::to_string(command) + " with no editor open");
        g_calls.push_back(c);
        return 0;
    }
    c.file = e->fileName;
    int result = 1;
    switch (command) {
    case ECTL_GETINFO: FillEditBufferInfo(*e, (EditorInfo *)param); break;
    case ECTL_GETSTRING: result = GetString(e, (EditorGetString *)param); break;
    case ECTL_SETPOSITION: result = SetPosition(e, (const EditorSetPosition *)param, &c); break;
    case ECTL_EDITORTOOEM: break; /* the editor holds OEM text already */
    case ECTL_REDRAW: break;
    case ECTL_QUIT: e->quit = 1; break;
    default:
        g_errors.push_back("EditorControl: unexpected command " + std::to_string(command));
        result = 0;
    }
    g_calls.push_back(c);
    return result;
}

/* ---- the record and the loader ---- */

PluginStartupInfo HostRecord(const char *moduleName)
{
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = (int)sizeof info;
    snprintf(info.ModuleName, sizeof info.ModuleName, "%s", moduleName);
    info.ModuleNumber = WT_MODULE_NUMBER;
    info.RootKey = ROOT_KEY;
    info.Menu = HostMenu;
    info.Dialog = HostDialog;
    info.Message = HostMessage;
    info.GetMsg = HostGetMsg;
    info.SaveScreen = HostSaveScreen;
    info.RestoreScreen = HostRestoreScreen;
    info.Editor = HostEditorOpen;
    info.CmpName = HostCmpName;
    info.EditorControl = HostEditorControl;
    return info;
}

/* GetProcAddress hands back a generic pointer; the casts pass through void * on purpose. */
template <typename F>
static int Resolve(HMODULE module, const char *name, F *out)
{
    FARPROC p = GetProcAddress(module, name);
    void *raw;
    memcpy(&raw, &p, sizeof raw);
    *out = (F)raw;
    return p != NULL;
}

std::string LoadPlugin(const char *path)
{
    HMODULE module = LoadLibraryA(path);
    if (module == NULL)
        return "LoadLibraryA(" + std::string(path) + ") failed: " + std::to_string(GetLastError());
    g_plugin.module = module;
    std::string missing;
    if (!Resolve(module, "SetStartupInfo", &g_plugin.SetStartupInfo)) missing += " SetStartupInfo";
    if (!Resolve(module, "GetPluginInfo", &g_plugin.GetPluginInfo)) missing += " GetPluginInfo";
    if (!Resolve(module, "OpenPlugin", &g_plugin.OpenPlugin)) missing += " OpenPlugin";
    if (!Resolve(module, "Configure", &g_plugin.Configure)) missing += " Configure";
    return missing.empty() ? "" : "exports not found:" + missing;
}
