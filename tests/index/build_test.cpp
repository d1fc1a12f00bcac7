// Project scan and index files on real directory trees: classification, the bytes written,
// incremental rebuilds, malformed input and writes that fail.
#include <gtest/gtest.h>

#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/alloc.h"
#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"
#include "platform/platform.h"
#include "plugin/plugin.h"
#include "state/state.h"
#include "testhost/testhost.h"
#include "treetest.h"

namespace {

struct BuildTest : TreeTest {
    // Builds and reports how many files the scanner saw.
    int Build(int recurse = 1, const char *mask = "*.c;*.cpp;*.h;*.hpp")
    {
        Fresh(recurse, mask);
        BuildProjectIndex(&st);
        return st.filesScanned;
    }

    static void SetTime(const std::string &path, uint32_t low, uint32_t high)
    {
        FileTime t = {low, high};
        ASSERT_EQ(FileSetWriteTime(path.c_str(), &t), 0) << path;
    }

    static void Mkdir(const std::string &path) { ASSERT_EQ(mkdir(path.c_str(), 0755), 0); }

    static std::vector<std::string> Lines(const std::string &text)
    {
        std::vector<std::string> lines;
        size_t start = 0, end;
        while ((end = text.find("\r\n", start)) != std::string::npos) {
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
        return lines;
    }

    static long MTimeNs(const std::string &path)
    {
        struct stat sb;
        if (stat(path.c_str(), &sb) != 0) return -1;
        return sb.st_mtim.tv_sec * 1000000000L + sb.st_mtim.tv_nsec;
    }

    // A small tree: a.c defines f at line 3, sub/b.c has no definitions, sub/c.h defines T.
    void SmallTree()
    {
        WriteText("a.c", "#include <x.h>\n\nint f(void) { return 0; }\n");
        Mkdir("sub");
        WriteText("sub/b.c", "/* nothing here */\n");
        WriteText("sub/c.h", "typedef int T;\n");
        WriteText("notes.txt", "int g(void) {}\n");
        SetTime("a.c", 1000, 30000000);
        SetTime("sub/b.c", 2000, 30000001);
        SetTime("sub/c.h", 3000, 30000002);
    }
};

TEST_F(BuildTest, ClassifiesByMacroMaskFirstThenTheList)
{
    struct {
        const char *name, *masks;
        int kind;
    } const rows[] = {
        {"x.mac", "", FILE_KIND_MACRO},          {"x.c", "", FILE_KIND_NONE},
        {"x.mac", "*.c;*.mac", FILE_KIND_MACRO}, {"X.C", "*.c;*.h", FILE_KIND_SOURCE},
        {"a.h", "*.c;*.h", FILE_KIND_SOURCE},    {"a.h", "*.c;*.h;", FILE_KIND_SOURCE},
        {"a.cpp", "*.c", FILE_KIND_NONE},        {"sub\\a.c", "*.c", FILE_KIND_SOURCE},
        {"a.c", ";;*.c", FILE_KIND_SOURCE},      {"makefile", "*.c;makefile", FILE_KIND_SOURCE},
        {"a.txt", ";", FILE_KIND_NONE},
    };
    for (const auto &r : rows)
        EXPECT_EQ(ClassifyFile(r.name, r.masks), r.kind) << r.name << " / " << r.masks;
    std::string longList(511, ';');
    EXPECT_EQ(ClassifyFile("a.c", longList.c_str()), FILE_KIND_NONE);
}

TEST_F(BuildTest, WritesBothFilesOfASmallTree)
{
    SmallTree();
    EXPECT_EQ(Build(), 3);
    EXPECT_EQ(ReadText("zoltprj$.Far"), "?sub\\b.c?0\r\nf?a.c?3\r\nT?sub\\c.h?1\r\n");
    std::vector<std::string> update = Lines(ReadText("zoltpru$.Far"));
    std::vector<std::string> expected = {"?sub\\b.c?0?2000?30000001", "f?a.c?3?1000?30000000",
                                         "T?sub\\c.h?1?3000?30000002"};
    // Walk order is the file system's; the set of lines and each file's run are what count.
    std::vector<std::string> sorted = update;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    EXPECT_EQ(ReadText(TempName("zoltprj$")), "<missing>");
    EXPECT_EQ(ReadText(TempName("zoltpru$")), "<missing>");
}

TEST_F(BuildTest, RecursionOffOffersDirectoriesAsFiles)
{
    SmallTree();
    Mkdir("dir.c"); // a directory a mask matches: counted, yields nothing
    EXPECT_EQ(Build(0), 2);
    EXPECT_EQ(st.changedFiles, 2);
    EXPECT_EQ(ReadText("zoltprj$.Far"), "f?a.c?3\r\n");
    EXPECT_EQ(Build(0), 1); // the directory is "changed" on every build
}

TEST_F(BuildTest, RebuildWithNothingTouchedWritesNothing)
{
    SmallTree();
    Build();
    const std::string project = ReadText("zoltprj$.Far"), update = ReadText("zoltpru$.Far");
    const long projectTime = MTimeNs("zoltprj$.Far"), updateTime = MTimeNs("zoltpru$.Far");
    EXPECT_EQ(Build(), 0);
    EXPECT_EQ(st.updMode, 1);
    EXPECT_EQ(ReadText("zoltprj$.Far"), project);
    EXPECT_EQ(ReadText("zoltpru$.Far"), update);
    EXPECT_EQ(MTimeNs("zoltprj$.Far"), projectTime);
    EXPECT_EQ(MTimeNs("zoltpru$.Far"), updateTime);
}

TEST_F(BuildTest, TouchedFileAloneIsRescanned)
{
    SmallTree();
    Build();
    WriteText("a.c", "int f(void) { return 0; }\nint g(void) { return 1; }\n");
    SetTime("a.c", 1001, 30000000);
    EXPECT_EQ(Build(), 1);
    EXPECT_EQ(ReadText("zoltprj$.Far"), "?sub\\b.c?0\r\nf?a.c?1\r\ng?a.c?2\r\nT?sub\\c.h?1\r\n");

    SetTime("sub/c.h", 2999, 30000002); // set back: still a change
    EXPECT_EQ(Build(), 1);
    EXPECT_EQ(Build(), 0);
}

TEST_F(BuildTest, DeletedFileLeavesTheIndex)
{
    SmallTree();
    Build();
    ASSERT_EQ(remove("sub/c.h"), 0);
    EXPECT_EQ(Build(), 0); // nothing scanned, but the entries of c.h are dropped
    EXPECT_EQ(ReadText("zoltprj$.Far"), "?sub\\b.c?0\r\nf?a.c?3\r\n");
    EXPECT_EQ(Lines(ReadText("zoltpru$.Far")).size(), 2u);

    ASSERT_EQ(remove("sub/b.c"), 0);
    SetTime("a.c", 5, 30000000);
    EXPECT_EQ(Build(), 1);
    EXPECT_EQ(ReadText("zoltprj$.Far"), "f?a.c?3\r\n");
}

// A project file removed, or damaged so that Browse refuses it and asks for a build, is written
// again by the next build even though no source changed.
TEST_F(BuildTest, MissingProjectFileIsWrittenAgain)
{
    SmallTree();
    Build();
    const std::string project = ReadText("zoltprj$.Far");
    const std::string damaged[] = {"", "z?a.c?1\r\nf?a.c?3\r\n" /* out of order */,
                                   std::string("f?a.c?3\r\n\0\r\n", 12),
                                   "f?a.c?3\r\n" + std::string(4097, 'x') /* no line so long */,
                                   "f?a.c?3\r\nT?sub\\c.h?1\r\n" /* an entry short */};
    for (const std::string &text : damaged) {
        ASSERT_EQ(remove("zoltprj$.Far"), 0);
        if (!text.empty()) WriteText("zoltprj$.Far", text);
        EXPECT_EQ(Build(), 0);
        EXPECT_EQ(ReadText("zoltprj$.Far"), project) << text.substr(0, 20);
    }
}

// The update table as a previous build left it: entries of `files`, each with one time.
void FillUpdateTable(BrowserState *st, const std::vector<std::pair<std::string, uint32_t>> &runs)
{
    for (const auto &r : runs) {
        DefinitionEntry e;
        memset(&e, 0, sizeof e);
        snprintf(e.name, sizeof e.name, "n%d", st->updCount);
        snprintf(e.file, sizeof e.file, "%s", r.first.c_str());
        FileTime t = {r.second, 7};
        memcpy((char *)&e + offsetof(DefinitionEntry, writeTime), &t, sizeof t);
        ASSERT_EQ(AppendEntry(&e, st, 1), 0);
    }
}

DirEntry FileEntry(const char *name, uint32_t low)
{
    DirEntry d;
    memset(&d, 0, sizeof d);
    snprintf(d.name, sizeof d.name, "%s", name);
    d.writeTime.low = low;
    d.writeTime.high = 7;
    return d;
}

TEST_F(BuildTest, ReuseLooksAheadAHundredEntries)
{
    struct {
        int stale;  // entries of deleted files before a.c's run
        int reused; // expected result
        int cursorAfter;
    } const rows[] = {{0, 1, 2}, {99, 1, 101}, {100, 0, 0}, {150, 0, 0}};
    for (const auto &r : rows) {
        Fresh();
        st.updMode = 1;
        std::vector<std::pair<std::string, uint32_t>> runs((size_t)r.stale, {"gone.c", 1});
        runs.push_back({"a.c", 9});
        runs.push_back({"a.c", 9});
        runs.push_back({"b.c", 9});
        FillUpdateTable(&st, runs);
        DirEntry a = FileEntry("a.c", 9);
        EXPECT_EQ(ReuseUnchanged(&a, &st), r.reused) << r.stale << " stale entries";
        EXPECT_EQ(st.updCursor, r.cursorAfter) << r.stale;
        EXPECT_EQ(st.count, r.reused ? 2 : 0) << r.stale;
    }
}

TEST_F(BuildTest, ReuseRejectsChangedAndCaseChangedFiles)
{
    Fresh();
    st.updMode = 1;
    FillUpdateTable(&st, {{"a.c", 9}, {"a.c", 9}, {"sub\\B.c", 9}, {"x.c", 4}, {"x.c", 5}});
    DirEntry a = FileEntry("a.c", 8);
    EXPECT_EQ(ReuseUnchanged(&a, &st), 0);
    EXPECT_EQ(st.updCursor, 2);
    strcpy(st.relDir, "sub\\");
    DirEntry b = FileEntry("b.c", 9); // the name changed only in letter case
    EXPECT_EQ(ReuseUnchanged(&b, &st), 0);
    EXPECT_EQ(st.updCursor, 2);
    st.relDir[0] = '\0';
    DirEntry x = FileEntry("x.c", 4); // a run with mixed times is never half copied
    EXPECT_EQ(ReuseUnchanged(&x, &st), 0);
    EXPECT_EQ(st.count, 0);
    EXPECT_EQ(st.updCursor, 5);
}

TEST_F(BuildTest, LoadingShowsProgressEveryHundredLinesBrowsingReadsInPlace)
{
    std::string text;
    for (int i = 0; i < 250; i++) // sorted, as a build writes it
        text += "n" + std::to_string(1000 + i) + "?f.c?" + std::to_string(i) + "\r\n";
    WriteText("zoltprj$.Far", text);
    Fresh();
    ASSERT_EQ(LoadIndex(&st, 0), 0);
    EXPECT_EQ(st.count, 250);
    auto boxes = CallsOf(CALL_MESSAGE);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].items, (std::vector<std::string>{"M17", "M18"}));
    EXPECT_EQ(boxes[0].buttons, 0);

