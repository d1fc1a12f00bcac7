/* build.cpp: the build command: the index files of the current directory, under a saved screen. */
#include "plugin/plugin.h"

#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"
#include "platform/platform.h"

int BuildProjectIndex(BrowserState *st)
{
    IndexBuild build;
    if (BeginBuild(&build, st) != 0) {
        ShowWarning(MSG_BUILD_RUNNING);
        return -1;
    }
    /* Esc in the host's console stops the walk at the next file, as in the host's own long
       operations */
    if (st->stopRequested == NULL) st->stopRequested = ConsoleEscPressed;
    FarHandle screen = HostSaveScreen();
    int result = WalkAndWrite(&build, st);
    EndBuild(&build, st);
    HostRestoreScreen(screen);
    if (result == BUILD_INCOMPLETE) ShowWarning(MSG_NO_MEMORY);
    else if (result == BUILD_NOT_WRITTEN) ShowWarning(MSG_INDEX_NOT_WRITTEN);
    else if (result == BUILD_STOPPED) ShowWarning(MSG_BUILD_STOPPED);
    return result;
}
