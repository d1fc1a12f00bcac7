/* services.cpp: the host services the plugin calls back, answered from scripts, and the loader. */
#include <stdio.h>
#include <string.h>

#include "common/wildcard.h"
#include "wintest/host1.h"

Plugin g_plugin;

static char g_msgText[64][16];

static const char ROOT_KEY[] = "Software\\Far\\Plugins";
static const char SETTINGS_KEY[] = "Software\\Far\\Plugins\\ZOLT";
/* The browse title carries the typed filter: checks read it back from the menu title. */
static const char BROWSE_TITLE[] = "Browse [%s]";

static void CheckModule(const char *service, int module)
{
    if (module != WT_MODULE_NUMBER)
        HostErrors().push_back(std::string(service) + " got plugin number " +
                               std::to_string(module));
}

/* ---- Menu ---- */

static int FARAPI HostMenu(int module, int, int, int, FarDword flags, const char *title,
                           const char *, const char *, const int *breakKeys, int *breakCode,
                           const FarMenuItem *items, int count)
{
    CheckModule("Menu", module);
    Call c;
    c.flags = flags;
    c.title = title != NULL ? title : "";
    for (int i = 0; i < count; i++) {
        c.items.push_back(std::string(items[i].Text, strnlen(items[i].Text, sizeof items[i].Text)));
        if (items[i].Selected && c.selected < 0) c.selected = i;
    }
    for (int i = 0; breakKeys != NULL && breakKeys[i] != 0; i++)
        c.breakKeys.push_back(breakKeys[i]);
    if (breakCode != NULL) *breakCode = -1;
    MenuAnswer a = AnswerMenu(c);
    if (a.breakCode >= 0 && breakCode != NULL) *breakCode = a.breakCode;
    return a.index;
}

/* ---- Dialog, Message, GetMsg, screens, CmpName ---- */

/* The 1.x host writes the states and texts back into the caller's items. */
static int FARAPI HostDialog(int module, int x1, int y1, int x2, int y2, const char *,
                             FarDialogItem *items, int count)
{
    CheckModule("Dialog", module);
    Call c;
    c.text = "Dialog " + std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(x2) +
             "," + std::to_string(y2) + " items=" + std::to_string(count);
    std::vector<DialogItem> held((size_t)count);
    for (int i = 0; i < count; i++) {
        held[(size_t)i].type = items[i].Type;
        held[(size_t)i].selected = items[i].Selected;
        held[(size_t)i].text =
            std::string(items[i].Data, strnlen(items[i].Data, sizeof items[i].Data));
        held[(size_t)i].focus = items[i].Focus;
        held[(size_t)i].defaultButton = items[i].DefaultButton;
    }
    int result = AnswerDialog(c, held);
    for (int i = 0; i < count; i++) {
        items[i].Selected = held[(size_t)i].selected;
        snprintf(items[i].Data, sizeof items[i].Data, "%s", held[(size_t)i].text.c_str());
    }
    return result;
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
    Calls().push_back(c);
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
    return (FarHandle)(intptr_t)++OpenScreens();
}

static void FARAPI HostRestoreScreen(FarHandle h)
{
    if (h == NULL) return;
    if (OpenScreens() <= 0) HostErrors().push_back("RestoreScreen without SaveScreen");
    else OpenScreens()--;
}

static int FARAPI HostCmpName(const char *pattern, const char *name, int skipPath)
{
    return WildcardMatch(pattern, name, skipPath);
}

/* ---- editors ---- */

/* Modal: with a session scripted, the file opens (read from disk) at StartLine (1-based) and the
   session runs inside; otherwise the call only records what was asked. */
static int FARAPI HostEditorOpen(const char *fileName, const char *title, int, int, int, int,
                                 FarDword flags, int startLine, int startChar)
{
    /* the current host's loader for plugins of this generation opens nothing without a title */
    if (title == NULL) {
        HostErrors().push_back("Editor without a title");
        return 0;
    }
    Call c;
    c.service = "Editor";
    c.file = fileName != NULL ? fileName : "(null)";
    c.line = startLine;
    c.col = startChar;
    c.flags = flags;
    c.text = "Editor " + c.file + " line=" + std::to_string(startLine) +
             " col=" + std::to_string(startChar);
    Calls().push_back(c);
    OpenScriptedEditor(c, startLine, startChar, 1);
    return 2;
}

static int GetString(Editor *e, EditorGetString *gs)
{
    int n = gs->StringNumber < 0 ? e->curLine : gs->StringNumber;
    if (n < 0 || n >= (int)e->lines.size()) return 0;
    gs->StringText = e->lines[(size_t)n].c_str();
    if (TakeWildEditorText())
        gs->StringText = (const char *)(uintptr_t)0x10; /* the first page is never mapped */
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
        HostErrors().push_back("EditorControl " + std::to_string(command) + " with no editor open");
        Calls().push_back(c);
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
        HostErrors().push_back("EditorControl: unexpected command " + std::to_string(command));
        result = 0;
    }
    Calls().push_back(c);
    return result;
}

/* ---- the record and the loader ---- */

/* ACTL_GETFARVERSION's answer: 1.75 build 2634 unless a scenario plays a later host. */
static int g_hostVersion = 1 << 8 | 75 | 2634 << 16;

void ScriptHostVersion(int version)
{
    g_hostVersion = version != 0 ? version : 1 << 8 | 75 | 2634 << 16;
}

static int FARAPI HostAdvControl(int module, int command, void *)
{
    if (module != WT_MODULE_NUMBER || command != ACTL_GETFARVERSION) {
        HostErrors().push_back("AdvControl: unexpected call " + std::to_string(command));
        return 0;
    }
    return g_hostVersion;
}

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
    info.AdvControl = HostAdvControl;
    return info;
}

std::string LoadPlugin(const char *path)
{
    HMODULE module = LoadLibraryA(path);
    if (module == NULL)
        return "LoadLibraryA(" + std::string(path) + ") failed: " + std::to_string(GetLastError());
    g_plugin.module = module;
    std::string missing;
    if (!ResolveExport(module, "SetStartupInfo", &g_plugin.SetStartupInfo))
        missing += " SetStartupInfo";
    if (!ResolveExport(module, "GetPluginInfo", &g_plugin.GetPluginInfo))
        missing += " GetPluginInfo";
    if (!ResolveExport(module, "OpenPlugin", &g_plugin.OpenPlugin)) missing += " OpenPlugin";
    if (!ResolveExport(module, "Configure", &g_plugin.Configure)) missing += " Configure";
    return missing.empty() ? "" : "exports not found:" + missing;
}

int OpenCommand(Place from)
{
    return g_plugin.OpenPlugin(from == FROM_EDITOR ? OPEN_EDITOR : OPEN_PLUGINSMENU, 0) ==
           FAR_INVALID_HANDLE;
}

int ConfigureCommand()
{
    return g_plugin.Configure(0);
}

/* The registry's DWORD is the number type of this host generation. */
std::string StoredValue(const char *name)
{
    std::string v = RegistryValue(SETTINGS_KEY, name);
    return v.compare(0, 6, "dword:") == 0 ? "number:" + v.substr(6) : v;
}

void ForgetSettings()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY);
}