    Fresh(); // the browse command reads the file where it lies: no table, no loading box
    TestHostClearCalls();
    ScriptMenu(-1);
    BrowseCommand(&st, OPEN_PLUGINSMENU);
    EXPECT_EQ(st.count, 0);
    EXPECT_EQ(CallsOf(CALL_MESSAGE).size(), 0u) << TestHostTranscript();
    ASSERT_EQ(CallsOf(CALL_MENU).size(), 1u);
    EXPECT_EQ(CallsOf(CALL_MENU)[0].count, 250);
}

// Browsing the index where it lies shows, for every filter, the menus that browsing the loaded
// table shows: the same items in the same order, the same counts and bottom lines.
TEST_F(BuildTest, BrowsingInPlaceShowsWhatTheLoadedTableShows)
{
    SetMsgText(MSG_BROWSE_BOUNDED, "%d match, %s shown");
    std::vector<DefinitionEntry> entries;
    auto add = [&](const std::string &name, const std::string &file, int line) {
        DefinitionEntry e;
        memset(&e, 0, sizeof e);
        strncpy(e.name, name.c_str(), sizeof e.name - 1);
        strncpy(e.file, file.c_str(), sizeof e.file - 1);
        e.line = (uint32_t)line;
        entries.push_back(e);
    };
    for (int i = 0; i < 700; i++) {
        add("Ab" + std::to_string(i), "src\\a.c", i + 1);
        add("ab" + std::to_string(i % 50), "b.c", 70000 + i);
        add("_x" + std::to_string(i), "sub\\dir\\with a long name\\c.c", i);
        add("Zeta", "z" + std::to_string(i) + ".c", 1);
    }
    add("", "empty.c", 0);
    add("", "other.h", 0);
    std::sort(entries.begin(), entries.end(),
              [](const DefinitionEntry &a, const DefinitionEntry &b) {
                  return CompareEntries(&a, &b) < 0;
              });
    std::string text = "malformed line\r\n";
    for (const DefinitionEntry &e : entries) {
        char line[INDEX_LINE_ROOM];
        FormatIndexLine(line, &e, 0);
        text += std::string(line) + "\r\n";
    }
    WriteText("zoltprj$.Far", text);
    for (const char *typed : {"", "a", "ab1", "AB49", "_", "_x69", "z", "q", " ", "ab1 "}) {
        SCOPED_TRACE(std::string("typed '") + typed + "'");
        std::string menus[2];
        for (int inPlace = 0; inPlace < 2; inPlace++) {
            Fresh();
            TestHostClearCalls();
            for (const char *p = typed; *p; p++) ScriptMenuChar(*p);
            ScriptMenu(-1);
            if (inPlace) {
                BrowseCommand(&st, OPEN_PLUGINSMENU);
            } else {
                ASSERT_EQ(LoadIndex(&st, 0), 0);
                BrowseDefinitions(&st, OPEN_PLUGINSMENU);
            }
            menus[inPlace] = TestHostTranscript(CALL_MENU);
        }
        EXPECT_TRUE(menus[1] == menus[0]) << menus[1].substr(0, 300);
        EXPECT_NE(menus[0], "");
    }
}

