// Builds over hostile trees on disk: unreadable files and directories, a read-only directory,
// a file gone between listing and opening, a FIFO, links that loop or lead to the root, names a
// Windows tree cannot hold, paths at and beyond the entry's 63 and relDir's 259 characters,
// huge and binary files, and index files with a 100,000-character line or 2 million lines.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "../index/treetest.h"
#include "base/alloc.h"
#include "index/index.h"
#include "navigate/navigate.h"
#include "plugin/plugin.h"
#include "state/state.h"
#include "testhost/testhost.h"

namespace {

struct HostileTree : TreeTest {
    std::string Build()
    {
        Fresh(1, "*.c;*.h");
        BuildProjectIndex(&st);
        char cwd[PATH_MAX];
        EXPECT_NE(getcwd(cwd, sizeof cwd), nullptr);
        EXPECT_EQ(std::string(cwd), root) << "the walk must return to where it started";
        return ReadText("zoltprj$.Far");
    }

    static void Mkdir(const std::string &path) { ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path; }

    // Every line has its fields (NAME?FILE?LINE, and ?LOW?HIGH in the update file) and no
    // line break of its own: the file reads back whole.
    static void ExpectWellFormed(const std::string &index, size_t separators = 2)
    {
        size_t at = 0;
        while (at < index.size()) {
            size_t end = index.find("\r\n", at);
            ASSERT_NE(end, std::string::npos) << "unterminated last line";
            std::string line = index.substr(at, end - at);
            EXPECT_EQ((size_t)std::count(line.begin(), line.end(), '?'), separators) << line;
            EXPECT_EQ(line.find('\n'), std::string::npos) << line;
            at = end + 2;
        }
    }

