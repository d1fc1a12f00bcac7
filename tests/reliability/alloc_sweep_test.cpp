// Every allocation of every command fails in turn, first with every later one failing too, then
// alone: each run ends with the documented outcome (warning 7, or the command's normal end with
// what it could do), the host's rules kept, the index files either as before or complete, and
// nothing leaked (LeakSanitizer checks the process at exit).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "../platform/tempdir.h"
#include "base/alloc.h"
#include "host/farapi.h"
#include "plugin/plugin.h"
#include "settings/settings.h"
#include "testhost/testhost.h"

namespace {

struct Outcome {
    long allocations = 0;           // made during the command (failed ones included)
    std::vector<std::string> boxes; // warning boxes: their text lines, joined by '|'
    std::vector<HostCall> menus;
    std::vector<HostCall> editors;
    std::string hostErrors;
    std::string project, update;
    std::string transcript;
};

struct AllocSweep : TempDirTest {
    void SetUp() override
    {
        TempDirTest::SetUp();
        TestHostInstall();
    }
    void TearDown() override
    {
        MemFailFrom(0);
        TestHostFinish();
        TempDirTest::TearDown();
    }

    // 131 definitions, so the table grows past its first 100 slots, in C files at two levels
    // and a macro file; one is static and recorded only by a stored option, so a build that
    // went on with the options' defaults would leave it out.
    void Tree()
    {
        ASSERT_EQ(SetDwordValue("", "CtStatic", 1), 0);
        std::string big = "static int Hidden(void) { return 1; }\n";
        for (int i = 0; i < 125; i++) big += "int f" + std::to_string(i) + "(void) { return 0; }\n";
        WriteText("big.c", big);
        ASSERT_EQ(mkdir("sub", 0755), 0);
        WriteText("sub/t.h", "typedef int T;\nstruct S { int x; };\n#define N 1\n");
        WriteText("sub/m.mac", "macro Alpha\nclass Beta : Base\n");
    }

    // One command through the host's entry point, the n-th allocation failing (and, unless
    // only, every later one). setup runs on the fresh host before the command.
    Outcome Run(int openFrom, int command, long n, bool only, const std::function<void()> &setup)
    {
        TestHostInstall();
        ScriptMenu(command);
        if (setup) setup();
        if (only) MemFailOnly(n);
        else MemFailFrom(n);
        OpenPlugin(openFrom, 0);
        Outcome o;
        o.allocations = MemAllocCount();
        MemFailFrom(0);
        for (const HostCall &c : CallsOf(CALL_MESSAGE)) {
            if (c.buttons == 0) continue; // progress boxes
            std::string text;
            for (const std::string &line : c.items) text += (text.empty() ? "" : "|") + line;
            o.boxes.push_back(text);
        }
        for (const HostCall &c : CallsOf(CALL_MENU))
            if (c.title != "ZOLT") o.menus.push_back(c);
        o.editors = CallsOf(CALL_EDITOR);
        o.transcript = TestHostTranscript();
        // answers scripted for a menu the failure kept from showing are not a fault
        std::string errors = TestHostFinish();
        for (size_t at = 0; at < errors.size();) {
            size_t end = errors.find('\n', at);
            std::string line = errors.substr(at, end - at);
            if (line.find("not used") == std::string::npos) o.hostErrors += line + "\n";
            at = end == std::string::npos ? errors.size() : end + 1;
        }
        o.project = ReadText("zoltprj$.Far");
        o.update = ReadText("zoltpru$.Far");
        return o;
    }

    // Runs the command for n = 1, 2, ... until a run no longer reaches its n-th allocation,
    // in both failure modes; check sees every outcome. Returns the number of runs.
    int Sweep(const std::function<Outcome(long, bool)> &run,
              const std::function<void(const Outcome &, long, bool)> &check)
    {
        int runs = 0;
        for (int only = 0; only < 2; only++) {
            for (long n = 1;; n++) {
                Outcome o = run(n, only != 0);
                SCOPED_TRACE("allocation " + std::to_string(n) + (only ? " alone" : " and later") +
                             "; the host saw:\n" + o.transcript);
                EXPECT_EQ(o.hostErrors, "");
                check(o, n, only != 0);
                runs++;
                if (o.allocations < n || HasFailure()) break;
            }
        }
        printf("[ sweep    ] %d commands run with an allocation failing\n", runs);
        return runs;
    }

