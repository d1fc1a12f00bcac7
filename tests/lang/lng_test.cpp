// Language-file parser of our hosts: the host's line rules, hostile input, and the choice by locale.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/lng.h"

namespace {

struct TempDir {
    std::string path;
    std::vector<std::string> files;
    TempDir()
    {
        const char *base = getenv("TMPDIR");
        std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/zolt-lng-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data()) != NULL) path = buf.data();
    }
    ~TempDir()
    {
        for (const auto &f : files) unlink(f.c_str());
        rmdir(path.c_str());
    }
    std::string Write(const std::string &name, const std::string &bytes)
    {
        std::string full = path + "/" + name;
        FILE *f = fopen(full.c_str(), "wb");
        if (f != NULL) {
            fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
        files.push_back(full);
        return full;
    }
};

std::vector<std::string> Load(TempDir &dir, const std::string &bytes, int *rc = NULL)
{
    LngFile f;
    int r = LngLoad(dir.Write("t.lng", bytes).c_str(), &f);
    if (rc) *rc = r;
    std::vector<std::string> out;
    for (int i = 0; i < f.count; i++) out.push_back(LngMessage(&f, i));
    LngFree(&f);
    return out;
}

TEST(LngLoad, DecodesLinesByTheHostRules)
{
    struct {
        std::string line;
        const char *message;
    } const rows[] = {
        {"\"plain\"", "plain"},
        {"  \t\"  inner blanks stay  \" \t\r", "  inner blanks stay  "},
        {"\"back\\\\slash\"", "back\\slash"},
        {"\"q\\\"q\"", "q\"q"},
        {"\"a\\nb\\rc\\bd\\te\"", "a\nb\rc\bd\te"},
        {"\"say \"\"hi\"\"\"", "say \"hi\""},
        {"\"inner \"quote\" needs no escape\"", "inner \"quote\" needs no escape"},
        {"\"no closing quote", "no closing quote"},
        {"\"", ""},
        {"\"\"", ""},
        {"\"unknown \\q escape\"", "unknown \\q escape"},
        {"\"ends in backslash\\\"", "ends in backslash\\"},
        {"\"Definitions [%s]\"", "Definitions [%s]"},
        {std::string("\"nul\0 cuts the line\"", 20), "nul"},
    };
    TempDir dir;
    for (const auto &row : rows) {
        std::vector<std::string> got = Load(dir, row.line + "\r\n");
        ASSERT_EQ(got.size(), 1u) << row.line;
        EXPECT_EQ(got[0], row.message) << row.line;
    }
}

TEST(LngLoad, CountsOnlyQuotedLines)
{
    TempDir dir;
    const std::string text = ".Language=Russian,Russian (description)\r\n"
                             "// comment \"with quotes\"\r\n"
                             "\r\n"
                             "   \r\n"
                             "x\"not a message\"\n"
                             "\"zero\"\n"
                             "\t\"one\"\r\n"
                             "\"two\""; // no line end at the end of the file
    LngFile f;
    ASSERT_EQ(LngLoad(dir.Write("r.lng", text).c_str(), &f), 0);
    EXPECT_STREQ(f.language, "Russian");
    EXPECT_STREQ(f.description, "Russian (description)");
    ASSERT_EQ(f.count, 3);
    EXPECT_STREQ(LngMessage(&f, 0), "zero");
    EXPECT_STREQ(LngMessage(&f, 2), "two");
    for (int n : {-1, 3, INT_MAX, INT_MIN}) EXPECT_STREQ(LngMessage(&f, n), "") << n;
    LngFree(&f);
    EXPECT_STREQ(LngMessage(&f, 0), "");
    EXPECT_STREQ(LngMessage(NULL, 0), "");
}

TEST(LngLoad, HeaderVariants)
{
    struct {
        const char *header;
        const char *language;
        const char *description;
    } const rows[] = {
        {".Language=English,English", "English", "English"},
        {"  .LANGUAGE=German , Deutsch  ", "German", "Deutsch"},
        {".Language=Solo", "Solo", ""},
        {".Language=", "", ""},
        {"// .Language=Hidden,in a comment", "", ""},
    };
    TempDir dir;
    for (const auto &row : rows) {
        LngFile f;
        ASSERT_EQ(
            LngLoad(dir.Write("h.lng", std::string(row.header) + "\r\n\"m\"\r\n").c_str(), &f), 0);
        EXPECT_STREQ(f.language, row.language) << row.header;
        EXPECT_STREQ(f.description, row.description) << row.header;
        EXPECT_EQ(f.count, 1);
        LngFree(&f);
    }
    LngFile f;
    ASSERT_EQ(
        LngLoad(dir.Write("h.lng", ".Language=" + std::string(500, 'L') + ",d\n").c_str(), &f), 0);
    EXPECT_EQ(strlen(f.language), (size_t)LNG_NAME_SIZE - 1);
    LngFree(&f);
}

TEST(LngLoad, OverlongLineStaysOneMessage)
{
    TempDir dir;
    const std::string big(100 * 1024, 'w');
    std::vector<std::string> got =
        Load(dir, "\"" + big + "\"\r\n\"after\"\r\n" + big + "\r\n\"last\"");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], big);
    EXPECT_EQ(got[1], "after");
    EXPECT_EQ(got[2], "last");
}

