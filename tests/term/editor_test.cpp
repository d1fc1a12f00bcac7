/* The terminal host's editor model: loading and saving bytes, positioning, scrolling, editing. */
#include <curses.h>
#include <errno.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include <string>
#include <vector>

#include "term/model_p.h"

namespace {

struct TempFile {
    char path[64];
    explicit TempFile(const std::string &bytes)
    {
        strcpy(path, "/tmp/zolt-ed-XXXXXX");
        int fd = mkstemp(path);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), (ssize_t)bytes.size());
        close(fd);
    }
    ~TempFile() { unlink(path); }
    std::string Read() const
    {
        std::string s;
        FILE *f = fopen(path, "rb");
        for (int c; f && (c = fgetc(f)) != EOF;) s += (char)c;
        if (f) fclose(f);
        return s;
    }
};

std::string Numbered(int n)
{
    std::string s;
    for (int i = 1; i <= n; i++) s += "line " + std::to_string(i) + "\n";
    return s;
}

std::string LineText(const EditorModel &e, int n)
{
    EditorGetString gs = {n, NULL, NULL, 0, 0, 0};
    if (!EdGetString(&e, &gs)) return "<none>";
    return std::string(gs.StringText, (size_t)gs.StringLength);
}

KeyEvent Key(int code)
{
    return KeyFromCurses(code, NULL, 0);
}
KeyEvent Typed(char c)
{
    return KeyFromChar((unsigned char)c, -1, 0);
}

TEST(TermEditor, SavingWritesBackTheSameBytes)
{
    const char *texts[] = {"a\r\nb\r\n", "a\nb",          "",          "\n",        "x\0y\n\n",
                           "only\r",     "a\nb\r\nc\r\n", "a\r\nb\nc", "a\r\r\nb\n"};
    const size_t sizes[] = {6, 3, 0, 1, 5, 5, 8, 6, 6};
    for (int i = 0; i < 9; i++) {
        std::string bytes(texts[i], sizes[i]);
        TempFile f(bytes);
        EditorModel e;
        ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
        e.modified = 1;
        ASSERT_EQ(EdSave(&e), 0);
        EXPECT_EQ(e.modified, 0);
        EXPECT_EQ(f.Read(), bytes) << "case " << i;
        EdFree(&e);
    }
}

TEST(TermEditor, LinesAndTheirEnds)
{
    TempFile f("first\r\nsecond\r\nlast");
    EditorModel e;
    ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
    EXPECT_EQ(e.count, 3);
    EditorGetString gs = {1, NULL, NULL, 0, 0, 0};
    ASSERT_EQ(EdGetString(&e, &gs), 1);
    EXPECT_EQ(std::string(gs.StringText, (size_t)gs.StringLength), "second");
    EXPECT_STREQ(gs.StringEOL, "\r\n");
    gs.StringNumber = 2;
    EdGetString(&e, &gs);
    EXPECT_STREQ(gs.StringEOL, "");
    gs.StringNumber = 3;
    EXPECT_EQ(EdGetString(&e, &gs), 0);
    gs.StringNumber = -2;
    EXPECT_EQ(EdGetString(&e, &gs), 0);
    e.curLine = 2;
    EXPECT_EQ(LineText(e, -1), "last");
    EditorInfo info;
    EdGetInfo(&e, &info);
    EXPECT_EQ(info.FileName[0], '\\'); /* the plugin's form of an absolute path */
    EXPECT_EQ(strchr(info.FileName, '/'), nullptr);
    EXPECT_EQ(info.TotalLines, 3);
    EdFree(&e);
}

TEST(TermEditor, MissingFileOpensEmptyAndFailedSaveKeepsTheChanges)
{
    EditorModel e;
    ASSERT_EQ(EdLoad(&e, "/nonexistent-dir-zolt/x.c", 80, 20), 1);
    EXPECT_EQ(e.count, 1);
    EdKey(&e, Typed('x'));
    EXPECT_EQ(e.modified, 1);
    EXPECT_EQ(EdSave(&e), -1);
    EXPECT_EQ(e.modified, 1);
    EdFree(&e);
}

