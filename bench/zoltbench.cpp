/* zoltbench.cpp: drives the project index build on a directory, without a screen, for timing. */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "common/wildcard.h"
#include "host/host.h"
#include "index/index.h"
#include "platform/platform.h"
#include "plugin/plugin.h"
#include "settings/settings.h"
#include "state/state.h"

static const char *FARAPI BenchGetMsg(int, int)
{
    return "";
}

static int FARAPI BenchMessage(int, FarDword, const char *, const char *const *, int, int)
{
    return -1;
}

static int FARAPI BenchCmpName(const char *pattern, const char *name, int skipPath)
{
    return WildcardMatch(pattern, name, skipPath);
}

static void InstallBenchHost(void)
{
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    info.RootKey = "Software\\Far\\Plugins";
    info.GetMsg = BenchGetMsg;
    info.Message = BenchMessage;
    info.CmpName = BenchCmpName;
    InstallHostRecord(&info);
}

/* The state a build command starts from with the default options. */
static int PrepareState(BrowserState *st)
{
    memset(st, 0, sizeof *st);
    st->capacity = st->updCapacity = TABLE_INITIAL;
    st->entries = (DefinitionEntry *)MemAlloc(TABLE_INITIAL * sizeof(DefinitionEntry));
    st->updEntries = (DefinitionEntry *)MemAlloc(TABLE_INITIAL * sizeof(DefinitionEntry));
    CopyTruncated(st->indexFileName, sizeof st->indexFileName, PROJECT_INDEX_NAME);
    CopyTruncated(st->fileMask, sizeof st->fileMask, SETTINGS_DEFAULT_MASK);
    st->includeInline = st->includeQualified = st->recurse = 1;
    return st->entries != NULL && st->updEntries != NULL ? 0 : -1;
}

/* The floor a build stands on: the same walk, and every source file read whole. */
static long ReadTree(const char *masks)
{
    static char buf[1 << 16];
    long bytes = 0;
    DirEntry entry;
    DirEnum *dir = DirFirst("*.*", &entry);
    if (dir == NULL) return 0;
    do {
        if (strcmp(entry.name, ".") == 0 || strcmp(entry.name, "..") == 0) continue;
        if (entry.attributes & FILE_ATTR_DIRECTORY) {
            if (SetCurrentDir(entry.name) != 0) continue;
            bytes += ReadTree(masks);
            (void)SetCurrentDir("..");
        } else if (ClassifyFile(entry.name, masks) != FILE_KIND_NONE) {
            FILE *f = FileOpen(entry.name, "rb");
            if (f == NULL) continue;
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes += (long)n;
            fclose(f);
        }
    } while (DirNext(dir, &entry));
    DirClose(dir);
    return bytes;
}

int main(int argc, char **argv)
{
    if (argc != 3 || (strcmp(argv[1], "build") != 0 && strcmp(argv[1], "read") != 0)) {
        fputs("usage: zoltbench build|read DIR\n", stderr);
        return 2;
    }
    if (chdir(argv[2]) != 0) {
        perror(argv[2]);
        return 1;
    }
    InstallBenchHost();
    if (strcmp(argv[1], "read") == 0) {
        fprintf(stderr, "zoltbench: %ld bytes read\n", ReadTree(SETTINGS_DEFAULT_MASK));
        return 0;
    }
    static BrowserState st; /* 10 KB of buffers: keep it off the stack */
    if (PrepareState(&st) != 0) return 1;
    BuildProjectIndex(&st);
    fprintf(stderr, "zoltbench: %d entries, %d files scanned\n", st.count, st.changedFiles);
    ReleaseState(&st);
    return 0;
}