    // Runs fn in a child process that cannot read what it was denied: as root, permissions do
    // not stop reads, so the child gives up root for the tree's new owner, nobody.
    void AsUnprivileged(const std::function<void()> &fn)
    {
        bool root0 = geteuid() == 0;
        if (root0) ChownTree(root, 65534);
        fflush(nullptr);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (root0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
                _exit(3);
            fn();
            _exit(::testing::Test::HasFailure() ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "the unprivileged part failed";
    }

    static void ChownTree(const std::string &dir, uid_t owner)
    {
        static uid_t to;
        to = owner;
        nftw(
            dir.c_str(),
            [](const char *p, const struct stat *, int, struct FTW *) {
                return lchown(p, to, to) == 0 ? 0 : 0;
            },
            16, FTW_PHYS);
    }
};

TEST_F(HostileTree, UnreadableFilesAndDirectoriesContributeNothing)
{
    WriteText("ok.c", "int ok(void) {}\n");
    WriteText("secret.c", "int secret(void) {}\n");
    Mkdir("closed");
    WriteText("closed/inner.c", "int inner(void) {}\n");
    Mkdir("blind"); // listable only by name: can be entered but not read
    WriteText("blind/hidden.c", "int hidden(void) {}\n");
    ASSERT_EQ(chmod("secret.c", 0), 0);
    ASSERT_EQ(chmod("closed", 0), 0);
    ASSERT_EQ(chmod("blind", 0311), 0);
    AsUnprivileged([&] {
        std::string project = Build();
        EXPECT_EQ(project, "ok?ok.c?1\r\n");
        EXPECT_EQ(st.changedFiles, 2) << "the unreadable file still counts as changed";
        // a rebuild keeps the unreadable file changed, and the others reused
        project = Build();
        EXPECT_EQ(project, "ok?ok.c?1\r\n");
        EXPECT_EQ(st.filesScanned, 1);
    });
}

TEST_F(HostileTree, ReadOnlyDirectoryKeepsTheOldFiles)
{
    WriteText("a.c", "int a(void) {}\n");
    std::string before = Build();
    ASSERT_EQ(before, "a?a.c?1\r\n");
    WriteText("a.c", "int b(void) {}\n");
    FileTime later = {9, 40000000};
    ASSERT_EQ(FileSetWriteTime("a.c", &later), 0);
    ASSERT_EQ(chmod(root.c_str(), 0555), 0);
    AsUnprivileged([&] {
        EXPECT_EQ(Build(), before);
        EXPECT_EQ(ReadText(TempName("zoltprj$")), "<missing>");
        EXPECT_EQ(ReadText(TempName("zoltpru$")), "<missing>");
    });
    ASSERT_EQ(chmod(root.c_str(), 0755), 0);
    EXPECT_EQ(Build(), "b?a.c?1\r\n");
}

TEST_F(HostileTree, FileGoneBetweenListingAndOpening)
{
    Fresh();
    DirEntry gone;
    memset(&gone, 0, sizeof gone);
    strcpy(gone.name, "gone.c");
    EXPECT_EQ(VisitFile(&gone, &st), 1);
    EXPECT_EQ(st.changedFiles, 1);
    EXPECT_EQ(st.count, 0) << "no entry, not even the placeholder";
}

TEST_F(HostileTree, FifosAndLinksAreNeverWalkedOrWaitedFor)
{
    WriteText("real.c", "int real(void) {}\n");
    ASSERT_EQ(mkfifo("pipe.c", 0644), 0); // opening it would wait for a writer forever
    Mkdir("sub");
    WriteText("sub/s.c", "int s(void) {}\n");
    ASSERT_EQ(symlink(".", "sub/loop"), 0);
    ASSERT_EQ(symlink("..", "sub/up"), 0);
    ASSERT_EQ(symlink("/", "root.c"), 0); // a link to a directory, named like a source
    ASSERT_EQ(symlink("real.c", "alias.c"), 0);
    ASSERT_EQ(symlink("missing.c", "dangling.c"), 0);
    std::string project = Build();
    // directory links are not followed: each directory is walked once in any one path
    EXPECT_EQ(project, "real?alias.c?1\r\nreal?real.c?1\r\ns?sub\\s.c?1\r\n");
    EXPECT_EQ(project.find("pipe"), std::string::npos);
    EXPECT_EQ(project.find("loop"), std::string::npos);
    EXPECT_EQ(project.find("dangling"), std::string::npos);
}

TEST_F(HostileTree, NamesAWindowsTreeCannotHoldAreLeftOut)
{
    const std::string def = "int f(void) {}\n";
    WriteText("a?b.c", def);
    WriteText("new\nline.c", def);
    WriteText("back\\slash.c", def);
    WriteText("semi;colon.c", def);
    WriteText("caf\xe9.c", def);
    WriteText("\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb.c", def); // UTF-8 bytes
    WriteText("tab\there.h", def);
    WriteText("not?a-source.txt", def); // outside the masks: not left out, just not ours
    Mkdir("dir?q");
    WriteText("dir?q/inside.c", def);
    Mkdir("dir\nnl");
    std::string project = Build();
    ExpectWellFormed(project);
    ExpectWellFormed(ReadText("zoltpru$.Far"), 4);
    EXPECT_EQ(project,
              "f?caf\xe9.c?1\r\nf?semi;colon.c?1\r\nf?\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb.c?1\r\n");
    // each one left out is counted, with its reason
    EXPECT_EQ(st.namesLeftOut, 4);
    EXPECT_EQ(st.dirsLeftOut, 2);
    EXPECT_EQ(st.filesLeftOut, 0);
    Fresh(0, "*.c;*.h"); // a walk that stays here meets no directory
    BuildProjectIndex(&st);
    EXPECT_EQ(st.namesLeftOut, 4);
    EXPECT_EQ(st.dirsLeftOut, 0);
}

TEST_F(HostileTree, PathsAtTheEntryAndDirectoryBounds)
{
    // file fields of 62, 63 and 64 characters: the last is dropped with its placeholder
    Mkdir("d");
    for (int len : {62, 63, 64}) {
        std::string name = std::string((size_t)len - 4, 'n') + ".c";
        WriteText("d/" + name, "int f" + std::to_string(len) + "(void) {}\n");
    }
    // a chain of directories whose relative path passes 259 characters
    std::string path;
    for (int depth = 0; depth < 6; depth++) {
        path += (path.empty() ? "" : "/") + std::string(50, (char)('a' + depth));
        Mkdir(path);
        WriteText(path + "/x.c", "int depth" + std::to_string(depth) + "(void) {}\n");
    }
    std::string project = Build();
    ExpectWellFormed(project);
    EXPECT_NE(project.find("f62?d\\"), std::string::npos);
    EXPECT_NE(project.find("f63?d\\"), std::string::npos);
    EXPECT_EQ(project.find("f64?"), std::string::npos);
    EXPECT_NE(project.find("depth0?"), std::string::npos); // 52 characters
    EXPECT_EQ(project.find("depth1?"), std::string::npos); // 103: beyond the entry's file field
    EXPECT_EQ(project.find("depth5?"), std::string::npos);
    // nothing deeper than relDir holds was entered: the walk came back to the root
}

TEST_F(HostileTree, HugeAndBinarySourcesScanInBoundedTime)
{
    std::string line(10 * 1024 * 1024, 'x'); // 10 MB, one line
    line.replace(0, 22, "int f(void) { return; ");
    line += "}\nint g(void) {}\n";
    WriteText("wide.c", line);
    WriteText("zeros.c", std::string(1024 * 1024, '\0'));
    WriteText("mixed.c",
              std::string(5000, '{') + std::string(5000, '(') + "\"\\" + std::string(3000, '/'));
    auto start = std::chrono::steady_clock::now();
    std::string project = Build();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 60.0);
    EXPECT_NE(project.find("f?wide.c?1\r\n"), std::string::npos);
    EXPECT_NE(project.find("g?wide.c?2\r\n"), std::string::npos);
    EXPECT_NE(project.find("?zeros.c?0\r\n"), std::string::npos);
    EXPECT_NE(project.find("?mixed.c?0\r\n"), std::string::npos);
}

TEST_F(HostileTree, IndexFilesWithAHugeLineOrMillionsOfLines)
{
    // a 100,000-character line between two good ones: read in pieces, nothing overruns
    std::string huge =
        "a?a.c?1?1?1\r\n" + std::string(100000, 'q') + "?x.c?5?1?1\r\nb?b.c?2?1?1\r\n";
    WriteText("zoltpru$.Far", huge);
    WriteText("zoltprj$.Far", huge);
    Fresh();
    ASSERT_EQ(LoadIndex(&st, 1), 0);
    ASSERT_EQ(LoadIndex(&st, 0), 0);
    EXPECT_EQ(st.updCount, st.count);
    EXPECT_STREQ(st.updEntries[0].name, "a");
    EXPECT_STREQ(st.updEntries[st.updCount - 1].name, "b");
    for (int i = 0; i < st.count; i++) EXPECT_LT(strlen(st.entries[i].name), 64u);

    // two million lines, most of them not entries: loading stays linear, progress every 100th
    std::string many;
    many.reserve(2000000 * 4);
    for (int i = 0; i < 2000000; i++)
        many += i % 1000 == 0 ? "n?f.c?" + std::to_string(i % 60000) + "\r\n" : "x\r\n";
    WriteText("zoltprj$.Far", many);
    Fresh();
    TestHostClearCalls();
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(LoadIndex(&st, 0), 0);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(st.count, 2000);
    EXPECT_LT(seconds, 60.0);
    EXPECT_EQ(CallsOf(CALL_MESSAGE).size(), 20000u);
    TestHostClearCalls();

    // the lookup reads the same file whole and finds the run of matches
    int cancelled = 0;
    char *text = nullptr;
    size_t length = 0;
    strcpy(st.candidatePath, "zoltprj$.Far");
    ASSERT_EQ(ReadWholeFile(st.candidatePath, &text, &length), 1);
    EXPECT_EQ(CollectMatches(&st, "n", text, &cancelled), 1); // the run ends at the next line
    EXPECT_EQ(st.matchCount, 1);
    EXPECT_STREQ(st.candidatePath, "f.c");
    EXPECT_EQ(cancelled, 0);
    MemFree(text);
}

} // namespace

namespace {

// Project indexes that are no sorted index, or that change while they are read: the lookup and
// the browse menu refuse them with a message, in a few reads, and never show part of them.
TEST_F(HostileTree, DamagedOrShrinkingIndexesAreRefusedQuickly)
{
    std::string sorted;
    for (int i = 0; i < 60000; i++)
        sorted +=
            "name" + std::to_string(100000 + i) + "?dir\\file.c?" + std::to_string(i + 1) + "\r\n";
    struct Row {
        const char *what;
        std::function<void()> make;
        int lookupFault; // the lookup of "name1300" meets the damage
    } const rows[] = {
        {"4 GB of zeros after one line",
         [] {
             WriteText("zoltprj$.Far", "aaa?use.c?1\r\n");
             ASSERT_EQ(truncate("zoltprj$.Far", 4LL << 30), 0);
         },
         1},
        {"lines out of order", [&] { WriteText("zoltprj$.Far", sorted + "aaa?a.c?1\r\n"); }, 0},
        {"a line longer than any index line, at the end of the run",
         [&] {
             size_t at = sorted.find("name130100?");
             WriteText("zoltprj$.Far", sorted.substr(0, at) + "name1300" + std::string(5000, 'x') +
                                           "?a.c?1\r\n" + sorted.substr(at));
         },
         1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        row.make();
        Fresh();
        TestHostClearCalls();
        auto start = std::chrono::steady_clock::now();
        char result[LOOKUP_PATH_SIZE];
        int cancelled = 0;
        strcpy(st.candidatePath, "zoltprj$.Far");
        EXPECT_EQ(TryIndexFile(&st, "name1300", "", result, sizeof result, 0, &cancelled), 0);
        EXPECT_EQ(st.indexFault, row.lookupFault);
        ScriptMenu(-1); // offered only if the menu were shown
        BrowseCommand(&st, OPEN_PLUGINSMENU);
        EXPECT_EQ(CallsOf(CALL_MENU).size(), 0u);
        EXPECT_NE(TestHostTranscript().find("\"M37\""), std::string::npos) << TestHostTranscript();
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  5.0);
        TestHostReset();
        TestHostInstall();
    }

    // a file that shrinks under the view: its reads stop short, the view fails instead of faulting
    WriteText("zoltprj$.Far", sorted);
    IndexView view;
    ASSERT_EQ(OpenIndexView(&view, "zoltprj$.Far"), 0);
    ASSERT_EQ(truncate("zoltprj$.Far", 100), 0);
    IndexLine line;
    EXPECT_EQ(ViewLine(&view, sorted.size() / 2, &line), -1);
    EXPECT_EQ(view.fault, VIEW_CHANGED);
    CloseIndexView(&view);
}

} // namespace
