// The fast paths of the reader and the index files must not change a single output: the reader's
// value stream over generated sources, and the bytes of the index files of a generated tree,
// against what the plain layered reader produced. Set ZOLT_RECORD_GOLDEN=1 to write the golden
// files anew (only from a build whose outputs are known good).
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../platform/tempdir.h"
#include "base/alloc.h"
#include "index/index.h"
#include "platform/platform.h"
#include "plugin/plugin.h"
#include "scanner/scanner_p.h"
#include "state/state.h"
#include "testhost/testhost.h"

namespace {

const std::string GOLDEN_DIR = std::string(ZOLT_TEST_DATA) + "/differential/golden/";

// xorshift64: the same sequence on every platform and library.
struct Rng {
    uint64_t s;
    uint32_t Next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return (uint32_t)(s >> 32);
    }
    int Below(int n) { return (int)(Next() % (uint32_t)n); }
};

// Pieces of C and C++ chosen to meet every layer's corner: nested and spliced comments, comment
// markers in literals, escaped quotes, guarded extern "C", K&R, templates, stray closers.
const char *const FRAGMENTS[] = {
    "int f@(void)\n{\n  return @;\n}\n",
    "static int s@(int a, char *b) { if (a) { b[0] = '}'; } return 0; }\n",
    "inline int i@(int a) { return a * 2; }\n",
    "static inline void si@(void) { }\n",
    "/* comment { ( [ \" ' */\n",
    "/* nested /* inner */ still */\n",
    "/* open /* never closed */\n",
    "// line comment { \\\n continued\n",
    "char *p@ = \"a//b /* not */ \\\" {\";\n",
    "const char *q@ = \"path\\\\\"; int after@(void) {}\n",
    "#define M@(a, b) ((a) + \\\n (b))\n",
    "#define S@ \"str // x\"\n",
    "#define EMPTY@\n",
    "# define SPACED@ 1\n",
    "#ifdef __cplusplus\nextern \"C\" {\n#endif\n",
    "#ifdef __cplusplus\n}\n#endif\n",
    "#include <x@.h>\n",
    "#if 0 /* { */\n#endif\n",
    "typedef struct tag@ { int x; } T@, *PT@;\n",
    "struct S@ { int a[3]; };\n",
    "struct S@ {\n  int a;\n} /* c */ var@;\n",
    "enum class E@ { A, B };\n",
    "enum { A@, B@ };\n",
    "union U@ { int x; };\n",
    "typedef unsigned long U@;\n",
    "typedef int (*cb@)(int);\n",
    "typedef char Name@[16];\n",
    "int Foo::bar@(int x) const { return x; }\n",
    "Foo::Foo@() : a(1), b(2) {}\n",
    "int knr@(a, b) int a; char *b; { }\n",
    "template <class T> T max@(T a, T b) { return a; }\n",
    "X operator+(X a, X b) { }\n",
    "int operator_count@(void) { return 0; }\n",
    "int (*fp@)(int);\n",
    "void (*signal@(int, void (*)(int)))(int);\n",
    "int v@[3] = {1, 2, 3};\n",
    "int a@ = 1, b@ = 2;\n",
    "int proto@(int), list@(int);\n",
    "namespace N@ { int hidden@(void) { return 1; } }\n",
    "}\n",
    ")\n",
    "]\n",
    "*/\n",
    "a / b * c\n",
    "char c@ = '\\'';\n",
    "x@ /\n y\n",
    "int spl\\\nice@(void) { }\n",
    "int ~Dtor@() { }\n",
    "very_long_name_that_goes_on_and_on_beyond_sixty_four_characters_for_sure_@(void) { }\n",
    "int g@(int x)\n/* between */ { return x; }\n",
    "int h@(int x) // trailing\n{ }\n",
    "long long_line@ = 0",
};
const int FRAGMENT_COUNT = (int)(sizeof FRAGMENTS / sizeof FRAGMENTS[0]);
const char NOISE[] = "/*\"'#{}()[]=;\\\n\r \t\0abcXYZ_09:<>,~*";

