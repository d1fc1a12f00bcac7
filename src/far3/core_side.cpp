/* core_side.cpp: the core's half of the adapter. It gives the core a startup record of the
   generation it was written for, whose services pass each call on through the bridge, and calls
   the core's entry points for the host's half. */
#include "far3/bridge.h"

#include <stdlib.h>
#include <string.h>

#include "base/text.h"
#include "host/farapi.h"
#include "plugin/plugin.h"

static int FARAPI CoreMenu(int, int, int, int, FarDword flags, const char *title,
                           const char *bottom, const char *help, const int *breakKeys,
                           int *breakCode, const FarMenuItem *items, int count);
static int FARAPI CoreDialog(int, int x1, int y1, int x2, int y2, const char *help,
                             FarDialogItem *items, int count);
static int FARAPI CoreMessage(int, FarDword flags, const char *help, const char *const *items,
                              int count, int buttons);
static const char *FARAPI CoreGetMsg(int, int id)
{
    return BridgeGetMsg(id);
}
static FarHandle FARAPI CoreSaveScreen(int x1, int y1, int x2, int y2)
{
    return BridgeSaveScreen(x1, y1, x2, y2);
}
static void FARAPI CoreRestoreScreen(FarHandle screen)
{
    BridgeRestoreScreen(screen);
}
static int FARAPI CoreEditor(const char *fileName, const char *title, int x1, int y1, int x2,
                             int y2, FarDword flags, int startLine, int startChar)
{
    return BridgeEditor(fileName, title, x1, y1, x2, y2, flags, startLine, startChar);
}
static int FARAPI CoreCmpName(const char *pattern, const char *name, int skipPath)
{
    return BridgeCmpName(pattern, name, skipPath);
}
static int FARAPI CoreEditorControl(int command, void *param);

static char g_moduleName[FAR_NM];

void BridgeStart(const char *moduleName, int complete)
{
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    /* a host without every service gets a record one slot short: the core refuses each command
       with its "host too old" warning */
    info.StructSize = complete ? FAR_STARTUPINFO_SIZE : FAR_STARTUPINFO_SIZE - (int)sizeof(void *);
    CopyTruncated(g_moduleName, sizeof g_moduleName, moduleName);
    memcpy(info.ModuleName, g_moduleName, sizeof info.ModuleName);
    info.RootKey = ""; /* the options live in the host's settings service, below the plugin's key */
    info.Menu = CoreMenu;
    info.Dialog = CoreDialog;
    info.Message = CoreMessage;
    info.GetMsg = CoreGetMsg;
    info.SaveScreen = CoreSaveScreen;
    info.RestoreScreen = CoreRestoreScreen;
    info.Editor = CoreEditor;
    info.CmpName = CoreCmpName;
    info.EditorControl = CoreEditorControl;
    SetStartupInfo(&info);
}

void BridgeGetPluginInfo(BridgePluginInfo *out)
{
    PluginInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    GetPluginInfo(&info);
    out->flags = info.Flags;
    out->menuString = info.PluginMenuStringsNumber > 0 ? info.PluginMenuStrings[0] : NULL;
    out->configString = info.PluginConfigStringsNumber > 0 ? info.PluginConfigStrings[0] : NULL;
}

void BridgeOpen(int from)
{
    (void)OpenPlugin(from == BRIDGE_FROM_EDITOR ? OPEN_EDITOR : OPEN_PLUGINSMENU, 0);
}

int BridgeConfigure(void)
{
    return Configure(0);
}

/* ---- menus ---- */

static void MenuItemAt(const void *items, size_t i, BridgeMenuItem *out)
{
    const FarMenuItem *item = (const FarMenuItem *)items + i;
    out->text = item->Text;
    out->selected = item->Selected;
    out->checked = item->Checked;
    out->separator = item->Separator;
}

static int FARAPI CoreMenu(int, int, int, int, FarDword flags, const char *title,
                           const char *bottom, const char *help, const int *breakKeys,
                           int *breakCode, const FarMenuItem *items, int count)
{
    uint32_t bridgeFlags = ((flags & FMENU_SHOWAMPERSAND) ? BRIDGE_MENU_AMPERSAND : 0) |
                           ((flags & FMENU_WRAPMODE) ? BRIDGE_MENU_WRAP : 0) |
                           ((flags & FMENU_AUTOHIGHLIGHT) ? BRIDGE_MENU_AUTOHIGHLIGHT : 0);
    BridgeKey *keys = NULL;
    if (breakKeys != NULL) {
        size_t n = 0;
        while (breakKeys[n] != 0) n++;
        keys = (BridgeKey *)calloc(n + 1, sizeof *keys);
        if (keys == NULL) return -1;
        for (size_t i = 0; i < n; i++) {
            int mods = (breakKeys[i] >> 16) & 0xFFFF;
            keys[i].vk = (uint16_t)(breakKeys[i] & 0xFFFF);
            keys[i].mods = ((mods & PKF_CONTROL) ? BRIDGE_CTRL : 0) |
                           ((mods & PKF_ALT) ? BRIDGE_ALT : 0) |
                           ((mods & PKF_SHIFT) ? BRIDGE_SHIFT : 0);
        }
    }
    int code = -1;
    int r = BridgeMenu(bridgeFlags, title, bottom, help, keys, &code, MenuItemAt, items,
                       count > 0 ? (size_t)count : 0);
    if (breakCode != NULL) *breakCode = code;
    free(keys);
    return r;
}

