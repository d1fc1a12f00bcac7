/* editor.cpp: the batch host's in-memory editors and the EditorControl commands the plugin uses. */
#include <stdio.h>
#include <string.h>

#include "batch/batch.h"
#include "common/regular.h"
#include "host/farapi.h"

/* a file the editor takes: more than this (or a file that keeps growing) is not read */
enum { EDIT_FILE_MAX = 1 << 28 };
enum { WINDOW_WIDTH = 80, WINDOW_HEIGHT = 24, TAB_SIZE = 8, EDITOR_NOT_MODIFIED = 2 };

static std::vector<BatchEditor> g_editors; /* the last one is current */
static std::vector<BatchEditorCall> g_editorCalls;
static int g_nextId = 1; /* ids as the test host gives them: 1, 2, ... */

static int Clamp(int v, int lo, int hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

void BatchResetEditors(void)
{
    g_editors.clear();
    g_editorCalls.clear();
    g_nextId = 1;
}

BatchEditor *BatchOpenEditor(const std::string &fileName, const std::vector<std::string> &lines,
                             int line, int col)
{
    BatchEditor e;
    e.id = g_nextId++;
    e.fileName = fileName;
    e.lines = lines;
    if (e.lines.empty()) e.lines.push_back(""); /* an editor always has a line */
    e.curLine = Clamp(line, 0, (int)e.lines.size() - 1);
    e.curPos = col < 0 ? 0 : col;
    e.topLine = e.curLine >= WINDOW_HEIGHT ? e.curLine - WINDOW_HEIGHT / 2 : 0;
    e.leftPos = 0;
    e.moves = 0;
    g_editors.push_back(e);
    return &g_editors.back();
}

BatchEditor *BatchCurrentEditor(void)
{
    return g_editors.empty() ? NULL : &g_editors.back();
}

int BatchLoadLines(const char *nativePath, std::vector<std::string> *lines)
{
    FILE *f = OpenRegularFile(nativePath, EDIT_FILE_MAX);
    if (f == NULL) return -1;
    lines->clear();
    std::string line;
    int c, ended = 1;
    long long read = 0;
    while ((c = getc(f)) != EOF) {
        if (++read > EDIT_FILE_MAX) {
            fclose(f);
            return -1;
        }
        ended = 0;
        if (c != '\r' && c != '\n') {
            line += (char)c;
            continue;
        }
        if (c == '\r') {
            int next = getc(f);
            if (next != '\n' && next != EOF) ungetc(next, f);
        }
        lines->push_back(line);
        line.clear();
        ended = 1;
    }
    if (!ended) lines->push_back(line);
    int failed = ferror(f);
    fclose(f);
    return failed ? -1 : 0;
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

static int GetString(BatchEditor *e, EditorGetString *egs)
{
    int n = egs->StringNumber < 0 ? e->curLine : egs->StringNumber;
    if (n >= (int)e->lines.size()) return 0;
    const std::string &line = e->lines[(size_t)n];
    egs->StringText = line.c_str();
    egs->StringEOL = (size_t)n + 1 < e->lines.size() ? "\r\n" : "";
    egs->StringLength = (int)line.size();
    egs->SelStart = -1;
    egs->SelEnd = 0;
    return 1;
}

static int GetInfo(const BatchEditor *e, EditorInfo *info)
{
    memset(info, 0, sizeof *info);
    info->EditorID = e->id;
    info->FileName = e->fileName.c_str();
    info->WindowSizeX = WINDOW_WIDTH;
    info->WindowSizeY = WINDOW_HEIGHT;
    info->TotalLines = (int)e->lines.size();
    info->CurLine = e->curLine;
    info->CurPos = e->curPos;
    info->CurTabPos = e->curPos;
    info->TopScreenLine = e->topLine;
    info->LeftPos = e->leftPos;
    info->BlockType = 0; /* no block */
    info->TabSize = TAB_SIZE;
    return 1;
}

/* -1 leaves a field as it is; the cursor stays on an existing line. */
static int SetPosition(BatchEditor *e, const EditorSetPosition *pos)
{
    if (pos->CurLine >= 0) e->curLine = Clamp(pos->CurLine, 0, (int)e->lines.size() - 1);
    if (pos->CurPos >= 0) e->curPos = pos->CurPos;
    else if (pos->CurTabPos >= 0) e->curPos = pos->CurTabPos;
    if (pos->TopScreenLine >= 0)
        e->topLine = Clamp(pos->TopScreenLine, 0, (int)e->lines.size() - 1);
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
        return param != NULL ? GetString(e, (EditorGetString *)param) : 0;
    case ECTL_GETINFO:
        return param != NULL ? GetInfo(e, (EditorInfo *)param) : 0;
    case ECTL_SETPOSITION:
        return param != NULL ? SetPosition(e, (const EditorSetPosition *)param) : 0;
    case ECTL_EDITORTOOEM: /* the text is the plugin's bytes already */
    case ECTL_REDRAW:
        return 1;
    case ECTL_QUIT:
        g_editors.pop_back();
        return 1;
    default:
        return 0;
    }
}
