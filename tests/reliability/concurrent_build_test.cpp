// Two builds of one tree at once, and a reader while they write: every read sees a whole index
// (the old or a new one, never a mix or a cut file), and afterwards both files are complete.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../platform/tempdir.h"
#include "base/alloc.h"
#include "index/index.h"
#include "index/index_p.h"
#include "platform/platform.h"
#include "plugin/plugin.h"
#include "state/state.h"
#include "testhost/testhost.h"

namespace {

enum { FILES = 40, BUILDS = 25 };

struct ConcurrentBuild : TempDirTest {
    std::string expected; // the project index every build of the tree writes

    // One build; the boxes it showed.
    static std::vector<HostCall> BuildOnce(int stamp)
    {
        TestHostInstall();
        BrowserState st;
        memset(&st, 0, sizeof st);
        st.progress = ShowCommandProgress; // the boxes a command shows
        st.capacity = st.updCapacity = 100;
        st.entries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        st.updEntries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        strcpy(st.indexFileName, "zoltprj$.Far");
        st.recurse = 1;
        strcpy(st.fileMask, "*.c");
        // a new write time makes the file changed, so every build writes both files
        FileTime t = {(uint32_t)stamp, 30000000};
        (void)FileSetWriteTime("f0.c", &t);
        BuildProjectIndex(&st);
        ReleaseState(&st);
        std::vector<HostCall> boxes = CallsOf(CALL_MESSAGE);
        TestHostFinish();
        return boxes;
    }

    static bool Whole(const std::string &text, const std::string &want) { return text == want; }
};

TEST_F(ConcurrentBuild, ReadersSeeWholeFilesAndBothFilesEndComplete)
{
    for (int i = 0; i < FILES; i++)
        WriteText("f" + std::to_string(i) + ".c", "int fn" + std::to_string(i) +
                                                      "(void) {}\nint more" + std::to_string(i) +
                                                      "(void) {}\n");
    BuildOnce(1);
    expected = ReadText("zoltprj$.Far");
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 2 * FILES);

    fflush(nullptr);
    pid_t builders[2];
    for (int b = 0; b < 2; b++) {
        builders[b] = fork();
        ASSERT_GE(builders[b], 0);
        if (builders[b] == 0) {
            for (int i = 0; i < BUILDS; i++) BuildOnce(100 + 2 * i + b);
            _exit(0);
        }
    }
    // the reader: every read of the project file is the whole index
    int reads = 0, torn = 0;
    std::string bad;
    for (;;) {
        bool running = false;
        for (pid_t p : builders) running |= waitpid(p, nullptr, WNOHANG) == 0;
        std::string now = ReadText("zoltprj$.Far");
        reads++;
        if (now != expected) {
            torn++;
            bad = now;
        }
        if (!running) break;
    }
    for (pid_t p : builders) waitpid(p, nullptr, 0);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads; one was:\n" << bad;
    EXPECT_EQ(ReadText("zoltprj$.Far"), expected);
    // the update file is whole too: every file's two entries, each line with its five fields
    std::string update = ReadText("zoltpru$.Far");
    EXPECT_EQ(std::count(update.begin(), update.end(), '\n'), 2 * FILES);
    EXPECT_EQ(std::count(update.begin(), update.end(), '?'), 4 * 2 * FILES);
    BuildOnce(1); // and the next build reads it: only the touched file is scanned again
    EXPECT_EQ(ReadText("zoltprj$.Far"), expected);
}

// A build finding another one at work waits for it; past the wait it says so and writes nothing.
TEST_F(ConcurrentBuild, ASecondBuildWaitsThenGivesUp)
{
    WriteText("f0.c", "int fn0(void) {}\n");
    BuildOnce(1);
    for (int holdMs : {300, BUILD_LOCK_WAIT_MS + 1500}) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        fflush(nullptr);
        pid_t holder = fork();
        ASSERT_GE(holder, 0);
        if (holder == 0) { // the other build, between its two renames
            int busy;
            BuildLock *lock = LockCurrentDir(0, &busy);
            if (write(ready[1], "x", 1) != 1 || lock == nullptr) _exit(1);
            usleep((useconds_t)holdMs * 1000);
            _exit(0);
        }
        char c;
        ASSERT_EQ(read(ready[0], &c, 1), 1);
        const std::string before = ReadText("zoltprj$.Far");
        WriteText("f0.c", "int fn" + std::to_string(holdMs) + "(void) {}\n");
        std::vector<HostCall> boxes = BuildOnce(holdMs);
        int status = 0;
        waitpid(holder, &status, 0);
        EXPECT_EQ(status, 0);
        close(ready[0]);
        close(ready[1]);
        const bool waited = holdMs < BUILD_LOCK_WAIT_MS;
        EXPECT_EQ(ReadText("zoltprj$.Far"), waited ? "fn300?f0.c?1\r\n" : before) << holdMs;
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back().items == (std::vector<std::string>{"M6", "M34", "M8"}), !waited);
    }
}

} // namespace