std::string Fragment(Rng &rng, int serial)
{
    std::string out;
    for (const char *p = FRAGMENTS[rng.Below(FRAGMENT_COUNT)]; *p != '\0'; p++) {
        if (*p == '@') out += std::to_string(serial);
        else out += *p;
    }
    return out;
}

// One generated source: fragments and a little noise, with LF, CR LF or lone CR line ends, and
// sometimes cut short so that constructs end at the end of the file.
std::string GenerateSource(Rng &rng, int serial)
{
    std::string text;
    int pieces = 5 + rng.Below(40);
    for (int i = 0; i < pieces; i++) {
        if (rng.Below(8) == 0) {
            int n = 1 + rng.Below(6);
            while (n-- > 0) text += NOISE[rng.Below((int)sizeof NOISE - 1)];
        } else {
            text += Fragment(rng, serial * 100 + i);
        }
    }
    int ends = rng.Below(4);
    if (ends == 1 || ends == 2) {
        std::string converted;
        for (char c : text) {
            if (c == '\n') converted += ends == 1 ? "\r\n" : "\r";
            else converted += c;
        }
        text = converted;
    }
    if (rng.Below(5) == 0 && !text.empty()) text.resize((size_t)rng.Below((int)text.size()));
    return text;
}

uint64_t Fnv(uint64_t h, const void *data, size_t n)
{
    const unsigned char *p = (const unsigned char *)data;
    for (size_t i = 0; i < n; i++) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

std::string ReadFile(const std::string &path)
{
    return TempDirTest::ReadText(path);
}

// Compares with the golden file, or writes it when recording.
void CheckGolden(const std::string &name, const std::string &actual)
{
    const char *record = getenv("ZOLT_RECORD_GOLDEN");
    if (record != nullptr && strcmp(record, "1") == 0) {
        TempDirTest::WriteText(GOLDEN_DIR + name, actual);
        return;
    }
    std::string expected = ReadFile(GOLDEN_DIR + name);
    ASSERT_NE(expected, "<missing>") << name;
    if (expected == actual) return;
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) at++;
    size_t line = (size_t)std::count(expected.begin(), expected.begin() + (long)at, '\n') + 1;
    ADD_FAILURE() << name << " differs first at byte " << at << " (line " << line << ")";
}

// The update file lists each file's entries together, in the order the directory enumeration
// met the files, which differs between file systems: keep each file's lines in their order and
// put the files in name order.
std::string CanonicalUpdateFile(const std::string &text)
{
    std::vector<std::pair<std::string, std::string>> runs; // file, its lines
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        size_t q1 = line.find('?'), q2 = line.find('?', q1 + 1);
        std::string file = q1 == std::string::npos ? "" : line.substr(q1 + 1, q2 - q1 - 1);
        if (runs.empty() || runs.back().first != file) runs.push_back({file, ""});
        runs.back().second += line;
        start = end;
    }
    std::stable_sort(runs.begin(), runs.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::string out;
    for (const auto &run : runs) out += run.second;
    return out;
}

struct DifferentialTest : TempDirTest {
    BrowserState st;
    std::vector<std::string> paths; // tree files relative to tree/, backslash form
    void SetUp() override
    {
        TempDirTest::SetUp();
        TestHostInstall();
        memset(&st, 0, sizeof st);
    }
    void TearDown() override
    {
        ReleaseState(&st);
        TestHostFinish();
        TempDirTest::TearDown();
    }

    // Every value NextStatementChar delivers, with the line count and captured define lines.
    uint64_t StreamHash(const std::string &text)
    {
        WriteText("input.c", text);
        Source src;
        if (SourceOpen(&src, "input.c") != 0) return 0;
        st.lineNo = 1;
        uint64_t h = 14695981039346656037ull;
        for (size_t guard = 0; guard < text.size() * 4 + 16; guard++) {
            int c = NextStatementChar(&src, &st);
            int pair[3] = {c, st.lineNo, st.cplusplusGuard};
            h = Fnv(h, pair, sizeof pair);
            if (c == SCAN_DEFINE) h = Fnv(h, st.defineText, strlen(st.defineText));
            if (c == SCAN_EOF) break;
        }
        SourceClose(&src);
        return h;
    }