// Runs checks as an ordinary user (a child drops root to nobody): the number that failed.
int AsNobody(const std::function<int()> &checks)
{
    if (geteuid() != 0) return checks();
    pid_t child = fork();
    if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 ? checks() : 100);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

// A file that exists but cannot be read never opens, so it is never saved over; nor is a
// read-only file of someone else's replaced.
TEST(TermEditor, UnreadableOrReadOnlyFilesAreNeverSavedOver)
{
    char dir[] = "/tmp/zolt-ed-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string d = dir, secret = d + "/secret.c", shared = d + "/shared.c";
    ASSERT_EQ(system(("chmod 777 " + d + " && mkfifo " + d + "/fifo && echo important | tee " +
                      secret + " >" + shared + " && chmod 0 " + secret + " && chmod 444 " + shared)
                         .c_str()),
              0);
    EXPECT_EQ(AsNobody([&]() {
                  EditorModel e;
                  int bad = 0;
                  for (std::string path : {d + "/fifo", d, std::string("/dev/zero"), secret})
                      bad += EdLoad(&e, path.c_str(), 80, 20) != -1;
                  if (EdLoad(&e, shared.c_str(), 80, 20) != 0) return bad + 1;
                  EdKey(&e, Typed('X'));
                  bad += EdSave(&e) != -1 || e.modified != 1;
                  EdFree(&e);
                  return bad;
              }),
              0);
    EXPECT_EQ(
        system(("chmod 644 " + secret + " && grep -qx important " + secret + " " + shared).c_str()),
        0);
    EXPECT_EQ(system(("rm -rf " + d).c_str()), 0);
}

