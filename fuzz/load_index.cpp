/* load_index: LoadIndex over arbitrary index-file bytes, both files, and the round trip through
   the writer: whatever was loaded is written and read back unchanged.
   Input: the bytes of both zoltprj$.Far and zoltpru$.Far. */
#include <string.h>

#include "fuzz.h"
#include "index/index.h"

static std::vector<DefinitionEntry> Copy(const DefinitionEntry *e, int n)
{
    return std::vector<DefinitionEntry>(e, e + n);
}

static bool Same(const std::vector<DefinitionEntry> &a, const DefinitionEntry *b, int n,
                 bool withTime)
{
    if ((int)a.size() != n) return false;
    for (size_t i = 0; i < (size_t)n; i++) {
        if (strcmp(a[i].name, b[i].name) != 0 || strcmp(a[i].file, b[i].file) != 0 ||
            a[i].line != b[i].line)
            return false;
        if (withTime && memcmp(&a[i].writeTime, &b[i].writeTime, sizeof a[i].writeTime) != 0)
            return false;
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static BrowserState st;
    FuzzBeginInput(&st, 7);
    FuzzWriteFile(PROJECT_INDEX_NAME, data, size);
    FuzzWriteFile(UPDATE_INDEX_NAME, data, size);
    if (LoadIndex(&st, 0) != 0 || LoadIndex(&st, 1) != 0) FuzzFail("an index file did not load");
    size_t lines = 0;
    for (size_t i = 0; i < size; i++) lines += data[i] == '\n';
    if ((size_t)st.count > lines + 1 + size / 298 || st.count != st.updCount)
        FuzzFail("more entries than lines, or the two loads disagree");
    FuzzCheckTables(&st);

    /* write the update table's entries back in its order, as a build would */
    std::vector<DefinitionEntry> update = Copy(st.updEntries, st.updCount);
    st.count = 0;
    for (const DefinitionEntry &e : update)
        if (AppendEntry(&e, &st, 0) != 0) FuzzFail("the table did not grow");
    if (WriteIndexFiles(&st) != 0) FuzzFail("the index files were not written");
    SortTable(&st); /* the writer leaves the table in its order */
    std::vector<DefinitionEntry> sorted = Copy(st.entries, st.count);
    FuzzEndInput(&st);

    FuzzBeginInput(&st, 7);
    if (LoadIndex(&st, 0) != 0 || LoadIndex(&st, 1) != 0) FuzzFail("a written index did not load");
    if (!Same(update, st.updEntries, st.updCount, true))
        FuzzFail("the update index changed on its way through the writer");
    if (!Same(sorted, st.entries, st.count, false))
        FuzzFail("the project index changed on its way through the writer");
    FuzzEndInput(&st);
    return 0;
}
