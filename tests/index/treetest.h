// treetest.h: a temporary tree made current, the test host installed, and one command state.
#ifndef ZOLT_TESTS_INDEX_TREETEST_H
#define ZOLT_TESTS_INDEX_TREETEST_H

#include <string.h>

#include "../platform/tempdir.h"
#include "base/alloc.h"
#include "index/index.h"
#include "plugin/plugin.h"
#include "state/state.h"
#include "testhost/testhost.h"

struct TreeTest : TempDirTest {
    BrowserState st;

    void SetUp() override
    {
        TempDirTest::SetUp();
        TestHostInstall();
        memset(&st, 0, sizeof st);
        st.progress = ShowCommandProgress; // the boxes a command shows
    }
    void TearDown() override
    {
        ReleaseState(&st);
        MemFailFrom(0);
        EXPECT_EQ(TestHostFinish(), "");
        TempDirTest::TearDown();
    }

    // A fresh command state as the command driver makes it.
    void Fresh(int recurse = 1, const char *mask = "*.c;*.cpp;*.h;*.hpp")
    {
        ReleaseState(&st);
        memset(&st, 0, sizeof st);
        st.progress = ShowCommandProgress; // the boxes a command shows
        st.capacity = st.updCapacity = 100;
        st.entries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        st.updEntries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        strcpy(st.indexFileName, "zoltprj$.Far");
        st.includeInline = st.includeQualified = 1;
        st.recurse = recurse;
        strcpy(st.fileMask, mask);
    }
};

#endif
