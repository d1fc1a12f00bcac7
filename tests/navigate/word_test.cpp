// Case folding and the identifier under the cursor, through a fake conversion service.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "host/host.h"
#include "navigate/navigate.h"

namespace {

int g_convertCalls;
bool g_ansiTable;    // the editor shows the file in a table whose 0xC0..0xFF are Cyrillic letters
char g_hostLine[32]; // a line the host hands out; like the host's, it is reused by the next call

int FARAPI FakeEditorControl(int command, void *param)
{
    if (command != ECTL_EDITORTOOEM) return 0;
    g_convertCalls++;
    memset(g_hostLine, '#', sizeof g_hostLine);
    auto *ect = static_cast<EditorConvertText *>(param);
    if (!g_ansiTable) return 1;
    for (int i = 0; i < ect->TextLength; i++) {
        unsigned char c = (unsigned char)ect->Text[i];
        if (c >= 0xC0 && c <= 0xEF) ect->Text[i] = (char)(c - 0x40); // A..p
        else if (c >= 0xF0) ect->Text[i] = (char)(c - 0x10);         // r..ya
    }
    return 1;
}

struct WordFixture : ::testing::Test {
    PluginStartupInfo saved;
    void SetUp() override
    {
        saved = g_far;
        memset(&g_far, 0, sizeof g_far);
        g_far.EditorControl = FakeEditorControl;
        g_convertCalls = 0;
        g_ansiTable = false;
    }
    void TearDown() override { g_far = saved; }

    std::string Word(const std::string &line, int pos, int length = -1)
    {
        char word[1024] = "";
        ExtractWord(word, line.data(), length < 0 ? (int)line.size() : length, pos);
        return word;
    }
};

TEST(FoldCase, CodePage866Letters)
{
    const struct {
        int in, out;
    } rows[] = {
        {0x61, 0x41}, {0x7A, 0x5A},  {0x41, 0x41},         {0x60, 0x60}, {0x7B, 0x7B},
        {0xA0, 0x80}, {0xAF, 0x8F},  {0x9F, 0x9F},         {0xE0, 0x90}, {0xEF, 0x9F},
        {0xF1, 0xF0}, {0xF0, 0xF0},  {0xB0, 0xB0},         {0xDF, 0xDF}, {0xF2, 0xF2},
        {0xFF, 0xFF}, {0x161, 0x41}, {-0x20, 0xE0 - 0x50}, // only the low byte counts
    };
    for (const auto &r : rows) EXPECT_EQ(FoldCase(r.in), r.out) << std::hex << r.in;
    for (int c = 0; c < 256; c++) EXPECT_EQ(FoldCase(FoldCase(c)), FoldCase(c)) << c;
}

TEST(FoldedCompareN, ComparesExactlyNBytes)
{
    const struct {
        const char *a, *b;
        int n, result;
    } rows[] = {
        {"abc?x", "ABC", 3, 0},
        {"ab?", "abc", 3, 1},
        {"abc", "abd", 0, 0},
        {"abc", "abd", -4, 0},
        {"ab", "abc", 3, 1},
        {"abc", "ab", 3, 1},
        {"\xA0\xE0\xF1", "\x80\x90\xF0", 3, 0},
        {"\xB0", "\xB1", 1, 1},
        {"abd", "abc", 2, 0},
    };
    for (const auto &r : rows)
        EXPECT_EQ(FoldedCompareN(r.a, r.b, r.n), r.result) << r.a << " / " << r.b;
}

TEST_F(WordFixture, IdentifierBytesAreJudgedInOem)
{
    std::string word;
    for (int c = 0; c < 256; c++) {
        bool expected = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                        (c >= 'a' && c <= 'z') || c == '_' || (c >= 0x80 && c <= 0xAF) ||
                        (c >= 0xE0 && c <= 0xF1);
        EXPECT_EQ(IsWordChar(c) != 0, expected) << std::hex << c;
    }
    EXPECT_EQ(g_convertCalls, 256);
    g_ansiTable = true; // 0xC0 is a letter in the editor's table, a box character in OEM
    EXPECT_TRUE(IsWordChar(0xC0));
    EXPECT_TRUE(IsWordChar(0xFF));
}

TEST_F(WordFixture, WordAroundTheCursor)
{
    const struct {
        const char *line;
        int pos;
        const char *word;
    } rows[] = {
        {"x = Alpha_1(y);", 4, "Alpha_1"},
        {"x = Alpha_1(y);", 7, "Alpha_1"},
        {"x = Alpha_1(y);", 10, "Alpha_1"},
        {"x = Alpha_1(y);", 11, ""}, // on "("
        {"x = Alpha_1 (y);", 11, ""},
        {"x = Alpha_1(y);", 15, ""}, // space; end of line
        {"x = Alpha_1(y);", 99, ""},
        {"x = Alpha_1(y);", -1, ""},
        {"Begin(x)", 0, "Begin"},
        {"Begin(x)", 3, "Begin"},
        {"~Node", 1, "Node"},
        {"a.b", 2, "b"},
        {"x::y", 0, "x"},
        {"$ab", 1, "ab"},
        {"\tq", 0, ""},
        {"a\rb", 1, ""},
        {"s = \x8F\xE0\xA8\xA2\xA5\xE2_\xF1;", 6, "\x8F\xE0\xA8\xA2\xA5\xE2_\xF1"},
        {"\xB3Name\xB3", 2, "Name"},
        {"\xB3Name\xB3", 0, ""},
    };
    for (const auto &r : rows) EXPECT_EQ(Word(r.line, r.pos), r.word) << r.line << " @" << r.pos;
}

TEST_F(WordFixture, StopsAtTheLineLengthAndAtNul)
{
    EXPECT_EQ(Word("abcdef", 1, 3), "abc"); // bytes past the host's length are not the line's
    EXPECT_EQ(Word(std::string("ab\0cd", 5), 3), "cd");
    EXPECT_EQ(Word(std::string("ab\0cd", 5), 2), "");
}

TEST_F(WordFixture, LongIdentifierIsCutTo1023)
{
    std::string id(1500, 'a');
    for (size_t i = 0; i < id.size(); i++) id[i] = (char)('a' + i % 26);
    for (int pos : {0, 700, 1499}) EXPECT_EQ(Word(id, pos), id.substr(0, 1023)) << pos;
    std::string exact(1023, 'q');
    EXPECT_EQ(Word(exact + " ", 5), exact);
}

TEST_F(WordFixture, NoWordLeavesTheBufferAlone)
{
    char word[1024] = "keep";
    ExtractWord(word, "a b", 3, 1);
    EXPECT_STREQ(word, "keep");
    ExtractWord(word, NULL, 0, 0);
    EXPECT_STREQ(word, "keep");
}

TEST_F(WordFixture, HostLineIsReadBeforeTheFirstConversion)
{
    strcpy(g_hostLine, "call(Alpha_1);");
    char word[1024] = "";
    ExtractWord(word, g_hostLine, (int)strlen(g_hostLine), 8);
    EXPECT_STREQ(word, "Alpha_1");
}

TEST_F(WordFixture, CopiedWordIsConvertedToOem)
{
    g_ansiTable = true;
    EXPECT_EQ(Word("= \xCF\xF0\xE8\xE2\xE5\xF2(", 3), "\x8F\xE0\xA8\xA2\xA5\xE2");
}

} // namespace