// A file that cannot be opened says why: a line too long is not a file of the wrong kind.
TEST(TermEditor, FilesThatCannotOpenSayWhy)
{
    char dir[] = "/tmp/zolt-ed-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string d = dir;
    const std::string wide = std::string(17 * 1024 * 1024, 'x') + "\nshort\n";
    FILE *f = fopen((d + "/wide.c").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(wide.data(), 1, wide.size(), f);
    fclose(f);
    ASSERT_EQ(mkfifo((d + "/fifo").c_str(), 0644), 0);
    const struct {
        std::string path;
        const char *why;
    } rows[] = {
        {d + "/wide.c", "a line is longer than 16 MB"},
        {d + "/fifo", "not a regular file"},
        {d, "Is a directory"},
    };
    for (const auto &r : rows) {
        EditorModel e;
        errno = EINVAL; // a stale value must not stand for the reason
        EXPECT_EQ(EdLoad(&e, r.path.c_str(), 80, 20), -1) << r.path;
        EXPECT_STREQ(EdLoadFailure(errno), r.why) << r.path;
    }
    EXPECT_EQ(system(("rm -rf " + d).c_str()), 0);
}

// Saving keeps the file's mode, each line's end, and its other names; it never writes through
// a link planted at the old temporary name.
TEST(TermEditor, SavingKeepsTheFilesProperties)
{
    TempFile f("one\r\ntwo\nthree"), victim("victim\n");
    const std::string other = std::string(f.path) + ".link",
                      planted = std::string(f.path) + ".zolt-save";
    ASSERT_EQ(chmod(f.path, 0751), 0);
    ASSERT_EQ(symlink(victim.path, planted.c_str()), 0);
    EditorModel e;
    ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
    for (int k :
         {KEY_END, (int)'!', KEY_DOWN, KEY_DOWN, KEY_END, 13, (int)'4'}) // line 3 had no end
        EdKey(&e, k < 256 ? Typed((char)k) : Key(k));
    ASSERT_EQ(EdSave(&e), 0);
    EXPECT_EQ(f.Read(), "one!\r\ntwo\nthree\r\n4");
    EXPECT_EQ(victim.Read(), "victim\n");
    struct stat sb, linked;
    ASSERT_EQ(stat(f.path, &sb), 0);
    EXPECT_EQ(sb.st_mode & 07777, 0751u);
    ASSERT_EQ(link(f.path, other.c_str()), 0);
    e.modified = 1;
    ASSERT_EQ(EdSave(&e), 0);
    ASSERT_EQ(stat(f.path, &sb), 0);
    ASSERT_EQ(stat(other.c_str(), &linked), 0);
    EXPECT_EQ(sb.st_ino, linked.st_ino);
    EdFree(&e);
    unlink(other.c_str());
    unlink(planted.c_str());
}

struct PosCase {
    int top, left; /* window before */
    EditorSetPosition set;
    int wantLine, wantPos, wantTop, wantLeft;
};

TEST(TermEditor, SetPositionScrollsAsTheRecordAsks)
{
    /* window 80 x 24 over 200 lines of 10 characters */
    const PosCase cases[] = {
        {0, 0, {100, 0, -1, 82, 0, -1}, 100, 0, 82, 0}, /* the plugin's three-quarter place */
        {0, 0, {10, 0, -1, 0, -1, -1}, 10, 0, 0, 0},    /* on screen: stays */
        {50, 0, {5, 0, -1, 0, -1, -1}, 5, 0, 0, 0},
        {0, 0, {119, 0, -1, -1, 0, -1}, 119, 0, 107, 0},    /* host's choice: mid-window */
        {100, 0, {110, 3, -1, -1, -1, -1}, 110, 3, 100, 0}, /* already visible: no scroll */
        {0, 0, {500, 0, -1, -1, -1, -1}, 199, 0, 187, 0},   /* past the end: the last line */
        {0, 60, {0, 50, -1, -1, 10, -1}, 0, 50, 0, 10},
        {0, 0, {0, 120, -1, -1, -1, -1}, 0, 120, 0, 41}, /* left to the host: least scroll */
        {0, 0, {-1, -1, -1, 150, -1, -1}, 0, 0, 0, 0},   /* a top hiding the cursor yields */
    };
    TempFile f(Numbered(200));
    for (const PosCase &c : cases) {
        EditorModel e;
        ASSERT_EQ(EdLoad(&e, f.path, 80, 24), 0);
        ASSERT_EQ(e.count, 200);
        e.top = c.top;
        e.left = c.left;
        EdSetPosition(&e, &c.set);
        EXPECT_EQ(e.curLine, c.wantLine) << "line " << c.set.CurLine;
        EXPECT_EQ(e.curPos, c.wantPos) << "line " << c.set.CurLine;
        EXPECT_EQ(e.top, c.wantTop) << "line " << c.set.CurLine;
        EXPECT_EQ(e.left, c.wantLeft) << "line " << c.set.CurLine;
        EdFree(&e);
    }
}

TEST(TermEditor, OpenAtLineNearMidWindow)
{
    TempFile f(Numbered(100));
    struct {
        int line, chr, wantLine, wantPos, wantTop;
    } cases[] = {
        {0, 0, 0, 0, 0},   {1, 0, 0, 0, 0},    {-1, 5, 0, 0, 0},
        {15, 3, 14, 2, 0}, {60, 0, 59, 0, 49}, {1000, 0, 99, 0, 89},
    };
    for (auto &c : cases) {
        EditorModel e;
        ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
        EdOpenAt(&e, c.line, c.chr);
        EXPECT_EQ(e.curLine, c.wantLine) << c.line;
        EXPECT_EQ(e.curPos, c.wantPos) << c.line;
        EXPECT_EQ(e.top, c.wantTop) << c.line;
        EdFree(&e);
    }
}

TEST(TermEditor, TabsMapBetweenBytesAndColumns)
{
    TempFile f("\tab\tc\n");
    EditorModel e;
    ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
    const int pos[] = {0, 1, 2, 3, 4, 5, 7};
    const int col[] = {0, 8, 9, 10, 16, 17, 19};
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(EdColumnOf(&e, 0, pos[i]), col[i]) << pos[i];
        EXPECT_EQ(EdPosOfColumn(&e, 0, col[i]), pos[i]) << col[i];
    }
    EXPECT_EQ(EdPosOfColumn(&e, 0, 5), 0); /* inside the tab: on the tab */
    EdFree(&e);
}