TEST_F(BuildTest, LoadsMalformedAndForeignLines)
{
    const std::string longName(80, 'N');
    WriteText("zoltprj$.Far", "no separators\r\n"
                              "one?sep\r\n"
                              "a?x.c?12?extra?fields\r\n"
                              "b?y.c?70000\n"
                              "c?z.c?\r\n" +
                                  longName + "?" + std::string(90, 'F') +
                                  "?5\r\n"
                                  "d?w.c?7");
    Fresh();
    ASSERT_EQ(LoadIndex(&st, 0), 0);
    ASSERT_EQ(st.count, 5);
    EXPECT_STREQ(st.entries[0].name, "a");
    EXPECT_EQ(st.entries[0].line, 12);
    EXPECT_EQ(st.entries[1].line, 70000u);
    EXPECT_EQ(st.entries[2].line, 0);
    EXPECT_EQ(std::string(st.entries[3].name), longName.substr(0, 63));
    EXPECT_EQ(strlen(st.entries[3].file), 63u);
    EXPECT_EQ(st.entries[4].line, 7);
}

TEST_F(BuildTest, UpdateLinesReadTheSameWithAnyLineEnd)
{
    WriteText("zoltpru$.Far", "f?a.c?3?1000?30000000\r\n"
                              "g?b.c?4?1000?30000000\n"
                              "h?c.c?5\r\n"
                              "i?d.c?6?1000\r\n"
                              "j?e.c?7?1000?30000000");
    Fresh();
    ASSERT_EQ(LoadIndex(&st, 1), 0);
    ASSERT_EQ(st.updCount, 5);
    for (int i : {0, 1, 4}) {
        FileTime t = EntryWriteTime(&st.updEntries[i]);
        EXPECT_EQ(t.low, 1000u) << i;
        EXPECT_EQ(t.high, 30000000u) << i;
    }
    // Without both halves the time is one no file can have: the file counts as changed.
    for (int i : {2, 3}) {
        FileTime t = EntryWriteTime(&st.updEntries[i]);
        EXPECT_EQ(t.low, 0xFFFFFFFFu) << i;
        EXPECT_EQ(t.high, 0xFFFFFFFFu) << i;
    }
    EXPECT_EQ(LoadIndex(&st, 1) == 0 && ReadText("none") == "<missing>", true);
}

