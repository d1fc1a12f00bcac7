// Definition table: growth by half (at least 100 slots), a failed enlargement, and the sort order readers rely on.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "base/alloc.h"
#include "index/index.h"
#include "state/state.h"

namespace {

struct TableFixture : ::testing::Test {
    BrowserState st;
    void SetUp() override
    {
        memset(&st, 0, sizeof st);
        st.capacity = st.updCapacity = 100;
        st.entries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        st.updEntries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
    }
    void TearDown() override
    {
        MemFailFrom(0);
        ReleaseState(&st);
    }
};

DefinitionEntry Entry(const char *name, const char *file, int line)
{
    DefinitionEntry e;
    memset(&e, 0, sizeof e);
    strncpy(e.name, name, sizeof e.name - 1);
    strncpy(e.file, file, sizeof e.file - 1);
    e.line = (uint32_t)line;
    return e;
}

TEST_F(TableFixture, GrowsByHalfAndAtLeastAHundredSlots)
{
    struct {
        int appended;
        int capacity;
    } const rows[] = {{99, 100},  {100, 100}, {101, 200}, {200, 200},
                      {201, 300}, {301, 450}, {451, 675}};
    int done = 0;
    for (const auto &row : rows) {
        for (; done < row.appended; done++) {
            DefinitionEntry e = Entry(("n" + std::to_string(done)).c_str(), "f.c", done + 1);
            ASSERT_EQ(AppendEntry(&e, &st, 0), 0);
        }
        EXPECT_EQ(st.count, row.appended);
        EXPECT_EQ(st.capacity, row.capacity) << "after " << row.appended << " entries";
    }
    for (int i = 0; i < st.count; i++) EXPECT_EQ(st.entries[i].line, i + 1);
    EXPECT_EQ(st.updCount, 0);
}

TEST_F(TableFixture, FailedEnlargementLeavesTableUsable)
{
    for (int i = 0; i < 100; i++) {
        DefinitionEntry e = Entry("a", "f.c", i + 1);
        ASSERT_EQ(AppendEntry(&e, &st, 0), 0);
    }
    MemFailFrom(1);
    DefinitionEntry extra = Entry("b", "g.c", 7);
    EXPECT_EQ(AppendEntry(&extra, &st, 0), -1);
    EXPECT_EQ(st.count, 100);
    EXPECT_EQ(st.capacity, 100);
    EXPECT_EQ(st.entries[99].line, 100);
    MemFailFrom(0);
    EXPECT_EQ(AppendEntry(&extra, &st, 0), 0);
    EXPECT_EQ(st.count, 101);
    EXPECT_STREQ(st.entries[100].name, "b");
    EXPECT_EQ(st.entries[0].line, 1);
}

TEST_F(TableFixture, UpdateAndMainTablesAreSeparate)
{
    DefinitionEntry e = Entry("x", "x.c", 1);
    ASSERT_EQ(AppendEntry(&e, &st, 1), 0);
    EXPECT_EQ(st.updCount, 1);
    EXPECT_EQ(st.count, 0);
    ASSERT_EQ(AppendEntry(&e, &st, 0), 0);
    EXPECT_EQ(st.updCount, 1);
    EXPECT_EQ(st.count, 1);
}

TEST_F(TableFixture, SortOrder)
{
    struct {
        std::vector<DefinitionEntry> in;
        std::vector<std::string> out; // name?file?line after sorting
    } const cases[] = {
        {{Entry("abc", "b.c", 5), Entry("ABC", "a.c", 9), Entry("abc", "a.c", 2)},
         {"abc?a.c?2", "ABC?a.c?9", "abc?b.c?5"}},
        {{Entry("_init", "a.c", 1), Entry("Zeta", "a.c", 1)}, {"Zeta?a.c?1", "_init?a.c?1"}},
        {{Entry("AA", "a.c", 1), Entry("A1", "a.c", 1)}, {"A1?a.c?1", "AA?a.c?1"}},
        {{Entry("abc", "a.c", 1), Entry("ab", "a.c", 1)}, {"ab?a.c?1", "abc?a.c?1"}},
        {{Entry("a", "z.c", 1), Entry("", "z.c", 0)}, {"?z.c?0", "a?z.c?1"}},
        {{Entry("\x80", "a.c", 1), Entry("z", "a.c", 1), Entry("\xA0", "a.c", 1)},
         {"z?a.c?1", "\x80?a.c?1", "\xA0?a.c?1"}}, // OEM letters are not folded
        {{Entry("one", "a.c", 1)}, {"one?a.c?1"}},
    };
    for (const auto &c : cases) {
        st.count = 0;
        for (const auto &e : c.in) ASSERT_EQ(AppendEntry(&e, &st, 0), 0);
        SortTable(&st);
        std::vector<std::string> got;
        for (int i = 0; i < st.count; i++)
            got.push_back(std::string(st.entries[i].name) + "?" + st.entries[i].file + "?" +
                          std::to_string(st.entries[i].line));
        EXPECT_EQ(got, c.out);
    }
}

// Names and files from bytes around every edge of the folding ('`' 'a' 'z' '{', '@' 'A' 'Z' '[',
// bytes above 127), of every length up to two chunks: the sorted table agrees with CompareEntries.
TEST_F(TableFixture, SortAgreesWithCompareEntries)
{
    const char bytes[] = "`az{@AZ[_0\x80\xe0\xff";
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    auto text = [&](uint32_t most) {
        std::string t(next(most + 1), ' ');
        for (char &c : t) c = bytes[next(sizeof bytes - 1)];
        return t;
    };
    for (int i = 0; i < 3000; i++) {
        DefinitionEntry e = Entry(text(18).c_str(), text(10).c_str(), (int)next(3));
        ASSERT_EQ(AppendEntry(&e, &st, 0), 0);
    }
    SortTable(&st);
    for (int i = 1; i < st.count; i++)
        ASSERT_LE(CompareEntries(&st.entries[i - 1], &st.entries[i]), 0) << "at " << i;
}

TEST_F(TableFixture, SortEmptyTableTouchesNothing)
{
    st.entries[0] = Entry("keep", "k.c", 3);
    SortTable(&st);
    EXPECT_STREQ(st.entries[0].name, "keep");
    EXPECT_EQ(st.count, 0);
}

TEST_F(TableFixture, WriteTimeRoundTrips)
{
    DefinitionEntry e = Entry("t", "t.c", 1);
    FileTime t = {0x89abcdefu, 0x01234567u};
    memcpy((char *)&e + offsetof(DefinitionEntry, writeTime), &t, sizeof t);
    ASSERT_EQ(AppendEntry(&e, &st, 1), 0);
    FileTime back = EntryWriteTime(&st.updEntries[0]);
    EXPECT_EQ(back.low, t.low);
    EXPECT_EQ(back.high, t.high);
}

} // namespace

