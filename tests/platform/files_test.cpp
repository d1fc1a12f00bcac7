// Posix file layer: FILETIME conversion, enumeration of links, wildcards, path translation.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/alloc.h"
#include "platform/platform.h"
#include "tempdir.h"

namespace {

uint64_t Ticks(const FileTime &t)
{
    return ((uint64_t)t.high << 32) | t.low;
}

void SetUnixTime(const char *path, time_t sec, long nsec, int flags = 0)
{
    struct timespec times[2] = {{0, UTIME_OMIT}, {sec, nsec}};
    ASSERT_EQ(utimensat(AT_FDCWD, path, times, flags), 0) << path;
}

struct Seen {
    uint32_t attributes;
    uint64_t ticks;
};

// Every entry DirFirst/DirNext report for the pattern, in order.
std::vector<std::pair<std::string, Seen>> Enumerate(const char *pattern)
{
    std::vector<std::pair<std::string, Seen>> out;
    DirEntry e;
    DirEnum *d = DirFirst(pattern, &e);
    if (d == nullptr) return out;
    do {
        EXPECT_EQ(e.shortName[0], '\0') << e.name;
        out.push_back({e.name, {e.attributes, Ticks(e.writeTime)}});
    } while (DirNext(d, &e));
    DirClose(d);
    return out;
}

using FileTest = TempDirTest;

TEST_F(FileTest, WriteTimeCountsHundredNanosecondsFrom1601)
{
    struct {
        time_t sec;
        long nsec;
        uint64_t ticks;
    } const rows[] = {
        {0, 0, 116444736000000000ULL},
        {1, 123456789, 116444736011234567ULL}, // the last two nanosecond digits are dropped
        {1700000000, 99, 133444736000000000ULL},
        {-1, 500000000, 116444735995000000ULL},
    };
    WriteText("f.txt", "x");
    for (const auto &row : rows) {
        SetUnixTime("f.txt", row.sec, row.nsec);
        FileTime t;
        ASSERT_EQ(FileGetWriteTime("f.txt", &t), 0);
        EXPECT_EQ(Ticks(t), row.ticks) << row.sec;
        EXPECT_EQ(t.low, (uint32_t)row.ticks);
        EXPECT_EQ(t.high, (uint32_t)(row.ticks >> 32));
        FileTime back = {0, 0};
        ASSERT_EQ(FileSetWriteTime("f.txt", &t), 0);
        ASSERT_EQ(FileGetWriteTime("f.txt", &back), 0);
        EXPECT_EQ(Ticks(back), row.ticks);
    }
    FileTime t;
    EXPECT_EQ(FileGetWriteTime("missing.txt", &t), -1);
}

TEST_F(FileTest, CompareFileTimesWeighsTheHighHalfFirst)
{
    FileTime a = {0xFFFFFFFFu, 1}, b = {0, 2}, c = {0, 2};
    EXPECT_EQ(CompareFileTimes(&a, &b), -1);
    EXPECT_EQ(CompareFileTimes(&b, &a), 1);
    EXPECT_EQ(CompareFileTimes(&b, &c), 0);
}

// The order Wine's FindFirstFileA/FindNextFileA gave for these names (NTFS sorts the same way):
// upper-cased bytes, so "_" follows the letters. Walks on both platforms must agree, because
// scanner state carries from one file to the next.
TEST_F(FileTest, NamesComeInTheWindowsOrder)
{
    for (const char *name :
         {"B.c", "a.c", "a_b.c", "aZ.c", "_x.c", "b2.c", "Zed.c", "zz.c", "~t.c", "[q.c"})
        WriteText(name, "");
    std::vector<std::string> names;
    for (const auto &s : Enumerate("*.*")) names.push_back(s.first);
    std::vector<std::string> const expected = {".",    "..",    "a.c",  "aZ.c", "a_b.c", "B.c",
                                               "b2.c", "Zed.c", "zz.c", "[q.c", "_x.c",  "~t.c"};
    EXPECT_EQ(names, expected);
    names.clear();
    for (const auto &s : Enumerate("?.c")) names.push_back(s.first);
    EXPECT_EQ(names, (std::vector<std::string>{"a.c", "B.c"}));

    // The names are read whole first: a failed allocation on the way enumerates nothing, and
    // says so apart from an empty or unreadable directory.
    for (long n = 1; n <= 3; n++) {
        MemFailFrom(n);
        DirEntry e;
        DirEnum *d = nullptr;
        EXPECT_EQ(DirStart("*.*", &e, &d), -1) << n;
        EXPECT_EQ(d, nullptr);
        EXPECT_EQ(DirFirst("*.*", &e), nullptr) << n;
        MemFailFrom(0);
    }
    DirEntry e;
    DirEnum *d = nullptr;
    EXPECT_EQ(DirStart("*.none", &e, &d), 1);
    EXPECT_EQ(d, nullptr);
}

TEST_F(FileTest, LinksNeverReadAsDirectories)
{
    ASSERT_EQ(mkdir("sub", 0755), 0);
    WriteText("a.c", "int a;\n");
    WriteText("ro.h", "");
    ASSERT_EQ(chmod("ro.h", 0444), 0);
    ASSERT_EQ(symlink("sub", "linkdir"), 0);
    ASSERT_EQ(symlink("..", "linkup"), 0);
    ASSERT_EQ(symlink("a.c", "linkfile"), 0);
    ASSERT_EQ(symlink("nowhere", "dangling"), 0);
    ASSERT_EQ(mkfifo("pipe.c", 0644), 0);
    SetUnixTime("a.c", 1000, 0);
    SetUnixTime("linkfile", 2000, 0, AT_SYMLINK_NOFOLLOW); // the link's own time is not reported

    auto seen = Enumerate("*.*");
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, ".");
    EXPECT_EQ(seen[1].first, "..");
    std::map<std::string, uint32_t> attributes;
    for (const auto &s : seen) attributes[s.first] = s.second.attributes;
    std::map<std::string, uint32_t> const expected = {
        {".", FILE_ATTR_DIRECTORY},
        {"..", FILE_ATTR_DIRECTORY},
        {"sub", FILE_ATTR_DIRECTORY},
        {"a.c", 0},
        {"ro.h", FILE_ATTR_READONLY},
        {"linkdir", 0},
        {"linkup", 0},
        {"linkfile", 0},
    };
    EXPECT_EQ(attributes, expected); // no dangling link, no fifo
    for (const auto &s : seen) {
        if (s.first == "linkfile") {
            EXPECT_EQ(s.second.ticks, 116444736000000000ULL + 1000 * 10000000ULL);
        }
    }
}

