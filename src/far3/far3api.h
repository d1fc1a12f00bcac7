/* far3api.h: our declarations of the current host generation's (Unicode, 3.x) plugin records
   and constants, for the adapter and its test host only. The 1.x records of host/farapi.h carry
   the same names with other layouts: the two headers never meet in one translation unit, and
   these live in namespace far3 besides. */
#ifndef ZOLT_FAR3_FAR3API_H
#define ZOLT_FAR3_FAR3API_H

#include <stddef.h>
#include <stdint.h>

#include <windows.h>

namespace far3 {

/* Flag words are 64-bit on both machine types. */
typedef unsigned long long Flags64;

enum VersionStage { VS_RELEASE = 0, VS_PRIVATE = 5 };
struct VersionInfo {
    DWORD Major, Minor, Revision, Build;
    VersionStage Stage;
};

struct GlobalInfo {
    size_t StructSize;
    VersionInfo MinFarVersion;
    VersionInfo Version;
    GUID Guid;
    const wchar_t *Title;
    const wchar_t *Description;
    const wchar_t *Author;
    void *Instance;
};

/* ---- menus ---- */
constexpr Flags64 MIF_SELECTED = 0x10000;
constexpr Flags64 MIF_CHECKED = 0x20000;
constexpr Flags64 MIF_SEPARATOR = 0x40000;
constexpr Flags64 MIF_DISABLE = 0x80000;
constexpr Flags64 MIF_GRAYED = 0x100000;
constexpr Flags64 MIF_HIDDEN = 0x200000;
constexpr Flags64 FMENU_SHOWAMPERSAND = 0x1;
constexpr Flags64 FMENU_WRAPMODE = 0x2;
constexpr Flags64 FMENU_AUTOHIGHLIGHT = 0x4;
constexpr Flags64 FMENU_REVERSEAUTOHIGHLIGHT = 0x8;
constexpr Flags64 FMENU_CHANGECONSOLETITLE = 0x10;
struct FarKey {
    WORD VirtualKeyCode;
    DWORD ControlKeyState;
};
struct FarMenuItem {
    Flags64 Flags;
    const wchar_t *Text;
    FarKey AccelKey;
    intptr_t UserData;
    intptr_t Reserved[2];
};

/* ---- dialogs ---- */
enum {
    DI_TEXT = 0,
    DI_SINGLEBOX = 2,
    DI_DOUBLEBOX = 3,
    DI_EDIT = 4,
    DI_PSWEDIT = 5,
    DI_FIXEDIT = 6,
    DI_BUTTON = 7,
    DI_CHECKBOX = 8,
    DI_RADIOBUTTON = 9
};
constexpr Flags64 DIF_COLORMASK = 0xFF;
constexpr Flags64 DIF_SETCOLOR = 0x100;
constexpr Flags64 DIF_BOXCOLOR = 0x200;
constexpr Flags64 DIF_SEPARATOR = 0x10000; /* on an edit item the old "variable buffer" bit: gone */
constexpr Flags64 DIF_DEFAULTBUTTON = 0x100000000ull;
constexpr Flags64 DIF_FOCUS = 0x200000000ull;
struct FarDialogItem {
    int Type;
    intptr_t X1, Y1, X2, Y2;
    union {
        intptr_t Selected;
        void *ListItems;
        void *VBuf;
    };
    const wchar_t *History;
    const wchar_t *Mask;
    Flags64 Flags;
    const wchar_t *Data;
    size_t MaxLength;
    intptr_t UserData;
    intptr_t Reserved[2];
};
enum { DM_GETCHECK = 25, DM_GETCONSTTEXTPTR = 63 };
enum { BSTATE_UNCHECKED = 0, BSTATE_CHECKED = 1 };

/* ---- messages ---- */
constexpr Flags64 FMSG_WARNING = 0x1;
constexpr Flags64 FMSG_ERRORTYPE = 0x2;
constexpr Flags64 FMSG_KEEPBACKGROUND = 0x4;
constexpr Flags64 FMSG_LEFTALIGN = 0x8;
constexpr Flags64 FMSG_ALLINONE = 0x10;
constexpr Flags64 FMSG_MB_MASK = 0xF0000;

/* ---- editor ---- */
constexpr Flags64 EF_NONMODAL = 0x1;
constexpr Flags64 EF_IMMEDIATERETURN = 0x100;
constexpr Flags64 EF_OPENMODE_USEEXISTING = 0x20000000;
#define FAR3_CP_DEFAULT ((uintptr_t)-1)
#define FAR3_CURRENT_EDITOR (-1)
enum EditorControlCommand {
    ECTL_GETSTRING = 0,
    ECTL_GETINFO = 6,
    ECTL_SETPOSITION = 7,
    ECTL_REDRAW = 9,
    ECTL_QUIT = 19,
    ECTL_GETFILENAME = 33
};
struct EditorGetString {
    size_t StructSize;
    intptr_t StringNumber;
    intptr_t StringLength;
    const wchar_t *StringText;
    const wchar_t *StringEOL;
    intptr_t SelStart;
    intptr_t SelEnd;
};
struct EditorInfo {
    size_t StructSize;
    intptr_t EditorID;
    intptr_t WindowSizeX, WindowSizeY;
    intptr_t TotalLines;
    intptr_t CurLine, CurPos, CurTabPos;
    intptr_t TopScreenLine, LeftPos;
    intptr_t Overtype;
    intptr_t BlockType, BlockStartLine;
    uintptr_t Options;
    intptr_t TabSize;
    size_t BookmarkCount, SessionBookmarkCount;
    uintptr_t CurState;
    uintptr_t CodePage;
    RECT WindowArea, ClientArea;
};
struct EditorSetPosition {
    size_t StructSize;
    intptr_t CurLine, CurPos, CurTabPos, TopScreenLine, LeftPos, Overtype;
};

/* ---- settings ---- */
enum SettingsCommand {
    SCTL_CREATE = 0,
    SCTL_FREE = 1,
    SCTL_SET = 2,
    SCTL_GET = 3,
    SCTL_ENUM = 4,
    SCTL_DELETE = 5,
    SCTL_CREATESUBKEY = 6,
    SCTL_OPENSUBKEY = 7
};
enum { PSL_ROAMING = 0 };
enum SettingsType { FST_UNKNOWN = 0, FST_SUBKEY = 1, FST_QWORD = 2, FST_STRING = 3, FST_DATA = 4 };
struct FarSettingsCreate {
    size_t StructSize;
    GUID Guid;
    HANDLE Handle;
};
struct FarSettingsItem {
    size_t StructSize;
    size_t Root;
    const wchar_t *Name;
    SettingsType Type;
    union {
        unsigned long long Number;
        const wchar_t *String;
        struct {
            size_t Size;
            const void *Data;
        } Data;
    };
};

/* SCTL_ENUM: the values and subkeys below Root, valid until the handle is freed. */
struct FarSettingsName {
    const wchar_t *Name;
    SettingsType Type;
};
struct FarSettingsEnum {
    size_t StructSize;
    size_t Root;
    size_t Count;
    const FarSettingsName *Items;
};

struct FarSettingsValue {
    size_t StructSize;
    size_t Root;
    const wchar_t *Value;
};

/* ---- names, versions ---- */
constexpr Flags64 PN_CMPNAME = 0;
constexpr Flags64 PN_SKIPPATH = 0x1000000;
enum AdvancedControlCommand { ACTL_GETFARMANAGERVERSION = 0, ACTL_GETWINDOWINFO = 6 };
enum WindowType { WTYPE_PANELS = 1, WTYPE_EDITOR = 3 };
constexpr Flags64 WIF_MODIFIED = 0x1;
constexpr Flags64 WIF_CURRENT = 0x2;
struct WindowInfo {
    size_t StructSize;
    intptr_t Id;
    wchar_t *TypeName;
    wchar_t *Name;
    intptr_t TypeNameSize;
    intptr_t NameSize;
    intptr_t Pos; /* -1: the current window */
    WindowType Type;
    Flags64 Flags;
};

/* ---- the plugin's own records ---- */
constexpr Flags64 PF_PRELOAD = 0x1;
constexpr Flags64 PF_DISABLEPANELS = 0x2;
constexpr Flags64 PF_EDITOR = 0x4;
constexpr Flags64 PF_VIEWER = 0x8;
struct PluginMenuItem {
    const GUID *Guids;
    const wchar_t *const *Strings;
    size_t Count;
};
struct PluginInfo {
    size_t StructSize;
    Flags64 Flags;
    PluginMenuItem DiskMenu, PluginMenu, PluginConfig;
    const wchar_t *CommandPrefix;
    void *Instance;
};
enum OpenFrom {
    OPEN_LEFTDISKMENU = 0,
    OPEN_PLUGINSMENU = 1,
    OPEN_FINDLIST = 2,
    OPEN_SHORTCUT = 3,
    OPEN_COMMANDLINE = 4,
    OPEN_EDITOR = 5,
    OPEN_VIEWER = 6,
    OPEN_FILEPANEL = 7,
    OPEN_DIALOG = 8,
    OPEN_RIGHTDISKMENU = 10
};
struct OpenInfo {
    size_t StructSize;
    OpenFrom OpenFrom;
    const GUID *Guid;
    intptr_t Data;
    void *Instance;
};
struct ConfigureInfo {
    size_t StructSize;
    const GUID *Guid;
    void *Instance;
};
struct ExitInfo {
    size_t StructSize;
    void *Instance;
};

/* ---- services; only those the adapter calls have their types, the rest are slots ---- */
typedef void *Unused;
typedef intptr_t(WINAPI *MenuFn)(const GUID *PluginId, const GUID *Id, intptr_t X, intptr_t Y,
                                 intptr_t MaxHeight, Flags64 Flags, const wchar_t *Title,
                                 const wchar_t *Bottom, const wchar_t *HelpTopic,
                                 const FarKey *BreakKeys, intptr_t *BreakCode,
                                 const FarMenuItem *Item, size_t ItemsNumber);
typedef intptr_t(WINAPI *MessageFn)(const GUID *PluginId, const GUID *Id, Flags64 Flags,
                                    const wchar_t *HelpTopic, const wchar_t *const *Items,
                                    size_t ItemsNumber, intptr_t ButtonsNumber);
typedef const wchar_t *(WINAPI *GetMsgFn)(const GUID *PluginId, intptr_t MsgId);
typedef HANDLE(WINAPI *SaveScreenFn)(intptr_t X1, intptr_t Y1, intptr_t X2, intptr_t Y2);
typedef void(WINAPI *RestoreScreenFn)(HANDLE hScreen);
typedef intptr_t(WINAPI *EditorFn)(const wchar_t *FileName, const wchar_t *Title, intptr_t X1,
                                   intptr_t Y1, intptr_t X2, intptr_t Y2, Flags64 Flags,
                                   intptr_t StartLine, intptr_t StartChar, uintptr_t CodePage);
typedef intptr_t(WINAPI *EditorControlFn)(intptr_t EditorID, EditorControlCommand Command,
                                          intptr_t Param1, void *Param2);
typedef intptr_t(WINAPI *AdvControlFn)(const GUID *PluginId, AdvancedControlCommand Command,
                                       intptr_t Param1, void *Param2);
typedef intptr_t(WINAPI *WindowProcFn)(HANDLE hDlg, intptr_t Msg, intptr_t Param1, void *Param2);
typedef HANDLE(WINAPI *DialogInitFn)(const GUID *PluginId, const GUID *Id, intptr_t X1, intptr_t Y1,
                                     intptr_t X2, intptr_t Y2, const wchar_t *HelpTopic,
                                     const FarDialogItem *Item, size_t ItemsNumber,
                                     intptr_t Reserved, Flags64 Flags, WindowProcFn DlgProc,
                                     void *Param);
typedef intptr_t(WINAPI *DialogRunFn)(HANDLE hDlg);
typedef void(WINAPI *DialogFreeFn)(HANDLE hDlg);
typedef intptr_t(WINAPI *SendDlgMessageFn)(HANDLE hDlg, intptr_t Msg, intptr_t Param1,
                                           void *Param2);
/* ---- panels ---- */
enum FileControlCommand { FCTL_GETPANELDIRECTORY = 24 };
#define FAR3_PANEL_ACTIVE ((HANDLE)(intptr_t)-1)
/* The panel's folder; the strings lie in the caller's block after the record. PluginId is all
   zero for a file panel of the host's own. */
struct FarPanelDirectory {
    size_t StructSize;
    const wchar_t *Name;
    const wchar_t *Param;
    GUID PluginId;
    const wchar_t *File;
};
typedef intptr_t(WINAPI *PanelControlFn)(HANDLE hPanel, FileControlCommand Command, intptr_t Param1,
                                         void *Param2);
typedef intptr_t(WINAPI *SettingsControlFn)(HANDLE hHandle, SettingsCommand Command,
                                            intptr_t Param1, void *Param2);
typedef size_t(WINAPI *ProcessNameFn)(const wchar_t *Param1, wchar_t *Param2, size_t Size,
                                      Flags64 Flags);

/* Fifty slots; the adapter calls ProcessName only. */
struct FarStandardFunctions {
    size_t StructSize;
    Unused before[40]; /* atoi ... MkTemp */
    ProcessNameFn ProcessName;
    Unused after[8]; /* ... DetectCodePage */
};

struct PluginStartupInfo {
    size_t StructSize;
    const wchar_t *ModuleName;
    MenuFn Menu;
    MessageFn Message;
    GetMsgFn GetMsg;
    PanelControlFn PanelControl;
    SaveScreenFn SaveScreen;
    RestoreScreenFn RestoreScreen;
    Unused GetDirList, GetPluginDirList, FreeDirList, FreePluginDirList, Viewer;
    EditorFn Editor;
    Unused Text;
    EditorControlFn EditorControl;
    FarStandardFunctions *FSF;
    Unused ShowHelp;
    AdvControlFn AdvControl;
    Unused InputBox, ColorDialog;
    DialogInitFn DialogInit;
    DialogRunFn DialogRun;
    DialogFreeFn DialogFree;
    SendDlgMessageFn SendDlgMessage;
    Unused DefDlgProc, ViewerControl, PluginsControl, FileFilterControl, RegExpControl,
        MacroControl;
    SettingsControlFn SettingsControl;
    Unused Private, Instance;
    RestoreScreenFn FreeScreen; /* frees a saved screen without restoring it */
};

/* The host's layout on both machine types (x64 first, x86 second). */
#define FAR3_LAYOUT(x64, x86) (sizeof(void *) == 8 ? (x64) : (x86))
static_assert(sizeof(GlobalInfo) == FAR3_LAYOUT(96, 76), "GlobalInfo");
static_assert(offsetof(GlobalInfo, Guid) == FAR3_LAYOUT(48, 44), "GlobalInfo.Guid");
static_assert(offsetof(GlobalInfo, Instance) == FAR3_LAYOUT(88, 72), "GlobalInfo.Instance");
static_assert(sizeof(PluginStartupInfo) == FAR3_LAYOUT(280, 140), "PluginStartupInfo");
static_assert(offsetof(PluginStartupInfo, Editor) == FAR3_LAYOUT(104, 52), "Editor");
static_assert(offsetof(PluginStartupInfo, FSF) == FAR3_LAYOUT(128, 64), "FSF");
static_assert(offsetof(PluginStartupInfo, DialogInit) == FAR3_LAYOUT(168, 84), "DialogInit");
static_assert(offsetof(PluginStartupInfo, SettingsControl) == FAR3_LAYOUT(248, 124), "Settings");
static_assert(sizeof(FarStandardFunctions) == FAR3_LAYOUT(400, 200), "FarStandardFunctions");
static_assert(offsetof(FarStandardFunctions, ProcessName) == FAR3_LAYOUT(328, 164), "ProcessName");
static_assert(sizeof(PluginInfo) == FAR3_LAYOUT(104, 64), "PluginInfo");
static_assert(offsetof(PluginInfo, PluginMenu) == FAR3_LAYOUT(40, 28), "PluginInfo.PluginMenu");
static_assert(offsetof(PluginInfo, PluginConfig) == FAR3_LAYOUT(64, 40), "PluginConfig");
static_assert(sizeof(PluginMenuItem) == FAR3_LAYOUT(24, 12), "PluginMenuItem");
static_assert(sizeof(OpenInfo) == FAR3_LAYOUT(40, 20), "OpenInfo");
static_assert(offsetof(OpenInfo, Guid) == FAR3_LAYOUT(16, 8), "OpenInfo.Guid");
static_assert(sizeof(FarMenuItem) == FAR3_LAYOUT(48, 32), "FarMenuItem");
static_assert(offsetof(FarMenuItem, AccelKey) == FAR3_LAYOUT(16, 12), "FarMenuItem.AccelKey");
static_assert(sizeof(FarKey) == 8, "FarKey");
static_assert(sizeof(FarDialogItem) == FAR3_LAYOUT(112, 64), "FarDialogItem");
static_assert(offsetof(FarDialogItem, Selected) == FAR3_LAYOUT(40, 20), "FarDialogItem.Selected");
static_assert(offsetof(FarDialogItem, Flags) == FAR3_LAYOUT(64, 32), "FarDialogItem.Flags");
static_assert(offsetof(FarDialogItem, Data) == FAR3_LAYOUT(72, 40), "FarDialogItem.Data");
static_assert(sizeof(EditorGetString) == FAR3_LAYOUT(56, 28), "EditorGetString");
static_assert(offsetof(EditorGetString, StringText) == FAR3_LAYOUT(24, 12), "StringText");
static_assert(sizeof(EditorInfo) == FAR3_LAYOUT(184, 108), "EditorInfo");
static_assert(offsetof(EditorInfo, CodePage) == FAR3_LAYOUT(144, 72), "EditorInfo.CodePage");
static_assert(sizeof(EditorSetPosition) == FAR3_LAYOUT(56, 28), "EditorSetPosition");
static_assert(sizeof(FarSettingsCreate) == FAR3_LAYOUT(32, 24), "FarSettingsCreate");
static_assert(offsetof(FarSettingsCreate, Handle) == FAR3_LAYOUT(24, 20), "Handle");
static_assert(sizeof(FarSettingsItem) == FAR3_LAYOUT(48, 24), "FarSettingsItem");
static_assert(offsetof(FarSettingsItem, Number) == FAR3_LAYOUT(32, 16), "FarSettingsItem.Number");
static_assert(sizeof(FarSettingsValue) == FAR3_LAYOUT(24, 12), "FarSettingsValue");
static_assert(sizeof(FarSettingsEnum) == FAR3_LAYOUT(32, 16), "FarSettingsEnum");
static_assert(sizeof(FarPanelDirectory) == FAR3_LAYOUT(48, 32), "FarPanelDirectory");
static_assert(offsetof(PluginStartupInfo, PanelControl) == FAR3_LAYOUT(40, 20), "PanelControl");
static_assert(sizeof(WindowInfo) == FAR3_LAYOUT(72, 40), "WindowInfo");
static_assert(offsetof(WindowInfo, Flags) == FAR3_LAYOUT(64, 32), "WindowInfo.Flags");
static_assert(sizeof(ConfigureInfo) == FAR3_LAYOUT(24, 12), "ConfigureInfo");
#undef FAR3_LAYOUT

} // namespace far3

/* The entry points the host looks up by these exact names. */
extern "C" {
void WINAPI GetGlobalInfoW(far3::GlobalInfo *Info);
void WINAPI SetStartupInfoW(const far3::PluginStartupInfo *Info);
void WINAPI GetPluginInfoW(far3::PluginInfo *Info);
HANDLE WINAPI OpenW(const far3::OpenInfo *Info);
intptr_t WINAPI ConfigureW(const far3::ConfigureInfo *Info);
void WINAPI ExitFARW(const far3::ExitInfo *Info);
}

#endif