    void Fresh()
    {
        ReleaseState(&st);
        memset(&st, 0, sizeof st);
        st.capacity = st.updCapacity = 100;
        st.entries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        st.updEntries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        strcpy(st.indexFileName, "zoltprj$.Far");
        st.includeInline = st.includeQualified = st.recurse = 1;
        strcpy(st.fileMask, "*.c;*.cpp;*.h;*.hpp");
    }

    // A tree of generated sources in three directories, each file with its own fixed write time.
    void MakeTree(Rng &rng, int files)
    {
        mkdir("tree", 0755);
        mkdir("tree/sub", 0755);
        mkdir("tree/sub/deeper", 0755);
        const char *const dirs[] = {"tree/", "tree/sub/", "tree/sub/deeper/"};
        const char *const exts[] = {".c", ".h", ".cpp", ".txt"};
        for (int i = 0; i < files; i++) {
            const char *ext = exts[rng.Below(4)]; // drawn first: the golden files rely on it
            std::string path = std::string(dirs[rng.Below(3)]) + "f" + std::to_string(i) + ext;
            WriteText(path, GenerateSource(rng, i));
            FileTime t = {1000000u + (uint32_t)i, 30000000u};
            ASSERT_EQ(FileSetWriteTime(path.c_str(), &t), 0);
            std::string relative = path.substr(5);
            std::replace(relative.begin(), relative.end(), '/', '\\');
            paths.push_back(relative);
        }
    }

    std::string BuildAndRead(int chunkEntries = 0)
    {
        Fresh();
        st.chunkEntries = chunkEntries;
        BuildProjectIndex(&st);
        return ReadFile("zoltprj$.Far") + "----\n" + CanonicalUpdateFile(ReadFile("zoltpru$.Far"));
    }
};

TEST_F(DifferentialTest, ReaderStreamOverGeneratedSources)
{
    Rng rng = {0x9E3779B97F4A7C15ull};
    std::string hashes;
    for (int i = 0; i < 600; i++) {
        char line[64];
        unsigned long long hash = StreamHash(GenerateSource(rng, i));
        snprintf(line, sizeof line, "%d %016llx\n", i, hash);
        hashes += line;
    }
    CheckGolden("reader-stream.txt", hashes);
}

// Full build, rebuild with nothing changed (writes nothing), rebuild after touching one file;
// with the table in one piece and in pieces of a few dozen entries, merged when written.
TEST_F(DifferentialTest, IndexFilesOfGeneratedTree)
{
    Rng rng = {0xD1B54A32D192ED03ull};
    MakeTree(rng, 120);
    ASSERT_EQ(chdir("tree"), 0);
    const FileTime original = {1000000u + 5u, 30000000u}, touched = {7u, 30000001u};
    for (int chunk : {0, 37}) {
        SCOPED_TRACE("pieces of " + std::to_string(chunk));
        ASSERT_EQ(FileSetWriteTime(paths[5].c_str(), &original), 0);
        (void)remove("zoltprj$.Far");
        (void)remove("zoltpru$.Far");
        CheckGolden("tree-full.txt", BuildAndRead(chunk));
        struct stat before, after;
        ASSERT_EQ(stat("zoltprj$.Far", &before), 0);
        BuildAndRead(chunk);
        ASSERT_EQ(stat("zoltprj$.Far", &after), 0);
        EXPECT_EQ(before.st_ino, after.st_ino)
            << "a rebuild with nothing changed rewrote the index";
        ASSERT_EQ(FileSetWriteTime(paths[5].c_str(), &touched), 0);
        CheckGolden("tree-touched.txt", BuildAndRead(chunk));
    }
}

// Mutation steps on a small tree, each followed by an incremental build; after every step the
// index files equal those of a full build of the same tree (a missing file counts as empty).
struct MutatingTree {
    Rng rng;
    std::vector<std::string> files, dirs = {""}; // native paths below the tree's root
    uint32_t clock = 2000000;                    // every change gets a new write time
    int serial = 0;