TEST_F(FileTest, PatternsMatchWithoutAsciiCase)
{
    for (const char *name : {"a.c", "B.CPP", "Makefile", "x.tar.gz", "abc"}) WriteText(name, "");
    struct {
        const char *pattern;
        std::set<std::string> names;
    } const rows[] = {
        {"*.*", {".", "..", "a.c", "B.CPP", "Makefile", "x.tar.gz", "abc"}},
        {"*", {".", "..", "a.c", "B.CPP", "Makefile", "x.tar.gz", "abc"}},
        {"*.C", {"a.c"}},
        {"*.c*", {"a.c", "B.CPP"}},
        {"?.c", {"a.c"}},
        {"A*C", {"a.c", "abc"}},
        {"*a*", {"a.c", "Makefile", "x.tar.gz", "abc"}},
        {"*.gz", {"x.tar.gz"}},
        {"makefile", {"Makefile"}},
        {"*.h", {}},
    };
    for (const auto &row : rows) {
        std::set<std::string> got;
        for (const auto &s : Enumerate(row.pattern)) got.insert(s.first);
        EXPECT_EQ(got, row.names) << row.pattern;
    }
}

TEST_F(FileTest, PathsTranslateBothWays)
{
    struct {
        const char *plugin;
        const char *native;
    } const rows[] = {
        {"\\home\\u\\p", "/home/u/p"}, {"a\\b", "a/b"}, {"\\", "/"}, {"", ""}, {"name.c", "name.c"},
    };
    for (const auto &row : rows) {
        char out[64];
        ASSERT_EQ(ToNativePath(row.plugin, out, sizeof out), 0);
        EXPECT_STREQ(out, row.native);
        ASSERT_EQ(FromNativePath(row.native, out, sizeof out), 0);
        EXPECT_STREQ(out, row.plugin);
    }
}

TEST_F(FileTest, PathTranslationRefusesWhatDoesNotFit)
{
    char out[8];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(ToNativePath("\\a\\b\\cd", out, 8), 0); // 7 characters and the NUL
    EXPECT_STREQ(out, "/a/b/cd");
    memset(out, 'x', sizeof out);
    EXPECT_EQ(FromNativePath("/a/b/cde", out, 8), -1);
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(ToNativePath("a", out, 0), -1);
}