namespace {

// The index line's one format and one field split, as the files, the lookup and the headless
// commands share them.
TEST(IndexLine, FormatAndSplit)
{
    struct Row {
        const char *name, *file;
        int line, update;
        FileTime time;
        std::string expected;
    };
    const std::string longName(64, 'n'); // a foreign entry without its terminator: cut to 63
    const Row rows[] = {
        {"f", "a\\b.c", 7, 0, {0, 0}, "f?a\\b.c?7"},
        {"f", "a\\b.c", 7, 1, {4294967295u, 2}, "f?a\\b.c?7?4294967295?2"},
        {"", "", 65535, 0, {0, 0}, "??65535"},
        {"big", "dcn.h", 222893, 1, {1, 2}, "big?dcn.h?222893?1?2"},
        {longName.c_str(), "x.c", 0, 0, {0, 0}, longName.substr(0, 63) + "?x.c?0"},
    };
    for (const Row &r : rows) {
        DefinitionEntry e;
        memset(&e, 0, sizeof e);
        memcpy(e.name, r.name, strnlen(r.name, sizeof e.name));
        memcpy(e.file, r.file, strlen(r.file));
        e.line = (uint32_t)r.line;
        SetEntryWriteTime(&e, &r.time);
        char out[INDEX_LINE_ROOM];
        EXPECT_EQ(FormatIndexLine(out, &e, r.update), r.expected.size());
        EXPECT_EQ(std::string(out), r.expected);
    }

    struct Split {
        std::string line;
        size_t end; // bytes of the line that count
        int ok;
        std::string name, file, rest;
    };
    const Split splits[] = {
        {"n?f?3", 5, 1, "n", "f", "3"},
        {"a??x?y", 6, 1, "a", "", "x?y"},
        {"n?f", 3, 0, "", "", ""},
        {"n?f\n?3", 3, 0, "", "", ""}, // a '?' past the end belongs to the next line
    };
    for (const Split &s : splits) {
        IndexFields f;
        ASSERT_EQ(SplitIndexLine(s.line.c_str(), s.line.c_str() + s.end, &f), s.ok) << s.line;
        if (!s.ok) continue;
        EXPECT_EQ(std::string(f.name, f.nameLength), s.name);
        EXPECT_EQ(std::string(f.file, f.fileLength), s.file);
        EXPECT_EQ(std::string(f.rest), s.rest);
    }
}

} // namespace
