/* editor.cpp: the batch host's in-memory editors and the EditorControl commands the plugin uses. */
#include <stdio.h>
#include <string.h>

#include "batch/batch.h"
#include "common/regular.h"
#include "host/farapi.h"

/* a file the editor takes: more than this (or a file that keeps growing) is not read */
enum { EDIT_FILE_MAX = 1 << 28 };
enum { EDITOR_NOT_MODIFIED = 2 };

static EditStack<BatchEditor> g_editors; /* ids as the test host gives them: 1, 2, ... */
static std::vector<BatchEditorCall> g_editorCalls;

void BatchResetEditors(void)
{
    g_editors.Reset();
    g_editorCalls.clear();
}

BatchEditor *BatchOpenEditor(const std::string &fileName, const std::vector<std::string> &lines,
                             int line, int col)
{
    BatchEditor *e = g_editors.Push(fileName, lines);
    e->curLine = ClampToLines(*e, line);
    e->curPos = col < 0 ? 0 : col;
    e->topLine = e->curLine >= e->height ? e->curLine - e->height / 2 : 0;
    return e;
}

BatchEditor *BatchCurrentEditor(void)
{
    return g_editors.Top();
}

int BatchLoadLines(const char *nativePath, std::vector<std::string> *lines)
{
    FILE *f = OpenRegularFile(nativePath, EDIT_FILE_MAX);
    if (f == NULL) return -1;
    std::string text;
    char buf[8192];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
        if (text.size() + n > (size_t)EDIT_FILE_MAX) { /* still growing past the limit */
            fclose(f);
            return -1;
        }
        text.append(buf, n);
    }
    int failed = ferror(f);
    fclose(f);
    if (failed) return -1;
    *lines = SplitEditLines(text);
    if (lines->back().empty()) lines->pop_back(); /* the last line end starts no line */
    return 0;
}

const std::vector<BatchEditorCall> &BatchEditorCalls(void)
{
    return g_editorCalls;
}

int BatchEditorOpenCall(const char *fileName, int startLine, int startChar)
{
    g_editorCalls.push_back({fileName != NULL ? fileName : "", startLine, startChar});
    return EDITOR_NOT_MODIFIED; /* opened and closed at once */
}

/* -1 leaves a field as it is; the cursor stays on an existing line. */
static int SetPosition(BatchEditor *e, const EditorSetPosition *pos)
{
    if (pos->CurLine >= 0) e->curLine = ClampToLines(*e, pos->CurLine);
    if (pos->CurPos >= 0) e->curPos = pos->CurPos;
    else if (pos->CurTabPos >= 0) e->curPos = pos->CurTabPos;
    if (pos->TopScreenLine >= 0) e->topLine = ClampToLines(*e, pos->TopScreenLine);
    if (pos->LeftPos >= 0) e->leftPos = pos->LeftPos;
    e->moves++;
    return 1;
}

int BatchEditorControl(int command, void *param)
{
    BatchEditor *e = BatchCurrentEditor();
    if (e == NULL) return 0;
    switch (command) {
    case ECTL_GETSTRING:
        return param != NULL ? FillEditBufferString(*e, (EditorGetString *)param) : 0;
    case ECTL_GETINFO:
        if (param != NULL) FillEditBufferInfo(*e, (EditorInfo *)param);
        return param != NULL;
    case ECTL_SETPOSITION:
        return param != NULL ? SetPosition(e, (const EditorSetPosition *)param) : 0;
    case ECTL_EDITORTOOEM: /* the text is the plugin's bytes already */
    case ECTL_REDRAW: return 1;
    case ECTL_QUIT: g_editors.Pop(); return 1;
    default: return 0;
    }
}
