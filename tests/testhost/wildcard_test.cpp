// CmpName of our hosts: the mask forms the plugin's file masks rely on.
#include <gtest/gtest.h>

#include <string>

#include "common/wildcard.h"

namespace {

struct Case {
    const char *pattern;
    const char *name;
    int skipPath;
    int expected;
};

const Case kCases[] = {
    // '*' and '?'
    {"*", "", 0, 1},
    {"*", "anything.c", 0, 1},
    {"a*c", "abbbc", 0, 1},
    {"a*c", "abbbd", 0, 0},
    {"a**c", "ac", 0, 1},
    {"*.c", "main.c", 0, 1},
    {"*.c", "main.cpp", 0, 0},
    {"*.c*", "main.cpp", 0, 1},
    {"*.c*", "main.h", 0, 0},
    {"?.c", "a.c", 0, 1},
    {"?.c", ".c", 0, 0},
    {"?.c", "ab.c", 0, 0},
    {"a?", "a", 0, 0},
    {"*ab", "aab", 0, 1}, // the star must give back what it took
    {"*a*b*c", "xaxbxcx", 0, 0},
    {"*a*b*c", "xaxbxc", 0, 1},
    {"", "", 0, 1},
    {"", "a", 0, 0},
    // case-insensitive, Latin and code page 866
    {"*.MAC", "x.mac", 0, 1},
    {"*.mac", "X.MAC", 0, 1},
    {"MAIN.C", "main.c", 0, 1},
    {"\xA0\xAF.c", "\x80\x8F.c", 0, 1}, // а п / А П
    {"\xE0\xEF", "\x90\x9F", 0, 1},     // р я / Р Я
    {"\xF1", "\xF0", 0, 1},             // ё / Ё
    {"\xA0", "\xE0", 0, 0},             // а is not р
    {"\x80", "\xA0", 0, 1},
    // "*.*" and the trailing dot
    {"*.*", "Makefile", 0, 1},
    {"*.*", "a.b.c", 0, 1},
    {"*.*", "", 0, 1},
    {"abc.", "abc", 0, 1},
    {"abc.", "abc.", 0, 1},
    {"abc.", "abcd", 0, 0},
    {"*.", "README", 0, 1},
    {"*.", "a.b", 0, 0}, // the star may not swallow the extension
    {"a*.", "a.b", 0, 0},
    // sets
    {"[a,c-f].c", "a.c", 0, 1},
    {"[a,c-f].c", "b.c", 0, 0},
    {"[a,c-f].c", "E.c", 0, 1},
    {"[a,c-f].c", "g.c", 0, 0},
    {"x[0-9]", "x7", 0, 1},
    {"x[0-9]", "x", 0, 0},
    {"[0-z]", "_", 0, 1},
    {"[\xA0-\xAF]", "\x85", 0, 1}, // а-п holds Е
    {"a[bc", "a[bc", 0, 1},        // unclosed set: plain characters
    {"a[bc", "ab", 0, 0},
    {"*[!]", "x!", 0, 1},
    // skip path
    {"*.c", "C:\\src\\main.c", 1, 1},
    {"main.c", "C:\\src\\main.c", 1, 1},
    {"main.c", "C:\\src\\main.c", 0, 0},
    {"*src*", "C:\\src\\main.c", 1, 0},
    {"*src*", "C:\\src\\main.c", 0, 1},
    {"main.c", "C:main.c", 1, 1},
    {"main.c", "dir/main.c", 1, 1},
    {"*.", "d.x\\README", 1, 1}, // the dot in the directory does not count
    {"C*", "C:", 1, 0},
    {"*", "C:\\src\\", 1, 1},
};

TEST(Wildcard, Table)
{
    for (const Case &c : kCases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name, c.skipPath), c.expected)
            << "pattern \"" << c.pattern << "\" name \"" << c.name << "\" skipPath " << c.skipPath;
}

TEST(Wildcard, NullArgumentsDoNotMatch)
{
    EXPECT_EQ(WildcardMatch(nullptr, "a", 0), 0);
    EXPECT_EQ(WildcardMatch("*", nullptr, 1), 0);
}

// Many stars against a long near-miss must not take exponential time.
TEST(Wildcard, ManyStarsStayFast)
{
    std::string name(2000, 'a');
    EXPECT_EQ(WildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*b", name.c_str(), 0), 0);
    name += 'b';
    EXPECT_EQ(WildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*b", name.c_str(), 0), 1);
}

} // namespace