TEST_F(FileTest, CurrentDirectoryInBackslashForm)
{
    ASSERT_EQ(mkdir("sub", 0755), 0);
    char expected[PATH_MAX], got[PATH_MAX];
    ASSERT_EQ(FromNativePath((root + "/sub").c_str(), expected, sizeof expected), 0);
    ASSERT_EQ(SetCurrentDir("sub"), 0);
    ASSERT_EQ(GetCurrentDir(got, sizeof got), 0);
    EXPECT_STREQ(got, expected);
    EXPECT_EQ(GetCurrentDir(got, strlen(expected)), -1);
    EXPECT_EQ(SetCurrentDir("\\no\\such\\dir"), -1);
    EXPECT_EQ(SetCurrentDir(""), -1);
    ASSERT_EQ(FromNativePath(root.c_str(), expected, sizeof expected), 0);
    ASSERT_EQ(SetCurrentDir(expected), 0);
    ASSERT_EQ(GetCurrentDir(got, sizeof got), 0);
    EXPECT_STREQ(got, expected);
}

TEST_F(FileTest, OpenReplaceRemoveTakeBackslashPaths)
{
    ASSERT_EQ(mkdir("sub", 0755), 0);
    FILE *f = FileOpen("sub\\new.tmp", "wb");
    ASSERT_NE(f, nullptr);
    fputs("new", f);
    fclose(f);
    WriteText("sub/old.idx", "old");
    ASSERT_EQ(FileReplace("sub\\new.tmp", "sub\\old.idx"), 0);
    EXPECT_EQ(ReadText("sub/old.idx"), "new");
    EXPECT_EQ(ReadText("sub/new.tmp"), "<missing>");
    EXPECT_EQ(FileReplace("sub\\new.tmp", "sub\\old.idx"), -1);
    EXPECT_EQ(FileRemove("sub\\old.idx"), 0);
    EXPECT_EQ(FileRemove("sub\\old.idx"), -1);
    EXPECT_EQ(FileOpen("sub\\old.idx", "rb"), nullptr);
}

// A reader never waits on a FIFO nor reads a device without end; a new file is never a link's.
TEST_F(FileTest, ReadsOnlyRegularFilesAndCreatesOnlyNewOnes)
{
    WriteText("plain", "text");
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    ASSERT_EQ(mkdir("dir", 0755), 0);
    ASSERT_EQ(symlink("plain", "link"), 0);
    ASSERT_EQ(symlink("nowhere", "dangling"), 0);
    const struct {
        const char *path;
        bool opens;
    } reads[] = {{"plain", true},        {"link", true},         {"fifo", false},    {"dir", false},
                 {"\\dev\\zero", false}, {"\\dev\\null", false}, {"dangling", false}};
    for (const auto &r : reads) {
        FILE *f = FileOpen(r.path, "rb");
        EXPECT_EQ(f != nullptr, r.opens) << r.path;
        if (f != nullptr) fclose(f);
    }
    for (const char *taken : {"plain", "link", "dangling", "fifo", "dir"})
        EXPECT_EQ(FileCreateExclusive(taken), nullptr) << taken;
    EXPECT_EQ(ReadText("plain"), "text");
    EXPECT_EQ(ReadText("nowhere"), "<missing>");
    FILE *f = FileCreateExclusive("fresh");
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_EQ(ReadText("fresh"), "");
}

TEST(KeyScanChar, UsLayoutCodesAndShiftStates)
{
    struct {
        int c;
        int code;
    } const rows[] = {
        {'a', 0x41},  {'z', 0x5A},  {'A', 0x141}, {'Q', 0x151}, {'0', 0x30},  {'9', 0x39},
        {' ', 0x20},  {'_', 0x1BD}, {':', 0x1BA}, {'~', 0x1C0}, {'<', 0x1BC}, {'>', 0x1BE},
        {'-', 0xBD},  {';', 0xBA},  {'`', 0xC0},  {',', 0xBC},  {'.', 0xBE},  {'!', 0x131},
        {'@', 0x132}, {')', 0x130}, {'(', 0x139}, {'|', 0x1DC}, {'\\', 0xDC}, {'"', 0x1DE},
        {'\t', 0x09}, {'\r', 0x0D}, {'\b', 0x08}, {0x1B, 0x1B}, {0xB3, -1},   {0x80, -1},
        {0x7F, -1},   {0x01, -1},   {0, -1},
    };
    for (const auto &row : rows) EXPECT_EQ(KeyScanChar((char)row.c), row.code) << "char " << row.c;
}

} // namespace
