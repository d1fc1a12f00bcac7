// The shipped language and help files: message count, formats, dialog fit, encoding, help links.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdio.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/limits.h"
#include "common/lng.h"
#include "host/messages.h"

namespace {

const char *const LANG_FILES[] = {"zoltEng.lng", "zoltRus.lng"};
const char *const HELP_FILES[] = {"zoltEng.hlf", "zoltRus.hlf"};

std::string DistPath(const std::string &name)
{
    return std::string(ZOLT_DIST_DIR) + "/" + name;
}

std::string ReadBytes(const std::string &path)
{
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == NULL) return bytes;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    fclose(f);
    return bytes;
}

std::vector<std::string> Lines(const std::string &bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t eol; (eol = bytes.find('\n', start)) != std::string::npos; start = eol + 1)
        lines.push_back(bytes.substr(start, eol - start - (eol > start && bytes[eol - 1] == '\r')));
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

struct Messages {
    std::vector<std::string> text;
    std::string language;
};

Messages LoadDist(const char *name)
{
    Messages m;
    LngFile f;
    if (LngLoad(DistPath(name).c_str(), &f) == 0) {
        for (int i = 0; i < f.count; i++) m.text.push_back(LngMessage(&f, i));
        m.language = f.language;
    }
    LngFree(&f);
    return m;
}

// The printf conversions of a text, "%%" not counted; "!" marks a '%' that ends the text.
std::string Conversions(const std::string &s)
{
    std::string kinds;
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] != '%') continue;
        size_t j = i + 1;
        while (j < s.size() &&
               std::string("-+ #0123456789.*hlLqjzt").find(s[j]) != std::string::npos)
            j++;
        if (j >= s.size()) return kinds + "!";
        if (s[j] != '%' || j != i + 1) kinds += s[j];
        i = j;
    }
    return kinds;
}

std::string Visible(const std::string &s)
{
    std::string v;
    for (char c : s)
        if (c != '&') v += c;
    return v;
}

TEST(DistLanguageFiles, HoldEveryMessageInBothLanguages)
{
    const char *const expected[] = {"English", "Russian"};
    for (int i = 0; i < 2; i++) {
        Messages m = LoadDist(LANG_FILES[i]);
        EXPECT_EQ(m.language, expected[i]) << LANG_FILES[i];
        EXPECT_EQ(m.text.size(), (size_t)MSG_COUNT) << LANG_FILES[i];
        for (size_t n = 0; n < m.text.size(); n++) {
            bool unused = (n >= MSG_UNUSED_13 && n <= MSG_UNUSED_15) || n == MSG_RESERVED_39;
            EXPECT_EQ(m.text[n].empty(), unused) << LANG_FILES[i] << " message " << n;
        }
    }
}

// The hosts choose from dist/ itself; the UTF-8 sources below it must never be picked.
TEST(DistLanguageFiles, ChosenByLocale)
{
    const char *const rows[][2] = {
        {"ru_RU.UTF-8", "Russian"}, {"en_GB.UTF-8", "English"}, {"C", "English"}};
    for (const auto &row : rows) {
        LngFile f;
        ASSERT_EQ(LngLoadForLocale(ZOLT_DIST_DIR, row[0], &f), 0) << row[0];
        EXPECT_STREQ(f.language, row[1]) << row[0];
        EXPECT_EQ(f.count, MSG_COUNT) << row[0];
        LngFree(&f);
    }
}

TEST(DistLanguageFiles, FormatsHoldExactlyTheirConversion)
{
    std::map<int, std::string> formats = {
        {MSG_BROWSE_TITLE, "s"}, {MSG_SCAN_PROGRESS, "d"}, {MSG_LOAD_PROGRESS, "d"},
        {MSG_BROWSE_BOUNDED, "ds"}};
    for (const char *file : LANG_FILES) {
        Messages m = LoadDist(file);
        ASSERT_EQ(m.text.size(), (size_t)MSG_COUNT) << file;
        for (int n = 0; n < MSG_COUNT; n++) {
            auto it = formats.find(n);
            if (it != formats.end()) {
                EXPECT_EQ(Conversions(m.text[(size_t)n]), it->second) << file << " message " << n;
            } else {
                // shown as is: even "%%" would appear doubled
                EXPECT_EQ(m.text[(size_t)n].find('%'), std::string::npos)
                    << file << " message " << n;
            }
        }
        char buf[512];
        // the language file's own texts are the formats under test
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        int len =
            snprintf(buf, sizeof buf, m.text[MSG_BROWSE_TITLE].c_str(), "WWWWWWWWWWWWWWWWWWWW");
        EXPECT_LE(len, TITLE_SIZE - 1) << file;
        for (int n : {MSG_SCAN_PROGRESS, MSG_LOAD_PROGRESS}) {
            len = snprintf(buf, sizeof buf, m.text[(size_t)n].c_str(), INT_MIN);
            EXPECT_LE(len, PROGRESS_SIZE - 1) << file << " message " << n;
        }
#pragma GCC diagnostic pop
    }
}

