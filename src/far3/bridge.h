/* bridge.h: between the two halves of the adapter. core_side.cpp sees only the old records (the
   core's) and host_side.cpp, store.cpp only the new ones (the host's); what crosses between them
   is declared here in plain types. Text crosses as the core's bytes: code page 866, except file
   names, which are UTF-8 (the core's file functions take them so in this library). */
#ifndef ZOLT_FAR3_BRIDGE_H
#define ZOLT_FAR3_BRIDGE_H

#include <stddef.h>
#include <stdint.h>

/* ---- the core, as the host side calls it (core_side.cpp) ---- */
struct BridgePluginInfo {
    uint32_t flags; /* PF_* bits: the same values in both generations */
    const char *menuString;
    const char *configString;
};
/* Hands the core its startup record; moduleName is the library's path. complete: the host has
   every service the commands use. */
void BridgeStart(const char *moduleName, int complete);
void BridgeGetPluginInfo(BridgePluginInfo *info);
enum { BRIDGE_FROM_PANELS = 1, BRIDGE_FROM_EDITOR = 5 };
void BridgeOpen(int from);
int BridgeConfigure(void);

/* ---- the host's services, as the core side calls them (host_side.cpp) ---- */
const char *BridgeGetMsg(int id); /* "" when the host has none; stays valid */

enum { BRIDGE_CTRL = 1, BRIDGE_ALT = 2, BRIDGE_SHIFT = 4 };
struct BridgeKey {
    uint16_t vk;   /* 0 ends a list */
    uint32_t mods; /* BRIDGE_CTRL | BRIDGE_ALT | BRIDGE_SHIFT */
};
struct BridgeMenuItem {
    const char *text;
    int selected, checked, separator; /* checked > 1: that character is the mark */
};
enum { BRIDGE_MENU_AMPERSAND = 1, BRIDGE_MENU_WRAP = 2, BRIDGE_MENU_AUTOHIGHLIGHT = 4 };
/* The menu's items one at a time, so that a long menu is not copied twice. */
typedef void (*BridgeMenuItemFn)(const void *items, size_t i, BridgeMenuItem *out);
/* The chosen item or -1; *breakCode the matched key's index or -1. */
int BridgeMenu(uint32_t flags, const char *title, const char *bottom, const char *help,
               const BridgeKey *breakKeys, int *breakCode, BridgeMenuItemFn itemAt,
               const void *items, size_t count);

enum {
    BRIDGE_MSG_WARNING = 1,
    BRIDGE_MSG_ERRORTYPE = 2,
    BRIDGE_MSG_KEEPBACKGROUND = 4,
    BRIDGE_MSG_LEFTALIGN = 8,
    BRIDGE_MSG_ALLINONE = 16
};
/* The pressed button's index, -1 on Esc; a box without buttons gives 0, as before. */
int BridgeMessage(uint32_t flags, const char *help, const char *const *items, size_t count,
                  int buttons);

enum { BRIDGE_TEXT_SIZE = 512 }; /* an item's text with its NUL, as the core keeps it */
struct BridgeDialogItem {
    int type;
    int x1, y1, x2, y2;
    int focus, defaultButton;
    int selected;                /* in: initial state; out: the check box's state */
    uint32_t flags;              /* the core's DIF_* bits; the colour bits are dropped */
    char text[BRIDGE_TEXT_SIZE]; /* in: initial text; out: an edit field's text */
};
/* The closing item's index, -1 when cancelled or the dialog could not be shown. */
int BridgeDialog(int x1, int y1, int x2, int y2, const char *help, BridgeDialogItem *items,
                 size_t count);

void *BridgeSaveScreen(int x1, int y1, int x2, int y2);
void BridgeRestoreScreen(void *screen);
int BridgeEditor(const char *fileName, const char *title, int x1, int y1, int x2, int y2,
                 uint32_t flags, int startLine, int startChar);
int BridgeCmpName(const char *pattern, const char *name, int skipPath);

struct BridgeEditorInfo {
    int editorId;
    const char *fileName; /* stays valid until the next call */
    int windowSizeX, windowSizeY, totalLines, curLine, curPos, curTabPos, topScreenLine, leftPos,
        overtype, blockType, blockStartLine;
    uint32_t options;
    int tabSize, bookmarkCount;
    uint32_t curState;
};
enum { BRIDGE_EDITOR_MODIFIED = 1 };             /* curState: the same bits as the core's */
int BridgeEditorInfoGet(BridgeEditorInfo *info); /* 0 when no editor is current */
struct BridgeEditorString {
    const char *text, *eol; /* one byte per UTF-16 unit; valid until the next call */
    int length, selStart, selEnd;
};
int BridgeEditorStringGet(int line, BridgeEditorString *s); /* 0 when no such line */
int BridgeEditorSetPosition(int line, int pos, int tabPos, int top, int left, int overtype);
int BridgeEditorRedraw(void);
int BridgeEditorQuit(void);

#endif
