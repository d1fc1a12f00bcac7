// ScanSourceFile around the recognizers: bounds on names and paths, the placeholder, progress,
// files that cannot be opened, and a table that cannot grow.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/alloc.h"
#include "host/host.h"
#include "index/index.h"
#include "plugin/plugin.h"
#include "scanner/scanner.h"
#include "state/state.h"

namespace {

// A scratch directory made current for the test's lifetime.
class ScratchDir {
public:
    ScratchDir()
    {
        EXPECT_NE(getcwd(saved_, sizeof saved_), nullptr);
        EXPECT_NE(mkdtemp(dir_), nullptr);
        EXPECT_EQ(chdir(dir_), 0);
    }
    ~ScratchDir()
    {
        for (const std::string &f : files_) unlink(f.c_str());
        EXPECT_EQ(chdir(saved_), 0);
        rmdir(dir_);
    }
    void Write(const std::string &name, const std::string &text)
    {
        std::ofstream(name, std::ios::binary) << text;
        files_.push_back(name);
    }
    std::string Path(const std::string &name) const { return std::string(dir_) + "/" + name; }

private:
    char saved_[4096];
    char dir_[32] = "/tmp/zolt-frame-XXXXXX";
    std::vector<std::string> files_;
};

struct ScanRun {
    int result;
    std::vector<DefinitionEntry> entries;
};

void ResetState(BrowserState *st, int kind)
{
    memset(st, 0, sizeof *st);
    st->progress = ShowCommandProgress; // the boxes a command shows
    st->includeInline = 1;
    st->includeQualified = 1;
    st->fileKind = kind;
}

DirEntry Entry(const std::string &name, const std::string &shortName = "")
{
    DirEntry e;
    memset(&e, 0, sizeof e);
    snprintf(e.name, sizeof e.name, "%s", name.c_str());
    snprintf(e.shortName, sizeof e.shortName, "%s", shortName.c_str());
    e.writeTime.low = 0x11223344;
    e.writeTime.high = 0x01D00000;
    return e;
}

ScanRun Scan(const std::string &name, int kind, const char *relDir = "")
{
    static BrowserState st;
    ResetState(&st, kind);
    snprintf(st.relDir, sizeof st.relDir, "%s", relDir);
    DirEntry e = Entry(name);
    ScanRun run;
    run.result = ScanSourceFile(&e, &st);
    run.entries.assign(st.entries, st.entries + st.count);
    ReleaseState(&st);
    return run;
}

struct LongNameRow {
    const char *what;
    std::string text;
    int kind;
    char letter; // the name is this letter repeated
};

TEST(ScanFrame, OverlongNamesKeepTheirFirst63Characters)
{
    const LongNameRow rows[] = {
        {"function", "int " + std::string(100, 'f') + "(void) {}\n", FILE_KIND_SOURCE, 'f'},
        {"typedef", "typedef int " + std::string(100, 't') + ";\n", FILE_KIND_SOURCE, 't'},
        {"name after brace", "struct S {} " + std::string(100, 'a') + ";\n", FILE_KIND_SOURCE, 'a'},
        {"tag", "struct " + std::string(100, 'g') + " {};\n", FILE_KIND_SOURCE, 'g'},
        {"define over the line bound", "#define " + std::string(9000, 'd') + "\n", FILE_KIND_SOURCE,
         'd'},
        {"statement over its bound", "int " + std::string(9000, 's') + "(void) {}\n",
         FILE_KIND_SOURCE, 's'},
        {"macro", "macro " + std::string(100, 'm') + "\n", FILE_KIND_MACRO, 'm'},
    };
    ScratchDir dir;
    for (const LongNameRow &r : rows) {
        dir.Write("long.c", r.text);
        ScanRun run = Scan("long.c", r.kind);
        EXPECT_EQ(run.result, 0) << r.what;
        ASSERT_EQ(run.entries.size(), 1u) << r.what;
        EXPECT_STREQ(run.entries[0].name, std::string(63, r.letter).c_str()) << r.what;
        EXPECT_EQ(run.entries[0].line, 1) << r.what;
    }
}

TEST(ScanFrame, EntriesCarryTheLongNameAndWriteTime)
{
    ScratchDir dir;
    dir.Write("LONGNA~1.C", "int f(void) {}\n");
    static BrowserState st;
    ResetState(&st, FILE_KIND_SOURCE);
    snprintf(st.relDir, sizeof st.relDir, "sub\\");
    DirEntry e = Entry("long name.c", "LONGNA~1.C"); // opened by its alias
    ASSERT_EQ(ScanSourceFile(&e, &st), 0);
    ASSERT_EQ(st.count, 1);
    EXPECT_STREQ(st.entries[0].file, "sub\\long name.c");
    FileTime t = EntryWriteTime(&st.entries[0]);
    EXPECT_EQ(t.low, 0x11223344u);
    EXPECT_EQ(t.high, 0x01D00000u);
    ReleaseState(&st);
}

TEST(ScanFrame, FilePathOf64CharactersDropsEveryEntry)
{
    ScratchDir dir;
    std::string relDir(40, 'r');
    relDir += "\\";
    std::string fits(63 - relDir.size() - 2, 'n'), tooLong = fits + "x";
    for (int kind : {FILE_KIND_SOURCE, FILE_KIND_MACRO}) {
        for (const char *text : {"int f(void) {}\nmacro M\n", "/* nothing */\n"}) {
            dir.Write(fits + ".c", text);
            dir.Write(tooLong + ".c", text);
            ScanRun kept = Scan(fits + ".c", kind, relDir.c_str());
            ASSERT_EQ(kept.entries.size(), 1u) << kind << text;
            EXPECT_EQ(std::string(kept.entries[0].file), relDir + fits + ".c");
            ScanRun dropped = Scan(tooLong + ".c", kind, relDir.c_str());
            EXPECT_EQ(dropped.result, 0);
            EXPECT_EQ(dropped.entries.size(), 0u) << kind << text; // no placeholder either
        }
    }
}

TEST(ScanFrame, LinesPast65535AreKeptWhole)
{
    ScratchDir dir;
    dir.Write("deep.c", std::string(65537, '\n') + "int f(void) {}\n");
    ScanRun run = Scan("deep.c", FILE_KIND_SOURCE);
    ASSERT_EQ(run.entries.size(), 1u);
    EXPECT_EQ(run.entries[0].line, 65538u);
}

TEST(ScanFrame, UnknownKindScansNothingButKeepsThePlaceholder)
{
    ScratchDir dir;
    dir.Write("a.txt", "int f(void) {}\n");
    ScanRun run = Scan("a.txt", FILE_KIND_NONE);
    ASSERT_EQ(run.entries.size(), 1u);
    EXPECT_STREQ(run.entries[0].name, "");
    EXPECT_EQ(run.entries[0].line, 0);
}

// --- host side: progress boxes and the editor ---

std::vector<std::string> g_boxes;
std::string g_editorFile;
std::vector<std::string> g_editorLines;

const char *FARAPI FakeGetMsg(int, int id)
{
    if (id == 11) return "Scanning";
    if (id == 12) return "%s%n%x %d files 100%% %d"; // a hostile translation
    return "";
}

int FARAPI FakeMessage(int, FarDword, const char *, const char *const *items, int count, int)
{
    std::string box;
    for (int i = 0; i < count; i++) box += std::string(i ? "|" : "") + items[i];
    g_boxes.push_back(box);
    return -1;
}

int FARAPI FakeEditorControl(int command, void *param)
{
    if (command == ECTL_GETINFO) {
        static_cast<EditorInfo *>(param)->FileName = g_editorFile.c_str();
        return 1;
    }
    if (command != ECTL_GETSTRING) return 0;
    auto *egs = static_cast<EditorGetString *>(param);
    if (egs->StringNumber < 0 || egs->StringNumber >= (int)g_editorLines.size()) return 0;
    egs->StringText = g_editorLines[(size_t)egs->StringNumber].c_str();
    egs->StringLength = (int)g_editorLines[(size_t)egs->StringNumber].size();
    return 1;
}

void InstallFakeHost()
{
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    info.GetMsg = FakeGetMsg;
    info.Message = FakeMessage;
    info.EditorControl = FakeEditorControl;
    InstallHostRecord(&info);
    g_boxes.clear();
}

TEST(ScanFrame, ProgressEveryTenthFileWithTheCountFormattedSafely)
{
    ScratchDir dir;
    dir.Write("a.c", "int f(void) {}\n");
    InstallFakeHost();
    static BrowserState st;
    ResetState(&st, FILE_KIND_SOURCE);
    DirEntry e = Entry("a.c");
    for (int i = 0; i < 20; i++) ASSERT_EQ(ScanSourceFile(&e, &st), 0);
    DirEntry missing = Entry("missing.c");
    for (int i = 0; i < 10; i++) ASSERT_EQ(ScanSourceFile(&missing, &st), 1); // counted, no box
    EXPECT_EQ(st.filesScanned, 30);
    EXPECT_EQ(st.count, 20);
    std::vector<std::string> expected = {"Scanning|%s%n%x 10 files 100% %d",
                                         "Scanning|%s%n%x 20 files 100% %d"};
    EXPECT_EQ(g_boxes, expected);
    ReleaseState(&st);

    // editor scans never show it
    g_boxes.clear();
    ResetState(&st, FILE_KIND_SOURCE);
    st.fromEditor = 1;
    st.filesScanned = 9;
    g_editorFile = dir.Path("a.c");
    g_editorLines = {"int g(void) {}"};
    ASSERT_EQ(ScanSourceFile(NULL, &st), 0);
    EXPECT_TRUE(g_boxes.empty());
    ReleaseState(&st);
}

TEST(ScanFrame, EditorScanNeedsTheFileOnDisk)
{
    InstallFakeHost();
    static BrowserState st;
    ResetState(&st, FILE_KIND_SOURCE);
    st.fromEditor = 1;
    g_editorFile = "/nonexistent/zolt/edited.c";
    g_editorLines = {"int g(void) {}"};
    EXPECT_EQ(ScanSourceFile(NULL, &st), 1);
    EXPECT_EQ(st.count, 0);
    EXPECT_EQ(st.filesScanned, 1);
    ReleaseState(&st);
}

TEST(ScanFrame, MacroFileInTheEditorIsReadFromDisk)
{
    ScratchDir dir;
    dir.Write("a.mac", "\nmacro OnDisk\n");
    InstallFakeHost();
    static BrowserState st;
    ResetState(&st, FILE_KIND_MACRO);
    st.fromEditor = 1;
    g_editorFile = dir.Path("a.mac");
    g_editorLines = {"macro InEditor"};
    ASSERT_EQ(ScanSourceFile(NULL, &st), 0);
    ASSERT_EQ(st.count, 1);
    EXPECT_STREQ(st.entries[0].name, "OnDisk");
    EXPECT_STREQ(st.entries[0].file, "");
    EXPECT_EQ(st.entries[0].line, 2);
    ReleaseState(&st);
}

TEST(ScanFrame, FullTableStopsTheScanAndKeepsEarlierEntries)
{
    ScratchDir dir;
    std::string defines, macros;
    for (int i = 0; i < 150; i++) {
        defines += "#define D" + std::to_string(i) + " 1\n";
        macros += "macro M" + std::to_string(i) + "\n";
    }
    dir.Write("many.c", defines);
    dir.Write("many.mac", macros);
    for (int kind : {FILE_KIND_SOURCE, FILE_KIND_MACRO}) {
        static BrowserState st;
        ResetState(&st, kind);
        st.entries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        st.capacity = 100;
        DirEntry e = Entry(kind == FILE_KIND_SOURCE ? "many.c" : "many.mac");
        MemFailFrom(kind == FILE_KIND_SOURCE ? 1
                                             : 2); // the macro scanner's line buffer comes first
        EXPECT_EQ(ScanSourceFile(&e, &st), -1) << kind;
        MemFailFrom(0);
        EXPECT_EQ(st.count, 100) << kind;
        EXPECT_EQ(st.capacity, 100) << kind;
        EXPECT_STREQ(st.entries[99].name, kind == FILE_KIND_SOURCE ? "D99" : "M99");
        ReleaseState(&st);
    }
    // the macro scanner's own buffer
    static BrowserState st;
    ResetState(&st, FILE_KIND_MACRO);
    DirEntry e = Entry("many.mac");
    MemFailFrom(1);
    EXPECT_EQ(ScanSourceFile(&e, &st), -1);
    MemFailFrom(0);
    EXPECT_EQ(st.count, 0);
    ReleaseState(&st);
}

} // namespace
