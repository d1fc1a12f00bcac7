/* farapi.h: our declarations of the host's (Far Manager 1.x, ANSI) plugin records and constants. */
#ifndef ZOLT_HOST_FARAPI_H
#define ZOLT_HOST_FARAPI_H

#include <stdint.h>

/* Every export and every service of the host is stdcall on 32-bit Windows. */
#if defined(_WIN32) && !defined(_WIN64)
#define FARAPI __stdcall
#else
#define FARAPI
#endif

typedef uint32_t FarDword;
typedef void *FarHandle;

#define FAR_NM 260
#define FAR_INVALID_HANDLE ((FarHandle)(intptr_t)-1)

/* OpenPlugin open-from codes */
enum { OPEN_DISKMENU = 0, OPEN_PLUGINSMENU = 1, OPEN_EDITOR = 5, OPEN_VIEWER = 6 };

/* Message flags */
enum { FMSG_WARNING = 0x1, FMSG_ERRORTYPE = 0x2, FMSG_KEEPBACKGROUND = 0x4, FMSG_ALLINONE = 0x20 };

/* Menu flags */
enum { FMENU_SHOWAMPERSAND = 0x1, FMENU_WRAPMODE = 0x2, FMENU_AUTOHIGHLIGHT = 0x4 };

/* Break-key modifier bits, held in the high word of a break-key code */
enum { PKF_CONTROL = 0x1, PKF_ALT = 0x2, PKF_SHIFT = 0x4 };

/* Plugin info flags */
enum { PF_PRELOAD = 0x1, PF_DISABLEPANELS = 0x2, PF_EDITOR = 0x4, PF_VIEWER = 0x8 };

/* Dialog item types */
enum {
    DI_TEXT = 0,
    DI_VTEXT = 1,
    DI_SINGLEBOX = 2,
    DI_DOUBLEBOX = 3,
    DI_EDIT = 4,
    DI_PSWEDIT = 5,
    DI_FIXEDIT = 6,
    DI_BUTTON = 7,
    DI_CHECKBOX = 8,
    DI_RADIOBUTTON = 9
};

/* Dialog item flags used here */
enum : uint32_t {
    DIF_BOXCOLOR = 0x00000200u,
    DIF_CENTERGROUP = 0x00004000u,
    DIF_SEPARATOR = 0x00010000u
};

/* EditorControl commands */
enum {
    ECTL_GETSTRING = 0,
    ECTL_GETINFO = 6,
    ECTL_SETPOSITION = 7,
    ECTL_REDRAW = 9,
    ECTL_EDITORTOOEM = 10,
    ECTL_QUIT = 21
};

/* EditorInfo.CurState bits */
enum { ECSTATE_MODIFIED = 0x1 };

#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(push, 2) /* as the host declares them; these records come out the same either way */
#endif

struct FarMenuItem {
    char Text[128];
    int Selected;
    int Checked;
    int Separator;
};

struct FarDialogItem {
    int Type;
    int X1, Y1, X2, Y2;
    int Focus;
    union {
        int Selected;
        const char *History;
        const char *Mask;
        void *ListItems;
        int ListPos;
        void *VBuf;
    };
    FarDword Flags;
    int DefaultButton;
    char Data[512];
};

struct EditorGetString {
    int StringNumber;
    const char *StringText;
    const char *StringEOL;
    int StringLength;
    int SelStart;
    int SelEnd;
};

struct EditorInfo {
    int EditorID;
    const char *FileName;
    int WindowSizeX;
    int WindowSizeY;
    int TotalLines;
    int CurLine;
    int CurPos;
    int CurTabPos;
    int TopScreenLine;
    int LeftPos;
    int Overtype;
    int BlockType;
    int BlockStartLine;
    int AnsiMode;
    int TableNum;
    FarDword Options;
    int TabSize;
    int BookMarkCount;
    FarDword CurState;
    FarDword Reserved[6];
};

struct EditorSetPosition {
    int CurLine;
    int CurPos;
    int CurTabPos;
    int TopScreenLine;
    int LeftPos;
    int Overtype;
};

struct EditorConvertText {
    char *Text;
    int TextLength;
};

struct PluginInfo {
    int StructSize;
    FarDword Flags;
    const char *const *DiskMenuStrings;
    int *DiskMenuNumbers;
    int DiskMenuStringsNumber;
    const char *const *PluginMenuStrings;
    int PluginMenuStringsNumber;
    const char *const *PluginConfigStrings;
    int PluginConfigStringsNumber;
    const char *CommandPrefix;
    FarDword Reserved;
};

typedef int(FARAPI *FARAPIMENU)(int PluginNumber, int X, int Y, int MaxHeight, FarDword Flags,
                                const char *Title, const char *Bottom, const char *HelpTopic,
                                const int *BreakKeys, int *BreakCode,
                                const struct FarMenuItem *Item, int ItemsNumber);
