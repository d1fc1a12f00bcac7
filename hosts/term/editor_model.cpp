/* editor_model.cpp: the host's editor without the drawing: the line buffer, cursor and window,
   positioning as the plugin asks for it, editing keys, loading and saving. */
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

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

/* Splits the file's bytes into lines, each with its own end: LF, CR LF, or a CR that no LF
   follows. The first line's end is the style of lines the user adds. */
static int SplitLines(EditorModel *e, const char *buf, size_t size)
{
    size_t start = 0;
    e->newEol = EOL_LF;
    for (size_t i = 0; i <= size; i++) {
        if (i < size && buf[i] != '\n' && buf[i] != '\r') continue;
        if (i == size && start == size && e->count > 0) break; /* ended with a line end */
        int eol = i == size ? EOL_NONE : buf[i] == '\n' ? EOL_LF : EOL_CR;
        size_t end = i;
        if (eol == EOL_CR && i + 1 < size && buf[i + 1] == '\n') {
            eol = EOL_CRLF;
            i++;
        }
        if (start == 0 && eol != EOL_NONE) e->newEol = eol;
        if (end - start > (size_t)LINE_LIMIT) {
            errno = EOVERFLOW; /* what the editor says: a line too long, not a bad file */
            return -1;
        }
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
            errno = cap >= (size_t)EDIT_FILE_MAX ? EFBIG : ENOMEM;
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

static_assert(LINE_LIMIT == 1 << 24 && EDIT_FILE_MAX == 1 << 28, "the sizes EdLoadFailure names");

const char *EdLoadFailure(int err)
{
    switch (err) {
    case EINVAL: return "not a regular file";
    case EOVERFLOW: return "a line is longer than 16 MB";
    case EFBIG: return "the file is larger than 256 MB";
    case ENOMEM: return "not enough memory";
    default: return strerror(err);
    }
}

int EdLoad(EditorModel *e, const char *path, int width, int height)
{
    memset(e, 0, sizeof *e);
    e->found.line = -1;
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
    e->cp866 = buf && TextLooksCp866(buf, (int)size); /* size <= EDIT_FILE_MAX */
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
    return eol == EOL_CRLF ? "\r\n" : eol == EOL_LF ? "\n" : eol == EOL_CR ? "\r" : "";
}

/* All n bytes to fd, through short writes; 0 or an errno value. */
static int WriteAll(int fd, const char *p, size_t n)
{
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return w < 0 ? errno : EIO;
        p += w;
        n -= (size_t)w;
    }
    return 0;
}

/* The bytes of the buffer to fd at its offset; 0 or an errno value. */
static int WriteLines(const EditorModel *e, int fd)
{
    int rc = 0;
    for (int i = 0; i < e->count && rc == 0; i++) {
        const EdLine *l = &e->lines[i];
        const char *eol = EolText(l->eol);
        rc = l->len > 0 ? WriteAll(fd, l->text, (size_t)l->len) : 0;
        if (rc == 0) rc = WriteAll(fd, eol, strlen(eol));
    }
    return rc;
}

static off_t TextSize(const EditorModel *e)
{
    off_t n = 0;
    for (int i = 0; i < e->count; i++)
        n += e->lines[i].len + (off_t)strlen(EolText(e->lines[i].eol));
    return n;
}

/* n bytes at offset at; 0 or an errno value (EIO when the file ends first). */
static int ReadAt(int fd, char *p, size_t n, off_t at)
{
    while (n > 0) {
        ssize_t r = pread(fd, p, n, at);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return r < 0 ? errno : EIO;
        p += r;
        n -= (size_t)r;
        at += r;
    }
    return 0;
}

/* The buffer over the file open at fd, whose old size is oldSize; see SaveInPlace. */
static int Rewrite(const EditorModel *e, int fd, off_t oldSize)
{
    off_t size = TextSize(e);
    size_t kept = (size_t)(size < oldSize ? size : oldSize); /* at most the buffer's bytes */
    char *old = kept > 0 ? (char *)malloc(kept) : NULL;
    int rc = kept == 0 ? 0 : old ? ReadAt(fd, old, kept, 0) : ENOMEM;
    if (rc == 0 && size > oldSize) {
        while ((rc = posix_fallocate(fd, 0, size)) == EINTR) {}
        if (rc != 0) { /* gives back what it took; no old byte changed, so nothing is lost */
            int released = ftruncate(fd, oldSize);
            (void)released;
        }
    }
    if (rc == 0) {
        rc = lseek(fd, 0, SEEK_SET) == 0 ? WriteLines(e, fd) : errno;
        if (rc == 0 && fsync(fd) != 0) rc = errno;
        if (rc == 0 && size < oldSize && ftruncate(fd, size) != 0) rc = errno;
        if (rc != 0 && (lseek(fd, 0, SEEK_SET) != 0 || WriteAll(fd, old, kept) != 0 ||
                        ftruncate(fd, oldSize) != 0))
            rc = EIO; /* the old text could not be put back either */
    }
    free(old);
    return rc;
}

/* Rewrites the file itself: its inode, owner, group, mode and other names stay. A write that
   fails must not leave the file half new: the room the new text needs is taken before any old
   byte is touched, and the old bytes it covers are kept in memory and put back should a write
   still fail. Bytes past the new end are cut only once everything is written. 0 or an errno
   value, the file as it was (EIO: unless putting the old bytes back failed too). */
static int SaveInPlace(const EditorModel *e, const char *path)
{
    int fd = open(path, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat sb;
    int rc = fstat(fd, &sb) != 0   ? errno
             : S_ISREG(sb.st_mode) ? Rewrite(e, fd, sb.st_size)
                                   : EINVAL;
    if (close(fd) != 0 && rc == 0) rc = errno;
    return rc;
}

enum { SAVE_IN_PLACE = -1 }; /* no file beside this one can take its place: write in place */

/* The buffer to a new file made from template tmp (mkstemp: exclusively, so a link planted
   under its name is never followed; the name is written back), given the group of old (null:
   its own) and then mode. 0, an errno value, or SAVE_IN_PLACE when old is set and the file
   cannot be made or given its group. A file that fails is removed. */
static int WriteNewFile(const EditorModel *e, char *tmp, const struct stat *old, mode_t mode)
{
    int fd = mkstemp(tmp);
    if (fd < 0) return old ? SAVE_IN_PLACE : errno;
    int rc = old && fchown(fd, (uid_t)-1, old->st_gid) != 0 ? SAVE_IN_PLACE : 0;
    if (rc == 0 && fchmod(fd, mode) != 0) rc = errno;
    if (rc == 0) rc = WriteLines(e, fd);
    if (rc == 0 && fsync(fd) != 0) rc = errno;
    if (close(fd) != 0 && rc == 0) rc = errno;
    if (rc != 0) unlink(tmp);
    return rc;
}

int EdSaveCopy(const EditorModel *e, char *out, size_t size)
{
    const char *base = strrchr(e->path, '/'), *tmpDir = getenv("TMPDIR");
    const char *const places[] = {tmpDir && *tmpDir ? tmpDir : "/tmp", "/tmp"};
    char dir[NATIVE_PATH_SIZE];
    int rc = ENAMETOOLONG;
    if (JoinIfFits(out, size, e->path, ".zolt-unsaved-XXXXXX"))
        rc = WriteNewFile(e, out, NULL, 0600);
    /* the file's name in the temporary directory, a name of its own there when that is too
       long, and /tmp when TMPDIR takes neither */
    for (const char *place : places) {
        if (rc != 0 && base && JoinIfFits(dir, sizeof dir, place, base) &&
            JoinIfFits(out, size, dir, ".zolt-unsaved-XXXXXX"))
            rc = WriteNewFile(e, out, NULL, 0600);
        if (rc != 0 && JoinIfFits(out, size, place, "/zolt-unsaved-XXXXXX"))
            rc = WriteNewFile(e, out, NULL, 0600);
    }
    errno = rc;
    return rc == 0 ? 0 : -1;
}

/* Writes a new file beside the old one (sb: null when there is none) and renames it over: a
   failed write loses nothing. 0, an errno value, or SAVE_IN_PLACE (see WriteNewFile). */
static int SaveByRename(const EditorModel *e, const char *path, const struct stat *sb, mode_t mode)
{
    char tmp[NATIVE_PATH_SIZE];
    if (!JoinIfFits(tmp, sizeof tmp, path, ".zolt-save-XXXXXX"))
        return sb ? SAVE_IN_PLACE : ENAMETOOLONG;
    int rc = WriteNewFile(e, tmp, sb, mode);
    if (rc == 0 && rename(tmp, path) != 0) {
        rc = errno;
        unlink(tmp);
    }
    return rc;
}

/* A new file whose name leaves no room for a temporary's suffix, made under its own name:
   exclusively, so nothing planted there meanwhile is followed or written; removed when the
   write fails, as nothing was there before. 0 or an errno value. */
static int SaveNewInPlace(const EditorModel *e, const char *path, mode_t mode)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) return errno;
    int rc = WriteLines(e, fd);
    if (rc == 0 && fsync(fd) != 0) rc = errno;
    if (close(fd) != 0 && rc == 0) rc = errno;
    if (rc != 0) unlink(path);
    return rc;
}

