/* host_side.cpp: the host's half of the adapter: the entry points this host generation calls,
   the copy of its startup record, and the services the core's half passes on, converted between
   UTF-16 and the core's bytes. */
#include "base/cp866.h"
#include "far3/adapter.h"
#include "far3/bridge.h"
#include "far3/far3text.h"
#include "host/messages.h"
#include "platform/platform.h"

#include <stdlib.h>
#include <string.h>

using namespace far3;

/* Fixed forever: the host keeps the options and the user's hot keys under them. */
const GUID PLUGIN_GUID = {
    0x5a4f4c54, 0x3c2e, 0x4b8d, {0x9e, 0x61, 0x2f, 0x7b, 0x0c, 0x4d, 0x88, 0x13}};
static const GUID MENU_GUID = {
    0x5a4f4c54, 0x3c2e, 0x4b8d, {0x9e, 0x61, 0x2f, 0x7b, 0x0c, 0x4d, 0x88, 0x14}};
static const GUID CONFIG_GUID = {
    0x5a4f4c54, 0x3c2e, 0x4b8d, {0x9e, 0x61, 0x2f, 0x7b, 0x0c, 0x4d, 0x88, 0x15}};
static const GUID CONFIG_DIALOG_GUID = {
    0x5a4f4c54, 0x3c2e, 0x4b8d, {0x9e, 0x61, 0x2f, 0x7b, 0x0c, 0x4d, 0x88, 0x16}};
static const GUID MENU_BOX_GUID = {
    0x5a4f4c54, 0x3c2e, 0x4b8d, {0x9e, 0x61, 0x2f, 0x7b, 0x0c, 0x4d, 0x88, 0x17}};
static const GUID MESSAGE_BOX_GUID = {
    0x5a4f4c54, 0x3c2e, 0x4b8d, {0x9e, 0x61, 0x2f, 0x7b, 0x0c, 0x4d, 0x88, 0x18}};

/* The oldest host build whose plugin interface is the one declared in far3api.h. */
enum { MIN_HOST_BUILD = 2927 };

PluginStartupInfo g_host;
static FarStandardFunctions g_fsf;

/* ---- entry points ---- */

extern "C" void WINAPI GetGlobalInfoW(GlobalInfo *info)
{
    info->StructSize = sizeof *info;
    info->MinFarVersion = {3, 0, 0, MIN_HOST_BUILD, VS_RELEASE};
    info->Version = {ZOLT_VERSION_MAJOR, ZOLT_VERSION_MINOR, 0, ZOLT_VERSION_PATCH, VS_RELEASE};
    info->Guid = PLUGIN_GUID;
    info->Title = L"ZOLT";
    info->Description = L"Source browser: definitions of C/C++ and macro files, index and jumps";
    info->Author = L"The ZOLT developers";
}

extern "C" void WINAPI SetStartupInfoW(const PluginStartupInfo *info)
{
    /* Both records are the host's locals: copy what it has, never more than we know. */
    memset(&g_host, 0, sizeof g_host);
    memset(&g_fsf, 0, sizeof g_fsf);
    if (info == NULL) return;
    size_t n = info->StructSize < sizeof g_host ? info->StructSize : sizeof g_host;
    memcpy(&g_host, info, n - n % sizeof(void *));
    if (g_host.FSF != NULL) {
        size_t m = g_host.FSF->StructSize < sizeof g_fsf ? g_host.FSF->StructSize : sizeof g_fsf;
        memcpy(&g_fsf, g_host.FSF, m - m % sizeof(void *));
    }
    g_host.FSF = &g_fsf;
    char moduleName[MAX_PATH];
    PathToCore(g_host.ModuleName != NULL ? g_host.ModuleName : L"", moduleName, sizeof moduleName);
    g_host.ModuleName = NULL; /* the host's string */
    UseUnicodeFileNames();
    BridgeStart(moduleName,
                info->StructSize >= offsetof(PluginStartupInfo, SettingsControl) + sizeof(void *) &&
                    g_fsf.ProcessName != NULL);
}

