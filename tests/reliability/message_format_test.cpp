// Progress texts come from the language file: a translation with stray conversions is shown as
// written, never handed to printf (which would read arguments that are not there).
#include <gtest/gtest.h>

#include <string.h>

#include "../platform/tempdir.h"
#include "base/alloc.h"
#include "host/messages.h"
#include "index/index.h"
#include "plugin/plugin.h"
#include "state/state.h"
#include "testhost/testhost.h"

namespace {

struct MessageFormat : TempDirTest {};

TEST_F(MessageFormat, LoadProgressTakesTheCountAndNothingElse)
{
    TestHostInstall();
    SetMsgText(MSG_LOAD_PROGRESS, "%s%n%x %d lines, 100%% %d");
    std::string index;
    for (int i = 0; i < 250; i++)
        index += "n" + std::to_string(i) + "?f.c?" + std::to_string(i + 1) + "\r\n";
    WriteText("zoltprj$.Far", index);
    BrowserState st;
    memset(&st, 0, sizeof st);
    st.progress = ShowCommandProgress; // the boxes a command shows
    strcpy(st.indexFileName, "zoltprj$.Far");
    ASSERT_EQ(LoadIndex(&st, 0), 0);
    EXPECT_EQ(st.count, 250);
    std::vector<HostCall> boxes = CallsOf(CALL_MESSAGE);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].items[1], "%s%n%x 100 lines, 100% %d");
    EXPECT_EQ(boxes[1].items[1], "%s%n%x 200 lines, 100% %d");
    ReleaseState(&st);
    EXPECT_EQ(TestHostFinish(), "");
}

} // namespace