/* The file a path names, a symbolic link followed (so a link stays a link); the path itself
   when it does not exist. */
static int SaveTarget(const char *path, char *out, size_t size)
{
    char *real = realpath(path, NULL);
    int rc = CopyTruncated(out, size, real ? real : path) ? ENAMETOOLONG : 0;
    free(real);
    return rc;
}

static int SaveFile(const EditorModel *e, const char *path)
{
    struct stat sb;
    if (stat(path, &sb) != 0) {
        if (errno != ENOENT) return errno;
        mode_t mask = umask(0);
        umask(mask);
        int rc = SaveByRename(e, path, NULL, 0666 & ~mask);
        return rc == ENAMETOOLONG ? SaveNewInPlace(e, path, 0666 & ~mask) : rc;
    }
    if (!S_ISREG(sb.st_mode)) return EINVAL;
    if (access(path, W_OK) != 0) return errno; /* what the user cannot write is not replaced */
    if (sb.st_nlink > 1 || sb.st_uid != geteuid())
        return SaveInPlace(e, path); /* a new file would split the links or change the owner */
    int rc = SaveByRename(e, path, &sb, sb.st_mode & 07777);
    return rc == SAVE_IN_PLACE ? SaveInPlace(e, path) : rc;
}

int EdSave(EditorModel *e)
{
    char path[NATIVE_PATH_SIZE];
    int rc = SaveTarget(e->path, path, sizeof path);
    if (rc == 0) rc = SaveFile(e, path);
    if (rc == 0) {
        e->modified = 0;
        return 0;
    }
    errno = rc;
    return -1;
}