    static bool IsNoMemoryWarning(const std::string &box) { return box == "M6|M7|M8"; }
};

TEST_F(AllocSweep, BuildKeepsTheOldFilesOrWritesCompleteOnes)
{
    Tree();
    Outcome clean = Run(OPEN_PLUGINSMENU, COMMAND_BUILD, 0, false, nullptr);
    ASSERT_EQ(clean.boxes.size(), 0u);
    ASSERT_NE(clean.project.find("f124?big.c?126"), std::string::npos);
    ASSERT_NE(clean.project.find("Hidden?big.c?1"), std::string::npos);
    ASSERT_NE(clean.project.find("Alpha?sub\\m.mac?1"), std::string::npos);
    const std::string fullProject = clean.project, fullUpdate = clean.update;

    // a full build: no files before, both complete after or none
    int runs = Sweep(
        [&](long n, bool only) {
            remove("zoltprj$.Far");
            remove("zoltpru$.Far");
            return Run(OPEN_PLUGINSMENU, COMMAND_BUILD, n, only, {});
        },
        [&](const Outcome &o, long, bool) {
            if (o.project == "<missing>") {
                EXPECT_EQ(o.update, "<missing>");
                ASSERT_EQ(o.boxes.size(), 1u);
                EXPECT_TRUE(IsNoMemoryWarning(o.boxes[0])) << o.boxes[0];
            } else {
                EXPECT_EQ(o.project, fullProject);
                EXPECT_EQ(o.update, fullUpdate);
                EXPECT_EQ(o.boxes.size(), 0u);
            }
            EXPECT_EQ(ReadText(TempName("zoltprj$")), "<missing>");
            EXPECT_EQ(ReadText(TempName("zoltpru$")), "<missing>");
        });
    EXPECT_GT(runs, 20);

    // an incremental build after one file changed: the old files stay whole, or both new
    WriteText("sub/t.h", "typedef int T2;\n");
    FileTime later = {5, 40000000};
    ASSERT_EQ(FileSetWriteTime("sub\\t.h", &later), 0);
    Outcome fresh = Run(OPEN_PLUGINSMENU, COMMAND_BUILD, 0, false, nullptr);
    const std::string newProject = fresh.project, newUpdate = fresh.update;
    ASSERT_NE(newProject, fullProject);
    Sweep(
        [&](long n, bool only) {
            WriteText("zoltprj$.Far", fullProject);
            WriteText("zoltpru$.Far", fullUpdate);
            return Run(OPEN_PLUGINSMENU, COMMAND_BUILD, n, only, {});
        },
        [&](const Outcome &o, long, bool) {
            bool old = o.project == fullProject && o.update == fullUpdate;
            bool renewed = o.project == newProject && o.update == newUpdate;
            EXPECT_TRUE(old || renewed) << o.project;
            if (old) {
                ASSERT_EQ(o.boxes.size(), 1u);
                EXPECT_TRUE(IsNoMemoryWarning(o.boxes[0])) << o.boxes[0];
            } else {
                EXPECT_EQ(o.boxes.size(), 0u);
            }
        });
}

TEST_F(AllocSweep, BrowseFromThePanelsShowsWhatItHasOrWarns)
{
    Tree();
    Run(OPEN_PLUGINSMENU, COMMAND_BUILD, 0, false, nullptr);
    for (int withIndex = 1; withIndex >= 0; withIndex--) {
        if (!withIndex) {
            remove("zoltprj$.Far");
            remove("zoltpru$.Far");
        }
        SCOPED_TRACE(withIndex ? "from the index file" : "from a scan");
        Outcome full = Run(OPEN_PLUGINSMENU, COMMAND_BROWSE, 0, false, [] { ScriptMenu(-1); });
        ASSERT_EQ(full.menus.size(), 1u);
        const size_t whole = full.menus[0].items.size();
        Sweep(
            [&](long n, bool only) {
                return Run(OPEN_PLUGINSMENU, COMMAND_BROWSE, n, only, [] { ScriptMenu(-1); });
            },
            [&](const Outcome &o, long, bool) {
                // the menu, or one warning: no memory, or nothing to show
                if (o.menus.empty()) {
                    ASSERT_EQ(o.boxes.size(), 1u);
                    EXPECT_TRUE(IsNoMemoryWarning(o.boxes[0]) || o.boxes[0] == "M6|M19|M8")
                        << o.boxes[0];
                } else {
                    EXPECT_EQ(o.boxes.size(), 0u);
                    EXPECT_EQ(o.menus[0].items.size(), whole) << "never a list in part";
                }
                EXPECT_EQ(ReadText("zoltprj$.Far") == "<missing>",
                          !withIndex); // browsing writes nothing
            });
    }
}

TEST_F(AllocSweep, BrowseAndGoToFromTheEditor)
{
    Tree();
    // the word under the cursor is defined only in the project index of the file's directory,
    // where a second name with the same beginning makes the lookup offer a choice
    WriteText("zoltprj$.Far", "Target?far\\away.c?7\r\nTargetB?b.c?8\r\n");
    std::vector<std::string> lines = {"int main(void) { return Target(); }"};
    for (int i = 0; i < 120; i++) lines.push_back("int g" + std::to_string(i) + "(void) {}");
    WriteText("edit.c", "");
    const std::string file = root + "/edit.c";
    std::string fileName = file;
    for (char &c : fileName) c = c == '/' ? '\\' : c;
    auto editor = [&] { OpenEditor(fileName, lines, 0, 25); };

    Sweep(
        [&](long n, bool only) {
            return Run(OPEN_EDITOR, COMMAND_BROWSE, n, only, [&] {
                editor();
                ScriptMenu(-1);
            });
        },
        [&](const Outcome &o, long, bool) {
            if (o.menus.empty()) {
                ASSERT_EQ(o.boxes.size(), 1u);
                EXPECT_TRUE(IsNoMemoryWarning(o.boxes[0]) || o.boxes[0] == "M6|M19|M8")
                    << o.boxes[0];
            } else {
                EXPECT_EQ(o.boxes.size(), 0u);
            }
        });

    Sweep(
        [&](long n, bool only) {
            return Run(OPEN_EDITOR, COMMAND_GOTO, n, only, [&] {
                editor();
                ScriptMenu(0);
            });
        },
        [&](const Outcome &o, long, bool) {
            // found and opened; or not found (the index could not be read); or no memory
            if (!o.editors.empty()) {
                const std::string &opened = o.editors[0].file;
                EXPECT_EQ(opened.substr(opened.size() - 11), "\\far\\away.c") << opened;
                EXPECT_EQ(o.editors[0].line, 7);
                EXPECT_EQ(o.boxes.size(), 0u);
            } else {
                ASSERT_EQ(o.boxes.size(), 1u);
                EXPECT_TRUE(IsNoMemoryWarning(o.boxes[0]) || o.boxes[0] == "M3|M5|M8")
                    << o.boxes[0];
            }
        });
}

} // namespace
