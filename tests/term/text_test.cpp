/* The terminal host's text helpers: code page 866 table, path forms, help topics. */
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "term/model_p.h"

namespace {

TEST(TermCharset, Cp866BytesAndUnicode)
{
    ASSERT_EQ(CharsetInit(), 0);
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
    EXPECT_EQ(Cp866ToWide(0x07), L'.'); /* control bytes never reach the terminal */
    EXPECT_EQ(WideToCp866(0x20AC), -1); /* the euro sign has no byte */
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

} // namespace
