/* services3.cpp: the host services the plugin calls back, by the rules of this host generation:
   the plugin's GUID on every call, StructSize on every record it passes, 64-bit flag words with
   their new values, UTF-16 text. Calls are recorded in the words of the 1.x test host. */
#include <stdio.h>
#include <string.h>

#include <map>

#include "common/lng.h"
#include "common/wildcard.h"
#include "wintest3/host3.h"

using namespace far3;

static std::map<intptr_t, std::wstring> g_msgText; /* stable per message, as the host keeps them */
static LngFile g_lng;                              /* the language file GetMsg serves, if any */
static int g_lngLoaded;
static std::wstring g_lineText; /* the last ECTL_GETSTRING's text, the host's until the next call */
static intptr_t g_lineShift;    /* added to the line numbers ECTL_GETINFO reports */

void ScriptLineShift(intptr_t shift)
{
    g_lineShift = shift;
}
static intptr_t g_answerShift; /* added to the item a menu or a dialog answers */

void ScriptAnswerShift(intptr_t shift)
{
    g_answerShift = shift;
}

intptr_t AnswerShift()
{
    return g_answerShift;
}

/* ---- text ---- */

static std::string NarrowUnits(const wchar_t *text, size_t n, UINT codePage)
{
    if (n == 0) return "";
    int size = WideCharToMultiByte(codePage, 0, text, (int)n, NULL, 0, NULL, NULL);
    std::string out((size_t)(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(codePage, 0, text, (int)n, &out[0], size, NULL, NULL);
    return out;
}

std::string Narrow(const wchar_t *text, UINT codePage)
{
    return text != NULL ? NarrowUnits(text, wcslen(text), codePage) : "(null)";
}

std::wstring Widen(const std::string &text, UINT codePage)
{
    if (text.empty()) return L"";
    int size = MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), NULL, 0);
    std::wstring out((size_t)(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), &out[0], size);
    return out;
}

/* ---- rules every call is checked by ---- */

int StructSizeOk(const char *what, size_t structSize, size_t least)
{
    if (structSize >= least && structSize <= 65536) return 1;
    HostErrors().push_back(std::string(what) + ": StructSize " + std::to_string(structSize) +
                           ", want at least " + std::to_string(least));
    return 0;
}

int IsPluginGuid(const char *service, const GUID *id)
{
    if (id != NULL && memcmp(id, &g_plugin.global.Guid, sizeof *id) == 0) return 1;
    HostErrors().push_back(std::string(service) + ": PluginId is not the plugin's GUID");
    return 0;
}

static void CheckFlags(const char *service, Flags64 flags, Flags64 known)
{
    if ((flags & ~known) != 0)
        HostErrors().push_back(std::string(service) + ": unknown flag bits " +
                               std::to_string(flags & ~known));
}

/* ---- GetMsg ---- */

std::string UseLanguageFile(const std::string &path)
{
    if (g_lngLoaded) LngFree(&g_lng);
    g_lngLoaded = 0;
    g_msgText.clear();
    if (path.empty()) return "";
    if (LngLoad(path.c_str(), &g_lng) != 0) return "cannot read " + path;
    g_lngLoaded = 1;
    return "";
}

static const wchar_t *WINAPI HostGetMsg(const GUID *pluginId, intptr_t id)
{
    IsPluginGuid("GetMsg", pluginId);
    std::wstring &text = g_msgText[id];
    if (g_lngLoaded) {
        if (id < 0 || id >= g_lng.count)
            HostErrors().push_back("GetMsg: no message " + std::to_string(id));
        text = Widen(LngMessage(&g_lng, (int)id));
    } else if (id == 9) {
        text = L"Browse [%s]"; /* checks read the typed filter back from the menu title */
    } else {
        text = id >= 0 && id < 64 ? L"M" + std::to_wstring(id) : L"";
    }
    return text.c_str();
}

/* ---- Menu ---- */

/* A break key's modifier set as the scenarios name it: left and right alike, locks ignored. */
static int KeyModifiers(DWORD state)
{
    return ((state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) ? KEY_CONTROL : 0) |
           ((state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) ? KEY_ALT : 0) |
           ((state & SHIFT_PRESSED) ? KEY_SHIFT : 0);
}