TEST_F(BuildTest, MissingUpdateFileMeansAFullBuild)
{
    Fresh();
    EXPECT_EQ(LoadIndex(&st, 1), 1);
    EXPECT_EQ(st.updCount, 0);
}

TEST_F(BuildTest, BrowseWithoutIndexScansAndWritesNothing)
{
    SmallTree();
    Fresh();
    ASSERT_EQ(LoadIndex(&st, 0), 0);
    ASSERT_EQ(st.count, 3);
    EXPECT_STREQ(st.entries[0].file, "sub\\b.c"); // sorted: the placeholder first
    EXPECT_EQ(ReadText("zoltprj$.Far"), "<missing>");
    EXPECT_EQ(ReadText("zoltpru$.Far"), "<missing>");
}

// The boxes the build showed, as "M6|M33|M8".
std::vector<std::string> Warnings()
{
    std::vector<std::string> boxes;
    for (const HostCall &c : CallsOf(CALL_MESSAGE)) {
        if (c.buttons == 0) continue; // progress
        std::string box;
        for (const std::string &item : c.items) box += (box.empty() ? "" : "|") + item;
        boxes.push_back(box);
    }
    return boxes;
}

TEST_F(BuildTest, FailedWritesKeepThePreviousFilesAndSaySo)
{
    SmallTree();
    Build();
    const std::string project = ReadText("zoltprj$.Far"), update = ReadText("zoltpru$.Far");
    WriteText("a.c", "int changed(void) {}\n");
    SetTime("a.c", 77, 30000000);
    const std::vector<std::string> notWritten = {"M6|M33|M8"};

    // A directory where a temporary or an index file would go.
    for (const std::string &blocker : {TempName("zoltpru$"), std::string("zoltprj$.Far")}) {
        const bool indexName = blocker == "zoltprj$.Far";
        if (indexName) {
            ASSERT_EQ(rename("zoltprj$.Far", "saved"), 0);
        }
        Mkdir(blocker);
        TestHostClearCalls();
        EXPECT_EQ(Build(), 1) << blocker;
        EXPECT_EQ(Warnings(), notWritten) << blocker;
        EXPECT_EQ(ReadText("zoltpru$.Far"), update) << blocker;
        for (const std::string &temp : {TempName("zoltprj$"), TempName("zoltpru$")})
            EXPECT_EQ(ReadText(temp), temp == blocker ? "" : "<missing>") << blocker;
        ASSERT_EQ(rmdir(blocker.c_str()), 0);
        if (indexName) {
            ASSERT_EQ(rename("saved", "zoltprj$.Far"), 0);
        }
        EXPECT_EQ(ReadText("zoltprj$.Far"), project) << blocker;
    }

    // The disk fills up halfway through the write (a file-size limit stops root too).
    struct rlimit saved, tiny;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    tiny = saved;
    tiny.rlim_cur = 20;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    TestHostClearCalls();
    int scanned = Build();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(scanned, 1);
    EXPECT_EQ(Warnings(), notWritten);
    EXPECT_EQ(ReadText("zoltprj$.Far"), project);
    EXPECT_EQ(ReadText("zoltpru$.Far"), update);
    EXPECT_EQ(ReadText(TempName("zoltprj$")), "<missing>");
    EXPECT_EQ(ReadText(TempName("zoltpru$")), "<missing>");

    TestHostClearCalls();
    EXPECT_EQ(Build(), 1); // the next build writes them
    EXPECT_EQ(Warnings(), std::vector<std::string>{});
    EXPECT_EQ(ReadText("zoltprj$.Far"), "?sub\\b.c?0\r\nchanged?a.c?1\r\nT?sub\\c.h?1\r\n");
}

