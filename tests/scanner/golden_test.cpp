// Golden-file cases of the recognizers: each folder holds an input, the entries a scan of it must
// append (expected.idx) and optional settings. Run in file mode, in editor mode, and chopped.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/alloc.h"
#include "common/wildcard.h"
#include "host/host.h"
#include "index/index.h"
#include "scanner/scanner.h"
#include "state/state.h"

namespace {

struct GoldenCase {
    std::string dir;   // the case folder
    std::string name;  // group/case, for messages
    std::string input; // file name of the input inside dir
    bool known;        // a known fault, reported apart
};

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<GoldenCase> ListCases(const char *group)
{
    std::vector<GoldenCase> cases;
    std::string root = std::string(ZOLT_TEST_DATA) + "/scanner/" + group;
    DIR *d = opendir(root.c_str());
    if (d == NULL) return cases;
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name[0] == '.') continue;
        GoldenCase c{root + "/" + name, std::string(group) + "/" + name, "", false};
        c.known = name.size() > 6 && name.compare(name.size() - 6, 6, ".known") == 0;
        if (DIR *inner = opendir(c.dir.c_str())) {
            while (dirent *f = readdir(inner))
                if (strncmp(f->d_name, "input.", 6) == 0) c.input = f->d_name;
            closedir(inner);
        }
        if (!c.input.empty()) cases.push_back(c);
    }
    closedir(d);
    std::sort(cases.begin(), cases.end(),
              [](const GoldenCase &a, const GoldenCase &b) { return a.name < b.name; });
    return cases;
}

std::vector<GoldenCase> AllCases()
{
    std::vector<GoldenCase> all = ListCases("recognizer");
    std::vector<GoldenCase> macro = ListCases("macro");
    all.insert(all.end(), macro.begin(), macro.end());
    return all;
}

// The scanning state a panel command would start with, with the case's settings applied.
void PrepareState(BrowserState *st, const GoldenCase &c)
{
    memset(st, 0, sizeof *st);
    st->includeInline = 1;
    st->includeQualified = 1;
    std::istringstream options(ReadFile(c.dir + "/options"));
    std::string line;
    while (std::getline(options, line)) {
        int value = line.size() > 0 && line.back() == '1';
        if (line.rfind("CtStatic=", 0) == 0) st->includeStatic = value;
        else if (line.rfind("CtInline=", 0) == 0) st->includeInline = value;
        else if (line.rfind("CtCPP=", 0) == 0) st->includeQualified = value;
        else ADD_FAILURE() << c.name << ": unknown option " << line;
    }
    st->fileKind = WildcardMatch("*.MAC", c.input.c_str(), 1) ? FILE_KIND_MACRO : FILE_KIND_SOURCE;
}

std::string Entries(const BrowserState *st)
{
    std::string out;
    for (int i = 0; i < st->count; i++) {
        const DefinitionEntry &e = st->entries[i];
        out += std::string(e.name) + "?" + e.file + "?" + std::to_string(e.line) + "\n";
    }
    return out;
}

// Scans path in file mode from the current directory; returns ScanSourceFile's result.
int ScanFileMode(BrowserState *st, const char *path)
{
    DirEntry entry;
    memset(&entry, 0, sizeof entry);
    snprintf(entry.name, sizeof entry.name, "%s", path);
    return ScanSourceFile(&entry, st);
}

