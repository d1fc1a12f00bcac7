/* editor_ui.cpp: the host's modal Editor service and EditorControl, over the editor model. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wchar.h>

#include "base/text.h"
#include "term/draw_p.h"
#include "term/services_p.h"

static EditorStack g_editors;

/* The last text searched for (F7), for Shift+F7 and as the next prompt's start. */
static LineInput g_search;

/* F1 to F12; Shift+F7 and Alt+F8 have no place on it */
static const char *const EDITOR_KEYS[12] = {"Help",   "Save", "", "",     "",       "",
                                            "Search", "",     "", "Quit", "Plugin", ""};

static void DrawStatus(const EditorModel *e)
{
    int cols, rows;
    ScreenSize(&cols, &rows);
    char pos[64];
    FormatTruncated(pos, sizeof pos, "%c Line %d/%d Col %d ", e->modified ? '*' : ' ',
                    e->curLine + 1, e->count, EdColumnOf(e, e->curLine, e->curPos) + 1);
    int pw = (int)strlen(pos), room = cols - pw - 1;
    FillRect(0, 0, cols - 1, 0, CLR_STATUS);
    int n = (int)strlen(e->path);
    const char *shown = e->path + TextFitTail(e->path, n, room > 0 ? room : 0); /* the tail */
    if (room > 0) PutText(0, 0, shown, room, CLR_STATUS);
    PutText(cols - pw > 0 ? cols - pw : 0, 0, pos, pw, CLR_STATUS);
}

/* One line from column e->left: tabs to their stop, a character cut by either edge left blank,
   the bytes of the last match marked. */
static void DrawLine(const EditorModel *e, int line, int y)
{
    FillRect(0, y, e->width - 1, y, CLR_EDITOR);
    if (line >= e->count) return;
    const EdLine *l = &e->lines[line];
    const EdMatch &m = e->found;
    TextIter it;
    TextChar c;
    int col = 0, right = e->left + e->width;
    TextBegin(&it, l->text, l->len, e->cp866);
    while (col < right && TextNext(&it, &c)) {
        int tab = l->text[c.pos] == '\t',
            next = tab ? (col / TAB_SIZE + 1) * TAB_SIZE : col + c.cols;
        int color = m.line == line && c.pos >= m.pos && c.pos < m.pos + m.len ? CLR_EDITOR_FOUND
                                                                              : CLR_EDITOR;
        for (int x = col; x < next && x < right; x++) /* a marked tab, or a cut character */
            if (x >= e->left && (tab || col < e->left || next > right))
                PutWide(x - e->left, y, L' ', color);
        if (!tab && col >= e->left && next <= right) PutWide(col - e->left, y, c.glyph, color);
        col = next;
    }
}

static void DrawEditor(const EditorModel *e)
{
    DrawStatus(e);
    for (int r = 0; r < e->height; r++) DrawLine(e, e->top + r, 1 + r);
    DrawKeyBar(EDITOR_KEYS);
    int x = EdColumnOf(e, e->curLine, e->curPos) - e->left, y = e->curLine - e->top;
    ScreenShowCursor(x >= 0 && x < e->width && y >= 0 && y < e->height ? x : -1, 1 + y);
    ScreenFlush();
}

static void RedrawEditor(void *ctx);

static void EditorWindow(int *width, int *height)
{
    int cols, rows;
    ScreenSize(&cols, &rows);
    *width = cols;
    *height = rows - 2; /* the status line above, the key bar below */
}

static void ShowError(const char *line1, const char *line2)
{
    const char *items[] = {"Error", line1, line2, "&OK"};
    (void)MessageRun(FMSG_WARNING, NULL, items, 4, 1);
}

/* The editor at the screen's present size (a resize, also while the plugin works). */
static void RedrawEditor(void *ctx)
{
    EditorModel *e = (EditorModel *)ctx;
    int width, height;
    EditorWindow(&width, &height);
    EdResize(e, width, height);
    EdShowCursor(e);
    DrawEditor(e);
}

/* Saves the file, or says why it could not. 0 saved. */
static int SaveOrSay(EditorModel *e)
{
    if (EdSave(e) == 0) return 0;
    char reason[160];
    FormatTruncated(reason, sizeof reason, "Cannot save the file: %s", EdLoadFailure(errno));
    ShowError(reason, e->path);
    return -1;
}

int EditorAskClose(EditorModel *e)
{
    if (!e->modified) {
        e->closing = 1;
        return 1;
    }
    const char *items[] = {"Editor",       "The file has been modified", e->path, "&Save",
                           "Do &not save", "&Continue editing"};
    int rc = MessageRun(FMSG_WARNING, NULL, items, 6, 3);
    if (rc == 0 && SaveOrSay(e) != 0) return 0;
    if (rc != 0 && rc != 1) return 0;
    e->closing = 1;
    return 1;
}

