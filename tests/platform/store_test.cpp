// Posix settings store: round trips of awkward bytes, several keys in one file, kept lines,
// and a failed write that must leave the old file as it was.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "base/alloc.h"
#include "platform/platform.h"
#include "tempdir.h"

namespace {

const char KEY[] = "Software\\Far\\Plugins\\ZOLT";

struct StoreTest : TempDirTest {
    std::string File() const { return root + "/config/zolt/settings"; }

    static void SetDword(StoreKey *k, const char *name, uint32_t v)
    {
        ASSERT_EQ(StoreSetValue(k, name, STORE_DWORD, &v, 4), 0) << name;
    }
    static void SetString(StoreKey *k, const char *name, const std::string &s)
    {
        ASSERT_EQ(StoreSetValue(k, name, STORE_STRING, s.c_str(), (uint32_t)s.size() + 1), 0)
            << name;
    }
    // "dword:N", "string:TEXT", "missing" or "too small"
    static std::string Query(const char *key, const char *name)
    {
        StoreKey *k = StoreOpenKey(key);
        if (k == nullptr) return "no key";
        char data[600];
        uint32_t size = sizeof data;
        int type = STORE_NONE;
        int r = StoreQueryValue(k, name, &type, data, &size);
        StoreCloseKey(k);
        if (r != 0) return r < 0 ? "missing" : "too small";
        if (type == STORE_DWORD && size == 4) {
            uint32_t v;
            memcpy(&v, data, 4);
            return "dword:" + std::to_string(v);
        }
        if (type == STORE_STRING && size >= 1 && data[size - 1] == '\0')
            return "string:" + std::string(data, size - 1);
        return "bad";
    }
    int FilesInStoreDir() const
    {
        int n = 0;
        DIR *d = opendir((root + "/config/zolt").c_str());
        if (d == nullptr) return -1;
        while (struct dirent *e = readdir(d)) n += e->d_name[0] != '.' || strlen(e->d_name) > 2;
        closedir(d);
        return n;
    }
};

TEST_F(StoreTest, ValuesRoundTripWithAwkwardBytes)
{
    struct {
        const char *name;
        std::string text;
    } const strings[] = {
        {"FileMask", "*.c;*.cpp;*.h;*.hpp"},
        {"Backslash", "C:\\src\\x\\"},
        {"Lines", "one\ntwo\r\nthree\r"},
        {"Equals", "a=b==c"},
        {"High", "\x80\xAF\xB3\xE0\xFF"},
        {"Empty", ""},
        {"Spaces", "  lead and trail  "},
        {"LooksLikeSyntax", "[Software\\Other]\n#x=dword:1\n\\x41"},
        {"Controls", "\x01\t\x1B\x7F"},
        {"we=ird [name] #1;", "value"},
    };
    uint32_t const dwords[] = {0, 1, 5, 0xFFFFFFFFu};
    StoreKey *k = StoreCreateKey(KEY);
    ASSERT_NE(k, nullptr);
    for (const auto &s : strings) SetString(k, s.name, s.text);
    for (uint32_t v : dwords) SetDword(k, ("D" + std::to_string(v)).c_str(), v);
    StoreCloseKey(k);

    for (const auto &s : strings) EXPECT_EQ(Query(KEY, s.name), "string:" + s.text) << s.name;
    for (uint32_t v : dwords)
        EXPECT_EQ(Query(KEY, ("D" + std::to_string(v)).c_str()), "dword:" + std::to_string(v));
    EXPECT_EQ(Query("software\\far\\PLUGINS\\zolt", "filemask"), "string:*.c;*.cpp;*.h;*.hpp");
    EXPECT_EQ(Query(KEY, "Absent"), "missing");
    // every line stays a line: nothing raw from the values leaks into the file's structure
    std::string text = ReadText(File());
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find("\n[Software\\Other]"), std::string::npos);
}

TEST_F(StoreTest, RewritingAValueChangesItsTypeAndKeepsOneLine)
{
    StoreKey *k = StoreCreateKey(KEY);
    SetDword(k, "CtStatic", 1);
    SetString(k, "CtStatic", "on");
    SetDword(k, "ctstatic", 7);
    StoreCloseKey(k);
    EXPECT_EQ(Query(KEY, "CtStatic"), "dword:7");
    std::string text = ReadText(File());
    EXPECT_NE(text.find("tstatic=dword:7"), std::string::npos) << text;
    EXPECT_EQ(text.find("tstatic="), text.rfind("tstatic=")) << text;
}

