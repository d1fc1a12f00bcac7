// Settings: defaults, type checks and bounds of the option store, and the configuration dialog
// driven through a scripted host Dialog service.
#include <gtest/gtest.h>

#include <string.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "../platform/tempdir.h"
#include "base/limits.h"
#include "host/host.h"
#include "platform/platform.h"
#include "plugin/plugin.h"
#include "settings/settings.h"

namespace {

const char ROOT_KEY[] = "Software\\Far\\Plugins";
const char KEY[] = "Software\\Far\\Plugins\\ZOLT";

struct DialogCall {
    int x1, y1, x2, y2;
    std::string help;
    std::vector<FarDialogItem> items; // as the host received them
};

std::vector<DialogCall> g_calls;
std::function<int(FarDialogItem *)> g_user; // what the user does; returns the closing item

const char *FakeGetMsg(int, int id)
{
    static std::string texts[40];
    if (id < 0 || id >= 40) return "";
    texts[id] = "M" + std::to_string(id);
    return texts[id].c_str();
}

int FakeDialog(int, int x1, int y1, int x2, int y2, const char *help, FarDialogItem *items,
               int count)
{
    g_calls.push_back(
        {x1, y1, x2, y2, help ? help : "", std::vector<FarDialogItem>(items, items + count)});
    return g_user(items);
}

// The nine checkboxes in the order of their values.
const int FLAG_ITEMS[9] = {5, 6, 7, 8, 9, 10, 11, 14, 15};
const char *const FLAG_NAMES[9] = {"CtStatic",  "CtInline", "CtCPP",   "QuitMenu", "CtStaticE",
                                   "CtInlineE", "CtCPPE",   "Recurse", "MoveF"};

struct SettingsTest : TempDirTest {
    void SetUp() override
    {
        TempDirTest::SetUp();
        Install(ROOT_KEY);
        g_calls.clear();
        g_user = [](FarDialogItem *) { return 16; };
    }
    void TearDown() override
    {
        PluginStartupInfo none;
        memset(&none, 0, sizeof none);
        InstallHostRecord(&none);
        TempDirTest::TearDown();
    }
    static void Install(const char *rootKey)
    {
        PluginStartupInfo info;
        memset(&info, 0, sizeof info);
        info.StructSize = sizeof info;
        info.RootKey = rootKey;
        info.GetMsg = FakeGetMsg;
        info.Dialog = FakeDialog;
        InstallHostRecord(&info);
    }
    std::string File() const { return root + "/config/zolt/settings"; }
    // The raw stored value: "dword:N", "string:TEXT" or "missing".
    static std::string Stored(const char *key, const char *name)
    {
        StoreKey *k = StoreOpenKey(key);
        char data[1024];
        uint32_t size = sizeof data;
        int type = STORE_NONE;
        int r = k ? StoreQueryValue(k, name, &type, data, &size) : -1;
        StoreCloseKey(k);
        if (r != 0) return "missing";
        if (type == STORE_DWORD) {
            uint32_t v;
            memcpy(&v, data, 4);
            return "dword:" + std::to_string(v);
        }
        return "string:" + std::string(data, size ? size - 1 : 0);
    }
    static void StoreRaw(const char *name, int type, const void *data, uint32_t size)
    {
        StoreKey *k = StoreCreateKey(KEY);
        ASSERT_EQ(StoreSetValue(k, name, type, data, size), 0);
        StoreCloseKey(k);
    }
};

TEST_F(SettingsTest, FreshStoreShowsDefaults)
{
    g_user = [](FarDialogItem *) { return 17; };
    EXPECT_EQ(ConfigDialog(), 0);
    ASSERT_EQ(g_calls.size(), 1u);
    const DialogCall &call = g_calls[0];
    EXPECT_EQ(call.x1, -1);
    EXPECT_EQ(call.y1, -1);
    EXPECT_EQ(call.x2, 57);
    EXPECT_EQ(call.y2, 20);
    EXPECT_EQ(call.help, "Contents");
    ASSERT_EQ(call.items.size(), 18u);
    int const expected[9] = {0, 1, 1, 0, 1, 1, 1, 1, 1};
    for (int i = 0; i < 9; i++) {
        const FarDialogItem &item = call.items[(size_t)FLAG_ITEMS[i]];
        EXPECT_EQ(item.Type, DI_CHECKBOX) << FLAG_NAMES[i];
        EXPECT_EQ(item.Selected, expected[i]) << FLAG_NAMES[i];
    }
    EXPECT_EQ(call.items[13].Type, DI_EDIT);
    EXPECT_STREQ(call.items[13].Data, "*.c;*.cpp;*.h;*.hpp");
    EXPECT_EQ(ReadText(File()), "<missing>"); // reading never creates the store
}

TEST_F(SettingsTest, ItemsTakeTextsAndStatesFromTheTemplate)
{
    g_user = [](FarDialogItem *) { return -1; };
    ConfigDialog();
    ASSERT_EQ(g_calls.size(), 1u);
    const std::vector<FarDialogItem> &items = g_calls[0].items;
    struct {
        int item;
        const char *text;
    } const texts[] = {{0, "M21"}, {1, "M28"}, {2, "M29"},  {3, ""},     {4, ""},     {5, "M22"},
                       {9, "M22"}, {8, "M25"}, {12, "M30"}, {15, "M32"}, {16, "M26"}, {17, "M27"}};
    for (const auto &t : texts) EXPECT_STREQ(items[(size_t)t.item].Data, t.text) << t.item;
    for (size_t i = 0; i < 18; i++) {
        EXPECT_EQ(items[i].Focus, i == 5) << i;
        EXPECT_EQ(items[i].DefaultButton, i == 16) << i;
        EXPECT_EQ(items[i].Flags, i == 3 || i == 4 ? DIF_BOXCOLOR | DIF_SEPARATOR : 0u) << i;
    }
    EXPECT_EQ(items[0].Type, DI_DOUBLEBOX);
    EXPECT_EQ(items[0].X2, 53);
    EXPECT_EQ(items[0].Y2, 17);
    EXPECT_EQ(items[13].X1, 17);
    EXPECT_EQ(items[13].X2, 50);
    EXPECT_EQ(items[16].Y1, 18);
    EXPECT_EQ(items[17].X1, 11);
}

TEST_F(SettingsTest, ConfirmWritesAllTenValues)
{
    ASSERT_EQ(ConfigDialog(), 1);
    int const expected[9] = {0, 1, 1, 0, 1, 1, 1, 1, 1};
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(Stored(KEY, FLAG_NAMES[i]), "dword:" + std::to_string(expected[i]));
    EXPECT_EQ(Stored(KEY, "FileMask"), "string:*.c;*.cpp;*.h;*.hpp");

    g_user = [](FarDialogItem *items) { // flip every box, type a new mask
        for (int item : FLAG_ITEMS) items[item].Selected = items[item].Selected ? 0 : 7;
        strcpy(items[13].Data, "*.cc;*.hh");
        return 16;
    };
    ASSERT_EQ(ConfigDialog(), 1);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(Stored(KEY, FLAG_NAMES[i]), "dword:" + std::to_string(1 - expected[i]));
    EXPECT_EQ(Stored(KEY, "FileMask"), "string:*.cc;*.hh");
}

TEST_F(SettingsTest, NonZeroDwordShowsSetAndIsWrittenBackAsOne)
{
    uint32_t five = 5;
    StoreRaw("CtStatic", STORE_DWORD, &five, 4);
    ASSERT_EQ(ConfigDialog(), 1);
    EXPECT_EQ(g_calls[0].items[5].Selected, 1);
    EXPECT_EQ(Stored(KEY, "CtStatic"), "dword:1");
}

TEST_F(SettingsTest, EmptyMaskIsKeptEmpty)
{
    g_user = [](FarDialogItem *items) {
        items[13].Data[0] = '\0';
        return 16;
    };
    ASSERT_EQ(ConfigDialog(), 1);
    EXPECT_EQ(Stored(KEY, "FileMask"), "string:");
    char mask[MASK_SIZE];
    EXPECT_EQ(GetStringSetting("", "FileMask", mask, SETTINGS_DEFAULT_MASK, sizeof mask), 1);
    EXPECT_STREQ(mask, "");
    g_user = [](FarDialogItem *) { return 17; };
    ConfigDialog();
    EXPECT_STREQ(g_calls[1].items[13].Data, "");
}

TEST_F(SettingsTest, LeavingAnyOtherWayWritesNothing)
{
    g_user = [](FarDialogItem *items) {
        for (int item : FLAG_ITEMS) items[item].Selected = 1;
        strcpy(items[13].Data, "changed");
        return 16;
    };
    ASSERT_EQ(ConfigDialog(), 1);
    const std::string saved = ReadText(File());
    for (int closing : {-1, 17, 0, 5, 13, 15, 18}) {
        g_user = [closing](FarDialogItem *items) {
            for (int item : FLAG_ITEMS) items[item].Selected = 0;
            strcpy(items[13].Data, "other");
            return closing;
        };
        EXPECT_EQ(ConfigDialog(), 0) << closing;
        EXPECT_EQ(ReadText(File()), saved) << closing;
    }
}

TEST_F(SettingsTest, UnterminatedEditTextIsCutToTheMaskSize)
{
    g_user = [](FarDialogItem *items) {
        memset(items[13].Data, 'm', sizeof items[13].Data);
        return 16;
    };
    ASSERT_EQ(ConfigDialog(), 1);
    EXPECT_EQ(Stored(KEY, "FileMask"), "string:" + std::string(511, 'm'));
}

TEST_F(SettingsTest, WrongTypesReadAsDefaults)
{
    uint32_t seven = 7;
    StoreRaw("CtStatic", STORE_STRING, "1", 2);
    StoreRaw("Recurse", STORE_STRING, "0", 2);
    StoreRaw("FileMask", STORE_DWORD, &seven, 4);
    uint32_t out = 99;
    EXPECT_EQ(QueryDwordValue("", "CtStatic", &out, 0), 0);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(GetDwordSetting("", "Recurse", 1), 1u);
    char mask[MASK_SIZE];
    EXPECT_EQ(GetStringSetting("", "FileMask", mask, "dflt", sizeof mask), 0);
    EXPECT_STREQ(mask, "dflt");

    g_user = [](FarDialogItem *) { return 16; };
    ASSERT_EQ(ConfigDialog(), 1);
    EXPECT_EQ(g_calls[0].items[5].Selected, 0);
    EXPECT_EQ(g_calls[0].items[14].Selected, 1);
    EXPECT_STREQ(g_calls[0].items[13].Data, "*.c;*.cpp;*.h;*.hpp");
    EXPECT_EQ(Stored(KEY, "CtStatic"), "dword:0"); // the dialog stores the proper types again
    EXPECT_EQ(Stored(KEY, "FileMask"), "string:*.c;*.cpp;*.h;*.hpp");
}

TEST_F(SettingsTest, MaskLongerThan511CharactersReadsAsDefault)
{
    char mask[MASK_SIZE];
    std::string fits(511, 'a'), tooLong(512, 'b');
    ASSERT_EQ(SetStringValue("", "FileMask", fits.c_str()), 0);
    EXPECT_EQ(GetStringSetting("", "FileMask", mask, SETTINGS_DEFAULT_MASK, sizeof mask), 1);
    EXPECT_EQ(std::string(mask), fits);
    ASSERT_EQ(SetStringValue("", "FileMask", tooLong.c_str()), 0);
    EXPECT_EQ(GetStringSetting("", "FileMask", mask, SETTINGS_DEFAULT_MASK, sizeof mask), 0);
    EXPECT_STREQ(mask, SETTINGS_DEFAULT_MASK);
    char tiny[4];
    EXPECT_EQ(GetStringSetting("", "FileMask", tiny, SETTINGS_DEFAULT_MASK, sizeof tiny), 0);
    EXPECT_STREQ(tiny, "*.c"); // the default is cut to the buffer
}

TEST_F(SettingsTest, KeyPathsStayWithinTheirBuffers)
{
    std::string longRoot(300, 'r');
    Install(longRoot.c_str()); // cut to fit SettingsRoot with "\ZOLT"
    EXPECT_EQ(strlen(SettingsRoot), sizeof SettingsRoot - 1);
    ASSERT_EQ(SetDwordValue("", "Recurse", 0), 0);
    EXPECT_EQ(GetDwordSetting("", "Recurse", 1), 0u);

    ASSERT_EQ(SetDwordValue("Sub", "Recurse", 1), 0); // a subkey is a key of its own
    EXPECT_EQ(GetDwordSetting("Sub", "Recurse", 0), 1u);
    EXPECT_EQ(GetDwordSetting("", "Recurse", 1), 0u);
    EXPECT_EQ(Stored((std::string(SettingsRoot) + "\\Sub").c_str(), "Recurse"), "dword:1");

    std::string longSub(KEY_PATH_SIZE, 's');
    EXPECT_EQ(SetDwordValue(longSub.c_str(), "Recurse", 1), -1);
    EXPECT_EQ(GetDwordSetting(longSub.c_str(), "Recurse", 7), 7u);
    EXPECT_EQ(CreateSettingsKey(longSub.c_str()), nullptr);

    memset(SettingsRoot, 'x', sizeof SettingsRoot); // never terminated
    EXPECT_EQ(GetDwordSetting("", "Recurse", 5), 5u);
    EXPECT_EQ(SetStringValue("", "FileMask", "*.c"), -1);
    EXPECT_EQ(OpenSettingsKey(""), nullptr);
    EXPECT_EQ(ConfigDialog(), 0);
}

TEST_F(SettingsTest, FailedSaveIsNotReportedAsSaved)
{
    ASSERT_EQ(mkdir((root + "/config").c_str(), 0700), 0);
    WriteText(root + "/config/zolt", "not a directory");
    EXPECT_EQ(ConfigDialog(), 0);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].items[7].Selected, 1); // defaults shown all the same
}

} // namespace