    void Write(const std::string &path, bool newText = true)
    {
        std::string text = GenerateSource(rng, serial++);
        if (rng.Below(4) == 0) text += "#ifdef __cplusplus\n}\n#endif\n"; // a guard left open
        if (newText) TempDirTest::WriteText(path, text);
        FileTime t = {clock++, 30000000u};
        ASSERT_EQ(FileSetWriteTime(path.c_str(), &t), 0) << path;
    }
    std::string NewName()
    {
        static const char *const exts[] = {".c", ".h", ".cpp", ".txt"};
        return dirs[(size_t)rng.Below((int)dirs.size())] + "n" + std::to_string(serial++) +
               exts[rng.Below(4)];
    }
    std::string Mutate() // one change, named for the failure message
    {
        int kind = files.empty() ? 3 : rng.Below(7);
        size_t pick = files.empty() ? 0 : (size_t)rng.Below((int)files.size());
        std::string what = std::to_string(kind) + " " + (files.empty() ? "" : files[pick]);
        if (kind <= 1) {
            Write(files[pick], kind == 0); // edit, or touch
        } else if (kind == 2) {
            EXPECT_EQ(remove(files[pick].c_str()), 0);
            files.erase(files.begin() + (long)pick);
        } else if (kind == 3 || (kind == 5 && dirs.size() >= 6)) {
            files.push_back(NewName());
            Write(files.back());
        } else if (kind == 4) {
            std::string to = NewName(); // a rename keeps the write time
            EXPECT_EQ(rename(files[pick].c_str(), to.c_str()), 0);
            files[pick] = to;
        } else if (kind == 5) {
            dirs.push_back(dirs[(size_t)rng.Below((int)dirs.size())] + "d" +
                           std::to_string(serial++) + "/");
            EXPECT_EQ(mkdir(dirs.back().c_str(), 0755), 0);
            files.push_back(dirs.back() + "f.c");
            Write(files.back());
        } else if (dirs.size() > 1) {
            std::string dir = dirs[1 + (size_t)rng.Below((int)dirs.size() - 1)];
            EXPECT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0);
            auto below = [&](const std::string &p) { return p.compare(0, dir.size(), dir) == 0; };
            files.erase(std::remove_if(files.begin(), files.end(), below), files.end());
            dirs.erase(std::remove_if(dirs.begin(), dirs.end(), below), dirs.end());
        }
        return what;
    }
};

TEST_F(DifferentialTest, IncrementalBuildEqualsFullBuild)
{
    MutatingTree tree = {{0x2545F4914F6CDD1Dull}};
    ASSERT_EQ(mkdir("tree", 0755), 0);
    ASSERT_EQ(mkdir("keep", 0755), 0);
    ASSERT_EQ(chdir("tree"), 0);
    for (int i = 0; i < 8; i++) tree.Mutate();
    const std::string names[] = {"zoltprj$.Far", "zoltpru$.Far", "zoltopt$.Far"};
    int staticFlag = 0, recurse = 1;
    auto build = [&]() {
        Fresh();
        st.includeStatic = staticFlag;
        st.recurse = recurse;
        BuildProjectIndex(&st);
        std::string project = ReadFile(names[0]), update = ReadFile(names[1]);
        return (project == "<missing>" ? "" : project) + "----\n" +
               CanonicalUpdateFile(update == "<missing>" ? "" : update);
    };
    for (int step = 0; step < 300; step++) {
        std::string change = tree.Mutate();
        if (tree.rng.Below(20) == 0) staticFlag ^= 1; // new scan options: every file again
        if (tree.rng.Below(40) == 0) recurse ^= 1;
        std::string incremental = build();
        for (const std::string &n : names) (void)rename(n.c_str(), ("../keep/" + n).c_str());
        ASSERT_EQ(incremental, build()) << "step " << step << ": " << change << ", static "
                                        << staticFlag << ", recurse " << recurse;
        for (const std::string &n : names) (void)rename(("../keep/" + n).c_str(), n.c_str());
    }
}

} // namespace