extern "C" void WINAPI GetPluginInfoW(PluginInfo *info)
{
    static const wchar_t *menuStrings[1], *configStrings[1];
    static WideText menuText, configText; /* the host reads them after the call */
    BridgePluginInfo core;
    memset(&core, 0, sizeof core);
    BridgeGetPluginInfo(&core);
    info->StructSize = sizeof *info;
    info->Flags = core.flags & (PF_PRELOAD | PF_DISABLEPANELS | PF_EDITOR | PF_VIEWER);
    menuStrings[0] = menuText.Set(core.menuString != NULL ? core.menuString : "ZOLT");
    configStrings[0] = configText.Set(core.configString != NULL ? core.configString : "ZOLT");
    info->PluginMenu = {&MENU_GUID, menuStrings, 1};
    info->PluginConfig = {&CONFIG_GUID, configStrings, 1};
}

/* The active panel's folder becomes the core's current directory: this host keeps the process's
   own in step with the panels only while a plugin of the older generation is loaded. 0 when it
   is entered; 1 when the panel shows no folder on disk (a plugin's panel) or it cannot be
   entered; -1 when the host cannot tell (the core keeps the directory it has). */
static int EnterPanelDirectory(void)
{
    if (g_host.PanelControl == NULL) return -1;
    intptr_t size = g_host.PanelControl(FAR3_PANEL_ACTIVE, FCTL_GETPANELDIRECTORY, 0, NULL);
    if (size < (intptr_t)sizeof(FarPanelDirectory) || size > (intptr_t)1 << 24) return -1;
    /* one unit more than the host may write: the name ends in a NUL whatever it wrote */
    FarPanelDirectory *dir = (FarPanelDirectory *)calloc(1, (size_t)size + sizeof(wchar_t));
    if (dir == NULL) return -1;
    dir->StructSize = sizeof *dir;
    int result = -1;
    if (g_host.PanelControl(FAR3_PANEL_ACTIVE, FCTL_GETPANELDIRECTORY, size, dir) > 0 &&
        dir->Name != NULL) {
        static const GUID fileSystem = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
        char *path =
            memcmp(&dir->PluginId, &fileSystem, sizeof fileSystem) == 0 && dir->Name[0] != L'\0'
                ? NewCorePath(dir->Name)
                : NULL;
        result = path != NULL && SetCurrentDir(path) == 0 ? 0 : 1;
        free(path);
    }
    free(dir);
    return result;
}

extern "C" HANDLE WINAPI OpenW(const OpenInfo *info)
{
    if (info == NULL) return NULL;
    switch (info->OpenFrom) {
    case OPEN_PLUGINSMENU:
        if (EnterPanelDirectory() == 1) {
            const char *items[3] = {BridgeGetMsg(MSG_WARNING_TITLE),
                                    BridgeGetMsg(MSG_NO_PANEL_FOLDER), BridgeGetMsg(MSG_OK)};
            (void)BridgeMessage(BRIDGE_MSG_WARNING, NULL, items, 3, 1);
            break;
        }
        BridgeOpen(BRIDGE_FROM_PANELS);
        break;
    case OPEN_EDITOR:
        (void)
            EnterPanelDirectory(); /* Browse reads the panel's index; go to definition needs none */
        BridgeOpen(BRIDGE_FROM_EDITOR);
        break;
    default: break; /* no disk menu, prefix, shortcut or panel of ours */
    }
    return NULL; /* here NULL means "no panel" */
}

extern "C" intptr_t WINAPI ConfigureW(const ConfigureInfo *)
{
    /* The options live in the host's settings service: a host without it gets the commands'
       "host too old" warning, not a dialog whose changes would be dropped. */
    if (g_host.SettingsControl == NULL) {
        const char *items[3] = {BridgeGetMsg(MSG_WARNING_TITLE), BridgeGetMsg(MSG_HOST_TOO_OLD),
                                BridgeGetMsg(MSG_OK)};
        (void)BridgeMessage(BRIDGE_MSG_WARNING, NULL, items, 3, 1);
        return 0;
    }
    return BridgeConfigure();
}

extern "C" void WINAPI ExitFARW(const ExitInfo *) {}

/* ---- services ---- */