TEST(TermEditor, EditingKeysAndTheModifiedFlag)
{
    TempFile f("abc\ndef\n");
    EditorModel e;
    ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
    EdKey(&e, Key(KEY_END));
    EdKey(&e, Key(KEY_RIGHT));
    EdKey(&e, Key(KEY_RIGHT));
    EXPECT_EQ(e.modified, 0);
    EdKey(&e, Typed('!'));
    EXPECT_EQ(LineText(e, 0), "abc  !"); /* typing beyond the end fills with blanks */
    EdKey(&e, Key(KEY_LEFT));
    EdKey(&e, Typed(13));
    EXPECT_EQ(LineText(e, 0), "abc  ");
    EXPECT_EQ(LineText(e, 1), "!");
    EXPECT_EQ(e.curLine, 1);
    EdKey(&e, Typed(127));
    EXPECT_EQ(LineText(e, 0), "abc  !");
    EXPECT_EQ(e.count, 2);
    EdKey(&e, Key(KEY_END));
    EdKey(&e, Key(KEY_DC));
    EXPECT_EQ(LineText(e, 0), "abc  !def");
    EXPECT_EQ(e.count, 1);
    EdKey(&e, Key(KEY_HOME));
    EdKey(&e, Typed(127)); /* at the very start: nothing to join */
    EXPECT_EQ(LineText(e, 0), "abc  !def");
    EXPECT_EQ(e.modified, 1);
    ASSERT_EQ(EdSave(&e), 0);
    EXPECT_EQ(f.Read(), "abc  !def\n");
    EdFree(&e);
}

TEST(TermEditor, CursorKeysScrollTheWindow)
{
    TempFile f(Numbered(100));
    EditorModel e;
    ASSERT_EQ(EdLoad(&e, f.path, 80, 10), 0);
    for (int i = 0; i < 12; i++) EdKey(&e, Key(KEY_DOWN));
    EXPECT_EQ(e.curLine, 12);
    EXPECT_EQ(e.top, 3);
    EdKey(&e, Key(KEY_NPAGE));
    EXPECT_EQ(e.curLine, 21);
    EXPECT_EQ(e.top, 12);
    EdKey(&e, KeyFromCurses(KEY_MAX + 1, "kEND5", 0));
    EXPECT_EQ(e.curLine, 99);
    EXPECT_EQ(e.top, 90);
    EdKey(&e, KeyFromCurses(KEY_MAX + 1, "kHOM5", 0));
    EXPECT_EQ(e.curLine, 0);
    EXPECT_EQ(e.top, 0);
    for (int i = 0; i < 100; i++) EdKey(&e, Key(KEY_RIGHT));
    EXPECT_EQ(e.left, 21);
    EdFree(&e);
}

struct Utf8Terminal {
    Utf8Terminal()
    {
        setlocale(LC_CTYPE, "C.UTF-8");
        CharsetSetUtf8(1);
    }
    ~Utf8Terminal()
    {
        CharsetSetUtf8(0);
        setlocale(LC_CTYPE, "C");
    }
};

KeyEvent Unicode(int cp)
{
    KeyEvent k = KeyFromChar(-1, -1, 0);
    k.wch = cp;
    return k;
}

