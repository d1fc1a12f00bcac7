/* The terminal host's text helpers: code page 866 table, path forms, help topics. */
#include <gtest/gtest.h>
#include <iconv.h>
#include <locale.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "term/model_p.h"

namespace {

TEST(TermCharset, Cp866BytesAndUnicode)
{
    const struct {
        unsigned char b;
        wchar_t w;
    } cases[] = {
        {'A', L'A'},    {0x80, 0x0410}, {0xA0, 0x0430}, {0xE0, 0x0440},
        {0xB3, 0x2502}, {0xF0, 0x0401}, {0xFF, 0x00A0},
    };
    for (auto &c : cases) {
        EXPECT_EQ(Cp866ToWide(c.b), c.w) << (int)c.b;
        EXPECT_EQ(WideToCp866(c.w), c.b) << (int)c.b;
    }
    /* every byte of the upper half as the C library converts it, and back */
    iconv_t cd = iconv_open("WCHAR_T", "CP866");
    ASSERT_NE(cd, (iconv_t)-1);
    for (int b = 0x80; b <= 0xFF; b++) {
        char in = (char)b, *ip = &in;
        wchar_t out = 0;
        char *op = (char *)&out;
        size_t il = 1, ol = sizeof out;
        ASSERT_NE(iconv(cd, &ip, &il, &op, &ol), (size_t)-1) << b;
        EXPECT_EQ(Cp866ToWide((unsigned char)b), out) << b;
        EXPECT_EQ(WideToCp866(out), b) << b;
    }
    iconv_close(cd);
    EXPECT_EQ(Cp866ToWide(0x07), L'.'); /* control bytes never reach the terminal */
    EXPECT_EQ(WideToCp866(0x20AC), -1); /* the euro sign has no byte */
}

/* The cells of a text as shown, each glyph written out in UTF-8 for comparing. */
std::string Shown(const std::string &bytes, int *cols = NULL)
{
    TextIter it;
    TextChar c;
    std::string out;
    int n = 0;
    TextBegin(&it, bytes.data(), (int)bytes.size(), 0);
    while (TextNext(&it, &c)) {
        char u[4];
        out.append(u, (size_t)Utf8Encode(c.glyph, u));
        n += c.cols;
    }
    if (cols) *cols = n;
    return out;
}

struct Utf8Terminal {
    Utf8Terminal()
    {
        setlocale(LC_CTYPE, "C.UTF-8"); /* wcwidth as the terminal host has it */
        CharsetSetUtf8(1);
    }
    ~Utf8Terminal()
    {
        CharsetSetUtf8(0);
        setlocale(LC_CTYPE, "C");
    }
};

TEST(TermCharset, ValidUtf8ShowsAsUtf8AndOtherBytesAsCp866)
{
    Utf8Terminal on;
    const struct {
        const char *bytes, *shown;
        int cols;
    } rows[] = {
        {"caf\xC3\xA9.c", "café.c", 6},
        {"caf\x82.c", "cafВ.c", 6},                               /* not UTF-8: code page 866 */
        {"buf \xB3 src\\caf\xC3\xA9.c", "buf │ src\\café.c", 16}, /* the browse menu's items */
        {"\xE6\x96\x87\xE4\xBB\xB6.c", "文件.c", 6},              /* wide characters */
        {"\xE2\x86\x92 \xE2\x80\x99", "→ ’", 3},
        {"\x8E\xA1\xA7\xAE\xE0 \xE3\xA6\xA5", "Обзор уже", 9}, /* "уже" is UTF-8 too */
        {"\xE3\xA6\xA5", "㦥", 2},                             /* alone it is taken for UTF-8 */
        {"\xC3\xA9\xEF", "├йя", 3},                            /* one run, not all UTF-8 */
        {"e\xCC\x81\xEF\xBB\xBF\x07", "e\xEF\xBF\xBD\xEF\xBF\xBD.", 4}, /* no column of their own */
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", 2},
        {"\xED\xA0\x80", "эаА", 3}, /* a surrogate is not UTF-8 */
    };
    for (const auto &r : rows) {
        int cols = 0;
        EXPECT_EQ(Shown(r.bytes, &cols), r.shown) << r.bytes;
        EXPECT_EQ(cols, r.cols) << r.bytes;
        EXPECT_EQ(TextColumns(r.bytes, (int)strlen(r.bytes)), r.cols) << r.bytes;
    }
    const std::string wide = "\xE6\x96\x87\xE4\xBB\xB6.c"; /* 文件.c */
    EXPECT_EQ(TextFitHead(wide.data(), (int)wide.size(), 3), 3);
    EXPECT_EQ(TextFitTail(wide.data(), (int)wide.size(), 3), 6);
    EXPECT_EQ(TextFitTail(wide.data(), (int)wide.size(), 6), 0);
    CharsetSetUtf8(0);
    EXPECT_EQ(Shown("caf\xC3\xA9"), "caf├й"); /* not a UTF-8 terminal */
}

/* The Russian language and help files are code page 866: every line shows as such. */
TEST(TermCharset, ShippedRussianTextsShowAsCp866)
{
    Utf8Terminal on;
    for (const char *name : {"/zoltRus.lng", "/zoltRus.hlf"}) {
        FILE *f = fopen((std::string(ZOLT_DIST_DIR) + name).c_str(), "rb");
        ASSERT_NE(f, nullptr) << name;
        std::string line;
        int n = 0;
        for (int c; (c = fgetc(f)) != EOF;) {
            if (c != '\n') {
                line += (char)c;
                continue;
            }
            std::string want;
            for (char b : line) {
                char u[4];
                want.append(u, (size_t)Utf8Encode(Cp866ToWide((unsigned char)b), u));
            }
            EXPECT_EQ(Shown(line), want) << name << " line " << ++n;
            line.clear();
        }
        fclose(f);
    }
}

TEST(TermCharset, HotKeysOfLabelsAndKeys)
{
    const struct {
        const char *label, *shown;
        int hot, key;
    } labels[] = {
        {"&OK", "OK", 0, 'O'},
        {"Scan su&bdirectories", "Scan subdirectories", 7, 'B'},
        {"a&&b &c", "a&b c", 4, 'C'},
        {"\x8E&\xE2\xAC\xA5\xAD\xA0", "\x8E\xE2\xAC\xA5\xAD\xA0", 1, 0x92}, /* О&тмена: Т */
        {"Warning", "Warning", -1, -1},
        {"trailing&", "trailing&", -1, -1},
    };
    for (const auto &l : labels) {
        char out[64];
        EXPECT_EQ(LabelStrip(l.label, out, sizeof out), l.hot) << l.label;
        EXPECT_STREQ(out, l.shown);
        EXPECT_EQ(LabelHotKey(l.label), l.key) << l.label;
    }
    EXPECT_EQ(HotKeyOf(KeyFromChar('o', 0x4F, 0)), 'O');
    EXPECT_EQ(HotKeyOf(KeyFromChar('o', 0x4F, 1)), 'O'); /* Alt+O */
    EXPECT_EQ(HotKeyOf(KeyFromChar(0xE2, -1, 0)), 0x92); /* т */
    EXPECT_EQ(HotKeyOf(KeyFromChar(15, -1, 0)), -1);     /* Ctrl+O */
    EXPECT_EQ(HotKeyOf(KeyFromChar(' ', 0x20, 0)), -1);
}

TEST(TermPaths, PluginPathsAndNativeOnes)
{
    char out[NATIVE_PATH_SIZE];
    ASSERT_EQ(FarToNativePath("\\home\\u\\x.c", out, sizeof out), 0);
    EXPECT_STREQ(out, "/home/u/x.c");
    char cwd[NATIVE_PATH_SIZE];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(FarToNativePath("sub\\x.c", out, sizeof out), 0);
    EXPECT_EQ(std::string(out), std::string(cwd) + (strcmp(cwd, "/") ? "/" : "") + "sub/x.c");
    char small[8];
    EXPECT_EQ(FarToNativePath("\\home\\user", small, sizeof small), -1);
    ASSERT_EQ(NativeToFarPath("/home/u/x.c", out, sizeof out), 0);
    EXPECT_STREQ(out, "\\home\\u\\x.c");
    EXPECT_EQ(NativeToFarPath("/home/user", small, sizeof small), -1);
}

static int Topic(const std::string &hlf, const char *topic, char (*lines)[128], int max)
{
    return HelpTopicLines(hlf.data(), hlf.size(), topic, lines, max);
}

TEST(TermHelp, TopicLinesWithoutMarks)
{
    const std::string hlf = ".Language=English,English\r\n"
                            "@Contents\r\n"
                            "$ #ZOLT browser#\r\n"
                            "   See ~the settings~@Config@ and ##define, ~~tilde, @@at.\r\n"
                            "@-\r\n"
                            "^centred\r\n"
                            "@Config\r\n"
                            "other topic\r\n";
    char lines[10][128];
    ASSERT_EQ(Topic(hlf, "contents", lines, 10), 3);
    EXPECT_STREQ(lines[0], "ZOLT browser");
    EXPECT_STREQ(lines[1], "   See the settings and #define, ~tilde, @at.");
    EXPECT_STREQ(lines[2], "centred");
    ASSERT_EQ(Topic(hlf, "Config", lines, 10), 1);
    EXPECT_STREQ(lines[0], "other topic");
    EXPECT_EQ(Topic(hlf, "Missing", lines, 10), -1);
    EXPECT_EQ(Topic(hlf, "Contents", lines, 2), 2);
}

TEST(TermHelp, LongLinesAreCutAndTheShippedFileHasContents)
{
    std::string hlf = "@Contents\n" + std::string(500, 'x') + "\n~" + std::string(300, 'y');
    char lines[4][128];
    ASSERT_EQ(Topic(hlf, "Contents", lines, 4), 2);
    EXPECT_EQ(strlen(lines[0]), 127u);
    EXPECT_EQ(strlen(lines[1]), 127u);

    std::string shipped;
    FILE *f = fopen(ZOLT_DIST_DIR "/zoltEng.hlf", "rb");
    ASSERT_NE(f, nullptr);
    for (int c; (c = fgetc(f)) != EOF;) shipped += (char)c;
    fclose(f);
    char many[400][128];
    EXPECT_GT(Topic(shipped, "Contents", many, 400), 3);
}

TEST(TermHelp, LinksKeepTheirPlaceAndTopic)
{
    const std::string hlf = "@Contents\r\n"
                            "   ~Settings~@Config@ and #bold# ~the ~~masks~@Masks@, ~@@~@At@\r\n"
                            "$ #Title# ~Index~@IndexFiles@\r\n"
                            "no link ~~ here\r\n";
    char lines[4][128];
    HelpLink links[4];
    int count = -1;
    ASSERT_EQ(HelpTopicPage(hlf.data(), hlf.size(), "Contents", lines, 4, links, 4, &count), 3);
    ASSERT_EQ(count, 4);
    EXPECT_STREQ(lines[0], "   Settings and bold the ~masks, @");
    struct {
        int line, column, length;
        const char *topic;
    } const want[] = {{0, 3, 8, "Config"}, {0, 21, 10, "Masks"}, {0, 33, 1, "At"},
                      {1, 6, 5, "IndexFiles"}};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(links[i].line, want[i].line) << i;
        EXPECT_EQ(links[i].column, want[i].column) << i;
        EXPECT_EQ(links[i].length, want[i].length) << i;
        EXPECT_STREQ(links[i].topic, want[i].topic) << i;
    }
    EXPECT_EQ(HelpTopicPage(hlf.data(), hlf.size(), "Contents", lines, 4, links, 1, &count), 3);
    EXPECT_EQ(count, 1); /* no room: the rest are not kept */
}