/* ---- dialogs ---- */

static int IsEditType(int type)
{
    return type == DI_EDIT || type == DI_PSWEDIT || type == DI_FIXEDIT;
}

static int FARAPI CoreDialog(int, int x1, int y1, int x2, int y2, const char *help,
                             FarDialogItem *items, int count)
{
    if (count <= 0) return -1;
    BridgeDialogItem *b = (BridgeDialogItem *)calloc((size_t)count, sizeof *b);
    if (b == NULL) return -1;
    for (int i = 0; i < count; i++) {
        const FarDialogItem *item = &items[i];
        b[i].type = item->Type;
        b[i].x1 = item->X1;
        b[i].y1 = item->Y1;
        b[i].x2 = item->X2;
        b[i].y2 = item->Y2;
        b[i].focus = item->Focus;
        b[i].defaultButton = item->DefaultButton;
        b[i].selected =
            item->Type == DI_CHECKBOX || item->Type == DI_RADIOBUTTON ? item->Selected : 0;
        b[i].flags = item->Flags;
        CopyTruncatedN(b[i].text, sizeof b[i].text, item->Data, sizeof item->Data);
    }
    int r = BridgeDialog(x1, y1, x2, y2, help, b, (size_t)count);
    for (int i = 0; i < count && r >= 0; i++) {
        FarDialogItem *item = &items[i];
        if (item->Type == DI_CHECKBOX || item->Type == DI_RADIOBUTTON)
            item->Selected = b[i].selected;
        else if (IsEditType(item->Type)) CopyTruncated(item->Data, sizeof item->Data, b[i].text);
    }
    free(b);
    return r;
}

/* ---- messages ---- */

static int FARAPI CoreMessage(int, FarDword flags, const char *help, const char *const *items,
                              int count, int buttons)
{
    uint32_t bridgeFlags = ((flags & FMSG_WARNING) ? BRIDGE_MSG_WARNING : 0) |
                           ((flags & FMSG_ERRORTYPE) ? BRIDGE_MSG_ERRORTYPE : 0) |
                           ((flags & FMSG_KEEPBACKGROUND) ? BRIDGE_MSG_KEEPBACKGROUND : 0) |
                           ((flags & FMSG_ALLINONE) ? BRIDGE_MSG_ALLINONE : 0);
    return BridgeMessage(bridgeFlags, help, items, count > 0 ? (size_t)count : 0, buttons);
}

/* ---- the editor ---- */

static int EditorInfoCommand(EditorInfo *info)
{
    BridgeEditorInfo b;
    memset(&b, 0, sizeof b);
    if (!BridgeEditorInfoGet(&b)) return 0;
    info->EditorID = b.editorId;
    info->FileName = b.fileName;
    info->WindowSizeX = b.windowSizeX;
    info->WindowSizeY = b.windowSizeY;
    info->TotalLines = b.totalLines;
    info->CurLine = b.curLine;
    info->CurPos = b.curPos;
    info->CurTabPos = b.curTabPos;
    info->TopScreenLine = b.topScreenLine;
    info->LeftPos = b.leftPos;
    info->Overtype = b.overtype;
    info->BlockType = b.blockType;
    info->BlockStartLine = b.blockStartLine;
    info->AnsiMode = 0;
    info->TableNum = -1;
    info->Options = b.options;
    info->TabSize = b.tabSize;
    info->BookMarkCount = b.bookmarkCount;
    info->CurState = b.curState;
    return 1;
}

static int EditorStringCommand(EditorGetString *egs)
{
    BridgeEditorString s;
    if (!BridgeEditorStringGet(egs->StringNumber, &s)) return 0;
    egs->StringText = s.text;
    egs->StringEOL = s.eol;
    egs->StringLength = s.length;
    egs->SelStart = s.selStart;
    egs->SelEnd = s.selEnd;
    return 1;
}

static int FARAPI CoreEditorControl(int command, void *param)
{
    switch (command) {
    case ECTL_GETSTRING: return param != NULL && EditorStringCommand((EditorGetString *)param);
    case ECTL_GETINFO: return param != NULL && EditorInfoCommand((EditorInfo *)param);
    case ECTL_SETPOSITION: {
        if (param == NULL) return 0;
        const EditorSetPosition *p = (const EditorSetPosition *)param;
        return BridgeEditorSetPosition(p->CurLine, p->CurPos, p->CurTabPos, p->TopScreenLine,
                                       p->LeftPos, p->Overtype);
    }
    case ECTL_REDRAW: return BridgeEditorRedraw();
    /* the editor's text reaches the core in its code page already */
    case ECTL_EDITORTOOEM: return param != NULL;
    case ECTL_QUIT: return BridgeEditorQuit();
    default: return 0;
    }
}