const char *BridgeGetMsg(int id)
{
    /* The core keeps message pointers across calls: each message gets a buffer of its own,
       replaced (and the old one kept) only when the language changed the text. */
    static char **texts;
    static size_t count;
    const wchar_t *w = g_host.GetMsg != NULL && id >= 0 ? g_host.GetMsg(&PLUGIN_GUID, id) : NULL;
    if (w == NULL) return "";
    if ((size_t)id >= count) {
        size_t n = (size_t)id + 32;
        char **grown = (char **)realloc(texts, n * sizeof *grown);
        if (grown == NULL) return "";
        memset(grown + count, 0, (n - count) * sizeof *grown);
        texts = grown;
        count = n;
    }
    size_t size = wcslen(w) + 1;
    char *text = (char *)malloc(size);
    if (text == NULL) return texts[id] != NULL ? texts[id] : "";
    UnitsToCore(w, size, text);
    if (texts[id] != NULL && strcmp(texts[id], text) == 0) {
        free(text);
        return texts[id];
    }
    texts[id] = text;
    return text;
}

int BridgeMenu(uint32_t flags, const char *title, const char *bottom, const char *help,
               const BridgeKey *breakKeys, int *breakCode, BridgeMenuItemFn itemAt,
               const void *items, size_t count)
{
    *breakCode = -1;
    if (g_host.Menu == NULL) return -1;
    Flags64 menuFlags = ((flags & BRIDGE_MENU_AMPERSAND) ? FMENU_SHOWAMPERSAND : 0) |
                        ((flags & BRIDGE_MENU_WRAP) ? FMENU_WRAPMODE : 0) |
                        ((flags & BRIDGE_MENU_AUTOHIGHLIGHT) ? FMENU_AUTOHIGHLIGHT : 0);
    /* one block of texts for all items: a browse menu can hold a million */
    size_t units = 0;
    for (size_t i = 0; i < count; i++) {
        BridgeMenuItem item;
        itemAt(items, i, &item);
        units += strnlen(item.text, 128) + 1;
    }
    FarMenuItem *menu = (FarMenuItem *)calloc(count > 0 ? count : 1, sizeof *menu);
    wchar_t *block = (wchar_t *)malloc((units > 0 ? units : 1) * sizeof *block);
    size_t keyCount = 0;
    while (breakKeys != NULL && breakKeys[keyCount].vk != 0) keyCount++;
    FarKey *keys = (FarKey *)calloc(keyCount + 1, sizeof *keys);
    intptr_t r = -1;
    if (menu != NULL && block != NULL && keys != NULL) {
        wchar_t *at = block;
        int selected = 0;
        for (size_t i = 0; i < count; i++) {
            BridgeMenuItem item;
            itemAt(items, i, &item);
            size_t n = strnlen(item.text, 128);
            BytesToUnits(item.text, n, at);
            at[n] = L'\0';
            menu[i].Text = at;
            at += n + 1;
            if (item.selected && !selected) {
                menu[i].Flags |= MIF_SELECTED;
                selected = 1;
            }
            if (item.checked) menu[i].Flags |= MIF_CHECKED;
            if (item.checked > 1) menu[i].Flags |= Cp866ToUnicode((unsigned char)item.checked);
            if (item.separator) menu[i].Flags |= MIF_SEPARATOR;
        }
        for (size_t i = 0; i < keyCount; i++) {
            keys[i].VirtualKeyCode = breakKeys[i].vk;
            keys[i].ControlKeyState = ((breakKeys[i].mods & BRIDGE_CTRL) ? LEFT_CTRL_PRESSED : 0) |
                                      ((breakKeys[i].mods & BRIDGE_ALT) ? LEFT_ALT_PRESSED : 0) |
                                      ((breakKeys[i].mods & BRIDGE_SHIFT) ? SHIFT_PRESSED : 0);
        }
        WideText wTitle, wBottom, wHelp;
        intptr_t code = -1; /* the host writes a whole intptr_t */
        r = g_host.Menu(&PLUGIN_GUID, &MENU_BOX_GUID, -1, -1, 0, menuFlags, wTitle.Set(title),
                        wBottom.Set(bottom), wHelp.Set(help), breakKeys != NULL ? keys : NULL,
                        &code, menu, count);
        /* an answer outside the menu or its keys is none at all, not one cut to an int */
        if (r < -1 || r >= (intptr_t)count) r = -1;
        *breakCode = code >= 0 && code < (intptr_t)keyCount ? (int)code : -1;
    }
    free(keys);
    free(block);
    free(menu);
    return (int)r;
}

