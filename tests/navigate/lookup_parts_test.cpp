// The lookup's parts: index-line parsing, the run of matches, the choice menu, paths, whole-file reads.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/alloc.h"
#include "common/wildcard.h"
#include "host/host.h"
#include "index/index.h"
#include "navigate/navigate.h"
#include "platform/platform.h"
#include "plugin/plugin.h"
#include "state/state.h"

namespace {

struct MenuCall {
    std::string title;
    std::vector<std::string> items;
    int selected;
    FarDword flags;
};
std::vector<MenuCall> g_menus;
int g_menuAnswer;

int FARAPI FakeMenu(int, int, int, int, FarDword flags, const char *title, const char *,
                    const char *, const int *, int *, const FarMenuItem *items, int count)
{
    MenuCall call{title ? title : "", {}, -1, flags};
    for (int i = 0; i < count; i++) {
        call.items.push_back(items[i].Text);
        if (items[i].Selected) call.selected = i;
    }
    g_menus.push_back(call);
    return g_menuAnswer;
}

const char *FARAPI FakeGetMsg(int, int n)
{
    static char text[16];
    snprintf(text, sizeof text, "msg%d", n);
    return text;
}

struct PartsFixture : ::testing::Test {
    PluginStartupInfo saved;
    BrowserState *st;
    int cancelled = 0;
    void SetUp() override
    {
        saved = g_far;
        memset(&g_far, 0, sizeof g_far);
        g_far.Menu = FakeMenu;
        g_far.GetMsg = FakeGetMsg;
        g_menus.clear();
        g_menuAnswer = 0;
        st = (BrowserState *)calloc(1, sizeof *st);
        st->choose = ChooseMatchFromMenu; // as the go-to command sets it
    }
    void TearDown() override
    {
        MemFailFrom(0);
        free(st);
        g_far = saved;
    }
    int Collect(const char *word, const std::string &text)
    {
        return CollectMatches(st, word, text.c_str(), &cancelled);
    }
};

std::string Pad(const std::string &s, size_t n)
{
    return s + std::string(s.size() < n ? n - s.size() : 0, ' ');
}

TEST(ParseIndexLine, FieldsAndMenuText)
{
    IndexMatch m;
    ASSERT_TRUE(ParseIndexLine("OpenFile?sub\\b.c?9\r\nnext?x?1\n", &m));
    EXPECT_STREQ(m.name, "OpenFile");
    EXPECT_STREQ(m.file, "sub\\b.c");
    EXPECT_EQ(m.line, 9);
    EXPECT_EQ(std::string(m.menuText),
              " " + Pad("OpenFile", 30) + " " + Pad("sub\\b.c", 34) + " 9");

    const struct {
        const char *line;
        int ok;
        int number;
    } rows[] = {
        {"a?b?42", 1, 42},
        {"a?b?42\n", 1, 42},
        {"a?b? 7?x\n", 1, 7},
        {"a?b?\n99\n", 1, 0}, // an empty number does not borrow the next line's
        {"a?b?-3\n", 1, 0},   // damaged: leads nowhere, and the menu shows no 4294967293
        {"a?b?99999999999\n", 1, 2147483647},
        {"a?b\nc?d?1\n", 0, 0}, // the second separator must lie in the same line
        {"ab\n?c?1", 0, 0},
        {"", 0, 0},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(ParseIndexLine(r.line, &m), r.ok) << r.line;
        EXPECT_EQ(m.line, r.number) << r.line;
        if (r.ok) {
            EXPECT_EQ(std::string(m.menuText).substr(67), std::to_string(r.number)) << r.line;
        }
        if (!r.ok) {
            EXPECT_STREQ(m.name, "");
        }
    }
}

TEST(ParseIndexLine, LongFieldsAreCut)
{
    std::string name(400, 'n'), file(400, 'f');
    IndexMatch m;
    ASSERT_TRUE(ParseIndexLine((name + "?" + file + "?5").c_str(), &m));
    EXPECT_EQ(strlen(m.name), 255u);
    EXPECT_EQ(strlen(m.file), 259u);
    EXPECT_EQ(strlen(m.menuText), 255u);
}

TEST_F(PartsFixture, SeveralMatchesGoThroughTheMenu)
{
    const std::string text = "?sub\\none.c?0\r\nAlpha?a.c?1\r\nOPEN?a.c?3\r\nOpener?c.c?12\r\n"
                             "OpenFile?b.c?9\r\nOther?d.c?1\r\nOpen?z.c?77\r\n";
    g_menuAnswer = 2;
    ASSERT_TRUE(Collect("Open", text));
    EXPECT_EQ(st->matchCount, 3); // the run ends at Other; the later Open is not collected
    ASSERT_EQ(g_menus.size(), 1u);
    EXPECT_EQ(g_menus[0].title, "msg3");
    EXPECT_EQ(g_menus[0].flags, (FarDword)FMENU_AUTOHIGHLIGHT);
    EXPECT_EQ(g_menus[0].selected, 0);
    const std::vector<std::string> expected = {
        " " + Pad("OPEN", 30) + " " + Pad("a.c", 34) + " 3",
        " " + Pad("Opener", 30) + " " + Pad("c.c", 34) + " 12",
        " " + Pad("OpenFile", 30) + " " + Pad("b.c", 34) + " 9"};
    EXPECT_EQ(g_menus[0].items, expected);
    EXPECT_STREQ(st->candidatePath, "b.c");
    EXPECT_EQ(st->foundLine, 9);
    EXPECT_EQ(cancelled, 0);
}

TEST_F(PartsFixture, SingleMatchNeedsNoMenu)
{
    const char *texts[] = {"foo?x\\y.c?42", "?sub\\b.c?0\r\n?z.c?0\r\nfoo?x\\y.c?42",
                           "bar?q.c?1\nfoo?x\\y.c?42\n", "bar?q.c?1\r\nfoo?x\\y.c?42\r\n"};
    for (const char *text : texts) {
        st->foundLine = 0;
        ASSERT_TRUE(Collect("Foo", text)) << text;
        EXPECT_STREQ(st->candidatePath, "x\\y.c");
        EXPECT_EQ(st->foundLine, 42) << text;
    }
    EXPECT_TRUE(g_menus.empty());
}

// A FILE that climbs out of the index's directory is chosen but leads nowhere.
TEST_F(PartsFixture, PathsLeavingTheIndexDirectoryAreNotOpened)
{
    const struct {
        const char *text, *path;
    } rows[] = {
        {"foo?..\\x.c?3", ""},      {"foo?a\\..\\..\\x.c?3", ""},
        {"foo?\\etc\\x.c?3", ""},   {"foo?/etc/x.c?3", ""},
        {"foo?C:\\x.c?3", ""},      {"foo?a/../x.c?3", ""},
        {"foo?..?3", ""},           {"foo?a..b\\..c\\x.c?3", "a..b\\..c\\x.c"},
        {"foo?.\\x.c?3", ".\\x.c"},
    };
    for (const auto &r : rows) {
        EXPECT_TRUE(Collect("foo", r.text)) << r.text;
        EXPECT_STREQ(st->candidatePath, r.path) << r.text;
    }
}

TEST_F(PartsFixture, NoMatchAndCancelledMenu)
{
    EXPECT_FALSE(Collect("Zeta", "Alpha?a.c?1\r\nBeta?b.c?2\r\n"));
    EXPECT_FALSE(Collect("Alphabet", "Alpha?a.c?1\r\n"));
    EXPECT_EQ(cancelled, 0);
    g_menuAnswer = -1;
    EXPECT_FALSE(Collect("a", "a?1.c?1\na?2.c?2\n"));
    EXPECT_EQ(cancelled, 1);
}

TEST_F(PartsFixture, AtMost1024MatchesAreOffered)
{
    std::string text = "Aa?a.c?1\r\n";
    for (int i = 0; i < 1500; i++)
        text += "Item" + std::to_string(10000 + i) + "?i.c?" + std::to_string(i + 1) + "\r\n";
    g_menuAnswer = 1023;
    ASSERT_TRUE(Collect("item", text));
    EXPECT_EQ(st->matchCount, 1024);
    ASSERT_EQ(g_menus.size(), 1u);
    EXPECT_EQ(g_menus[0].items.size(), 1024u);
    EXPECT_EQ(st->foundLine, 1024);
}

TEST_F(PartsFixture, CyrillicCaseVariantsOutsideTheAsciiOrder)
{
    // the file folds ASCII only, so "\x90" (upper er) lines sort apart from "\xE0" (lower er)
    const std::string text =
        "\x90\xA0\xA7?a.c?1\n\x90\xA0\xA7\xA0?b.c?2\nZ?z.c?3\n\xE0\xA0\xA7?c.c?4\n";
    g_menuAnswer = 0;
    ASSERT_TRUE(Collect("\xE0\xA0\xA7", text));
    EXPECT_EQ(st->matchCount, 2);
    EXPECT_STREQ(st->candidatePath, "a.c");
}

TEST_F(PartsFixture, OutOfMemoryFindsNothing)
{
    MemFailFrom(1);
    EXPECT_FALSE(Collect("a", "a?1.c?1\n"));
    MemFailFrom(2); // the menu's items
    EXPECT_FALSE(Collect("a", "a?1.c?1\na?2.c?2\n"));
    EXPECT_EQ(cancelled, 0);
}

TEST_F(PartsFixture, IndexPaths)
{
    EXPECT_EQ(IndexPathFor(st, 1, "\\home\\u\\proj"), 1);
    EXPECT_STREQ(st->candidatePath, "\\home\\u\\proj\\zoltprj$.Far");
    EXPECT_EQ(IndexPathFor(st, 1, ""), 1);
    EXPECT_STREQ(st->candidatePath, "\\zoltprj$.Far");
    EXPECT_EQ(IndexPathFor(st, 0, "ignored"), 1);
    EXPECT_STREQ(st->candidatePath, "zoltprj$.Far");
    std::string dir(1010, 'd'); // with "\zoltprj$.Far" exactly 1023 characters
    EXPECT_EQ(IndexPathFor(st, 1, dir.c_str()), 1);
    EXPECT_EQ(IndexPathFor(st, 1, (dir + "d").c_str()), 0);
    EXPECT_STREQ(st->candidatePath, "");
}

TEST(ParentDirectory, CutsAtTheLastBackslash)
{
    const struct {
        const char *path, *dir;
        int result;
    } rows[] = {
        {"\\home\\u\\a.c", "\\home\\u", 1},
        {"C:\\a.c", "C:", 1},
        {"\\a.c", "", 1},
        {"\\", "", 1},
        {"C:", "unchanged", 0},
        {"a.c", "unchanged", 0},
    };
    for (const auto &r : rows) {
        char dir[64] = "unchanged";
        EXPECT_EQ(ParentDirectory(r.path, dir, sizeof dir), r.result) << r.path;
        EXPECT_STREQ(dir, r.dir) << r.path;
    }
    char same[64] = "\\a\\b\\c";
    EXPECT_EQ(ParentDirectory(same, same, sizeof same), 1);
    EXPECT_STREQ(same, "\\a\\b");
    char small[4] = "xy";
    EXPECT_EQ(ParentDirectory("\\abcd\\e", small, sizeof small), -1);
    EXPECT_STREQ(small, "xy");
}

// A sorted index searched from the line the halving finds gives what a scan from the start gives.
TEST_F(PartsFixture, RunStartAgreesWithAScanFromTheStart)
{
    std::vector<std::string> names = {"",      "",       "A1",        "AA",      "ab",   "abc",
                                      "ABC",   "Abd",    "b",         "B_x",     "ba",   "open",
                                      "OPEN",  "Opener", "OpenFile",  "Other",   "zeta", "Zeta",
                                      "_init", "_z",     "\x80\xa0x", "\xa0\x80"};
    for (int i = 0; i < 300; i++) names.push_back("m" + std::to_string(i * 7919 % 1000));
    // enough lines that the file is large enough to be read where it lies
    for (int i = 0; i < 70000; i++) names.push_back("pad" + std::to_string(100000 + i));
    std::vector<DefinitionEntry> entries(names.size());
    for (size_t i = 0; i < names.size(); i++) {
        memset(&entries[i], 0, sizeof entries[i]);
        snprintf(entries[i].name, sizeof entries[i].name, "%s", names[i].c_str());
        snprintf(entries[i].file, sizeof entries[i].file, "f%zu.c", i % 3);
        entries[i].line = (uint32_t)(i + 1);
    }
    std::sort(entries.begin(), entries.end(),
              [](const DefinitionEntry &a, const DefinitionEntry &b) {
                  return CompareEntries(&a, &b) < 0;
              });
    std::string text;
    for (const auto &e : entries)
        text += std::string(e.name) + "?" + e.file + "?" + std::to_string(e.line) + "\r\n";
    for (const char *word :
         {"a", "A",  "ab", "ABC", "abcd", "B", "b_", "open", "Op",   "Other", "z",
          "_", "_i", "m1", "m99", "m999", "0", "zz", "\x80", "\xa0", "aa",    "~"}) {
        size_t from = IndexRunStart(text.data(), text.size(), word);
        ASSERT_TRUE(from == 0 || text[from - 1] == '\n') << word;
        g_menuAnswer = 0;
        int whole = Collect(word, text), wholeCount = st->matchCount;
        std::string wholeFile = st->candidatePath;
        int wholeLine = st->foundLine;
        int part = Collect(word, text.substr(from));
        EXPECT_EQ(part, whole) << word;
        EXPECT_EQ(st->matchCount, wholeCount) << word;
        EXPECT_EQ(std::string(st->candidatePath), wholeFile) << word;
        EXPECT_EQ(st->foundLine, wholeLine) << word;
    }
    // ... and so does the same text read where it lies, through the view
    ASSERT_GE(text.size(), (size_t)BISECT_MIN);
    const std::string path = "/tmp/zolt-view-" + std::to_string(getpid()) + ".Far";
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
    for (const char *word : {"a", "ab", "ABC", "B", "b_", "Op", "z", "_i", "m99", "pad1000",
                             "pad1699", "pad", "0", "zz", "\x80", "\xa0", "~", "pae"}) {
        g_menuAnswer = 0;
        int whole = Collect(word, text), wholeCount = st->matchCount;
        std::string wholeFile = st->candidatePath;
        int wholeLine = st->foundLine;
        char result[LOOKUP_PATH_SIZE];
        strcpy(st->candidatePath, path.c_str());
        EXPECT_EQ(TryIndexFile(st, word, "", result, sizeof result, 0, &cancelled), whole) << word;
        EXPECT_EQ(st->matchCount, wholeCount) << word;
        EXPECT_EQ(st->indexFault, 0) << word;
        if (whole) {
            EXPECT_EQ(std::string(result), wholeFile) << word;
            EXPECT_EQ(st->foundLine, wholeLine) << word;
        }
    }
    unlink(path.c_str());
    EXPECT_EQ(IndexRunStart(text.data(), text.size(), "zzz"), text.find("_init?"));
    EXPECT_EQ(IndexRunStart(text.data(), text.size(), "~"), text.find("\x80\xa0x?"));
}

TEST(ReadWholeFile, BinaryAndBounded)
{
    char dir[] = "/tmp/zoltreadXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string path = std::string(dir) + "/idx";
    std::string bytes("a?b?1\r\nx\0y?z?2\r\n", 16);
    FILE *f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    std::string backslashed = path;
    for (char &c : backslashed)
        if (c == '/') c = '\\';

    char *text;
    size_t length;
    ASSERT_EQ(ReadWholeFile(backslashed.c_str(), &text, &length), 1);
    EXPECT_EQ(length, bytes.size());
    EXPECT_EQ(std::string(text, length), bytes); // CR LF kept
    EXPECT_EQ(text[length], '\0');
    MemFree(text);

    MemFailFrom(1);
    EXPECT_EQ(ReadWholeFile(backslashed.c_str(), &text, &length), 0);
    EXPECT_EQ(text, nullptr);
    MemFailFrom(0);

    f = fopen(path.c_str(), "wb");
    fclose(f);
    EXPECT_EQ(ReadWholeFile(backslashed.c_str(), &text, &length), 0); // empty
    EXPECT_EQ(ReadWholeFile((backslashed + "missing").c_str(), &text, &length), 0);
    EXPECT_EQ(ReadWholeFile(dir, &text, &length), 0); // a directory
    EXPECT_EQ(text, nullptr);
    unlink(path.c_str());
    rmdir(dir);
}

} // namespace