void EdResize(EditorModel *e, int width, int height)
{
    e->width = width < 1 ? 1 : width;
    e->height = height < 1 ? 1 : height;
}

/* Where a character's cell ends: the next tab stop for a tab, else after its columns. */
static int Advance(int col, const EdLine *l, const TextChar &c)
{
    return l->text[c.pos] == '\t' ? (col / TAB_SIZE + 1) * TAB_SIZE : col + c.cols;
}

int EdColumnOf(const EditorModel *e, int line, int pos)
{
    const EdLine *l = &e->lines[Clamp(line, 0, e->count - 1)];
    TextIter it;
    TextChar c;
    int col = 0;
    TextBegin(&it, l->text, l->len, e->cp866);
    while (TextNext(&it, &c)) {
        if (c.pos + c.bytes > pos) return col; /* a byte inside a character: its cell */
        col = Advance(col, l, c);
    }
    return col + (pos > l->len ? pos - l->len : 0);
}

int EdPosOfColumn(const EditorModel *e, int line, int col)
{
    const EdLine *l = &e->lines[Clamp(line, 0, e->count - 1)];
    TextIter it;
    TextChar c;
    int at = 0;
    TextBegin(&it, l->text, l->len, e->cp866);
    while (TextNext(&it, &c)) {
        int next = Advance(at, l, c);
        if (next > col) return c.pos;
        at = next;
    }
    return l->len + (col > at ? col - at : 0);
}

/* The first byte of the character that holds byte pos (pos itself beyond the end). */
static int CharStart(const EditorModel *e, int line, int pos)
{
    const EdLine *l = &e->lines[line];
    if (pos >= l->len) return pos;
    TextIter it;
    TextChar c;
    TextBegin(&it, l->text, l->len, e->cp866);
    while (TextNext(&it, &c))
        if (c.pos + c.bytes > pos) return c.pos;
    return pos;
}

/* The character after the one at pos, and the one before it; beyond the end a column each. */
static int NextChar(const EditorModel *e, int line, int pos)
{
    const EdLine *l = &e->lines[line];
    if (pos >= l->len) return pos < LINE_LIMIT ? pos + 1 : pos;
    TextIter it;
    TextChar c;
    TextBegin(&it, l->text, l->len, e->cp866);
    while (TextNext(&it, &c))
        if (c.pos + c.bytes > pos) return c.pos + c.bytes;
    return l->len;
}

