/* support.cpp: the scratch directory, per-input state and invariant checks of the fuzz targets. */
#include "fuzz.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "plugin/plugin.h"
#include "testhost/testhost.h"

static char scratch[64];

static int RemoveOne(const char *path, const struct stat *, int, struct FTW *)
{
    (void)remove(path);
    return 0;
}

static void RemoveScratch(void)
{
    if (scratch[0] == '\0') return;
    if (chdir("/") != 0) return;
    nftw(scratch, RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}

void FuzzSetUp(void)
{
    if (scratch[0] != '\0') return;
    /* in memory when possible: the settings store syncs every file it writes */
    struct stat sb;
    const char *base =
        stat("/dev/shm", &sb) == 0 && S_ISDIR(sb.st_mode) && access("/dev/shm", W_OK) == 0
            ? "/dev/shm"
            : "/tmp";
    snprintf(scratch, sizeof scratch, "%s/zolt-fuzz-XXXXXX", base);
    if (mkdtemp(scratch) == NULL || chdir(scratch) != 0) FuzzFail("no scratch directory");
    std::string config = std::string(scratch) + "/config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    atexit(RemoveScratch);
    TestHostInstall();
}

void FuzzBeginInput(BrowserState *st, unsigned options)
{
    FuzzSetUp();
    TestHostInstall();
    MemFailFrom(0);
    memset(st, 0, sizeof *st);
    st->capacity = st->updCapacity = TABLE_INITIAL;
    st->entries = (DefinitionEntry *)MemAlloc(TABLE_INITIAL * sizeof(DefinitionEntry));
    st->updEntries = (DefinitionEntry *)MemAlloc(TABLE_INITIAL * sizeof(DefinitionEntry));
    if (st->entries == NULL || st->updEntries == NULL) FuzzFail("no tables");
    snprintf(st->indexFileName, sizeof st->indexFileName, "%s", PROJECT_INDEX_NAME);
    st->includeStatic = (options & 1) != 0;
    st->includeInline = (options & 2) != 0;
    st->includeQualified = (options & 4) != 0;
    st->recurse = 1;
    snprintf(st->fileMask, sizeof st->fileMask, "*.c;*.cpp;*.h;*.hpp");
    st->choose = ChooseMatchFromMenu;
}

void FuzzEndInput(BrowserState *st)
{
    FuzzCheckTables(st);
    ReleaseState(st);
    MemFailFrom(0);
    std::string errors = TestHostFinish();
    if (!errors.empty()) {
        fprintf(stderr, "host rules broken:\n%s", errors.c_str());
        FuzzFail("host rules broken");
    }
}

static void CheckTable(const DefinitionEntry *entries, int count, int capacity)
{
    if (count < 0 || count > capacity) FuzzFail("count outside the capacity");
    for (int i = 0; i < count; i++) {
        if (memchr(entries[i].name, '\0', sizeof entries[i].name) == NULL)
            FuzzFail("name unterminated");
        if (memchr(entries[i].file, '\0', sizeof entries[i].file) == NULL)
            FuzzFail("file unterminated");
    }
}

void FuzzCheckTables(const BrowserState *st)
{
    CheckTable(st->entries, st->count, st->capacity);
    CheckTable(st->updEntries, st->updCount, st->updCapacity);
    if (st->updCursor < 0 || st->updCursor > st->updCount) FuzzFail("update cursor out of range");
    if (memchr(st->relDir, '\0', sizeof st->relDir) == NULL) FuzzFail("relDir unterminated");
    if (memchr(st->defineText, '\0', sizeof st->defineText) == NULL)
        FuzzFail("defineText unterminated");
}

void FuzzWriteFile(const char *name, const uint8_t *data, size_t size)
{
    FILE *f = fopen(name, "wb");
    if (f == NULL) FuzzFail("cannot write a scratch file");
    if (size > 0 && fwrite(data, 1, size, f) != size) FuzzFail("short scratch write");
    if (fclose(f) != 0) FuzzFail("cannot close a scratch file");
}

std::vector<std::string> FuzzLines(const uint8_t *data, size_t size)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; i++) {
        if (data[i] == '\n') lines.emplace_back();
        else lines.back() += (char)data[i];
    }
    return lines;
}

void FuzzFail(const char *what)
{
    fprintf(stderr, "fuzz check failed: %s\n", what);
    abort();
}