static intptr_t WINAPI HostMenu(const GUID *pluginId, const GUID *, intptr_t, intptr_t, intptr_t,
                                Flags64 flags, const wchar_t *title, const wchar_t *,
                                const wchar_t *, const FarKey *breakKeys, intptr_t *breakCode,
                                const FarMenuItem *items, size_t count)
{
    IsPluginGuid("Menu", pluginId);
    CheckFlags("Menu", flags, 0x1FF);
    Call c;
    c.flags = flags;
    c.title = title != NULL ? Narrow(title) : "";
    for (size_t i = 0; i < count; i++) {
        CheckFlags("Menu item", items[i].Flags, 0x3F0000 | 0xFFFF);
        c.items.push_back(items[i].Text != NULL ? Narrow(items[i].Text) : "");
        if ((items[i].Flags & MIF_SELECTED) && c.selected < 0) c.selected = (int)i;
    }
    for (size_t i = 0; breakKeys != NULL && breakKeys[i].VirtualKeyCode != 0; i++)
        c.breakKeys.push_back(KeyModifiers(breakKeys[i].ControlKeyState) << 16 |
                              breakKeys[i].VirtualKeyCode);
    if (breakCode != NULL) *breakCode = -1; /* all of an intptr_t, 8 bytes on x64 */
    MenuAnswer a = AnswerMenu(c);
    if (a.breakCode >= 0 && breakCode != NULL) *breakCode = a.breakCode + g_answerShift;
    return a.index >= 0 ? a.index + g_answerShift : a.index;
}

/* ---- Message, screens, ProcessName, AdvControl ---- */