int BridgeMessage(uint32_t flags, const char *help, const char *const *items, size_t count,
                  int buttons)
{
    if (g_host.Message == NULL) return -1;
    Flags64 boxFlags = ((flags & BRIDGE_MSG_WARNING) ? FMSG_WARNING : 0) |
                       ((flags & BRIDGE_MSG_ERRORTYPE) ? FMSG_ERRORTYPE : 0) |
                       ((flags & BRIDGE_MSG_KEEPBACKGROUND) ? FMSG_KEEPBACKGROUND : 0) |
                       ((flags & BRIDGE_MSG_LEFTALIGN) ? FMSG_LEFTALIGN : 0) |
                       ((flags & BRIDGE_MSG_ALLINONE) ? FMSG_ALLINONE : 0);
    WideText wHelp, all;
    WideText *texts = NULL;
    const wchar_t **lines = NULL;
    const wchar_t *const *shown = NULL;
    if (flags & BRIDGE_MSG_ALLINONE) {
        /* items is really one text with its line breaks, and so is what the host takes */
        shown = (const wchar_t *const *)all.Set((const char *)items);
    } else {
        texts = new (std::nothrow) WideText[count > 0 ? count : 1];
        lines = (const wchar_t **)calloc(count > 0 ? count : 1, sizeof *lines);
        /* a missing line is an empty one */
        for (size_t i = 0; texts != NULL && lines != NULL && i < count; i++)
            lines[i] = items[i] != NULL ? texts[i].Set(items[i]) : L"";
        if (texts != NULL) shown = lines;
    }
    intptr_t r = -1;
    if (shown != NULL || ((flags & BRIDGE_MSG_ALLINONE) && items == NULL)) {
        r = g_host.Message(&PLUGIN_GUID, &MESSAGE_BOX_GUID, boxFlags, wHelp.Set(help), shown, count,
                           buttons);
        /* a box without buttons answers 0, as the core knows it */
        if (buttons == 0 && (flags & BRIDGE_MSG_ERRORTYPE) == 0) r = 0;
    }
    free(lines);
    delete[] texts;
    return (int)r;
}

static int IsEditItem(int type)
{
    return type == DI_EDIT || type == DI_PSWEDIT || type == DI_FIXEDIT;
}

int BridgeDialog(int x1, int y1, int x2, int y2, const char *help, BridgeDialogItem *items,
                 size_t count)
{
    if (g_host.DialogInit == NULL || g_host.DialogRun == NULL || g_host.DialogFree == NULL ||
        g_host.SendDlgMessage == NULL || count == 0)
        return -1;
    FarDialogItem *dlg = (FarDialogItem *)calloc(count, sizeof *dlg);
    WideText *texts = new (std::nothrow) WideText[count];
    intptr_t r = -1;
    if (dlg != NULL && texts != NULL) {
        for (size_t i = 0; i < count; i++) {
            const BridgeDialogItem *b = &items[i];
            FarDialogItem *d = &dlg[i];
            d->Type = b->type;
            d->X1 = b->x1;
            d->Y1 = b->y1;
            d->X2 = b->x2;
            d->Y2 = b->y2;
            d->Selected = b->selected;
            /* the old flag bits from 0x200 up keep their values; colours are gone, and on an
               edit field the separator bit used to mean a variable buffer */
            d->Flags = b->flags & ~(DIF_COLORMASK | DIF_SETCOLOR);
            if (IsEditItem(b->type)) d->Flags &= ~DIF_SEPARATOR;
            if (b->focus) d->Flags |= DIF_FOCUS;
            if (b->defaultButton) d->Flags |= DIF_DEFAULTBUTTON;
            d->Data = texts[i].Set(b->text);
            if (IsEditItem(b->type)) d->MaxLength = BRIDGE_TEXT_SIZE - 1;
        }
        WideText wHelp;
        HANDLE h = g_host.DialogInit(&PLUGIN_GUID, &CONFIG_DIALOG_GUID, x1, y1, x2, y2,
                                     wHelp.Set(help), dlg, count, 0, 0, NULL, NULL);
        if (h != INVALID_HANDLE_VALUE && h != NULL) {
            r = g_host.DialogRun(h);
            if (r < -1 || r >= (intptr_t)count) r = -1; /* no item of ours: as if cancelled */
            /* the items are not written back: read the results before the dialog goes */
            for (size_t i = 0; i < count && r >= 0; i++) {
                BridgeDialogItem *b = &items[i];
                if (b->type == DI_CHECKBOX || b->type == DI_RADIOBUTTON) {
                    b->selected = (int)g_host.SendDlgMessage(h, DM_GETCHECK, (intptr_t)i, NULL);
                } else if (IsEditItem(b->type)) {
                    const wchar_t *w = (const wchar_t *)g_host.SendDlgMessage(h, DM_GETCONSTTEXTPTR,
                                                                              (intptr_t)i, NULL);
                    /* no text from the host: the field keeps what it showed, not an empty one
                       the options would then save */
                    if (w != NULL) UnitsToCore(w, sizeof b->text, b->text);
                }
            }
            g_host.DialogFree(h);
        }
    }
    delete[] texts;
    free(dlg);
    return (int)r;
}