/* A box with a title and a one-line field (dialog colours) over the editor; the text is shown
   as typed, in Unicode. 1 confirmed with Enter, 0 left with Esc or F10. */
static int Prompt(const char *title, LineInput *in)
{
    FarHandle under = ScreenSave();
    int result = -1;
    while (result < 0) {
        int cols, rows;
        ScreenSize(&cols, &rows);
        int w = cols - 8 < 60 ? cols - 8 : 60, x1 = (cols - w) / 2, y1 = (rows - 5) / 2;
        int field = w - 6 > 1 ? w - 6 : 1, left = in->pos >= field ? in->pos - field + 1 : 0;
        FillRect(x1, y1, x1 + w - 1, y1 + 4, CLR_DIALOG);
        DrawBox(x1 + 1, y1, x1 + w - 2, y1 + 4, CLR_DIALOG, 1);
        int tw = (int)strlen(title), tx = x1 + (w - tw) / 2; /* the host's own ASCII titles */
        PutText(tx - 1, y1, " ", 1, CLR_DIALOG);
        PutText(tx + PutText(tx, y1, title, w - 6, CLR_DIALOG), y1, " ", 1, CLR_DIALOG);
        FillRect(x1 + 3, y1 + 2, x1 + 2 + field, y1 + 2, CLR_EDIT);
        int x = 0, cursor = 0;
        for (int i = left; i < in->len && x < field; i++) {
            int cw = wcwidth((wchar_t)in->text[i]) == 2 ? 2 : 1;
            if (i == in->pos) cursor = x;
            if (x + cw > field) break;
            PutWide(x1 + 3 + x, y1 + 2, wcwidth((wchar_t)in->text[i]) < 1 ? 0xFFFD : in->text[i],
                    in->selected ? CLR_MENU_CUR : CLR_EDIT);
            x += cw;
        }
        if (in->pos >= in->len) cursor = x < field ? x : field - 1;
        ScreenShowCursor(x1 + 3 + cursor, y1 + 2);
        ScreenFlush();
        KeyEvent k = ReadKey();
        if (k.vk == VK_RESIZED) {
            ScreenRestore(under);
            under = ScreenSave();
        } else if (k.vk == VK_ESCAPE || IsPlainKey(k, VK_F(10))) {
            result = 0;
        } else if (k.vk == VK_RETURN) {
            result = 1;
        } else {
            (void)InputKey(in, k);
        }
    }
    ScreenRestore(under);
    return result;
}

/* The prompt's text as the plugin's kind of bytes: UTF-8 on a UTF-8 terminal, else code page
   866 ('?' for a character without a byte). */
static void InputBytes(const LineInput *in, char *out, size_t size)
{
    size_t o = 0;
    for (int i = 0; i < in->len; i++) {
        char b[4];
        int n = CharsetUtf8() ? Utf8Encode(in->text[i], b) : 1;
        if (!CharsetUtf8()) {
            int c = WideToCp866((wchar_t)in->text[i]);
            b[0] = (char)(c < 0 ? '?' : c);
        }
        if (o + (size_t)n >= size) break;
        memcpy(out + o, b, (size_t)n);
        o += (size_t)n;
    }
    out[o] = '\0';
}

/* F7 asks for the text and looks from the cursor on; Shift+F7 (again) from the character after
   it. Past the end the search goes on from the top. */
static void Search(EditorModel *e, int again)
{
    if (!again || g_search.len == 0) {
        LineInput in;
        InputInit(&in, g_search.text, g_search.len);
        if (!Prompt("Search", &in) || in.len == 0) return;
        g_search = in;
    }
    EdMatch m; /* a match starts a character: one byte on is past the cursor's */
    if (EdFind(e, g_search.text, g_search.len, e->curLine, e->curPos + (again ? 1 : 0), &m)) {
        EdShowMatch(e, &m);
        return;
    }
    char text[INPUT_MAX * 4 + 1];
    InputBytes(&g_search, text, sizeof text);
    const char *items[] = {"Search", "Could not find the string", text, "&OK"};
    (void)MessageRun(0, NULL, items, 4, 1);
}

static void GoToLine(EditorModel *e)
{
    LineInput in;
    InputInit(&in, NULL, 0);
    if (!Prompt("Go to line[,column]", &in)) return;
    char text[INPUT_MAX * 4 + 1];
    InputBytes(&in, text, sizeof text);
    (void)EdGoTo(e, text); /* anything but a number leaves the cursor where it was */
}

