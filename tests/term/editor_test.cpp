/* The terminal host's editor model: loading and saving bytes, positioning, scrolling, editing. */
#include <curses.h>
#include <errno.h>
#include <grp.h>
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

std::string ReadFile(const std::string &path)
{
    std::string s;
    FILE *f = fopen(path.c_str(), "rb");
    for (int c; f && (c = fgetc(f)) != EOF;) s += (char)c;
    if (f) fclose(f);
    return s;
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    EXPECT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    fclose(f);
}

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
    std::string Read() const { return ReadFile(path); }
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
    if (child == 0)
        _exit(setgroups(0, NULL) == 0 && setgid(65534) == 0 && setuid(65534) == 0 ? checks() : 100);
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

// Each line keeps its own end, a CR alone too; Enter on a last line without one adds the end of
// the file's first line.
TEST(TermEditor, LineEndsOfEveryKindAndTheOneEnterAdds)
{
    const struct {
        const char *file;
        int lines;
        const char *want; /* after Ctrl+End, Enter, "z" */
    } rows[] = {
        {"a\rb", 2, "a\rb\rz"},         {"a\r\nb", 2, "a\r\nb\r\nz"},
        {"a\nb", 2, "a\nb\nz"},         {"ab", 1, "ab\nz"},
        {"a\r\r\nb", 3, "a\r\r\nb\rz"}, {"a\r\rb\n\r", 4, "a\r\rb\n\rz\r"},
        {"\r\n\rc", 3, "\r\n\rc\r\nz"},
    };
    for (const auto &r : rows) {
        TempFile f(r.file);
        EditorModel e;
        ASSERT_EQ(EdLoad(&e, f.path, 80, 20), 0);
        EXPECT_EQ(e.count, r.lines) << r.file;
        EdKey(&e, KeyFromCurses(KEY_MAX + 1, "kEND5", 0));
        EdKey(&e, Typed(13));
        EdKey(&e, Typed('z'));
        ASSERT_EQ(EdSave(&e), 0);
        EXPECT_EQ(f.Read(), r.want) << r.file;
        EdFree(&e);
    }
    TempFile cr("one\rtwo\r");
    EditorModel e;
    ASSERT_EQ(EdLoad(&e, cr.path, 80, 20), 0);
    EXPECT_EQ(LineText(e, 1), "two");
    EditorGetString gs = {0, NULL, NULL, 0, 0, 0};
    ASSERT_EQ(EdGetString(&e, &gs), 1);
    EXPECT_STREQ(gs.StringEOL, "\r");
    EdFree(&e);
}