void *BridgeSaveScreen(int x1, int y1, int x2, int y2)
{
    return g_host.SaveScreen != NULL ? g_host.SaveScreen(x1, y1, x2, y2) : NULL;
}

void BridgeRestoreScreen(void *screen)
{
    if (g_host.RestoreScreen != NULL) g_host.RestoreScreen(screen);
}

static int IsFullPath(const char *p)
{
    return (p[0] != '\0' && p[1] == ':' && p[2] == '\\') || (p[0] == '\\' && p[1] == '\\');
}

/* fileName joined to the core's current directory unless it is a full path already; a heap
   block, or null. */
static char *FullCorePath(const char *fileName)
{
    size_t n = strlen(fileName);
    for (size_t room = 1024; room <= ((size_t)1 << 20); room *= 4) {
        char *full = (char *)malloc(room + n + 2);
        if (full == NULL) return NULL;
        if (IsFullPath(fileName)) {
            memcpy(full, fileName, n + 1);
            return full;
        }
        if (GetCurrentDir(full, room) == 0) {
            size_t at = strlen(full);
            if (at > 0 && full[at - 1] != '\\') full[at++] = '\\';
            memcpy(full + at, fileName, n + 1);
            return full;
        }
        free(full);
    }
    return NULL;
}

int BridgeEditor(const char *fileName, const char *title, int x1, int y1, int x2, int y2,
                 uint32_t flags, int startLine, int startChar)
{
    if (g_host.Editor == NULL) return 0;
    /* a name relative to the core's current directory, which the host knows nothing of */
    char *full = FullCorePath(fileName);
    if (full == NULL) return 0;
    WidePath path, namedTitle;
    WideText wTitle;
    /* the title the core gives is the file's name: the host shows it as it shows names */
    const wchar_t *shown =
        title != NULL && strcmp(title, fileName) == 0 ? namedTitle.Set(full) : wTitle.Set(title);
    int r = path.Set(full) != NULL ? (int)g_host.Editor(path.Get(), shown, x1, y1, x2, y2, flags,
                                                        startLine, startChar, FAR3_CP_DEFAULT)
                                   : 0;
    free(full);
    return r;
}

int BridgeCmpName(const char *pattern, const char *name, int skipPath)
{
    if (g_fsf.ProcessName == NULL) return 0;
    WideText wPattern;
    WidePath wName;
    if (wPattern.Set(pattern) == NULL || wName.Set(name) == NULL) return 0;
    return g_fsf.ProcessName(wPattern.Get(), wName.Get(), 0,
                             PN_CMPNAME | (skipPath ? PN_SKIPPATH : 0)) != 0;
}

/* ---- the editor ---- */

static intptr_t Editor(EditorControlCommand command, intptr_t param1, void *param2)
{
    return g_host.EditorControl != NULL
               ? g_host.EditorControl(FAR3_CURRENT_EDITOR, command, param1, param2)
               : 0;
}

/* A host's number where the core keeps an int: one past its range stays at its end. */
static int ClampToInt(intptr_t v)
{
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int)v;
}

