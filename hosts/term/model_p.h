/* model_p.h: what the terminal host knows without a terminal: key codes, the code page table,
   the menu, dialog, editor and panel models, path forms and help topics. No curses here. */
#ifndef ZOLT_HOSTS_TERM_MODEL_P_H
#define ZOLT_HOSTS_TERM_MODEL_P_H

#include <stddef.h>
#include <time.h>
#include <wchar.h>

#include "host/farapi.h"

/* ---------------- keys ---------------- */

/* Windows virtual-key codes the host handles itself. */
enum {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_F1 = 0x70,
    VK_F12 = 0x7B
};
#define VK_F(n) (VK_F1 + (n)-1)

/* One key press as the real host sees it: virtual key, modifier set (PKF_* bits), and the
   code page 866 byte it types (-1 for keys that type nothing). vk 0 = nothing to report. */
struct KeyEvent {
    int vk;
    int mods;
    int ch;
};

/* A typed character: byte866 its code page 866 byte (-1 when it has none), scan what
   KeyScanChar gives for it (ASCII only; -1 otherwise), alt: an Esc came right before. */
KeyEvent KeyFromChar(int byte866, int scan, int alt);
/* A curses function key (KEY_*, or an extended code with its keyname, e.g. "kHOM5"). */
KeyEvent KeyFromCurses(int code, const char *name, int alt);
/* Index of the break key the press matches (code and modifier set both equal), or -1.
   The list ends at a 0 element; at most max elements are looked at. */
int MatchBreakKey(const int *keys, int max, KeyEvent k);
int IsPlainKey(KeyEvent k, int vk); /* vk with no modifier held */

/* ---------------- code page 866 ---------------- */

/* Builds the byte-to-Unicode table with iconv; 0, or -1 when the conversion is missing
   (bytes above 127 then show as '?'). Safe to call more than once. */
int CharsetInit(void);
wchar_t Cp866ToWide(unsigned char b);
int WideToCp866(wchar_t w); /* -1 when the character has no code page 866 byte */

/* ---------------- menu model ---------------- */

struct MenuModel {
    const FarMenuItem *items;
    int count;
    FarDword flags;
    int cur;     /* item under the cursor; -1 when there is no selectable item */
    int top;     /* first item shown */
    int rows;    /* items shown at once */
    int *hotPos; /* per item: offset of its hotkey in Text, -1 none; null without hotkeys */
};

enum { MENU_GOING = 0, MENU_CHOSEN = 1, MENU_CANCELLED = 2, MENU_BREAK = 3 };

/* The cursor starts on the first item whose Selected is set, else on the first item. */
int MenuInit(MenuModel *m, const FarMenuItem *items, int count, FarDword flags, int rows);
void MenuFree(MenuModel *m);
/* Handles one key. MENU_CHOSEN: m->cur is the choice; MENU_BREAK: *breakIndex is set. */
int MenuKey(MenuModel *m, const int *breakKeys, KeyEvent k, int *breakIndex);
/* Text of an item as shown: '&' markers removed unless FMENU_SHOWAMPERSAND. */
void MenuItemLabel(const MenuModel *m, int i, char *out, size_t size, int *hotCol);

/* ---------------- dialog model ---------------- */

struct DialogModel {
    FarDialogItem *items;
    int count;
    int focus;    /* index of the focused item, -1 when none can take it */
    int editPos;  /* cursor in the focused edit field */
    int editLeft; /* first character of it shown */
};

enum { DIALOG_GOING = 0, DIALOG_CLOSED = 1 };
enum { EDIT_FIELD_MAX = 511 }; /* Data holds 512 bytes */

void DialogInit(DialogModel *d, FarDialogItem *items, int count);
/* Handles one key; DIALOG_CLOSED with *closeItem = the closing item or -1 (cancelled). */
int DialogKey(DialogModel *d, KeyEvent k, int *closeItem);
int IsFocusable(const FarDialogItem *it);
int EditFieldWidth(const FarDialogItem *it);

/* ---------------- editor model ---------------- */

enum EdEol { EOL_NONE = 0, EOL_LF = 1, EOL_CRLF = 2 };

struct EdLine {
    char *text;
    int len;
    int cap;
    int eol; /* EdEol: each line keeps the end it had in the file */
};

enum { TAB_SIZE = 8, NATIVE_PATH_SIZE = 4096, LINE_LIMIT = 1 << 24, EDIT_FILE_MAX = 1 << 28 };