// Esc stops the walk before the next file of the masks, wherever the walk is (here or in a
// subdirectory): nothing is written, the old files stay byte for byte, and the user is told.
int g_stopAt, g_asked; // the stop callback's answer: 1 at its g_stopAt-th call

int StopAtNthFile(void)
{
    return ++g_asked == g_stopAt;
}

TEST_F(BuildTest, EscStopsTheBuildAtTheNextFileAndKeepsTheOldFiles)
{
    SmallTree();
    Build();
    const std::string project = ReadText("zoltprj$.Far"), update = ReadText("zoltpru$.Far");
    WriteText("a.c", "int changed(void) {}\n");
    SetTime("a.c", 77, 30000000);
    for (int stopAt : {1, 2, 3}) {
        Fresh();
        g_stopAt = stopAt;
        g_asked = 0;
        st.stopRequested = StopAtNthFile;
        TestHostClearCalls();
        EXPECT_EQ(BuildProjectIndex(&st), BUILD_STOPPED) << stopAt;
        EXPECT_EQ(g_asked, stopAt) << "asked once per file until it said stop";
        EXPECT_EQ(st.changedFiles, stopAt > 1 ? 1 : 0) << stopAt; // a.c comes first
        EXPECT_EQ(Warnings(), std::vector<std::string>{"M6|M38|M8"}) << stopAt;
        EXPECT_EQ(ReadText("zoltprj$.Far"), project) << stopAt;
        EXPECT_EQ(ReadText("zoltpru$.Far"), update) << stopAt;
        EXPECT_EQ(ReadText(TempName("zoltprj$")), "<missing>") << stopAt;
    }
    g_stopAt = 0; // never: the walk asks at every file and runs to its end
    g_asked = 0;
    Fresh();
    st.stopRequested = StopAtNthFile;
    TestHostClearCalls();
    EXPECT_EQ(BuildProjectIndex(&st), BUILD_DONE);
    EXPECT_EQ(g_asked, 3);
    EXPECT_EQ(Warnings(), std::vector<std::string>{});
    EXPECT_EQ(ReadText("zoltprj$.Far"), "?sub\\b.c?0\r\nchanged?a.c?1\r\nT?sub\\c.h?1\r\n");
}