// '&' marks a hot-key where the host draws the text as a menu item, a dialog control or a
// button; in a title, a box line or the plugins menu it would be shown as a literal '&'.
TEST(DistLanguageFiles, HotKeysOnlyWhereTheHostShowsThem)
{
    // Messages 22-24 label both checkbox groups of the dialog, so they carry no hot-key: a key
    // must choose one control.
    const std::set<int> withKey = {
        MSG_BROWSE,   MSG_BUILD,      MSG_GOBACK,         MSG_OK,          MSG_CFG_QUIT_MENU,
        MSG_CFG_SAVE, MSG_CFG_CANCEL, MSG_CFG_MASK_LABEL, MSG_CFG_RECURSE, MSG_CFG_MOVE_TO_LINE};
    const int dialogKeys[] = {MSG_CFG_QUIT_MENU,  MSG_CFG_SAVE,    MSG_CFG_CANCEL,
                              MSG_CFG_MASK_LABEL, MSG_CFG_RECURSE, MSG_CFG_MOVE_TO_LINE};
    for (const char *file : LANG_FILES) {
        Messages m = LoadDist(file);
        ASSERT_EQ(m.text.size(), (size_t)MSG_COUNT) << file;
        for (int n = 0; n < MSG_COUNT; n++) {
            const std::string &t = m.text[(size_t)n];
            size_t amp = t.find('&');
            if (withKey.count(n) == 0) {
                EXPECT_EQ(amp, std::string::npos) << file << " message " << n;
                continue;
            }
            ASSERT_NE(amp, std::string::npos) << file << " message " << n;
            EXPECT_EQ(t.find('&', amp + 1), std::string::npos) << file << " message " << n;
            EXPECT_TRUE(amp + 1 < t.size() && t[amp + 1] != ' ') << file << " message " << n;
        }
        std::set<unsigned char> keys;
        for (int n : dialogKeys) {
            unsigned char k = (unsigned char)m.text[(size_t)n][m.text[(size_t)n].find('&') + 1];
            if (k >= 'a' && k <= 'z') k = (unsigned char)(k - 0x20);
            if (k >= 0xA0 && k <= 0xAF) k = (unsigned char)(k - 0x20); // code page 866 а-п
            if (k >= 0xE0 && k <= 0xEF) k = (unsigned char)(k - 0x50); // р-я
            EXPECT_TRUE(keys.insert(k).second)
                << file << ": hot-key of message " << n << " used twice";
        }
    }
}

// The dialog is 57 columns wide with its frame from column 3 to 53; each text must end before
// the next control or the frame.
TEST(DistLanguageFiles, DialogTextsFitTheirPlaces)
{
    struct {
        int msg;
        size_t maxVisible;
    } const places[] = {
        {MSG_CONFIG, 44},     // frame title
        {MSG_CFG_STATIC, 40}, // checkbox at column 8: "[ ] " then the text, up to column 51
        {MSG_CFG_INLINE, 40},       {MSG_CFG_QUALIFIED, 40},     {MSG_CFG_QUIT_MENU, 40},
        {MSG_CFG_RECURSE, 42},                                   // checkboxes at column 6
        {MSG_CFG_MOVE_TO_LINE, 42}, {MSG_CFG_PROJECT_GROUP, 46}, // headings at column 6
        {MSG_CFG_EDITOR_GROUP, 46}, {MSG_CFG_MASK_LABEL, 10}, // column 6, then a blank before the mask field at column 17
        {MSG_CFG_SAVE, 4}, // "[ text ]" at column 3, the next button at column 11
    };
    for (const char *file : LANG_FILES) {
        Messages m = LoadDist(file);
        ASSERT_EQ(m.text.size(), (size_t)MSG_COUNT) << file;
        for (const auto &p : places)
            EXPECT_LE(Visible(m.text[(size_t)p.msg]).size(), p.maxVisible)
                << file << " message " << p.msg;
    }
}