struct EditorModel {
    EdLine *lines;
    int count; /* always at least 1 */
    int cap;
    int curLine, curPos; /* 0-based; curPos may lie beyond the end of its line */
    int top, left;       /* first line shown; first screen column shown */
    int width, height;   /* text window */
    int id;
    int modified;
    int crlf;                    /* new lines end with CR LF (as the first line of the file did) */
    int closing;                 /* asked to close; the editor's loop ends at its next turn */
    char path[NATIVE_PATH_SIZE]; /* native, absolute */
    char farName[NATIVE_PATH_SIZE]; /* the same with backslashes, for EditorInfo */
};

/* Loads the file at a native path: 0 loaded, 1 absent (an empty new buffer), -1 when it exists
   but cannot be read (not a regular file, no permission, over EDIT_FILE_MAX) or out of memory
   (nothing to free then). */
int EdLoad(EditorModel *e, const char *path, int width, int height);
void EdFree(EditorModel *e);
/* Writes the buffer back, keeping the file's mode. An existing file is replaced only when the
   user could write it in place; one with other hard links is written in place, so every name
   still shows the same file. 0, or -1 (the buffer stays modified, the file as it was). */
int EdSave(EditorModel *e);
void EdResize(EditorModel *e, int width, int height);
/* The host's Editor start position: line and column 1-based, 0 as 1, -1 = the top. */
void EdOpenAt(EditorModel *e, int startLine, int startChar);
void EdSetPosition(EditorModel *e, const EditorSetPosition *p);
void EdGetInfo(const EditorModel *e, EditorInfo *info);
/* ECTL_GETSTRING: 1 and the fields set, or 0 when the line does not exist. */
int EdGetString(const EditorModel *e, EditorGetString *gs);
/* Cursor and editing keys; 1 when the key was the editor's, 0 otherwise. Scrolls as needed. */
int EdKey(EditorModel *e, KeyEvent k);
int EdColumnOf(const EditorModel *e, int line, int pos);    /* screen column of a byte index */
int EdPosOfColumn(const EditorModel *e, int line, int col); /* byte index at a screen column */
void EdShowCursor(EditorModel *e);                          /* least scroll that shows the cursor */

/* Nested modal editors: the last one opened is the current one. */
enum { EDITOR_DEPTH_MAX = 32 };
struct EditorStack {
    EditorModel *open[EDITOR_DEPTH_MAX];
    int depth;
    int nextId;
};
int EdStackPush(EditorStack *s, EditorModel *e); /* sets e->id; -1 when too deep */
void EdStackPop(EditorStack *s);
EditorModel *EdStackTop(EditorStack *s);

/* ---------------- panel model ---------------- */

enum { PANEL_NAME_SIZE = 256 }; /* a longer name is left out: it could not be opened by name */

struct PanelEntry {
    char name[PANEL_NAME_SIZE];
    int isDir;
    long long size;
    time_t mtime;
};

struct PanelModel {
    PanelEntry *entries;
    int count;
    int cap;
    int cur, top;               /* entry under the cursor; first entry shown */
    char cwd[NATIVE_PATH_SIZE]; /* the directory listed: the process's current one */
};

/* Lists the current directory: ".." first (none at "/"), then directories, then files, each
   group in byte order of the names; "." is left out. The cursor goes to the entry named select
   (null or "": the first one). Out of memory: the entries read so far. */
void PanelLoad(PanelModel *p, const char *select);
void PanelReload(PanelModel *p); /* the same directory again, the cursor on the same name */
void PanelFree(PanelModel *p);
/* Cursor keys without modifiers; page: entries a page key moves. 1 when the key moved it. */
int PanelKey(PanelModel *p, KeyEvent k, int page);
void PanelShowCursor(PanelModel *p, int rows); /* least scroll that shows the cursor */
/* Makes the directory under the cursor the current one and lists it; going up, the cursor lands
   on the directory left. 0, or -1 when it cannot be entered (the panel stays as it was). */
int PanelEnterDir(PanelModel *p);

/* ---------------- paths ---------------- */

/* "\home\u\x.c" or "sub\x.c" (against the current directory) to an absolute native path. */
int FarToNativePath(const char *farPath, char *out, size_t size);
int NativeToFarPath(const char *native, char *out, size_t size);

/* ---------------- help file ---------------- */

/* Plain lines of one topic of a .hlf text ("Contents"): formatting marks removed, links kept
   as their text. Writes at most maxLines lines of lineSize bytes; returns how many, -1 when the
   topic is missing. */
int HelpTopicLines(const char *hlf, size_t hlfLen, const char *topic, char (*lines)[128],
                   int maxLines);

#endif