TEST_F(StoreTest, KeysShareOneFile)
{
    const char other[] = "Software\\Far\\Plugins\\Other";
    StoreKey *a = StoreCreateKey(KEY);
    StoreKey *b =
        StoreCreateKey(other); // open at the same time: closing b must not lose a's values
    SetDword(b, "Recurse", 0);
    StoreCloseKey(b);
    SetDword(a, "Recurse", 1);
    SetString(a, "FileMask", "*.c");
    StoreCloseKey(a);
    EXPECT_EQ(Query(KEY, "Recurse"), "dword:1");
    EXPECT_EQ(Query(other, "Recurse"), "dword:0");
    EXPECT_EQ(Query(other, "FileMask"), "missing");
    EXPECT_EQ(Query("Software\\Far\\Plugins", "Recurse"), "missing"); // a parent key exists, empty
    EXPECT_EQ(Query("Software\\Far\\Plug", "Recurse"), "no key");
}

TEST_F(StoreTest, MissingStoreAndCreatedKey)
{
    EXPECT_EQ(Query(KEY, "CtStatic"), "no key");
    EXPECT_EQ(ReadText(File()), "<missing>");
    StoreCloseKey(StoreCreateKey(KEY)); // creating a key makes it exist, as in the registry
    EXPECT_EQ(Query(KEY, "CtStatic"), "missing");
    EXPECT_EQ(FilesInStoreDir(), 1);
}