// Code page 866 letters: А-п 0x80-0xAF, р-я 0xE0-0xEF, Ё 0xF0, ё 0xF1. Box-drawing bytes
// (0xB0-0xDF) never belong in our texts; UTF-8 Cyrillic would bring its lead bytes 0xD0/0xD1.
bool IsTextByte(unsigned char c)
{
    return (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n' || (c >= 0x80 && c <= 0xAF) ||
           (c >= 0xE0 && c <= 0xF1);
}

std::string Cp866ToUtf8(const std::string &bytes)
{
    std::string out;
    for (char ch : bytes) {
        unsigned c = (unsigned char)ch;
        unsigned cp = c < 0x80    ? c
                      : c <= 0xAF ? 0x410 + (c - 0x80)
                      : c <= 0xEF ? 0x440 + (c - 0xE0)
                      : c == 0xF0 ? 0x401
                                  : 0x451;
        if (cp < 0x80) {
            out += (char)cp;
        } else {
            out += (char)(0xC0 | (cp >> 6));
            out += (char)(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

TEST(DistEncoding, SingleByteTextWithCrLf)
{
    const char *const files[] = {"zoltEng.lng", "zoltRus.lng", "zoltEng.hlf", "zoltRus.hlf"};
    for (const char *name : files) {
        std::string bytes = ReadBytes(DistPath(name));
        ASSERT_FALSE(bytes.empty()) << name;
        bool russian = std::string(name).find("Rus") != std::string::npos;
        for (size_t i = 0; i < bytes.size(); i++) {
            unsigned char c = (unsigned char)bytes[i];
            EXPECT_TRUE(russian ? IsTextByte(c) : IsTextByte(c) && c < 0x80)
                << name << ": byte 0x" << std::hex << (int)c << " at " << std::dec << i;
            if (c == '\n') {
                EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << ": bare LF at " << i;
            } else if (c == '\r') {
                EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n')
                    << name << ": bare CR at " << i;
            }
        }
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name;
    }
}

// The Russian files are generated from UTF-8 sources (scripts/gen-lang.py); a hand edit of either
// side alone shows up here.
TEST(DistEncoding, RussianFilesMatchTheirSources)
{
    const char *const pairs[][2] = {{"zoltRus.lng", "src/zoltRus.utf8.lng"},
                                    {"zoltRus.hlf", "src/zoltRus.utf8.hlf"}};
    for (const auto &p : pairs) {
        std::vector<std::string> shipped = Lines(Cp866ToUtf8(ReadBytes(DistPath(p[0]))));
        std::vector<std::string> source = Lines(ReadBytes(DistPath(p[1])));
        ASSERT_FALSE(source.empty()) << p[1];
        EXPECT_EQ(shipped, source) << p[0] << " is stale: run scripts/gen-lang.py";
    }
}

struct Help {
    std::vector<std::string> lines;
    std::set<std::string> topics; // upper-cased: the host matches topic names without case
    std::vector<std::string> links;
};

std::string Upper(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z') c = (char)(c - 0x20);
    return s;
}

Help ParseHelp(const std::string &bytes)
{
    Help h;
    h.lines = Lines(bytes);
    for (const std::string &l : h.lines) {
        if (l.size() > 1 && l[0] == '@' && l[1] != '-' && l[1] != '+')
            h.topics.insert(Upper(l.substr(1)));
        for (size_t i = 0; i < l.size(); i++) {
            if (l.compare(i, 2, "~~") == 0 || l.compare(i, 2, "@@") == 0 ||
                l.compare(i, 2, "##") == 0) {
                i++;
            } else if (l[i] == '~') {
                size_t close = l.find("~@", i + 1);
                size_t end = close == std::string::npos ? close : l.find('@', close + 2);
                h.links.push_back(end == std::string::npos ? "<unclosed link>"
                                                           : l.substr(close + 2, end - close - 2));
                if (end == std::string::npos) break;
                i = end;
            }
        }
    }
    return h;
}

TEST(DistHelpFiles, HeaderTopicsAndLinks)
{
    const char *const languages[] = {".Language=English,English", ".Language=Russian,Russian ("};
    std::set<std::string> firstTopics;
    for (int i = 0; i < 2; i++) {
        const char *name = HELP_FILES[i];
        Help h = ParseHelp(ReadBytes(DistPath(name)));
        ASSERT_GT(h.lines.size(), 2u) << name;
        EXPECT_EQ(h.lines[0].rfind(languages[i], 0), 0u) << name;
        EXPECT_EQ(h.lines[1], ".PluginContents=ZOLT") << name;
        EXPECT_EQ(h.topics.count("CONTENTS"), 1u) << name;
        for (const std::string &link : h.links) {
            if (!link.empty() && link[0] == ':') continue; // the host's own help
            EXPECT_EQ(h.topics.count(Upper(link)), 1u)
                << name << ": link to missing topic " << link;
        }
        for (size_t n = 0; n < h.lines.size(); n++) {
            EXPECT_LE(h.lines[n].size(), 300u) << name << " line " << n + 1;
            if (n + 1 < h.lines.size() && h.lines[n].size() > 1 && h.lines[n][0] == '@' &&
                h.lines[n][1] != '-' && h.lines[n][1] != '+') {
                EXPECT_EQ(h.lines[n + 1].rfind("$ #", 0), 0u)
                    << name << ": topic without title, line " << n + 1;
            }
        }
        if (i == 0) {
            firstTopics = h.topics;
        } else {
            EXPECT_EQ(h.topics, firstTopics) << "both help files should offer the same topics";
        }
    }
}

} // namespace
