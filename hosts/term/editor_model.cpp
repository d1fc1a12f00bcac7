/* editor_model.cpp: the host's editor without the drawing: the line buffer, cursor and window,
   positioning as the plugin asks for it, editing keys, loading and saving. */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"
#include "common/regular.h"
#include "term/model_p.h"

static int Clamp(int v, int lo, int hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

/* Makes room for at least need bytes in the line; 0, or -1 without memory. */
static int Reserve(EdLine *l, int need)
{
    if (need <= l->cap) return 0;
    if (need > LINE_LIMIT) return -1;
    int cap = l->cap < 16 ? 16 : l->cap;
    while (cap < need) cap = cap > LINE_LIMIT / 2 ? LINE_LIMIT : cap * 2;
    char *p = (char *)realloc(l->text, (size_t)cap);
    if (!p) return -1;
    l->text = p;
    l->cap = cap;
    return 0;
}

/* Inserts an empty line before index at; 0, or -1 without memory. */
static int InsertLine(EditorModel *e, int at)
{
    if (e->count == e->cap) {
        int cap = e->cap < 64 ? 64 : e->cap * 2;
        EdLine *p = (EdLine *)realloc(e->lines, (size_t)cap * sizeof *p);
        if (!p) return -1;
        e->lines = p;
        e->cap = cap;
    }
    memmove(e->lines + at + 1, e->lines + at, (size_t)(e->count - at) * sizeof *e->lines);
    memset(&e->lines[at], 0, sizeof e->lines[at]);
    e->count++;
    return 0;
}

static void RemoveLine(EditorModel *e, int at)
{
    free(e->lines[at].text);
    memmove(e->lines + at, e->lines + at + 1, (size_t)(e->count - at - 1) * sizeof *e->lines);
    e->count--;
}

static int AppendBytes(EdLine *l, const char *p, int n)
{
    if (n <= 0) return 0;
    if (Reserve(l, l->len + n) != 0) return -1;
    memcpy(l->text + l->len, p, (size_t)n);
    l->len += n;
    return 0;
}

/* Splits the file's bytes into lines, each with its own end; a CR stays text unless a LF
   follows it. The first line's end is the style of lines the user adds. */
static int SplitLines(EditorModel *e, const char *buf, size_t size)
{
    size_t start = 0;
    e->crlf = 0;
    for (size_t i = 0; i <= size; i++) {
        if (i < size && buf[i] != '\n') continue;
        if (i == size && start == size && e->count > 0) break; /* ended with a line end */
        size_t end = i;
        int eol = i == size ? EOL_NONE : EOL_LF;
        if (eol == EOL_LF && end > start && buf[end - 1] == '\r') {
            eol = EOL_CRLF;
            end--;
        }
        if (start == 0) e->crlf = eol == EOL_CRLF;
        if (end - start > (size_t)LINE_LIMIT) return -1;
        if (InsertLine(e, e->count) != 0) return -1;
        if (AppendBytes(&e->lines[e->count - 1], buf + start, (int)(end - start)) != 0) return -1;
        e->lines[e->count - 1].eol = eol;
        start = i + 1;
    }
    return 0;
}

/* The whole file, at most EDIT_FILE_MAX bytes (a file still growing is cut off there). */
static char *ReadWholeFile(FILE *f, size_t *size)
{
    size_t cap = 65536, n = 0;
    char *buf = (char *)malloc(cap);
    while (buf) {
        n += fread(buf + n, 1, cap - n, f);
        if (n < cap) break;
        char *bigger = cap >= (size_t)EDIT_FILE_MAX ? NULL : (char *)realloc(buf, cap * 2);
        if (!bigger) {
            free(buf);
            return NULL;
        }
        buf = bigger;
        cap *= 2;
    }
    if (buf && ferror(f)) {
        free(buf);
        return NULL;
    }
    *size = n;
    return buf;
}

int EdLoad(EditorModel *e, const char *path, int width, int height)
{
    memset(e, 0, sizeof *e);
    EdResize(e, width, height);
    CopyTruncated(e->path, sizeof e->path, path);
    if (NativeToFarPath(e->path, e->farName, sizeof e->farName) != 0) return -1;
    FILE *f = OpenRegularFile(path, EDIT_FILE_MAX);
    /* Only a file that is not there is new: one that exists but cannot be read would be
       saved over with the empty buffer. */
    if (!f && errno != ENOENT) return -1;
    size_t size = 0;
    char *buf = NULL;
    if (f) {
        buf = ReadWholeFile(f, &size);
        fclose(f);
        if (!buf) return -1;
    }
    int rc = SplitLines(e, buf ? buf : "", size);
    free(buf);
    if (rc != 0) {
        EdFree(e);
        return -1;
    }
    return f ? 0 : 1;
}

void EdFree(EditorModel *e)
{
    for (int i = 0; i < e->count; i++) free(e->lines[i].text);
    free(e->lines);
    e->lines = NULL;
    e->count = e->cap = 0;
}

static const char *EolText(int eol)
{
    return eol == EOL_CRLF ? "\r\n" : eol == EOL_LF ? "\n" : "";
}

/* The bytes of the buffer to fd; 0, or -1 on a short write. */
static int WriteLines(const EditorModel *e, int fd)
{
    for (int i = 0; i < e->count; i++) {
        const EdLine *l = &e->lines[i];
        const char *eol = EolText(l->eol);
        size_t n = strlen(eol);
        if (l->len > 0 && write(fd, l->text, (size_t)l->len) != (ssize_t)l->len) return -1;
        if (n > 0 && write(fd, eol, n) != (ssize_t)n) return -1;
    }
    return 0;
}

/* Rewrites the file itself: its inode, owner, mode and other names stay. Bytes past the new
   end are cut only after everything was written. */
static int SaveInPlace(const EditorModel *e)
{
    int fd = open(e->path, O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    int rc = WriteLines(e, fd);
    off_t end = lseek(fd, 0, SEEK_CUR);
    if (rc == 0 && (end < 0 || ftruncate(fd, end) != 0)) rc = -1;
    if (close(fd) != 0) rc = -1;
    return rc;
}

/* Writes a new file beside the old one and renames it over: a failed write loses nothing. The
   temporary file is created exclusively, so a link planted under its name is never followed. */
static int SaveByRename(const EditorModel *e, mode_t mode)
{
    char tmp[NATIVE_PATH_SIZE];
    if (!JoinIfFits(tmp, sizeof tmp, e->path, ".zolt-save-XXXXXX")) return -1;
    int fd = mkstemp(tmp);
    if (fd < 0) return -1;
    int rc = fchmod(fd, mode) == 0 ? WriteLines(e, fd) : -1;
    if (close(fd) != 0) rc = -1;
    if (rc == 0 && rename(tmp, e->path) != 0) rc = -1;
    if (rc != 0) unlink(tmp);
    return rc;
}

int EdSave(EditorModel *e)
{
    struct stat sb;
    int rc;
    if (stat(e->path, &sb) != 0) {
        if (errno != ENOENT) return -1;
        mode_t mask = umask(0);
        umask(mask);
        rc = SaveByRename(e, 0666 & ~mask);
    } else if (!S_ISREG(sb.st_mode) || access(e->path, W_OK) != 0) {
        rc = -1; /* a file the user could not write in place is not replaced either */
    } else if (sb.st_nlink > 1 || sb.st_uid != geteuid()) {
        rc = SaveInPlace(e); /* a new file would split the links or change the owner */
    } else {
        rc = SaveByRename(e, sb.st_mode & 07777);
    }
    if (rc == 0) e->modified = 0;
    return rc;
}

void EdResize(EditorModel *e, int width, int height)
{
    e->width = width < 1 ? 1 : width;
    e->height = height < 1 ? 1 : height;
}

int EdColumnOf(const EditorModel *e, int line, int pos)
{
    const EdLine *l = &e->lines[Clamp(line, 0, e->count - 1)];
    int col = 0, i;
    for (i = 0; i < pos && i < l->len; i++)
        col = l->text[i] == '\t' ? (col / TAB_SIZE + 1) * TAB_SIZE : col + 1;
    return col + (pos > i ? pos - i : 0);
}

int EdPosOfColumn(const EditorModel *e, int line, int col)
{
    const EdLine *l = &e->lines[Clamp(line, 0, e->count - 1)];
    int c = 0;
    for (int i = 0; i < l->len; i++) {
        int next = l->text[i] == '\t' ? (c / TAB_SIZE + 1) * TAB_SIZE : c + 1;
        if (next > col) return i;
        c = next;
    }
    return l->len + (col > c ? col - c : 0);
}

void EdShowCursor(EditorModel *e)
{
    if (e->curLine < e->top) e->top = e->curLine;
    if (e->curLine >= e->top + e->height) e->top = e->curLine - e->height + 1;
    int col = EdColumnOf(e, e->curLine, e->curPos);
    if (col < e->left) e->left = col;
    if (col >= e->left + e->width) e->left = col - e->width + 1;
}

void EdOpenAt(EditorModel *e, int startLine, int startChar)
{
    e->curLine = Clamp(startLine >= 1 ? startLine - 1 : 0, 0, e->count - 1);
    e->curPos = startChar >= 1 && startLine != -1 ? EdPosOfColumn(e, e->curLine, startChar - 1) : 0;
    e->top = e->curLine >= e->height ? e->curLine - e->height / 2 : 0;
    e->left = 0;
    EdShowCursor(e);
}

void EdSetPosition(EditorModel *e, const EditorSetPosition *p)
{
    if (p->CurLine >= 0) e->curLine = Clamp(p->CurLine, 0, e->count - 1);
    if (p->CurPos >= 0) e->curPos = Clamp(p->CurPos, 0, LINE_LIMIT);
    else if (p->CurTabPos >= 0) e->curPos = EdPosOfColumn(e, e->curLine, p->CurTabPos);
    if (p->TopScreenLine >= 0) e->top = Clamp(p->TopScreenLine, 0, e->count - 1);
    if (p->LeftPos >= 0) e->left = Clamp(p->LeftPos, 0, LINE_LIMIT);
    int offScreen = e->curLine < e->top || e->curLine >= e->top + e->height;
    if (offScreen && p->TopScreenLine < 0) /* the host chooses: the line near mid-window */
        e->top = e->curLine - e->height / 2 < 0 ? 0 : e->curLine - e->height / 2;
    EdShowCursor(e);
}

void EdGetInfo(const EditorModel *e, EditorInfo *info)
{
    memset(info, 0, sizeof *info);
    info->EditorID = e->id;
    info->FileName = e->farName;
    info->WindowSizeX = e->width;
    info->WindowSizeY = e->height;
    info->TotalLines = e->count;
    info->CurLine = e->curLine;
    info->CurPos = e->curPos;
    info->CurTabPos = EdColumnOf(e, e->curLine, e->curPos);
    info->TopScreenLine = e->top;
    info->LeftPos = e->left;
    info->TableNum = -1;
    info->Options = 0x40; /* the cursor may stand beyond the end of a line */
    info->TabSize = TAB_SIZE;
    info->CurState = e->modified ? 1 : 0;
}

int EdGetString(const EditorModel *e, EditorGetString *gs)
{
    int n = gs->StringNumber == -1 ? e->curLine : gs->StringNumber;
    if (n < 0 || n >= e->count) return 0;
    const EdLine *l = &e->lines[n];
    gs->StringText = l->text ? l->text : "";
    gs->StringLength = l->len;
    gs->StringEOL = EolText(l->eol);
    gs->SelStart = -1;
    gs->SelEnd = 0;
    return 1;
}

/* ---- editing ---- */

static int TypeChar(EditorModel *e, char c)
{
    EdLine *l = &e->lines[e->curLine];
    int at = e->curPos, pad = at > l->len ? at - l->len : 0;
    if (Reserve(l, l->len + pad + 1) != 0) return -1;
    memset(l->text + l->len, ' ', (size_t)pad); /* typing beyond the end fills with blanks */
    l->len += pad;
    memmove(l->text + at + 1, l->text + at, (size_t)(l->len - at));
    l->text[at] = c;
    l->len++;
    e->curPos++;
    e->modified = 1;
    return 0;
}

static int SplitAtCursor(EditorModel *e)
{
    if (InsertLine(e, e->curLine + 1) != 0) return -1;
    EdLine *l = &e->lines[e->curLine];
    int at = e->curPos < l->len ? e->curPos : l->len;
    const char *tail = l->text ? l->text + at : "";
    if (AppendBytes(&e->lines[e->curLine + 1], tail, l->len - at) != 0) {
        RemoveLine(e, e->curLine + 1);
        return -1;
    }
    l->len = at;
    /* the tail keeps the line's end; a last line without one gets the file's style */
    e->lines[e->curLine + 1].eol = l->eol;
    if (l->eol == EOL_NONE) l->eol = e->crlf ? EOL_CRLF : EOL_LF;
    e->curLine++;
    e->curPos = 0;
    e->modified = 1;
    return 0;
}

/* Appends line n+1 to line n and removes it. */
static int JoinWithNext(EditorModel *e, int n)
{
    if (n + 1 >= e->count) return 0;
    EdLine *next = &e->lines[n + 1];
    if (AppendBytes(&e->lines[n], next->text, next->len) != 0) return -1;
    e->lines[n].eol = next->eol;
    RemoveLine(e, n + 1);
    e->modified = 1;
    return 0;
}

static void Backspace(EditorModel *e)
{
    EdLine *l = &e->lines[e->curLine];
    if (e->curPos > l->len) {
        e->curPos--;
    } else if (e->curPos > 0) {
        memmove(l->text + e->curPos - 1, l->text + e->curPos, (size_t)(l->len - e->curPos));
        l->len--;
        e->curPos--;
        e->modified = 1;
    } else if (e->curLine > 0) {
        int at = e->lines[e->curLine - 1].len;
        if (JoinWithNext(e, e->curLine - 1) == 0) {
            e->curLine--;
            e->curPos = at;
        }
    }
}

static void DeleteChar(EditorModel *e)
{
    EdLine *l = &e->lines[e->curLine];
    if (e->curPos < l->len) {
        memmove(l->text + e->curPos, l->text + e->curPos + 1, (size_t)(l->len - e->curPos - 1));
        l->len--;
        e->modified = 1;
    } else {
        (void)JoinWithNext(e, e->curLine); /* without memory the lines simply stay apart */
    }
}

/* page: the window moves with the cursor, as far as the cursor moved */
static void MoveVertically(EditorModel *e, int delta, int page)
{
    int col = EdColumnOf(e, e->curLine, e->curPos);
    int line = Clamp(e->curLine + delta, 0, e->count - 1);
    if (page) e->top = Clamp(e->top + (line - e->curLine), 0, e->count - 1);
    e->curLine = line;
    e->curPos = EdPosOfColumn(e, line, col);
}

static int CtrlKey(EditorModel *e, KeyEvent k)
{
    if (k.mods != PKF_CONTROL) return 0;
    if (k.vk == VK_HOME || k.vk == VK_PRIOR) {
        e->curLine = 0;
        e->curPos = 0;
    } else if (k.vk == VK_END || k.vk == VK_NEXT) {
        e->curLine = e->count - 1;
        e->curPos = e->lines[e->curLine].len;
    } else {
        return 0;
    }
    return 1;
}

static int MoveKey(EditorModel *e, KeyEvent k)
{
    if (k.mods & (PKF_CONTROL | PKF_ALT)) return CtrlKey(e, k);
    switch (k.vk) {
    case VK_UP: MoveVertically(e, -1, 0); return 1;
    case VK_DOWN: MoveVertically(e, 1, 0); return 1;
    case VK_PRIOR: MoveVertically(e, -(e->height > 1 ? e->height - 1 : 1), 1); return 1;
    case VK_NEXT: MoveVertically(e, e->height > 1 ? e->height - 1 : 1, 1); return 1;
    case VK_LEFT:
        if (e->curPos > 0) e->curPos--;
        return 1;
    case VK_RIGHT:
        if (e->curPos < LINE_LIMIT) e->curPos++;
        return 1;
    case VK_HOME: e->curPos = 0; return 1;
    case VK_END: e->curPos = e->lines[e->curLine].len; return 1;
    default: return 0;
    }
}

int EdKey(EditorModel *e, KeyEvent k)
{
    int handled = MoveKey(e, k);
    if (!handled && (k.mods & (PKF_CONTROL | PKF_ALT)) == 0) {
        handled = 1;
        if (k.ch >= 32 || k.vk == VK_TAB) (void)TypeChar(e, k.ch >= 32 ? (char)k.ch : '\t');
        else if (k.vk == VK_RETURN) (void)SplitAtCursor(e);
        else if (k.vk == VK_BACK) Backspace(e);
        else if (k.vk == VK_DELETE) DeleteChar(e);
        else handled = 0;
    }
    if (handled) EdShowCursor(e);
    return handled;
}

/* ---- the stack of nested editors ---- */

int EdStackPush(EditorStack *s, EditorModel *e)
{
    if (s->depth >= EDITOR_DEPTH_MAX) return -1;
    e->id = s->nextId++;
    s->open[s->depth++] = e;
    return 0;
}

void EdStackPop(EditorStack *s)
{
    if (s->depth > 0) s->open[--s->depth] = NULL;
}

EditorModel *EdStackTop(EditorStack *s)
{
    return s->depth > 0 ? s->open[s->depth - 1] : NULL;
}