TEST_F(BuildTest, LinksPlantedAtTemporaryNamesAreNotWrittenThrough)
{
    SmallTree();
    WriteText("../victim", "precious\n");
    for (const char *base : {"zoltprj$", "zoltpru$", "zoltopt$"})
        ASSERT_EQ(symlink((root + "/../victim").c_str(), TempName(base).c_str()), 0);
    ASSERT_EQ(symlink((root + "/../victim").c_str(), "zoltopt$.Far"), 0);
    EXPECT_EQ(Build(), 3);
    EXPECT_EQ(ReadText("../victim"), "precious\n");
    struct stat sb;
    for (const char *name : {"zoltprj$.Far", "zoltpru$.Far", "zoltopt$.Far"}) {
        ASSERT_EQ(lstat(name, &sb), 0) << name;
        EXPECT_TRUE(S_ISREG(sb.st_mode)) << name;
    }
    EXPECT_EQ(ReadText("zoltprj$.Far"), "?sub\\b.c?0\r\nf?a.c?3\r\nT?sub\\c.h?1\r\n");
    (void)remove("../victim");
}

// The temporary files of builds that died go, counted; those of a running process stay, and so
// does every file that is not exactly one of our temporaries' names: the user's own among them.
TEST_F(BuildTest, StaleTemporaryFilesAreRemoved)
{
    pid_t dead = fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) _exit(0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    const std::string deadId = std::to_string(dead), liveId = std::to_string(getppid()),
                      mark = "~zolt-temp";
    struct {
        std::string name;
        bool stays;
    } const rows[] = {
        {"zoltprj$." + deadId + mark, false},
        {"zoltpru$." + deadId + mark, false},
        {TempName("zoltopt$"), false}, // our own id: left by an earlier process that had it
        {"zoltprj$." + liveId + mark, true},
        {"zoltpru$.x" + deadId + mark, true},
        {"zoltprj$." + mark, true},
        {"zoltprj$.0" + deadId + mark, true},
        {"zoltprj$." + deadId + mark + ".bak", true},
        {"zoltprj$.4294967296" + mark, true},
        {"other." + deadId + mark, true},
        {"zoltprj$.123", true}, // names a user may well have chosen
        {"zoltpru$.4000000", true},
        {"zoltprj$." + deadId, true},
    };
    for (const auto &r : rows) WriteText(r.name, "old");
    Mkdir("zoltopt$." + deadId + mark); // not a file: never ours
    SmallTree();
    Build();
    for (const auto &r : rows) EXPECT_EQ(ReadText(r.name) == "old", r.stays) << r.name;
    EXPECT_EQ(st.tempFilesRemoved, 3);
    struct stat sb;
    EXPECT_EQ(stat(("zoltopt$." + deadId + mark).c_str(), &sb), 0);
}