// The query by value: the edited text's exact definitions, then each index of the climb and
// the extra directories once, every match as a location with the index it came from.
namespace {
int FARAPI MatchName(const char *pattern, const char *name, int skipPath)
{
    return WildcardMatch(pattern, name, skipPath);
}
} // namespace

TEST(FindDefinition, TextThenClimbThenExtraDirectoriesOnce)
{
    PluginStartupInfo saved = g_far;
    memset(&g_far, 0, sizeof g_far);
    g_far.CmpName = MatchName;
    char tmpl[] = "/tmp/zoltfindXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string root = tmpl;
    auto write = [&](const std::string &rel, const std::string &text) {
        FILE *f = fopen((root + "/" + rel).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    };
    ASSERT_EQ(system(("mkdir -p " + root + "/sub/deep " + root + "/other").c_str()), 0);
    write("sub/zoltprj$.Far", "f?a.c?7\r\nfoo?b.c?2\r\ng?a.c?1\r\n");
    write("zoltprj$.Far", "f?..\\evil.c?1\r\nf?x\\a.c?3\r\n");
    write("other/zoltprj$.Far", "F?o.c?1\r\n");
    char plugin[1024];
    ASSERT_EQ(FromNativePath(root.c_str(), plugin, sizeof plugin), 0);
    std::string base = plugin, from = base + "\\sub\\deep\\c.c", other = base + "\\other";
    const char *extra[] = {plugin, other.c_str()};
    FindOptions o = {1, 1, 1, "*.c;*.h", extra, 2};
    const char text[] = "int g(void);\nint f(void) { return 0; }\nint f2(void) { return f(); }\n";
    DefinitionList list;
    ASSERT_EQ(FindDefinition("f", from.c_str(), text, sizeof text - 1, &o, &list), 0);
    std::vector<std::string> got;
    for (int i = 0; i < list.count; i++) {
        const DefinitionLocation &l = list.items[i];
        std::string index = l.index;
        if (index.compare(0, base.size(), base) == 0) index = "ROOT" + index.substr(base.size());
        std::string file = l.file;
        if (file.compare(0, base.size(), base) == 0) file = "ROOT" + file.substr(base.size());
        got.push_back(std::string(l.name) + " " + file + ":" + std::to_string(l.line) + " <" +
                      index + ">");
    }
    FreeDefinitionList(&list);
    const std::vector<std::string> want = {
        "f ROOT\\sub\\deep\\c.c:2 <>", // the text's exact definition only (not f2, not g)
        "f ROOT\\sub\\a.c:7 <ROOT\\sub\\zoltprj$.Far>",
        "foo ROOT\\sub\\b.c:2 <ROOT\\sub\\zoltprj$.Far>", // the index's run: names beginning with f
        "f :1 <ROOT\\zoltprj$.Far>",                      // a FILE outside its directory: no file
        "f ROOT\\x\\a.c:3 <ROOT\\zoltprj$.Far>",
        "F ROOT\\other\\o.c:1 <ROOT\\other\\zoltprj$.Far>", // the root's index not read twice
    };
    EXPECT_EQ(got, want);
    // a file of no source mask: its text is not scanned, the indexes still are
    from = base + "\\sub\\deep\\c.txt";
    ASSERT_EQ(FindDefinition("g", from.c_str(), text, sizeof text - 1, &o, &list), 0);
    ASSERT_EQ(list.count, 1);
    EXPECT_STREQ(list.items[0].index + base.size(), "\\sub\\zoltprj$.Far");
    FreeDefinitionList(&list);
    ASSERT_EQ(system(("rm -rf " + root).c_str()), 0);
    g_far = saved;
}
