/* editor_ui.cpp: the host's modal Editor service and EditorControl, over the editor model. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "base/text.h"
#include "term/draw_p.h"
#include "term/services_p.h"

static EditorStack g_editors;

static const char *const EDITOR_KEYS[12] = {"Help", "Save", "", "",     "",       "",
                                            "",     "",     "", "Quit", "Plugin", ""};

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
    const char *shown = n > room && room > 0 ? e->path + (n - room) : e->path; /* keep the tail */
    if (room > 0) PutText(0, 0, shown, room, CLR_STATUS);
    PutText(cols - pw > 0 ? cols - pw : 0, 0, pos, pw, CLR_STATUS);
}

static void DrawLine(const EditorModel *e, int line, int y)
{
    FillRect(0, y, e->width - 1, y, CLR_EDITOR);
    if (line >= e->count) return;
    const EdLine *l = &e->lines[line];
    int col = 0;
    for (int i = 0; i < l->len && col < e->left + e->width; i++) {
        int next = l->text[i] == '\t' ? (col / TAB_SIZE + 1) * TAB_SIZE : col + 1;
        if (l->text[i] != '\t' && col >= e->left)
            PutTextN(col - e->left, y, l->text + i, 1, 1, CLR_EDITOR);
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

static void EditorWindow(int *width, int *height)
{
    int cols, rows;
    ScreenSize(&cols, &rows);
    *width = cols;
    *height = rows - 2; /* the status line above, the key bar below */
}

static void ShowError(const char *line1, const char *line2)
{
    const char *items[] = {"Error", line1, line2, "Ok"};
    (void)MessageRun(FMSG_WARNING, NULL, items, 4, 1);
}

int EditorAskClose(EditorModel *e)
{
    if (!e->modified) {
        e->closing = 1;
        return 1;
    }
    const char *items[] = {
        "Editor", "The file has been modified", e->path, "Save", "Do not save", "Continue editing"};
    int rc = MessageRun(FMSG_WARNING, NULL, items, 6, 3);
    if (rc == 0 && EdSave(e) != 0) {
        ShowError("Cannot save the file", e->path);
        return 0;
    }
    if (rc != 0 && rc != 1) return 0;
    e->closing = 1;
    return 1;
}

static void EditorKey(EditorModel *e, KeyEvent k)
{
    int width, height;
    if (k.vk == 0 && k.ch < 0) { /* resized */
        EditorWindow(&width, &height);
        EdResize(e, width, height);
        EdShowCursor(e);
    } else if (IsPlainKey(k, VK_F(2))) {
        if (EdSave(e) != 0) ShowError("Cannot save the file", e->path);
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
        FormatTruncated(reason, sizeof reason, "Cannot open the file: %s",
                        errno == EINVAL ? "not a regular file" : strerror(errno));
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

int EditorRun(const char *fileName, int startLine, int startChar)
{
    if (!fileName) return 0;
    EditorModel *e = OpenModel(fileName);
    if (!e) return 0;
    EdOpenAt(e, startLine, startChar);
    FarHandle under = ScreenSave();
    int everModified = 0;
    while (!e->closing) {
        DrawEditor(e);
        EditorKey(e, ReadKey());
        everModified |= e->modified;
    }
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