// An index built under other scan options (or unknown ones) is built again from every file.
TEST_F(BuildTest, ChangedScanOptionsRescanEveryFile)
{
    SmallTree();
    WriteText("s.c", "static int hidden(void) { return 0; }\n");
    // flags: 1 static on, 2 inline off, 4 qualified off; forget: the recorded options deleted
    const struct {
        int flags, recurse;
        const char *mask;
        bool forget;
        int scanned;
    } rows[] = {
        {0, 1, "*.c;*.h", false, 4}, {0, 1, "*.c;*.h", false, 0}, {1, 1, "*.c;*.h", false, 4},
        {3, 1, "*.c;*.h", false, 4}, {7, 1, "*.c;*.h", false, 4}, {7, 1, "*.c", false, 3},
        {7, 0, "*.c", false, 2},     {7, 0, "*.c", false, 0},     {7, 0, "*.c", true, 2}};
    for (const auto &r : rows) {
        EXPECT_EQ(!r.forget || remove("zoltopt$.Far") == 0, true);
        Fresh(r.recurse, r.mask);
        st.includeStatic = r.flags & 1;
        st.includeInline = !(r.flags & 2);
        st.includeQualified = !(r.flags & 4);
        BuildProjectIndex(&st);
        EXPECT_EQ(st.filesScanned, r.scanned) << r.flags << r.recurse << r.mask << r.forget;
    }
    EXPECT_EQ(ReadText("zoltprj$.Far"), "f?a.c?3\r\nhidden?s.c?1\r\n");
}

TEST_F(BuildTest, SkipsSubdirectoriesThatCannotBeEntered)
{
    SmallTree();
    Mkdir("locked");
    WriteText("locked/x.c", "int x(void) {}\n");
    // As root a mode of 0 still lets us in; a path too long for relDir is the portable case.
    std::string deep = "d" + std::string(120, 'x');
    Mkdir(deep);
    Mkdir(deep + "/" + std::string(140, 'y'));
    WriteText(deep + "/" + std::string(140, 'y') + "/z.c", "int z(void) {}\n");
    Build();
    std::string project = ReadText("zoltprj$.Far");
    EXPECT_NE(project.find("x?locked\\x.c?1"), std::string::npos);
    EXPECT_EQ(project.find("z?"), std::string::npos);
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(cwd), root);
}

} // namespace
