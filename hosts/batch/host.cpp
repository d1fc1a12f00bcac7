/* host.cpp: the batch host's service record: just enough host for headless commands. */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "batch/batch.h"
#include "common/wildcard.h"
#include "host/host.h"

static const char *FARAPI BatchGetMsg(int, int)
{
    return "";
}

/* A progress box becomes one stderr line, and only on a terminal. */
static int FARAPI BatchMessage(int, FarDword, const char *, const char *const *items, int count, int)
{
    if (!isatty(STDERR_FILENO)) return -1;
    int printed = 0;
    for (int i = 0; i < count; i++) {
        if (items[i] == NULL || items[i][0] == '\0') continue;
        fprintf(stderr, printed ? " %s" : "zolt: %s", items[i]);
        printed = 1;
    }
    if (printed) fputc('\n', stderr);
    return -1;
}

static int FARAPI BatchCmpName(const char *pattern, const char *name, int skipPath)
{
    return WildcardMatch(pattern, name, skipPath);
}

void InstallBatchHost(void)
{
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    info.RootKey = "Software\\Far\\Plugins";
    info.GetMsg = BatchGetMsg;
    info.Message = BatchMessage;
    info.CmpName = BatchCmpName;
    InstallHostRecord(&info);
}