/* "aé文\tb": Right steps over whole characters; the column counts a wide one twice. */
TEST(TermEditor, CursorMovesByCharactersAndColumnsCountCells)
{
    Utf8Terminal on;
    TempFile f("a\xC3\xA9\xE6\x96\x87\tb\n");
    EditorModel e;
    ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
    const int pos[] = {0, 1, 3, 6, 7, 8, 9};
    const int col[] = {0, 1, 2, 4, 8, 9, 10};
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(e.curPos, pos[i]) << i;
        EXPECT_EQ(EdColumnOf(&e, 0, pos[i]), col[i]) << i;
        EXPECT_EQ(EdPosOfColumn(&e, 0, col[i]), pos[i]) << i;
        EdKey(&e, Key(KEY_RIGHT));
    }
    for (int i = 6; i >= 0; i--) {
        EdKey(&e, Key(KEY_LEFT));
        EXPECT_EQ(e.curPos, pos[i]) << i; /* beyond the end a column at a time */
    }
    EXPECT_EQ(EdPosOfColumn(&e, 0, 3), 3); /* the second column of 文: 文 */
    EdSetPosition(&e, &(const EditorSetPosition &)EditorSetPosition{0, 2, -1, -1, -1, -1});
    EditorInfo info;
    EdGetInfo(&e, &info);
    EXPECT_EQ(info.CurPos, 2);    /* the plugin's byte stays as it set it */
    EXPECT_EQ(info.CurTabPos, 1); /* shown on é */
    EdKey(&e, Key(KEY_RIGHT));
    EXPECT_EQ(e.curPos, 3);
    EdFree(&e);
}

/* Typing and deleting change only the bytes of the characters edited. */
TEST(TermEditor, EditingTakesWholeCharactersInTheFilesEncoding)
{
    Utf8Terminal on;
    const struct {
        const char *file;
        int pos;
        int key; /* a code point typed, or minus a curses key */
        const char *want;
    } rows[] = {
        {"a\xC3\xA9z\n", 1, -KEY_DC, "az\n"},
        {"a\xC3\xA9z\n", 3, -KEY_BACKSPACE, "az\n"},
        {"a\xC3\xA9z\n", 2, -KEY_BACKSPACE, "\xC3\xA9z\n"}, /* inside é: before its start */
        {"a\xC3\xA9z\n", 2, 0x436, "a\xD0\xB6\xC3\xA9z\n"}, /* ж as UTF-8, before é */
        {"\x8E\xA1\xA7\xAE\xE0\n", 5, 0x436, "\x8E\xA1\xA7\xAE\xE0\xA6\n"}, /* code page 866 */
        {"\x8E\xA1\xA7\xAE\xE0\n", 5, 0xE9, "\x8E\xA1\xA7\xAE\xE0\n"},      /* é: no byte there */
        {"\xE6\x96\x87\n", 0, -KEY_DC, "\n"},
    };
    for (const auto &r : rows) {
        TempFile f(r.file);
        EditorModel e;
        ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
        e.curPos = r.pos;
        EdKey(&e, r.key < 0 ? Key(-r.key) : Unicode(r.key));
        e.modified = 1;
        ASSERT_EQ(EdSave(&e), 0);
        EXPECT_EQ(f.Read(), r.want) << r.file << " at " << r.pos;
        EdFree(&e);
    }
}