int BridgeEditorInfoGet(BridgeEditorInfo *out)
{
    static char fileName[MAX_PATH * 4];
    EditorInfo info;
    memset(&info, 0, sizeof info);
    /* the record as hosts before the window areas had it: they take no longer one, and later
       hosts take it as it is */
    info.StructSize = offsetof(EditorInfo, WindowArea);
    if (!Editor(ECTL_GETINFO, 0, &info)) return 0;
    out->editorId = ClampToInt(info.EditorID);
    out->windowSizeX = ClampToInt(info.WindowSizeX);
    out->windowSizeY = ClampToInt(info.WindowSizeY);
    out->totalLines = ClampToInt(info.TotalLines);
    out->curLine = ClampToInt(info.CurLine);
    out->curPos = ClampToInt(info.CurPos);
    out->curTabPos = ClampToInt(info.CurTabPos);
    out->topScreenLine = ClampToInt(info.TopScreenLine);
    out->leftPos = ClampToInt(info.LeftPos);
    out->overtype = ClampToInt(info.Overtype);
    out->blockType = ClampToInt(info.BlockType);
    out->blockStartLine = ClampToInt(info.BlockStartLine);
    out->options = (uint32_t)info.Options;
    out->tabSize = ClampToInt(info.TabSize);
    out->bookmarkCount = info.BookmarkCount > INT32_MAX ? INT32_MAX : (int)info.BookmarkCount;
    out->curState = (uint32_t)info.CurState;
    /* The host leaves the changed bit out of the editor's state (seen in build 6727); the window
       list has it. */
    WindowInfo window;
    memset(&window, 0, sizeof window);
    window.StructSize = sizeof window;
    window.Pos = -1;
    if (g_host.AdvControl != NULL &&
        g_host.AdvControl(&PLUGIN_GUID, ACTL_GETWINDOWINFO, 0, &window) &&
        window.Type == WTYPE_EDITOR && (window.Flags & WIF_MODIFIED))
        out->curState |= BRIDGE_EDITOR_MODIFIED;
    /* the name: asked for its size first, then fetched */
    fileName[0] = '\0';
    intptr_t size = Editor(ECTL_GETFILENAME, 0, NULL);
    /* one unit more than the host may write: the name ends in a NUL whatever it wrote */
    wchar_t *name = size > 0 && size < INTPTR_MAX - 1
                        ? (wchar_t *)calloc((size_t)size + 2, sizeof *name)
                        : NULL;
    if (name != NULL && Editor(ECTL_GETFILENAME, size + 1, name) > 0)
        PathToCore(name, fileName, sizeof fileName);
    free(name);
    out->fileName = fileName;
    return 1;
}

int BridgeEditorStringGet(int line, BridgeEditorString *s)
{
    static LineBuffer text, eol;
    EditorGetString egs;
    memset(&egs, 0, sizeof egs);
    egs.StructSize = sizeof egs;
    egs.StringNumber = line;
    if (!Editor(ECTL_GETSTRING, 0, &egs)) return 0;
    size_t length = egs.StringLength > 0 ? (size_t)egs.StringLength : 0;
    if (egs.StringText == NULL) length = 0;
    if (length > INT32_MAX / 2 || !text.Fit(length) || !eol.Fit(4)) return 0;
    BytesFromUnits(egs.StringText, length, text.data);
    size_t eolLength = egs.StringEOL != NULL ? wcsnlen(egs.StringEOL, 3) : 0;
    BytesFromUnits(egs.StringEOL, eolLength, eol.data);
    s->text = text.data;
    s->eol = eol.data;
    s->length = (int)length;
    s->selStart = ClampToInt(egs.SelStart);
    s->selEnd = ClampToInt(egs.SelEnd);
    return 1;
}

int BridgeEditorSetPosition(int line, int pos, int tabPos, int top, int left, int overtype)
{
    EditorSetPosition p;
    p.StructSize = sizeof p;
    p.CurLine = line;
    p.CurPos = pos;
    p.CurTabPos = tabPos;
    p.TopScreenLine = top;
    p.LeftPos = left;
    p.Overtype = overtype;
    return Editor(ECTL_SETPOSITION, 0, &p) != 0;
}

int BridgeEditorRedraw(void)
{
    return Editor(ECTL_REDRAW, 0, NULL) != 0;
}

int BridgeEditorQuit(void)
{
    return Editor(ECTL_QUIT, 0, NULL) != 0;
}
