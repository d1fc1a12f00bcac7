/* upkeep.cpp: what keeps a directory's index files trustworthy between builds: the scan options
   they were built with, and the temporary files of builds that died. */
#include <string.h>

#include "base/text.h"
#include "index/index.h"
#include "index/index_p.h"
#include "platform/platform.h"
#include "state/state.h"

static const char *const TEMP_BASES[] = {"zoltprj$", "zoltpru$", "zoltopt$"};

/* The process id in a temporary file's name, or 0 when the name is not exactly one this program
   makes (BASE.PID and the marker, the id without leading zeros): a user's zoltprj$.123 or
   zoltpru$.4000000 is never taken for one. */
static unsigned long TempFileOwner(const char *name)
{
    for (const char *base : TEMP_BASES) {
        size_t n = strlen(base);
        if (strncmp(name, base, n) != 0 || name[n] != '.') continue;
        const char *p = name + n + 1;
        if (*p < '1' || *p > '9') return 0;
        unsigned long pid = 0;
        for (; *p >= '0' && *p <= '9'; p++) {
            unsigned long digit = (unsigned long)(*p - '0');
            if (pid > (4294967295ul - digit) / 10) return 0; /* no process has such an id */
            pid = pid * 10 + digit;
        }
        return strcmp(p, TEMP_NAME_MARKER) == 0 ? pid : 0;
    }
    return 0;
}

void RemoveStaleTempFiles(BrowserState *st)
{
    DirEntry entry;
    DirEnum *dir = DirFirst("zolt*.*", &entry);
    if (dir == NULL) return;
    do {
        unsigned long pid = TempFileOwner(entry.name);
        if (pid == 0 || entry.unusableName || (entry.attributes & FILE_ATTR_DIRECTORY)) continue;
        /* our own id names a file of a dead process that had it before us */
        if ((pid == CurrentProcessId() || !IsProcessRunning(pid)) && FileRemove(entry.name) == 0)
            st->tempFilesRemoved++;
    } while (DirNext(dir, &entry));
    DirClose(dir);
}

void FormatScanOptions(const BrowserState *st, char *text, size_t size)
{
    FormatTruncated(text, size,
                    "CtStatic=%d\r\nCtInline=%d\r\nCtCPP=%d\r\nRecurse=%d\r\nFileMask=%s\r\n",
                    st->includeStatic != 0, st->includeInline != 0, st->includeQualified != 0,
                    st->recurse != 0, st->fileMask);
}

int HasScanOptions(const char *text)
{
    char recorded[SCAN_OPTIONS_SIZE];
    FILE *f = FileOpen(SCAN_OPTIONS_NAME, "rb");
    if (f == NULL) return 0; /* an index of unknown options: built again from scratch */
    size_t n = fread(recorded, 1, sizeof recorded - 1, f);
    fclose(f);
    recorded[n] = '\0';
    return strcmp(recorded, text) == 0;
}

int WriteScanOptions(const char *text)
{
    char temp[TEMP_NAME_SIZE];
    FILE *f = CreateTempFile(temp, sizeof temp, "zoltopt$");
    if (f == NULL) return -1;
    size_t n = strlen(text);
    int result = fwrite(text, 1, n, f) == n ? 0 : -1;
    if (fclose(f) != 0) result = -1;
    if (result == 0 && FileReplace(temp, SCAN_OPTIONS_NAME) != 0) result = -1;
    if (result != 0) (void)FileRemove(temp);
    return result;
}