static int PrevChar(const EditorModel *e, int line, int pos)
{
    const EdLine *l = &e->lines[line];
    if (pos > l->len) return pos - 1;
    TextIter it;
    TextChar c;
    int before = 0;
    TextBegin(&it, l->text, l->len, e->cp866);
    while (TextNext(&it, &c) && c.pos < pos) before = c.pos;
    return before;
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

/* The bytes a typed character goes in as: UTF-8, or its code page 866 byte in a file that holds
   code page 866 text (and on a terminal that does not show UTF-8). 0 when it has none. */
static int TypedBytes(const EditorModel *e, KeyEvent k, char out[4])
{
    int cp = k.wch ? k.wch : k.ch >= 0x80 ? (int)Cp866ToWide((unsigned char)k.ch) : k.ch;
    if (cp < 32) return 0;
    if (CharsetUtf8() && !e->cp866) return Utf8Encode(cp, out);
    int b = k.ch >= 32 ? k.ch : WideToCp866((wchar_t)cp);
    if (b < 0) return 0;
    out[0] = (char)b;
    return 1;
}

/* Puts n bytes in at the cursor, which stands before a whole character (or past the end). */
static int InsertAtCursor(EditorModel *e, const char *bytes, int n)
{
    EdLine *l = &e->lines[e->curLine];
    int at = e->curPos, pad = at > l->len ? at - l->len : 0;
    if (n <= 0 || Reserve(l, l->len + pad + n) != 0) return -1;
    memset(l->text + l->len, ' ', (size_t)pad); /* typing beyond the end fills with blanks */
    l->len += pad;
    memmove(l->text + at + n, l->text + at, (size_t)(l->len - at));
    memcpy(l->text + at, bytes, (size_t)n);
    l->len += n;
    e->curPos += n;
    e->modified = 1;
    return 0;
}

/* Takes out the bytes [from, to) of the cursor's line. */
static void RemoveBytes(EditorModel *e, int from, int to)
{
    EdLine *l = &e->lines[e->curLine];
    memmove(l->text + from, l->text + to, (size_t)(l->len - to));
    l->len -= to - from;
    e->modified = 1;
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
    if (l->eol == EOL_NONE) l->eol = e->newEol;
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

/* Backspace and Del take a whole character: the bytes of the one before the cursor, or of the
   one under it. */
static void Backspace(EditorModel *e)
{
    EdLine *l = &e->lines[e->curLine];
    if (e->curPos > l->len) {
        e->curPos--;
    } else if (e->curPos > 0) {
        int from = PrevChar(e, e->curLine, e->curPos);
        RemoveBytes(e, from, e->curPos);
        e->curPos = from;
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
    if (e->curPos < l->len) RemoveBytes(e, e->curPos, NextChar(e, e->curLine, e->curPos));
    else (void)JoinWithNext(e, e->curLine); /* without memory the lines simply stay apart */
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
        if (e->curPos > 0) e->curPos = PrevChar(e, e->curLine, e->curPos);
        return 1;
    case VK_RIGHT: e->curPos = NextChar(e, e->curLine, e->curPos); return 1;
    case VK_HOME: e->curPos = 0; return 1;
    case VK_END: e->curPos = e->lines[e->curLine].len; return 1;
    default: return 0;
    }
}

int EdKey(EditorModel *e, KeyEvent k)
{
    /* The plugin may leave the cursor inside a character; keys act on the character's start. */
    e->curPos = CharStart(e, e->curLine, e->curPos);
    int handled = MoveKey(e, k);
    if (!handled && (k.mods & (PKF_CONTROL | PKF_ALT)) == 0) {
        handled = 1;
        char bytes[4];
        if (k.vk == VK_TAB) (void)InsertAtCursor(e, "\t", 1);
        else if (k.ch >= 32 || k.wch >= 32) (void)InsertAtCursor(e, bytes, TypedBytes(e, k, bytes));
        else if (k.vk == VK_RETURN) (void)SplitAtCursor(e);
        else if (k.vk == VK_BACK) Backspace(e);
        else if (k.vk == VK_DELETE) DeleteChar(e);
        else handled = 0;
    }
    if (handled) EdShowCursor(e);
    return handled;
}

/* ---- search and go to line ---- */

static int Fold(int cp)
{
    return (int)towupper((wint_t)cp);
}

/* The first match in line that starts at a byte in [minPos, maxPos). */
static int FindInLine(const EditorModel *e, int line, const int *text, int n, int minPos,
                      int maxPos, EdMatch *m)
{
    const EdLine *l = &e->lines[line];
    TextIter it;
    TextChar c;
    TextBegin(&it, l->text, l->len, e->cp866);
    while (TextNext(&it, &c) && c.pos < maxPos) {
        if (c.pos < minPos || Fold(c.cp) != Fold(text[0])) continue;
        TextIter probe = it; /* the characters after c */
        TextChar d = c;
        int k = 1;
        while (k < n && TextNext(&probe, &d) && Fold(d.cp) == Fold(text[k])) k++;
        if (k < n) continue;
        m->line = line;
        m->pos = c.pos;
        m->len = d.pos + d.bytes - c.pos;
        return 1;
    }
    return 0;
}

int EdFind(const EditorModel *e, const int *text, int n, int fromLine, int fromPos, EdMatch *m)
{
    if (n <= 0 || e->count <= 0) return 0;
    fromLine = Clamp(fromLine, 0, e->count - 1);
    for (int k = 0; k <= e->count; k++) { /* the starting line twice: after, then before */
        int line = (fromLine + k) % e->count;
        int minPos = k == 0 ? fromPos : 0, maxPos = k == e->count ? fromPos : INT_MAX;
        if (FindInLine(e, line, text, n, minPos, maxPos, m)) return 1;
    }
    return 0;
}

/* Puts the cursor's line near mid-window when it is off screen, then shows the cursor. */
static void ShowCursorLine(EditorModel *e)
{
    if (e->curLine < e->top || e->curLine >= e->top + e->height)
        e->top = e->curLine - e->height / 2 < 0 ? 0 : e->curLine - e->height / 2;
    EdShowCursor(e);
}

void EdShowMatch(EditorModel *e, const EdMatch *m)
{
    e->curLine = Clamp(m->line, 0, e->count - 1);
    e->curPos = m->pos;
    e->found = *m;
    ShowCursorLine(e);
}

/* A decimal number of at most 9 digits at *p, blanks around it skipped; -1 when none. */
static int Number(const char **p)
{
    const char *s = *p;
    while (*s == ' ') s++;
    int v = 0, digits = 0;
    for (; *s >= '0' && *s <= '9' && digits < 9; s++, digits++) v = v * 10 + (*s - '0');
    while (*s == ' ') s++;
    *p = s;
    return digits > 0 ? v : -1;
}

int EdGoTo(EditorModel *e, const char *text)
{
    const char *p = text;
    int line = Number(&p), col = 1;
    if (*p == ',') {
        p++;
        col = Number(&p);
    }
    if (line < 1 || col < 1 || *p) return 0;
    e->curLine = Clamp(line - 1, 0, e->count - 1);
    e->curPos = EdPosOfColumn(e, e->curLine, col - 1);
    ShowCursorLine(e);
    return 1;
}

/* ---- one-line prompts ---- */

void InputInit(LineInput *in, const int *text, int n)
{
    in->len = Clamp(n, 0, INPUT_MAX);
    if (in->len > 0) memcpy(in->text, text, (size_t)in->len * sizeof *text);
    in->pos = in->len;
    in->selected = in->len > 0;
}

int InputKey(LineInput *in, KeyEvent k)
{
    if (k.mods & (PKF_CONTROL | PKF_ALT)) return 0;
    int cp = k.wch ? k.wch : k.ch >= 0x80 ? (int)Cp866ToWide((unsigned char)k.ch) : k.ch;
    int replaces = cp >= 32 || k.vk == VK_BACK || k.vk == VK_DELETE;
    if (in->selected && replaces) {
        in->len = in->pos = 0;
        if (cp < 32) { /* Backspace or Del: the selection is what it deletes */
            in->selected = 0;
            return 1;
        }
    }
    in->selected = 0;
    if (cp >= 32) {
        if (in->len >= INPUT_MAX) return 1; /* full: the key is dropped */
        memmove(in->text + in->pos + 1, in->text + in->pos,
                (size_t)(in->len - in->pos) * sizeof *in->text);
        in->text[in->pos++] = cp;
        in->len++;
        return 1;
    }
    switch (k.vk) {
    case VK_LEFT: in->pos -= in->pos > 0; return 1;
    case VK_RIGHT: in->pos += in->pos < in->len; return 1;
    case VK_HOME: in->pos = 0; return 1;
    case VK_END: in->pos = in->len; return 1;
    case VK_BACK:
        if (in->pos == 0) return 1;
        in->pos--; /* and delete what is now under the cursor */
        [[fallthrough]];
    case VK_DELETE:
        if (in->pos < in->len) {
            memmove(in->text + in->pos, in->text + in->pos + 1,
                    (size_t)(in->len - in->pos - 1) * sizeof *in->text);
            in->len--;
        }
        return 1;
    default: return 0;
    }
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