static void EditorKey(EditorModel *e, KeyEvent k)
{
    e->found.line = -1; /* a match stays marked until the next key */
    if (k.vk == VK_RESIZED) {
        RedrawEditor(e);
    } else if (IsPlainKey(k, VK_F(7)) || (k.vk == VK_F(7) && k.mods == PKF_SHIFT)) {
        Search(e, k.mods == PKF_SHIFT);
    } else if (k.vk == VK_F(8) && k.mods == PKF_ALT) {
        GoToLine(e);
    } else if (IsPlainKey(k, VK_F(2))) {
        (void)SaveOrSay(e);
    } else if (IsPlainKey(k, VK_ESCAPE) || IsPlainKey(k, VK_F(10))) {
        (void)EditorAskClose(e);
    } else if (IsPlainKey(k, VK_F(11))) {
        PluginMenuFrom(OPEN_EDITOR);
    } else if (IsPlainKey(k, VK_F1)) {
        HelpShow("Contents");
    } else {
        (void)EdKey(e, k);
    }
}

/* Where a path the plugin gives lies on this machine, links and ".." resolved when it exists. */
static int ResolveEditorPath(const char *fileName, char *out, size_t size)
{
    char native[NATIVE_PATH_SIZE];
    if (FarToNativePath(fileName, native, sizeof native) != 0) return -1;
    char *real = realpath(native, NULL);
    int rc = CopyTruncated(out, size, real ? real : native) ? -1 : 0;
    free(real);
    return rc;
}

static EditorModel *OpenModel(const char *fileName)
{
    char path[NATIVE_PATH_SIZE];
    int width, height;
    EditorWindow(&width, &height);
    EditorModel *e = (EditorModel *)malloc(sizeof *e);
    errno = 0;
    if (!e || ResolveEditorPath(fileName, path, sizeof path) != 0 ||
        EdLoad(e, path, width, height) < 0) {
        char reason[160];
        FormatTruncated(reason, sizeof reason, "Cannot open the file: %s", EdLoadFailure(errno));
        free(e);
        ShowError(reason, fileName);
        return NULL;
    }
    if (g_editors.depth == 0 && g_editors.nextId == 0) /* ids of an earlier run never recur */
        g_editors.nextId = (int)(((unsigned)time(NULL) ^ (unsigned)getpid()) & 0x3FFF) << 16 | 1;
    if (EdStackPush(&g_editors, e) != 0) {
        EdFree(e);
        free(e);
        ShowError("Too many editors are open", fileName);
        return NULL;
    }
    return e;
}

/* No one is left to ask: changes not saved go to a file of their own, and the program says
   where once the screen is closed. */
static void KeepUnsaved(const EditorModel *e)
{
    if (!e->modified) return;
    char copy[NATIVE_PATH_SIZE], note[2 * NATIVE_PATH_SIZE + 64];
    if (EdSaveCopy(e, copy, sizeof copy) == 0)
        FormatTruncated(note, sizeof note, "the unsaved changes to %s are in %s", e->path, copy);
    else
        FormatTruncated(note, sizeof note, "the unsaved changes to %s are lost: %s", e->path,
                        strerror(errno));
    ScreenNoteAtClose(note);
}

int EditorRun(const char *fileName, int startLine, int startChar)
{
    if (!fileName) return 0;
    EditorModel *e = OpenModel(fileName);
    if (!e) return 0;
    EdOpenAt(e, startLine, startChar);
    FarHandle under = ScreenSave();
    ScreenOwner before = ScreenSetOwner({RedrawEditor, e});
    int everModified = 0;
    while (!e->closing) {
        DrawEditor(e);
        KeyEvent k = ReadKey();
        if (ScreenInputGone()) {
            KeepUnsaved(e);
            break;
        }
        EditorKey(e, k);
        everModified |= e->modified;
    }
    (void)ScreenSetOwner(before);
    EdStackPop(&g_editors);
    EdFree(e);
    free(e);
    ScreenRestore(under);
    return everModified ? 1 : 2;
}

int EditorCommand(int command, void *param)
{
    EditorModel *e = EdStackTop(&g_editors);
    if (!e) return 0;
    switch (command) {
    case ECTL_GETSTRING: return param ? EdGetString(e, (EditorGetString *)param) : 0;
    case ECTL_GETINFO:
        if (!param) return 0;
        EdGetInfo(e, (EditorInfo *)param);
        return 1;
    case ECTL_SETPOSITION:
        if (!param) return 0;
        EdSetPosition(e, (const EditorSetPosition *)param);
        return 1;
    case ECTL_REDRAW: DrawEditor(e); return 1;
    case ECTL_EDITORTOOEM: return param ? 1 : 0; /* the editor shows code page 866 bytes */
    case ECTL_QUIT: (void)EditorAskClose(e); return 1;
    default: return 0;
    }
}