TEST(LngLoad, RefusesWhatIsNotALanguageFile)
{
    TempDir dir;
    LngFile f;
    EXPECT_EQ(LngLoad((dir.path + "/missing.lng").c_str(), &f), -1);
    EXPECT_EQ(f.count, 0);
    EXPECT_STREQ(LngMessage(&f, 0), "");
    LngFree(&f);
    EXPECT_EQ(LngLoad(dir.path.c_str(), &f), -1); // a directory
    LngFree(&f);
    std::string fifo = dir.path + "/fifo.lng";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    dir.files.push_back(fifo);
    EXPECT_EQ(LngLoad(fifo.c_str(), &f), -1); // must not wait for a writer
    LngFree(&f);
    EXPECT_EQ(LngLoad(NULL, &f), -1);
    LngFree(&f);
    std::string huge = "\"m\"\n" + std::string(LNG_FILE_MAX, 'x');
    EXPECT_EQ(LngLoad(dir.Write("huge.lng", huge).c_str(), &f), -1);
    LngFree(&f);
    int rc = -2;
    EXPECT_TRUE(Load(dir, "", &rc).empty());
    EXPECT_EQ(rc, 0);
}

// Random bytes, and a tricky file cut at every length: loading ends, and every message
// lies inside the loaded text (the address sanitizer checks the reads and writes).
TEST(LngLoad, SurvivesGarbageAndEveryTruncation)
{
    TempDir dir;
    std::string garbage;
    unsigned seed = 12345;
    const char alphabet[] = "\"\\\r\n\t nrbt\0.Language=,x\xff\x80";
    for (int i = 0; i < 64 * 1024; i++) {
        seed = seed * 1103515245u + 12345u;
        garbage += (seed >> 16) % 3 == 0 ? (char)(seed >> 8)
                                         : alphabet[(seed >> 16) % (sizeof alphabet - 1)];
    }
    int rc = -2;
    std::vector<std::string> got = Load(dir, garbage, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_GT(got.size(), 0u);

    const std::string tricky =
        ".Language=English,English\r\n\"a\\\"b\"\"c\\\\\\n\"\r\n \"\\\r\n\"\"\"\"\r\n\"x\\";
    for (size_t len = 0; len <= tricky.size(); len++) {
        LngFile f;
        ASSERT_EQ(LngLoad(dir.Write("chop.lng", tricky.substr(0, len)).c_str(), &f), 0) << len;
        for (int i = 0; i < f.count; i++) EXPECT_LE(strlen(LngMessage(&f, i)), len);
        LngFree(&f);
    }
}

TEST(LngLoadForLocale, PicksByLocaleThenEnglishThenLastFile)
{
    TempDir both, noEnglish, none;
    both.Write("a_eng.lng", ".Language=English,English\n\"E\"\n");
    both.Write("b_rus.LNG", ".Language=russian,Russian\n\"R\"\n");
    both.Write("c_rus.txt", ".Language=Russian,not a .lng file\n\"T\"\n");
    noEnglish.Write("a.lng", ".Language=German,Deutsch\n\"G\"\n");
    noEnglish.Write("b.lng", ".Language=French,Francais\n\"F\"\n");
    none.Write("readme.txt", "\"x\"\n");
    struct {
        const std::string *dir;
        const char *locale;
        int rc;
        const char *message0;
    } const rows[] = {
        {&both.path, "ru_RU.UTF-8", 0, "R"},
        {&both.path, "RU", 0, "R"},
        {&both.path, "en_US.UTF-8", 0, "E"},
        {&both.path, "C", 0, "E"},
        {&both.path, "", 0, "E"},
        {&both.path, NULL, 0, "E"},
        {&both.path, "r", 0, "E"},
        {&noEnglish.path, "ru_RU", 0, "F"}, // no Russian, no English: the last by name
        {&none.path, "ru_RU", -1, ""},
    };
    for (const auto &row : rows) {
        LngFile f;
        EXPECT_EQ(LngLoadForLocale(row.dir->c_str(), row.locale, &f), row.rc)
            << (row.locale ? row.locale : "(null)");
        EXPECT_STREQ(LngMessage(&f, 0), row.message0) << (row.locale ? row.locale : "(null)");
        LngFree(&f);
    }
    LngFile f;
    EXPECT_EQ(LngLoadForLocale((none.path + "/absent").c_str(), "en", &f), -1);
    LngFree(&f);
}

TEST(LngEnvLocale, FollowsThePosixPrecedence)
{
    struct {
        const char *all, *messages, *lang, *expected;
    } const rows[] = {
        {"ru_RU", "en_US", "de_DE", "ru_RU"},
        {"", "ru_RU", "en_US", "ru_RU"},
        {NULL, NULL, "ru_RU.KOI8-R", "ru_RU.KOI8-R"},
        {NULL, NULL, NULL, ""},
    };
    const char *names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; i++) {
        const char *v = getenv(names[i]);
        had[i] = v != NULL;
        saved[i] = v ? v : "";
    }
    for (const auto &row : rows) {
        const char *values[] = {row.all, row.messages, row.lang};
        for (int i = 0; i < 3; i++) {
            if (values[i]) setenv(names[i], values[i], 1);
            else unsetenv(names[i]);
        }
        EXPECT_STREQ(LngEnvLocale(), row.expected);
    }
    for (int i = 0; i < 3; i++) {
        if (had[i]) setenv(names[i], saved[i].c_str(), 1);
        else unsetenv(names[i]);
    }
}

} // namespace