typedef int(FARAPI *FARAPIDIALOG)(int PluginNumber, int X1, int Y1, int X2, int Y2,
                                  const char *HelpTopic, struct FarDialogItem *Item,
                                  int ItemsNumber);
typedef int(FARAPI *FARAPIMESSAGE)(int PluginNumber, FarDword Flags, const char *HelpTopic,
                                   const char *const *Items, int ItemsNumber, int ButtonsNumber);
typedef const char *(FARAPI *FARAPIGETMSG)(int PluginNumber, int MsgId);
typedef FarHandle(FARAPI *FARAPISAVESCREEN)(int X1, int Y1, int X2, int Y2);
typedef void(FARAPI *FARAPIRESTORESCREEN)(FarHandle hScreen);
/* Editor's answers where it opened nothing (the host said why, or the user cancelled) */
enum { EEC_OPEN_ERROR = 0, EEC_LOADING_INTERRUPTED = 3 };
typedef int(FARAPI *FARAPIEDITOR)(const char *FileName, const char *Title, int X1, int Y1, int X2,
                                  int Y2, FarDword Flags, int StartLine, int StartChar);
typedef int(FARAPI *FARAPICMPNAME)(const char *Pattern, const char *String, int SkipPath);
typedef int(FARAPI *FARAPIEDITORCONTROL)(int Command, void *Param);
typedef int(FARAPI *FARAPIADVCONTROL)(int ModuleNumber, int Command, void *Param);
/* AdvControl: the host's version, (major << 8) | minor | (build << 16) */
enum { ACTL_GETFARVERSION = 0 };
typedef void *FARAPIUNUSED; /* services this plugin never calls */

struct PluginStartupInfo {
    int StructSize;
    char ModuleName[FAR_NM];
    int ModuleNumber;
    const char *RootKey;
    FARAPIMENU Menu;
    FARAPIDIALOG Dialog;
    FARAPIMESSAGE Message;
    FARAPIGETMSG GetMsg;
    FARAPIUNUSED Control;
    FARAPISAVESCREEN SaveScreen;
    FARAPIRESTORESCREEN RestoreScreen;
    FARAPIUNUSED GetDirList;
    FARAPIUNUSED GetPluginDirList;
    FARAPIUNUSED FreeDirList;
    FARAPIUNUSED Viewer;
    FARAPIEDITOR Editor;
    FARAPICMPNAME CmpName;
    FARAPIUNUSED CharTable;
    FARAPIUNUSED Text;
    FARAPIEDITORCONTROL EditorControl;
    FARAPIUNUSED FSF;
    FARAPIUNUSED ShowHelp;
    FARAPIADVCONTROL AdvControl;
    FARAPIUNUSED InputBox;
    FARAPIUNUSED DialogEx;
    FARAPIUNUSED SendDlgMessage;
    FARAPIUNUSED DefDlgProc;
    FarDword Reserved;
    FARAPIUNUSED ViewerControl;
};

#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(pop)
#endif

/* The record size of the host version this library is built against: 372 bytes for 1.70 and
   1.75 on 32-bit Windows. A 64-bit record is longer; a shorter one lacks services we call. */
#define FAR_STARTUPINFO_SIZE ((int)sizeof(struct PluginStartupInfo))

/* On 32-bit targets every record must have the host's exact layout. */
#if UINTPTR_MAX == 0xFFFFFFFFu
#include <stddef.h>
static_assert(sizeof(struct PluginStartupInfo) == 372, "PluginStartupInfo layout");
static_assert(offsetof(struct PluginStartupInfo, ModuleNumber) == 264, "ModuleNumber offset");
static_assert(offsetof(struct PluginStartupInfo, Menu) == 272, "Menu offset");
static_assert(offsetof(struct PluginStartupInfo, SaveScreen) == 292, "SaveScreen offset");
static_assert(offsetof(struct PluginStartupInfo, Editor) == 316, "Editor offset");
static_assert(offsetof(struct PluginStartupInfo, EditorControl) == 332, "EditorControl offset");
static_assert(offsetof(struct PluginStartupInfo, ViewerControl) == 368, "ViewerControl offset");
static_assert(sizeof(struct PluginInfo) == 44, "PluginInfo layout");
static_assert(sizeof(struct FarMenuItem) == 140, "FarMenuItem layout");
static_assert(sizeof(struct FarDialogItem) == 548, "FarDialogItem layout");
static_assert(offsetof(struct FarDialogItem, Data) == 36, "FarDialogItem Data offset");
static_assert(sizeof(struct EditorGetString) == 24, "EditorGetString layout");
static_assert(sizeof(struct EditorInfo) == 100, "EditorInfo layout");
static_assert(offsetof(struct EditorInfo, LeftPos) == 36, "EditorInfo LeftPos offset");
static_assert(sizeof(struct EditorSetPosition) == 24, "EditorSetPosition layout");
static_assert(sizeof(struct EditorConvertText) == 8, "EditorConvertText layout");
#endif

#endif