TEST(TermEditor, SearchAndGoToLine)
{
    Utf8Terminal on;
    TempFile f("int main;\n// \xD0\x9F\xD1\x80\xD0\xB8 main\n\x8E\xA1\xA7\xAE\xE0 \x8F\xE0\xA8\n");
    EditorModel e;
    ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
    const struct {
        const wchar_t *text;
        int fromLine, fromPos;
        int line, pos, len; /* line -1: not found */
    } finds[] = {
        {L"MAIN", 0, 0, 0, 4, 4}, {L"main", 0, 5, 1, 10, 4}, {L"main", 2, 0, 0, 4, 4}, /* wraps */
        {L"main", 0, 4, 0, 4, 4}, {L"при", 0, 0, 1, 3, 6},   {L"ПРИ", 1, 4, 2, 6, 3},  /* both */
        {L"xyz", 1, 0, -1, 0, 0}, {L"main;", 0, 5, 0, 4, 5}, /* round to where it began */
    };
    for (const auto &c : finds) {
        std::vector<int> text(c.text, c.text + wcslen(c.text));
        EdMatch m = {-1, 0, 0};
        int found = EdFind(&e, text.data(), (int)text.size(), c.fromLine, c.fromPos, &m);
        EXPECT_EQ(found, c.line >= 0) << c.fromLine << ":" << c.fromPos;
        if (!found) continue;
        EXPECT_EQ(m.line, c.line) << c.fromLine << ":" << c.fromPos;
        EXPECT_EQ(m.pos, c.pos) << c.fromLine << ":" << c.fromPos;
        EXPECT_EQ(m.len, c.len) << c.fromLine << ":" << c.fromPos;
    }
    const struct {
        const char *text;
        int ok, line, pos;
    } gotos[] = {{"2", 1, 1, 0},  {" 2 , 5 ", 1, 1, 5}, {"99", 1, 2, 0},   {"0", 0, 2, 0},
                 {"2x", 0, 2, 0}, {"", 0, 2, 0},        {"1,40", 1, 0, 39}}; /* "р"; past the end */
    for (const auto &g : gotos) {
        EXPECT_EQ(EdGoTo(&e, g.text), g.ok) << g.text;
        EXPECT_EQ(e.curLine, g.line) << g.text;
        EXPECT_EQ(e.curPos, g.pos) << g.text;
    }
    EdFree(&e);
}

TEST(TermEditor, PromptLineTakesAnyCharacter)
{
    LineInput in;
    const int start[] = {'a', 'b'};
    InputInit(&in, start, 2);
    InputKey(&in, Key(KEY_LEFT)); /* keeps the text it started with */
    InputKey(&in, Key(KEY_RIGHT));
    InputKey(&in, Unicode(0x6587)); /* 文, which code page 866 lacks */
    InputKey(&in, Key(KEY_HOME));
    InputKey(&in, Key(KEY_DC));
    InputKey(&in, KeyFromChar(0xA0, -1, 0)); /* а typed as code page 866 */
    InputKey(&in, Key(KEY_END));
    InputKey(&in, KeyFromChar(127, -1, 0));
    EXPECT_EQ(std::vector<int>(in.text, in.text + in.len), (std::vector<int>{0x430, 'b'}));
    EXPECT_EQ(InputKey(&in, Key(KEY_F(7))), 0);
    InputInit(&in, start, 2);
    InputKey(&in, KeyFromChar('x', 0x58, 0)); /* the text it started with is replaced */
    EXPECT_EQ(std::vector<int>(in.text, in.text + in.len), (std::vector<int>{'x'}));
    InputInit(&in, start, 2);
    InputKey(&in, KeyFromChar(127, -1, 0));
    EXPECT_EQ(in.len, 0);
}

TEST(TermEditor, NestedEditorsHaveTheirOwnIds)
{
    EditorStack s;
    memset(&s, 0, sizeof s);
    s.nextId = 7;
    EditorModel a, b;
    memset(&a, 0, sizeof a);
    memset(&b, 0, sizeof b);
    EXPECT_EQ(EdStackTop(&s), nullptr);
    ASSERT_EQ(EdStackPush(&s, &a), 0);
    ASSERT_EQ(EdStackPush(&s, &b), 0);
    EXPECT_NE(a.id, b.id);
    EXPECT_EQ(EdStackTop(&s), &b);
    EdStackPop(&s);
    EXPECT_EQ(EdStackTop(&s), &a);
    EdStackPop(&s);
    EdStackPop(&s);
    EXPECT_EQ(EdStackTop(&s), nullptr);
    EditorModel many[EDITOR_DEPTH_MAX + 1];
    for (int i = 0; i < EDITOR_DEPTH_MAX; i++) EXPECT_EQ(EdStackPush(&s, &many[i]), 0);
    EXPECT_EQ(EdStackPush(&s, &many[EDITOR_DEPTH_MAX]), -1);
}

} // namespace