static intptr_t WINAPI HostMessage(const GUID *pluginId, const GUID *, Flags64 flags,
                                   const wchar_t *, const wchar_t *const *items, size_t count,
                                   intptr_t buttons)
{
    IsPluginGuid("Message", pluginId);
    CheckFlags("Message", flags,
               FMSG_WARNING | FMSG_ERRORTYPE | FMSG_KEEPBACKGROUND | FMSG_LEFTALIGN |
                   FMSG_ALLINONE | FMSG_MB_MASK);
    Call c;
    c.service = "Message";
    c.flags = flags;
    if ((flags & FMSG_ALLINONE) && items != NULL) {
        std::string all = Narrow((const wchar_t *)items);
        if (!all.empty() && all.back() == '\n') all.pop_back();
        for (size_t start = 0;;) {
            size_t end = all.find('\n', start);
            c.items.push_back(all.substr(start, end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
    } else {
        for (size_t i = 0; items != NULL && i < count; i++) c.items.push_back(Narrow(items[i]));
    }
    c.text = "Message";
    for (const std::string &s : c.items) c.text += " \"" + s + "\"";
    Calls().push_back(c);
    /* without buttons the box stays up and the call returns at once: -1 in this generation */
    return buttons > 0 || (flags & FMSG_MB_MASK) != 0 ? 0 : -1;
}

static HANDLE WINAPI HostSaveScreen(intptr_t, intptr_t, intptr_t, intptr_t)
{
    return (HANDLE)(intptr_t)++OpenScreens();
}

static void GiveBackScreen(HANDLE h, const char *service)
{
    if (h == NULL) return;
    if (OpenScreens() <= 0) HostErrors().push_back(std::string(service) + " without SaveScreen");
    else OpenScreens()--;
}

static void WINAPI HostRestoreScreen(HANDLE h)
{
    GiveBackScreen(h, "RestoreScreen");
}

static void WINAPI HostFreeScreen(HANDLE h)
{
    GiveBackScreen(h, "FreeScreen");
}

static wchar_t FoldUnit(wchar_t c)
{
    return (wchar_t)(uintptr_t)CharUpperW((LPWSTR)(uintptr_t)c);
}

static size_t WINAPI HostProcessName(const wchar_t *mask, wchar_t *name, size_t, Flags64 flags)
{
    if ((flags & ~PN_SKIPPATH) != PN_CMPNAME) {
        HostErrors().push_back("ProcessName: not a one-mask compare: " + std::to_string(flags));
        return 0;
    }
    return (size_t)WildcardMatchWide(mask, name, (flags & PN_SKIPPATH) != 0, FoldUnit);
}

static intptr_t WINAPI HostAdvControl(const GUID *pluginId, AdvancedControlCommand command,
                                      intptr_t, void *param2)
{
    IsPluginGuid("AdvControl", pluginId);
    if (command == ACTL_GETWINDOWINFO && param2 != NULL) {
        /* the current window: the top editor, else the panels */
        WindowInfo *w = (WindowInfo *)param2;
        if (!StructSizeOk("ACTL_GETWINDOWINFO", w->StructSize, sizeof *w) || w->Pos != -1) return 0;
        Editor *e = CurrentEditor();
        w->Type = e != NULL ? WTYPE_EDITOR : WTYPE_PANELS;
        w->Id = e != NULL ? e->id : 0;
        w->Flags = WIF_CURRENT | (e != NULL && e->modified ? WIF_MODIFIED : 0);
        return 1;
    }
    if (command != ACTL_GETFARMANAGERVERSION || param2 == NULL) {
        HostErrors().push_back("AdvControl: unexpected command " + std::to_string(command));
        return 0;
    }
    *(VersionInfo *)param2 = HOST_VERSION;
    return 1;
}

/* ---- panels ---- */

static std::wstring g_panelDir; /* empty: the process's current directory */
static int g_panelOfPlugin;

void ScriptPanelDirectory(const std::wstring &dir, int ofPlugin)
{
    g_panelDir = dir;
    g_panelOfPlugin = ofPlugin;
}

static std::wstring PanelDirectory()
{
    if (!g_panelDir.empty()) return g_panelDir;
    wchar_t cwd[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, cwd);
    return n > 0 && n < MAX_PATH ? std::wstring(cwd, n) : std::wstring();
}

/* FCTL_GETPANELDIRECTORY as the host answers it: the size it needs, and the record with its
   strings after it when the block is large enough. */
static intptr_t WINAPI HostPanelControl(HANDLE panel, FileControlCommand command, intptr_t size,
                                        void *block)
{
    if (panel != FAR3_PANEL_ACTIVE || command != FCTL_GETPANELDIRECTORY) {
        HostErrors().push_back("PanelControl: unexpected command " + std::to_string(command));
        return 0;
    }
    std::wstring name = PanelDirectory();
    size_t need = sizeof(FarPanelDirectory) + (name.size() + 3) * sizeof(wchar_t);
    if (block == NULL || size < (intptr_t)need) return (intptr_t)need;
    FarPanelDirectory *d = (FarPanelDirectory *)block;
    if (!StructSizeOk("FCTL_GETPANELDIRECTORY", d->StructSize, sizeof *d)) return 0;
    wchar_t *at = (wchar_t *)(d + 1);
    memcpy(at, name.c_str(), (name.size() + 1) * sizeof *at);
    d->Name = at;
    at[name.size() + 1] = L'\0';
    d->Param = d->File = at + name.size() + 1;
    memset(&d->PluginId, 0, sizeof d->PluginId);
    if (g_panelOfPlugin) d->PluginId.Data1 = 0x12345678;
    return (intptr_t)need;
}

/* ---- editors ---- */

static intptr_t g_editorRefusal = -1; /* the next Editor call's answer when it opens nothing */
static int g_olderEditorLine = -1;

void ScriptEditorRefused(intptr_t answer, int olderEditorLine)
{
    g_editorRefusal = answer;
    g_olderEditorLine = olderEditorLine;
}

static intptr_t WINAPI HostEditor(const wchar_t *fileName, const wchar_t *title, intptr_t, intptr_t,
                                  intptr_t, intptr_t, Flags64 flags, intptr_t startLine,
                                  intptr_t startChar, uintptr_t)
{
    /* the host takes a relative name from its own panel, which need not be the plugin's folder */
    if (fileName == NULL || (!(fileName[0] != L'\0' && fileName[1] == L':') &&
                             !(fileName[0] == L'\\' && fileName[1] == L'\\')))
        HostErrors().push_back("Editor: a name relative to no folder: " + Narrow(fileName));
    if (title != NULL && fileName != NULL && wcscmp(title, fileName) != 0)
        HostErrors().push_back("Editor: a title other than the name: " + Narrow(title));
    Call c;
    c.service = "Editor";
    /* the plugin's paths are those of the file functions: the ANSI code page */
    c.file = Narrow(fileName, CP_ACP);
    c.line = (int)startLine;
    c.col = (int)startChar;
    c.flags = flags;
    c.text = "Editor " + c.file + " line=" + std::to_string(startLine) +
             " col=" + std::to_string(startChar);
    Calls().push_back(c);
    if (g_editorRefusal >= 0) {
        intptr_t answer = g_editorRefusal;
        g_editorRefusal = -1;
        /* the editor that holds the file already comes to the front, at its own line */
        if (g_olderEditorLine >= 0) (void)PushEditor(c.file, {""}, g_olderEditorLine, 0);
        return answer;
    }
    int modal = (flags & EF_NONMODAL) == 0;
    OpenScriptedEditor(c, (int)startLine, (int)startChar, modal);
    return modal ? 2 : 1; /* not modified; a non-modal editor answers "modified" */
}

static int GetInfo(Editor *e, EditorInfo *info)
{
    if (info == NULL ||
        !StructSizeOk("ECTL_GETINFO", info->StructSize, offsetof(EditorInfo, WindowArea)))
        return 0;
    size_t size = info->StructSize < sizeof *info ? info->StructSize : sizeof *info;
    memset((char *)info + sizeof info->StructSize, 0, size - sizeof info->StructSize);
    info->EditorID = e->id;
    info->WindowSizeX = e->width;
    info->WindowSizeY = e->height;
    info->TotalLines = (intptr_t)e->lines.size() + g_lineShift;
    info->CurLine = e->curLine + g_lineShift;
    info->CurPos = e->curPos;
    info->CurTabPos = e->curPos;
    info->TopScreenLine = e->topLine;
    info->LeftPos = e->leftPos;
    info->TabSize = 8;
    info->CurState = 0; /* as the real host: a change shows in the window list only */
    info->CodePage = CP_UTF8;
    return 1;
}

/* The text is the host's and unterminated: what lies past StringLength is not the line. */
static int GetString(Editor *e, EditorGetString *gs)
{
    if (gs == NULL || !StructSizeOk("ECTL_GETSTRING", gs->StructSize, sizeof *gs)) return 0;
    intptr_t n = gs->StringNumber < 0 ? e->curLine : gs->StringNumber;
    if (n < 0 || n >= (intptr_t)e->lines.size()) return 0;
    std::wstring line = Widen(e->lines[(size_t)n]);
    g_lineText = line + L"\x2588 not this line";
    gs->StringText = g_lineText.c_str();
    if (TakeWildEditorText())
        gs->StringText = (const wchar_t *)(uintptr_t)0x10; /* the first page is never mapped */
    gs->StringEOL = (size_t)n + 1 < e->lines.size() ? L"\r\n" : L"";
    gs->StringLength = (intptr_t)line.size();
    gs->SelStart = -1;
    gs->SelEnd = 0;
    return 1;
}

static int SetPosition(Editor *e, const EditorSetPosition *p, Call *c)
{
    if (p == NULL || !StructSizeOk("ECTL_SETPOSITION", p->StructSize, sizeof *p)) return 0;
    c->line = (int)p->CurLine;
    c->col = (int)p->CurPos;
    c->text += " line=" + std::to_string(p->CurLine) + " col=" + std::to_string(p->CurPos);
    if (p->CurLine >= 0) e->curLine = (int)p->CurLine;
    if (p->CurPos >= 0) e->curPos = (int)p->CurPos;
    if (p->TopScreenLine >= 0) e->topLine = (int)p->TopScreenLine;
    if (p->LeftPos >= 0) e->leftPos = (int)p->LeftPos;
    return 1;
}

/* The needed size with its NUL; the buffer filled only when it is larger than the name. */
static intptr_t GetFileName(Editor *e, intptr_t size, wchar_t *buffer)
{
    std::wstring name = Widen(e->fileName, CP_ACP);
    intptr_t needed = (intptr_t)name.size() + 1;
    if (buffer != NULL && size > (intptr_t)name.size())
        memcpy(buffer, name.c_str(), (size_t)needed * sizeof(wchar_t));
    return needed;
}

static intptr_t WINAPI HostEditorControl(intptr_t editorId, EditorControlCommand command,
                                         intptr_t param1, void *param2)
{
    /* the previous line's text is gone with the next editor call */
    for (wchar_t &ch : g_lineText) ch = L'#';
    Editor *e = CurrentEditor();
    Call c;
    c.service = "EditorControl";
    c.command = command;
    c.text = "EditorControl " + std::to_string(command);
    if (e == NULL || (editorId != FAR3_CURRENT_EDITOR && editorId != e->id)) {
        HostErrors().push_back("EditorControl " + std::to_string(command) + " for editor " +
                               std::to_string(editorId) + ", which is not open");
        Calls().push_back(c);
        return 0;
    }
    c.file = e->fileName;
    intptr_t result = 1;
    switch (command) {
    case ECTL_GETINFO: result = GetInfo(e, (EditorInfo *)param2); break;
    case ECTL_GETSTRING: result = GetString(e, (EditorGetString *)param2); break;
    case ECTL_SETPOSITION: result = SetPosition(e, (const EditorSetPosition *)param2, &c); break;
    case ECTL_REDRAW: break;
    case ECTL_QUIT: e->quit = 1; break;
    case ECTL_GETFILENAME: result = GetFileName(e, param1, (wchar_t *)param2); break;
    default:
        HostErrors().push_back("EditorControl: unexpected command " + std::to_string(command));
        result = 0;
    }
    Calls().push_back(c);
    return result;
}

/* ---- the records ---- */

PluginStartupInfo HostRecord()
{
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    info.Menu = HostMenu;
    info.Message = HostMessage;
    info.GetMsg = HostGetMsg;
    info.SaveScreen = HostSaveScreen;
    info.RestoreScreen = HostRestoreScreen;
    info.Editor = HostEditor;
    info.EditorControl = HostEditorControl;
    info.AdvControl = HostAdvControl;
    info.DialogInit = HostDialogInit;
    info.DialogRun = HostDialogRun;
    info.DialogFree = HostDialogFree;
    info.SendDlgMessage = HostSendDlgMessage;
    info.SettingsControl = HostSettingsControl;
    info.PanelControl = HostPanelControl;
    info.FreeScreen = HostFreeScreen;
    return info;
}

FarStandardFunctions HostFunctions()
{
    FarStandardFunctions fsf;
    memset(&fsf, 0, sizeof fsf);
    fsf.StructSize = sizeof fsf;
    fsf.ProcessName = HostProcessName;
    return fsf;
}