// A tmpfs of 512 KB of its own, for full disks; only root may mount one (else the test skips).
struct SmallDisk {
    char dir[32];
    bool mounted = false;
    SmallDisk()
    {
        strcpy(dir, "/tmp/zolt-disk-XXXXXX");
        if (mkdtemp(dir) && geteuid() == 0)
            mounted =
                system(("mount -t tmpfs -o size=512k tmpfs " + std::string(dir) + " 2>/dev/null")
                           .c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted) {
            EXPECT_EQ(system(("umount " + std::string(dir)).c_str()), 0);
        }
        rmdir(dir);
    }
    std::string Filler() const { return std::string(dir) + "/filler"; }
    void Fill(off_t leave) const /* about leave bytes stay free */
    {
        FILE *f = fopen(Filler().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        static const char block[4096] = {0};
        while (fwrite(block, 1, sizeof block, f) == sizeof block && fflush(f) == 0) {}
        fclose(f);
        struct stat sb;
        ASSERT_EQ(stat(Filler().c_str(), &sb), 0);
        ASSERT_GT(sb.st_size, leave);
        ASSERT_EQ(truncate(Filler().c_str(), sb.st_size - leave), 0);
    }
    int Entries() const
    {
        std::string out = "/tmp/zolt-disk-ls";
        if (system(("ls -A " + std::string(dir) + " | wc -l >" + out).c_str()) != 0) return -1;
        int n = atoi(ReadFile(out).c_str());
        unlink(out.c_str());
        return n;
    }
};

// A save the disk cannot hold fails with its reason and leaves the old bytes, whether the file
// is written in place (it has a second name) or replaced; once there is room it succeeds.
TEST(TermEditor, ASaveTheDiskCannotHoldLeavesTheOldBytes)
{
    SmallDisk disk;
    if (!disk.mounted) GTEST_SKIP() << "cannot mount a small tmpfs here";
    const std::string big = std::string(disk.dir) + "/big.c", other = big + ".link";
    const std::string old = Numbered(16000); /* 170 KB */
    for (int linked : {1, 0}) {
        WriteFile(big, old);
        if (linked) {
            ASSERT_EQ(link(big.c_str(), other.c_str()), 0);
        }
        EditorModel e;
        ASSERT_EQ(EdLoad(&e, big.c_str(), 80, 20), 0);
        disk.Fill(8192);
        for (int i = 0; i < 20000; i++) { /* 1000 characters on each of the first 20 lines */
            EdKey(&e, Typed('x'));
            if (i % 1000 == 999) {
                EdKey(&e, Key(KEY_DOWN));
                EdKey(&e, Key(KEY_HOME));
            }
        }
        errno = 0;
        EXPECT_EQ(EdSave(&e), -1) << linked;
        EXPECT_EQ(errno, ENOSPC) << linked;
        EXPECT_EQ(e.modified, 1);
        EXPECT_TRUE(ReadFile(big) == old) << "the old bytes are gone; linked " << linked;
        if (linked) {
            EXPECT_TRUE(ReadFile(other) == old);
        }
        EXPECT_EQ(disk.Entries(), 2 + linked) << "a temporary file was left behind";
        unlink(disk.Filler().c_str());
        ASSERT_EQ(EdSave(&e), 0) << linked;
        std::string now;
        for (int i = 1; i <= 20; i++)
            now += std::string(1000, 'x') + "line " + std::to_string(i) + "\n";
        now += old.substr(Numbered(20).size());
        EXPECT_TRUE(ReadFile(big) == now) << linked;
        if (linked) {
            EXPECT_TRUE(ReadFile(other) == now);
        }
        EdFree(&e);
        unlink(other.c_str());
        unlink(big.c_str());
    }
}

// Saving keeps the file's owner, group and mode, also through a symbolic link (which stays
// one). Where no new file beside it could have its group (a group the user is not in) or none
// can be made at all (a directory the user cannot write), the file is written in place.
TEST(TermEditor, SavingKeepsOwnerAndGroupAndWritesInPlaceWhereItMust)
{
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give files other owners and groups";
    char dir[] = "/tmp/zolt-ed-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ASSERT_EQ(chmod(dir, 0755), 0);
    const struct {
        const char *what;
        uid_t uid;
        gid_t gid;
        mode_t mode, dirMode;
        int nobody, link; /* saved as nobody; opened through a link */
    } rows[] = {
        {"root's file in another group", 0, 100, 0640, 0755, 0, 0},
        {"the same through a link", 0, 100, 0640, 0755, 0, 1},
        {"a group the user is not in", 65534, 100, 0664, 0777, 1, 0},
        {"a directory the user cannot write", 65534, 65534, 0644, 0755, 1, 0},
        {"the same through a link", 65534, 65534, 0600, 0755, 1, 1},
        {"another owner's file", 0, 100, 0666, 0777, 1, 0},
    };
    int n = 0;
    for (const auto &r : rows) {
        const std::string sub = std::string(dir) + "/" + std::to_string(n++), file = sub + "/f.c",
                          linkName = sub + "/l.c";
        ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
        WriteFile(file, "old\n");
        ASSERT_EQ(chown(file.c_str(), r.uid, r.gid), 0);
        ASSERT_EQ(chmod(file.c_str(), r.mode), 0);
        if (r.link) {
            ASSERT_EQ(symlink("f.c", linkName.c_str()), 0);
        }
        ASSERT_EQ(chmod(sub.c_str(), r.dirMode), 0);
        auto save = [&]() {
            EditorModel e;
            if (EdLoad(&e, (r.link ? linkName : file).c_str(), 80, 20) != 0) return 1;
            EdKey(&e, Typed('N'));
            int bad = EdSave(&e) != 0;
            EdFree(&e);
            return bad;
        };
        EXPECT_EQ(r.nobody ? AsNobody(save) : save(), 0) << r.what;
        EXPECT_EQ(ReadFile(file), "Nold\n") << r.what;
        struct stat sb;
        ASSERT_EQ(lstat(file.c_str(), &sb), 0);
        EXPECT_EQ(sb.st_uid, r.uid) << r.what;
        EXPECT_EQ(sb.st_gid, r.gid) << r.what;
        EXPECT_EQ(sb.st_mode & 07777, r.mode) << r.what;
        if (r.link) {
            EXPECT_EQ(lstat(linkName.c_str(), &sb) == 0 && S_ISLNK(sb.st_mode), true);
        }
        std::string left = "ls -A " + sub + " | grep -vqx -e f.c -e l.c";
        EXPECT_NE(system(left.c_str()), 0) << r.what << ": a temporary file was left behind";
    }
    EXPECT_EQ(system(("rm -rf " + std::string(dir)).c_str()), 0);
}

// A name as long as a directory entry may be leaves no room for the temporary's suffix: a new
// file of that name is still saved, and text that cannot be saved is still kept somewhere (also
// when the file's own directory cannot be written).
TEST(TermEditor, NamesWithNoRoomForASuffixAreSavedAndTheirUnsavedTextKept)
{
    char dir[] = "/tmp/zolt-ed-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ASSERT_EQ(chmod(dir, 0755), 0);
    const std::string longName = std::string(dir) + "/" + std::string(250, 'n') + ".c";
    const struct {
        std::string path;
        int nobody;         /* as a user who cannot write dir */
        const char *tmpDir; /* TMPDIR */
    } rows[] = {{longName, 0, NULL},
                {std::string(dir) + "/short.c", 1, NULL},
                {longName, 1, NULL},
                {std::string(dir) + "/short.c", 1, "/nonexistent-zolt-tmp"}};
    for (const auto &r : rows) {
        unlink(r.path.c_str());
        auto keep = [&]() {
            if (r.tmpDir) setenv("TMPDIR", r.tmpDir, 1);
            EditorModel e;
            if (EdLoad(&e, r.path.c_str(), 80, 20) != 1) return 1;
            EdKey(&e, Typed('K'));
            int bad = !r.nobody && (EdSave(&e) != 0 || ReadFile(r.path) != "K");
            char copy[NATIVE_PATH_SIZE];
            errno = 0;
            if (EdSaveCopy(&e, copy, sizeof copy) != 0) {
                fprintf(stderr, "no copy: %s\n", strerror(errno));
                bad++;
            } else {
                struct stat sb;
                bad += ReadFile(copy) != "K" || stat(copy, &sb) != 0 || (sb.st_mode & 077) != 0;
                unlink(copy);
            }
            EdFree(&e);
            return bad;
        };
        EXPECT_EQ(r.nobody ? AsNobody(keep) : keep(), 0) << r.path.size() << " " << r.nobody;
    }
    EXPECT_EQ(system(("rm -rf " + std::string(dir)).c_str()), 0);
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