TEST_F(StoreTest, ForeignAndGarbledLinesAreIgnoredButKept)
{
    ASSERT_EQ(mkdir((root + "/config").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((root + "/config/zolt").c_str(), 0700), 0);
    const std::string original = "; hand-edited\r\n"
                                 "stray=dword:1\r\n"
                                 "[Software\\\\Far\\\\Plugins\\\\ZOLT]\r\n"
                                 "BadNumber=dword:12x\n"
                                 "TooBig=dword:4294967296\n"
                                 "BadEscape=string:a\\qb\n"
                                 "EscapedNul=string:a\\x00b\n"
                                 "Float=real:1.5\n"
                                 "no equals sign here\n"
                                 "Twice=dword:3\n"
                                 "Twice=dword:4\n"
                                 "Good=string:ok\r\n"
                                 "[broken\n";
    WriteText(File(), original);
    for (const char *name :
         {"BadNumber", "TooBig", "BadEscape", "EscapedNul", "Float", "stray", "broken"})
        EXPECT_EQ(Query(KEY, name), "missing") << name;
    EXPECT_EQ(Query(KEY, "Twice"), "dword:3");
    EXPECT_EQ(Query(KEY, "Good"), "string:ok");

    StoreKey *k = StoreCreateKey(KEY);
    SetDword(k, "Twice", 9);
    SetDword(k, "New", 1);
    StoreCloseKey(k);
    std::string text = ReadText(File());
    for (const char *kept : {"; hand-edited", "stray=dword:1", "BadNumber=dword:12x",
                             "Float=real:1.5", "no equals sign here", "Good=string:ok", "[broken"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    EXPECT_EQ(text.find("Twice=dword:3"), std::string::npos);
    EXPECT_EQ(text.find("Twice=dword:4"), std::string::npos);
    EXPECT_LT(text.find("New=dword:1"), text.find("[broken")); // added to its own key
    EXPECT_EQ(Query(KEY, "Twice"), "dword:9");
}

TEST_F(StoreTest, QueryReportsTypeAndNeededSize)
{
    StoreKey *k = StoreCreateKey(KEY);
    SetString(k, "FileMask", "*.c;*.h");
    SetDword(k, "Recurse", 1);
    StoreCloseKey(k);
    k = StoreOpenKey(KEY);
    ASSERT_NE(k, nullptr);
    char data[8];
    memset(data, '#', sizeof data);
    uint32_t size = 4;
    int type = STORE_NONE;
    EXPECT_EQ(StoreQueryValue(k, "FileMask", &type, data, &size), 1);
    EXPECT_EQ(type, STORE_STRING);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(data[0], '#');
    size = sizeof data;
    EXPECT_EQ(StoreQueryValue(k, "FileMask", &type, data, &size), 0);
    EXPECT_STREQ(data, "*.c;*.h");
    size = 0;
    EXPECT_EQ(StoreQueryValue(k, "Recurse", &type, nullptr, &size), 0);
    EXPECT_EQ(type, STORE_DWORD);
    EXPECT_EQ(size, 4u);
    uint32_t v = 1;
    EXPECT_EQ(StoreSetValue(k, "Recurse", STORE_DWORD, &v, 4), -1); // opened for reading
    StoreCloseKey(k);

    k = StoreCreateKey(KEY);
    EXPECT_EQ(StoreSetValue(k, "Short", STORE_DWORD, &v, 2), -1);
    EXPECT_EQ(StoreSetValue(k, "Binary", 3, &v, 4), -1);
    StoreCloseKey(k);
}

TEST_F(StoreTest, FailedWriteLeavesTheOldFile)
{
    StoreKey *k = StoreCreateKey(KEY);
    SetString(k, "FileMask", "*.old");
    StoreCloseKey(k);
    const std::string before = ReadText(File());

    // Past the file-size limit every write fails (for root too); SIGXFSZ would end the test.
    struct rlimit saved, tiny;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    tiny = saved;
    tiny.rlim_cur = 16;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    k = StoreCreateKey(KEY);
    SetString(k, "FileMask", std::string(200, 'n'));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    int flushed = StoreFlushKey(k);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(flushed, -1);
    EXPECT_EQ(ReadText(File()), before);
    EXPECT_EQ(FilesInStoreDir(), 1); // the temporary file is gone
    EXPECT_EQ(Query(KEY, "FileMask"), "string:*.old");

    EXPECT_EQ(StoreFlushKey(k), 0); // the change was kept for the next try
    StoreCloseKey(k);
    EXPECT_EQ(Query(KEY, "FileMask"), "string:" + std::string(200, 'n'));
}

TEST_F(StoreTest, FailedAllocationsLeaveOldOrNewFile)
{
    StoreKey *k = StoreCreateKey(KEY);
    SetString(k, "FileMask", "*.old");
    SetDword(k, "Recurse", 1);
    StoreCloseKey(k);
    const std::string before = ReadText(File());
    std::string after;
    for (long n = 1; after.empty(); n++) {
        ASSERT_LT(n, 1000);
        MemFailFrom(n);
        k = StoreCreateKey(KEY);
        uint32_t v = 0;
        int set = k ? StoreSetValue(k, "Recurse", STORE_DWORD, &v, 4) : -1;
        int flushed = set == 0 ? StoreFlushKey(k) : -1;
        StoreCloseKey(k);
        long used = MemAllocCount();
        MemFailFrom(0);
        std::string now = ReadText(File());
        if (flushed == 0 && used < n) after = now; // no allocation failed: the whole change is in
        else EXPECT_TRUE(now == before || now.find("Recurse=dword:0") != std::string::npos) << n;
        EXPECT_NE(now.find("FileMask=string:*.old"), std::string::npos) << n;
    }
    EXPECT_NE(after.find("Recurse=dword:0"), std::string::npos);

    // a reader short of memory never takes the key for an absent one
    for (long n = 1;; n++) {
        ASSERT_LT(n, 1000);
        MemFailOnly(n);
        StoreKey *r = nullptr;
        int opened = StoreOpen(KEY, &r);
        long used = MemAllocCount();
        MemFailFrom(0);
        StoreCloseKey(r);
        if (used < n) {
            EXPECT_EQ(opened, 0);
            break;
        }
        EXPECT_EQ(opened, -1) << n;
    }
}

TEST_F(StoreTest, ReadOnlyDirectoryLeavesTheOldFile)
{
    StoreKey *k = StoreCreateKey(KEY);
    SetDword(k, "Recurse", 1);
    StoreCloseKey(k);
    const std::string before = ReadText(File());
    ASSERT_EQ(chmod((root + "/config/zolt").c_str(), 0500), 0);
    if (access((root + "/config/zolt").c_str(), W_OK) == 0)
        GTEST_SKIP() << "permissions do not bind this user";
    k = StoreCreateKey(KEY);
    ASSERT_NE(k, nullptr);
    SetDword(k, "Recurse", 0);
    EXPECT_EQ(StoreFlushKey(k), -1);
    StoreCloseKey(k);
    EXPECT_EQ(ReadText(File()), before);
    EXPECT_EQ(Query(KEY, "Recurse"), "dword:1");
}

TEST_F(StoreTest, UnreadableStoreIsNeverReplaced)
{
    ASSERT_EQ(mkdir((root + "/config").c_str(), 0700), 0);
    WriteText(root + "/config/zolt", "not a directory");
    EXPECT_EQ(StoreCreateKey(KEY), nullptr);
    StoreKey *k = nullptr;
    EXPECT_EQ(StoreOpen(KEY, &k), 1); // unreadable, not short of memory
    EXPECT_EQ(k, nullptr);
    EXPECT_EQ(ReadText(root + "/config/zolt"), "not a directory");
}

TEST_F(StoreTest, RelativeXdgFallsBackToHome)
{
    std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative", 1);
    StoreKey *k = StoreCreateKey(KEY);
    SetDword(k, "MoveF", 0);
    StoreCloseKey(k);
    setenv("HOME", oldHome.c_str(), 1);
    EXPECT_NE(ReadText(root + "/.config/zolt/settings"), "<missing>");
    EXPECT_EQ(ReadText(root + "/relative/zolt/settings"), "<missing>");
}

} // namespace