class InCaseDir {
public:
    explicit InCaseDir(const std::string &dir)
    {
        EXPECT_NE(getcwd(saved_, sizeof saved_), nullptr);
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~InCaseDir() { EXPECT_EQ(chdir(saved_), 0); }

private:
    char saved_[4096];
};

TEST(Golden, FileMode)
{
    std::vector<GoldenCase> cases = AllCases();
    ASSERT_GT(cases.size(), 20u);
    for (const GoldenCase &c : cases) {
        static BrowserState st;
        PrepareState(&st, c);
        int result;
        {
            InCaseDir in(c.dir);
            result = ScanFileMode(&st, c.input.c_str());
        }
        std::string got = Entries(&st), expected = ReadFile(c.dir + "/expected.idx");
        ReleaseState(&st);
        if (c.known) {
            printf("[ KNOWN    ] %s %s\n", c.name.c_str(),
                   got == expected ? "now passes" : "still fails");
            continue;
        }
        EXPECT_EQ(result, 0) << c.name;
        EXPECT_EQ(got, expected) << c.name;
    }
}

// --- editor mode: the same text behind a small fake editor ---

std::vector<std::string> g_lines;
std::string g_editorFile;

int FARAPI FakeEditorControl(int command, void *param)
{
    if (command == ECTL_GETINFO) {
        auto *info = static_cast<EditorInfo *>(param);
        info->FileName = g_editorFile.c_str();
        info->TotalLines = (int)g_lines.size();
        return 1;
    }
    if (command != ECTL_GETSTRING) return 0;
    auto *egs = static_cast<EditorGetString *>(param);
    if (egs->StringNumber < 0 || egs->StringNumber >= (int)g_lines.size()) return 0;
    egs->StringText = g_lines[(size_t)egs->StringNumber].c_str();
    egs->StringLength = (int)g_lines[(size_t)egs->StringNumber].size();
    egs->StringEOL = "\n";
    return 1;
}

// Splits as the host's editor does: CR LF, LF and a lone CR each end a line.
std::vector<std::string> EditorLines(const std::string &text)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') i++;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

void InstallFakeEditor(const std::string &path)
{
    g_lines = EditorLines(ReadFile(path));
    g_editorFile = path;
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    info.EditorControl = FakeEditorControl;
    InstallHostRecord(&info);
}

// The file-mode expectation as an editor scan gives it: no placeholder, empty file fields.
std::string AsEditorEntries(const std::string &expected)
{
    std::istringstream in(expected);
    std::string line, out;
    while (std::getline(in, line)) {
        size_t q1 = line.find('?'), q2 = line.rfind('?');
        if (q1 == 0) continue;
        out += line.substr(0, q1) + "??" + line.substr(q2 + 1) + "\n";
    }
    return out;
}

TEST(Golden, EditorModeGivesTheSameEntries)
{
    for (const GoldenCase &c : ListCases("recognizer")) {
        if (c.known) continue;
        static BrowserState st;
        PrepareState(&st, c);
        st.fromEditor = 1;
        InstallFakeEditor(c.dir + "/" + c.input);
        EXPECT_EQ(ScanSourceFile(NULL, &st), 0) << c.name;
        EXPECT_EQ(Entries(&st), AsEditorEntries(ReadFile(c.dir + "/expected.idx"))) << c.name;
        ReleaseState(&st);
        // the same text held in memory (a language server's document) gives the same entries,
        // and a sink that asks is told a kind for each of them
        PrepareState(&st, c);
        std::string text = ReadFile(c.dir + "/" + c.input);
        struct Kinds {
            BrowserState *st;
            std::vector<int> kinds;
        } kinds = {&st, {}};
        EntrySink sink = {nullptr, &kinds, [](const DefinitionEntry *e, int kind, void *target) {
                              Kinds *k = (Kinds *)target;
                              k->kinds.push_back(kind);
                              return AppendEntry(e, k->st, 0);
                          }};
        EXPECT_EQ(ScanText(text.data(), text.size(), &st, &sink), 0) << c.name;
        EXPECT_EQ(Entries(&st), AsEditorEntries(ReadFile(c.dir + "/expected.idx"))) << c.name;
        EXPECT_EQ(kinds.kinds.size(), (size_t)st.count) << c.name;
        for (int kind : kinds.kinds)
            EXPECT_TRUE(kind >= DEF_KIND_FUNCTION && kind <= DEF_KIND_CLASS) << c.name;
        ReleaseState(&st);
    }
}

// --- chop run: every input cut short must still scan to its end ---

void ExpectSaneEntries(const BrowserState *st, const std::string &what)
{
    for (int i = 0; i < st->count; i++) {
        const DefinitionEntry &e = st->entries[i];
        ASSERT_NE(memchr(e.name, '\0', sizeof e.name), nullptr) << what;
        ASSERT_NE(memchr(e.file, '\0', sizeof e.file), nullptr) << what;
        EXPECT_EQ(strpbrk(e.name, "\r\n"), nullptr) << what;
    }
}

TEST(Golden, ChoppedInputsScanCleanly)
{
    char dir[] = "/tmp/zolt-chop-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    InCaseDir in(dir);
    for (const GoldenCase &c : AllCases()) {
        std::string text = ReadFile(c.dir + "/" + c.input);
        size_t stride = text.size() / 600 + 1; // every byte for the small cases
        for (size_t n = 0; n <= text.size(); n += stride) {
            {
                std::ofstream out(c.input, std::ios::binary | std::ios::trunc);
                out.write(text.data(), (std::streamsize)n);
            }
            static BrowserState st;
            PrepareState(&st, c);
            std::string what = c.name + " cut at " + std::to_string(n);
            ASSERT_EQ(ScanFileMode(&st, c.input.c_str()), 0) << what;
            ASSERT_GE(st.count, 1) << what; // at least the placeholder
            ExpectSaneEntries(&st, what);
            ReleaseState(&st);
        }
        unlink(c.input.c_str());
    }
    rmdir(dir);
}

} // namespace
