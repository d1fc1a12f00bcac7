/* browse_filter: the browse menu over a table made from the input, driven by typed keys.
   Input lines: a filter, the menu's key bytes, then NAME?FILE?LINE entries (sorted as loaded).
   PrefixRange must select exactly the entries whose names start with the filter, and the menu
   loop must survive any key sequence. */
#include <stdlib.h>
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "browse/browse.h"
#include "browse/browse_p.h"
#include "fuzz.h"
#include "host/farapi.h"
#include "plugin/plugin.h"
#include "testhost/testhost.h"

static int Upper(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? c - 0x20 : c;
}

static bool StartsWith(const char *name, const char *filter)
{
    for (size_t i = 0; filter[i] != '\0'; i++)
        if (i >= 63 || Upper((unsigned char)name[i]) != Upper((unsigned char)filter[i]))
            return false;
    return true;
}

static void CheckRange(const BrowserState *st, const char *filter)
{
    int count = -1, first = -1;
    PrefixRange(filter, &count, &first, st);
    if (count < 0 || first < 0 || first + count > st->count) FuzzFail("range outside the table");
    for (int i = 0; i < st->count; i++) {
        bool inside = i >= first && i < first + count;
        if (inside != StartsWith(st->entries[i].name, filter))
            FuzzFail("range is not the prefix run");
    }
}

static std::string keys;
static size_t nextKey;

static MenuChoice Answer(const HostCall &m)
{
    if (nextKey >= keys.size()) return {-1, -1};
    unsigned char b = (unsigned char)keys[nextKey++];
    ScriptMenuFn(Answer);
    int items = (int)m.menuItems.size();
    switch (b % 8) {
    case 0: return {-1, -1};
    case 1: return {items > 0 ? (b >> 3) % items : -1, -1};
    default:
        return {items > 0 ? 0 : -1,
                m.breakKeys.empty() ? -1 : (int)((b >> 3) % m.breakKeys.size())};
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static BrowserState st;
    std::vector<std::string> lines = FuzzLines(data, size);
    FuzzBeginInput(&st, 0);
    char filter[FILTER_SIZE];
    snprintf(filter, sizeof filter, "%.20s", lines[0].c_str());
    keys = lines.size() > 1 ? lines[1] : "";
    nextKey = 0;
    for (size_t i = 2; i < lines.size(); i++) {
        DefinitionEntry e;
        memset(&e, 0, sizeof e);
        const std::string &l = lines[i];
        size_t q1 = l.find('?'), q2 = q1 == std::string::npos ? q1 : l.find('?', q1 + 1);
        snprintf(e.name, sizeof e.name, "%s", l.substr(0, q1).c_str());
        if (q1 != std::string::npos)
            snprintf(e.file, sizeof e.file, "%s", l.substr(q1 + 1, q2 - q1 - 1).c_str());
        if (q2 != std::string::npos) e.line = (uint32_t)atoi(l.c_str() + q2 + 1);
        if (AppendEntry(&e, &st, 0) != 0) FuzzFail("the table did not grow");
    }
    SortTable(&st);
    CheckRange(&st, filter);
    CheckRange(&st, "");

    int *breakKeys = MakeBreakKeys(&st);
    for (size_t i = 0; i < keys.size(); i++) {
        EditFilter(filter, breakKeys, (unsigned char)keys[i] % 50 - 3);
        if (strlen(filter) > FILTER_MAX) FuzzFail("filter beyond its bound");
        CheckRange(&st, filter);
    }
    MemFree(breakKeys);

    int fromEditor = !keys.empty() && (keys[0] & 1);
    st.fromEditor = fromEditor;
    st.quitMenu = !keys.empty() && (keys[0] & 2);
    if (fromEditor) OpenEditor("edited.c", {"a", "b"});
    ScriptMenuFn(Answer);
    BrowseDefinitions(&st, fromEditor ? OPEN_EDITOR : OPEN_PLUGINSMENU);
    if (!TestHostErrors().empty()) {
        for (const std::string &e : TestHostErrors()) fprintf(stderr, "%s\n", e.c_str());
        FuzzFail("host rules broken by the menu loop");
    }
    TestHostInstall(); /* drops the answer left for a menu that was not shown again */
    FuzzEndInput(&st);
    return 0;
}