/* Every topic of both shipped help files is reached from Contents by following links, as F1
   then Tab and Enter would. */
TEST(TermHelp, EveryTopicIsReachedFromContents)
{
    for (const char *name : {"zoltEng.hlf", "zoltRus.hlf"}) {
        std::string hlf;
        FILE *f = fopen((std::string(ZOLT_DIST_DIR "/") + name).c_str(), "rb");
        ASSERT_NE(f, nullptr) << name;
        for (int c; (c = fgetc(f)) != EOF;) hlf += (char)c;
        fclose(f);
        std::set<std::string> topics, reached;
        for (size_t pos = 0; pos < hlf.size();) {
            size_t end = hlf.find('\n', pos);
            if (end == std::string::npos) end = hlf.size();
            std::string line = hlf.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.size() > 1 && line[0] == '@' && strchr("-+@ ", line[1]) == NULL)
                topics.insert(line.substr(1));
            pos = end + 1;
        }
        static char lines[400][128];
        static HelpLink links[256];
        std::vector<std::string> queue = {"Contents"};
        while (!queue.empty()) {
            std::string topic = queue.back();
            queue.pop_back();
            if (!reached.insert(topic).second) continue;
            int count = 0;
            ASSERT_GE(HelpTopicPage(hlf.data(), hlf.size(), topic.c_str(), lines, 400, links, 256,
                                    &count),
                      0)
                << name << ": a link to a missing topic " << topic;
            for (int i = 0; i < count; i++) queue.push_back(links[i].topic);
        }
        EXPECT_EQ(reached, topics) << name;
        EXPECT_GT(topics.size(), 6u) << name;
    }
}

} // namespace
