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
    VK_F12 = 0x7B,
    VK_RESIZED = -1 /* not a key: the terminal changed its size */
};
#define VK_F(n) (VK_F1 + (n)-1)

/* One key press as the real host sees it: virtual key, modifier set (PKF_* bits), and the
   code page 866 byte it types (-1 for keys that type nothing). vk 0 = nothing to report, unless
   wch is set: the Unicode character typed (0 none), which the host's own editor and prompts
   take even when code page 866 has no byte for it. */
struct KeyEvent {
    int vk;
    int mods;
    int ch;
    int wch;
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

/* ---------------- code page 866 and UTF-8 ---------------- */

wchar_t Cp866ToWide(unsigned char b);
int WideToCp866(wchar_t w);          /* -1 when the character has no code page 866 byte */
int Utf8Encode(int cp, char out[4]); /* the bytes of a code point; 0 when it has none */

/* Text as shown. Off (the default, and on a terminal whose locale is not UTF-8) every byte
   shows as code page 866. On, each run of bytes above 127 (between ASCII bytes) shows as UTF-8
   when the whole run is valid UTF-8, else as code page 866; except that a text which holds code
   page 866 letters that are not UTF-8 (a Russian message, a code page 866 file) shows its runs
   made only of such letters as code page 866 too: "уже" in code page 866 is also valid UTF-8.
   Bytes never change; only what they look like. */
void CharsetSetUtf8(int on);
int CharsetUtf8(void);
/* Whether the text holds code page 866 letters outside valid UTF-8 (see above); whether such
   runs outnumber the runs that can only be UTF-8 (a file written in code page 866). */
int TextHasCp866Letters(const char *s, int len);
int TextLooksCp866(const char *s, int len);

struct TextChar {
    int pos;       /* byte index of its first byte */
    int bytes;     /* bytes it takes: 1, or 2 to 4 for a UTF-8 sequence */
    int cp;        /* its code point (an ASCII control byte is itself) */
    wchar_t glyph; /* what its cell shows: '.' for a control byte, U+FFFD for a character that
                      takes no column of its own (a combining mark, a byte-order mark) */
    int cols;      /* columns: 1, or 2 for a wide character */
};
struct TextIter {
    const unsigned char *s;
    int len, pos;
    int cp866;           /* runs of letters only show as code page 866 */
    int runEnd, runUtf8; /* the run of bytes above 127 at hand */
};
/* cp866: the caller knows the text belongs with code page 866 letters (an editor's file that
   holds them); otherwise the text's own bytes decide. */
void TextBegin(TextIter *it, const char *s, int len, int cp866);
int TextNext(TextIter *it, TextChar *c); /* 0 at the end */
int TextColumns(const char *s, int len);
/* Byte index where the text's first maxCols columns end (a wide character that would not fit
   is left out), and where its last maxCols columns begin. */
int TextFitHead(const char *s, int len, int maxCols);
int TextFitTail(const char *s, int len, int maxCols);

/* Hot keys of menus, dialogs and message boxes: in a control's text the first '&' that is not
   doubled marks the next character, and is not shown; "&&" shows one '&'. LabelStrip writes the
   text as shown and returns the byte index of the hot character in it, or -1. */
int LabelStrip(const char *s, char *out, size_t size);
int LabelHotKey(const char *s); /* its hot character, folded as HotKeyOf folds; -1 none */
/* A code page 866 byte in upper case (Latin and Cyrillic letters), for matching hot keys. */
int FoldHotKey(int byte);
/* The character a press chooses a hot key by: what it types, else the letter or digit held
   with Alt; folded; -1 for other keys and for anything with Ctrl. */
int HotKeyOf(KeyEvent k);

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

enum EdEol { EOL_NONE = 0, EOL_LF = 1, EOL_CRLF = 2, EOL_CR = 3 };

struct EdLine {
    char *text;
    int len;
    int cap;
    int eol; /* EdEol: each line keeps the end it had in the file */
};

enum { TAB_SIZE = 8, NATIVE_PATH_SIZE = 4096, LINE_LIMIT = 1 << 24, EDIT_FILE_MAX = 1 << 28 };

struct EdMatch {
    int line, pos, len; /* a found text: its line, first byte and bytes; line -1 none */
};

struct EditorModel {
    EdLine *lines;
    int count; /* always at least 1 */
    int cap;
    int curLine, curPos; /* 0-based; curPos may lie beyond the end of its line */
    int top, left;       /* first line shown; first screen column shown */
    int width, height;   /* text window */
    int id;
    int modified;
    int newEol;    /* EdEol the lines the user adds end with: the first line's (LF if none) */
    int closing;   /* asked to close; the editor's loop ends at its next turn */
    int cp866;     /* the file looked written in code page 866 when it was opened (TextLooksCp866):
                      its runs of letters show as code page 866 (TextBegin), typed letters go in
                      as its bytes */
    EdMatch found; /* the last match of a search, shown marked until the next key */
    char path[NATIVE_PATH_SIZE];    /* native, absolute */
    char farName[NATIVE_PATH_SIZE]; /* the same with backslashes, for EditorInfo */
};

/* Loads the file at a native path: 0 loaded, 1 absent (an empty new buffer), -1 when it exists
   but cannot be read (not a regular file, no permission, over EDIT_FILE_MAX) or out of memory
   (nothing to free then). */
int EdLoad(EditorModel *e, const char *path, int width, int height);
/* Why EdLoad or EdSave failed, from the errno it left: a text for the user. */
const char *EdLoadFailure(int err);
void EdFree(EditorModel *e);
/* Writes the buffer back (through a symbolic link to its target), keeping the file's owner,
   group and mode. An existing file is replaced only when the user could write it in place; it
   is written in place when it has other hard links (every name still shows the same file) or
   another owner, or when no file with its group can be made beside it (a directory the user
   cannot write, a group the user is not in). A write in place that fails leaves the old bytes.
   0, or -1 with errno saying why (the buffer stays modified, the file as it was). */
int EdSave(EditorModel *e);
/* For an editor that must close without asking: the buffer to a new file of the user's alone
   (mode 0600) beside the file, PATH.zolt-unsaved-XXXXXX, else of that name (or zolt-unsaved-
   XXXXXX when it is too long) in TMPDIR, else in /tmp.
   0 and its name in out, or -1 with errno. */
int EdSaveCopy(const EditorModel *e, char *out, size_t size);
void EdResize(EditorModel *e, int width, int height);
/* The host's Editor start position: line and column 1-based, 0 as 1, -1 = the top. */
void EdOpenAt(EditorModel *e, int startLine, int startChar);
void EdSetPosition(EditorModel *e, const EditorSetPosition *p);
void EdGetInfo(const EditorModel *e, EditorInfo *info);
/* ECTL_GETSTRING: 1 and the fields set, or 0 when the line does not exist. */
int EdGetString(const EditorModel *e, EditorGetString *gs);
/* Cursor and editing keys; 1 when the key was the editor's, 0 otherwise. Scrolls as needed.
   The cursor moves, and Backspace and Del delete, by whole characters as shown (TextNext); a
   typed character goes in as UTF-8, or as its code page 866 byte in a file marked cp866 or on a
   terminal that does not show UTF-8 (dropped when it has none). The plugin's positions stay
   byte indexes; one inside a character counts as that character's start. */
int EdKey(EditorModel *e, KeyEvent k);
/* The screen column of a byte index (the editor's column: tabs to their stop, a wide character
   two columns), and the byte index of the character at a screen column. */
int EdColumnOf(const EditorModel *e, int line, int pos);
int EdPosOfColumn(const EditorModel *e, int line, int col);
void EdShowCursor(EditorModel *e); /* least scroll that shows the cursor */

/* Search: text is n code points, matched against the characters as shown, case ignored. Looks
   from byte fromPos of fromLine to the end, then from the top back to where it started; 1 and
   the match, or 0. */
int EdFind(const EditorModel *e, const int *text, int n, int fromLine, int fromPos, EdMatch *m);
/* Moves the cursor to the match and marks it; off screen, its line comes near mid-window. */
void EdShowMatch(EditorModel *e, const EdMatch *m);
/* Go to line: "LINE" or "LINE,COL" (1-based, COL a screen column as the status line counts);
   a line past the end is the last. 0 when the text is not of that form (nothing moves). */
int EdGoTo(EditorModel *e, const char *text);

/* A one-line prompt's text in code points: typing (any character, code page 866 or not),
   Left, Right, Home, End, Backspace, Del. The text it starts with is selected: typing replaces
   it, Backspace or Del clears it, a cursor key keeps it. */
enum { INPUT_MAX = 256 };
struct LineInput {
    int text[INPUT_MAX];
    int len, pos;
    int selected;
};
void InputInit(LineInput *in, const int *text, int n);
int InputKey(LineInput *in, KeyEvent k); /* 1 when the key was the prompt's */

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
/* A link of a topic: its text at column (bytes) of line in the plain lines, and its topic. */
struct HelpLink {
    int line, column, length;
    char topic[64];
};
/* HelpTopicLines, and the topic's links in the order they come, at most maxLinks into links
   (null: none), their number in *linkCount (null: not wanted). */
int HelpTopicPage(const char *hlf, size_t hlfLen, const char *topic, char (*lines)[128],
                  int maxLines, HelpLink *links, int maxLinks, int *linkCount);

#endif
