/* build.cpp: the build command: the index files of the current directory, under a saved screen. */
#include "plugin/plugin.h"

#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"

void BuildProjectIndex(BrowserState *st)
{
    IndexBuild build;
    if (BeginBuild(&build, st) != 0) {
        ShowWarning(MSG_BUILD_RUNNING);
        return;
    }
    FarHandle screen = HostSaveScreen();
    int result = WalkAndWrite(&build, st);
    EndBuild(&build, st);
    HostRestoreScreen(screen);
    if (result == BUILD_INCOMPLETE) ShowWarning(MSG_NO_MEMORY);
    else if (result == BUILD_NOT_WRITTEN) ShowWarning(MSG_INDEX_NOT_WRITTEN);
}
