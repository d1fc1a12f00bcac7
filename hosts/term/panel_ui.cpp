/* panel_ui.cpp: the file panel: one directory, directories first; the process follows it (chdir). */
#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "base/text.h"
#include "term/term_p.h"

enum { PANEL_NAME_SIZE = 256 };

struct PanelEntry {
    char name[PANEL_NAME_SIZE];
    int isDir;
    long long size;
    time_t mtime;
};

struct Panel {
    PanelEntry *entries;
    int count;
    int cur, top;
    char cwd[NATIVE_PATH_SIZE];
};

static const char *const PANEL_KEYS[12] = {"Help", "", "", "Edit", "", "", "",
                                           "", "Config", "Quit", "Plugin", ""};

static int CompareEntries(const void *a, const void *b)
{
    const PanelEntry *x = (const PanelEntry *)a, *y = (const PanelEntry *)b;
    int xUp = strcmp(x->name, "..") == 0, yUp = strcmp(y->name, "..") == 0;
    if (xUp != yUp) return yUp - xUp;
    if (x->isDir != y->isDir) return y->isDir - x->isDir;
    return strcmp(x->name, y->name);
}

static int AddEntry(Panel *p, int *cap, const char *name)
{
    struct stat st;
    if (stat(name, &st) != 0 && lstat(name, &st) != 0) return 0; /* vanished meanwhile */
    if (p->count == *cap) {
        int n = *cap < 64 ? 64 : *cap * 2;
        PanelEntry *bigger = (PanelEntry *)realloc(p->entries, (size_t)n * sizeof *bigger);
        if (!bigger) return -1;
        p->entries = bigger;
        *cap = n;
    }
    PanelEntry *e = &p->entries[p->count];
    if (CopyTruncated(e->name, sizeof e->name, name)) return 0; /* cannot be opened by name */
    e->isDir = S_ISDIR(st.st_mode);
    e->size = (long long)st.st_size;
    e->mtime = st.st_mtime;
    p->count++;
    return 0;
}

/* Reads the current directory; the cursor goes to `select` when it is listed. */
static void LoadPanel(Panel *p, const char *select)
{
    int cap = 0;
    free(p->entries);
    p->entries = NULL;
    p->count = 0;
    if (!getcwd(p->cwd, sizeof p->cwd)) CopyTruncated(p->cwd, sizeof p->cwd, "?");
    DIR *d = opendir(".");
    for (struct dirent *de = d ? readdir(d) : NULL; de; de = readdir(d)) {
        if (strcmp(de->d_name, ".") == 0) continue;
        if (strcmp(de->d_name, "..") == 0 && strcmp(p->cwd, "/") == 0) continue;
        if (AddEntry(p, &cap, de->d_name) != 0) break; /* out of memory: show what we have */
    }
    if (d) closedir(d);
    if (p->count > 1) qsort(p->entries, (size_t)p->count, sizeof *p->entries, CompareEntries);
    p->cur = 0;
    for (int i = 0; select && i < p->count; i++)
        if (strcmp(p->entries[i].name, select) == 0) p->cur = i;
    p->top = 0;
}

static void DrawEntry(const PanelEntry *e, int y, int width, int current)
{
    int color = current ? CLR_PANEL_CUR : e->isDir ? CLR_PANEL_DIR : CLR_PANEL;
    char info[40], date[20];
    struct tm tmv;
    if (localtime_r(&e->mtime, &tmv)) /* dd.mm.yy hh:mm, the panel's two-digit year */
        FormatTruncated(date, sizeof date, "%02d.%02d.%02d %02d:%02d", tmv.tm_mday, tmv.tm_mon + 1,
                        (tmv.tm_year % 100 + 100) % 100, tmv.tm_hour, tmv.tm_min);
    else date[0] = '\0';
    if (strcmp(e->name, "..") == 0) FormatTruncated(info, sizeof info, "%10s", "<Up>");
    else if (e->isDir) FormatTruncated(info, sizeof info, "%10s", "<Dir>");
    else FormatTruncated(info, sizeof info, "%10lld", e->size);
    int infoW = (int)strlen(info) + (int)strlen(date) + 2, nameW = width - infoW - 1;
    FillRect(1, y, width, y, color);
    PutText(1, y, e->name, nameW > 0 ? nameW : 0, color);
    if (nameW > 0) {
        PutText(1 + nameW, y, "\xB3", 1, CLR_PANEL);
        PutText(2 + nameW, y, info, 10, color);
        PutText(2 + nameW + 11, y, date, 14, color);
    }
}

static int PanelRows(void)
{
    int cols, rows;
    ScreenSize(&cols, &rows);
    return rows - 3 > 1 ? rows - 3 : 1;
}

static void DrawPanel(Panel *p)
{
    int cols, rows, height = PanelRows();
    ScreenSize(&cols, &rows);
    if (p->cur < p->top) p->top = p->cur;
    if (p->cur >= p->top + height) p->top = p->cur - height + 1;
    FillRect(0, 0, cols - 1, rows - 2, CLR_PANEL);
    DrawBox(0, 0, cols - 1, rows - 2, CLR_PANEL, 1);
    int n = (int)strlen(p->cwd), room = cols - 6;
    const char *title = n > room && room > 0 ? p->cwd + n - room : p->cwd;
    int tw = (int)strlen(title) < room ? (int)strlen(title) : room;
    if (tw > 0) {
        PutText((cols - tw) / 2 - 1, 0, " ", 1, CLR_PANEL_CUR);
        PutText((cols - tw) / 2, 0, title, tw, CLR_PANEL_CUR);
        PutText((cols - tw) / 2 + tw, 0, " ", 1, CLR_PANEL_CUR);
    }
    for (int r = 0; r < height && p->top + r < p->count; r++)
        DrawEntry(&p->entries[p->top + r], 1 + r, cols - 2, p->top + r == p->cur);
    DrawKeyBar(PANEL_KEYS);
    ScreenShowCursor(-1, 0);
    ScreenFlush();
}

/* Enter: a directory becomes the current one; a file opens in the editor. */
static void OpenEntry(Panel *p)
{
    if (p->count == 0) return;
    PanelEntry *e = &p->entries[p->cur];
    if (!e->isDir) {
        char farName[PANEL_NAME_SIZE];
        (void)NativeToFarPath(e->name, farName, sizeof farName); /* names fit: same size */
        (void)EditorRun(farName, 0, 0);
        return;
    }
    char back[PANEL_NAME_SIZE] = "";
    if (strcmp(e->name, "..") == 0) { /* going up: the cursor lands on the directory we left */
        const char *slash = strrchr(p->cwd, '/');
        CopyTruncated(back, sizeof back, slash ? slash + 1 : "");
    }
    if (chdir(e->name) != 0) {
        const char *items[] = {"Error", "Cannot change to the directory", e->name, "Ok"};
        (void)MessageRun(FMSG_WARNING, NULL, items, 4, 1);
        return;
    }
    LoadPanel(p, back);
}

static int MoveCursor(Panel *p, KeyEvent k)
{
    int page = PanelRows() - 1 > 0 ? PanelRows() - 1 : 1;
    switch (k.vk) {
    case VK_UP: p->cur--; break;
    case VK_DOWN: p->cur++; break;
    case VK_PRIOR: p->cur -= page; break;
    case VK_NEXT: p->cur += page; break;
    case VK_HOME: p->cur = 0; break;
    case VK_END: p->cur = p->count - 1; break;
    default: return 0;
    }
    if (p->cur >= p->count) p->cur = p->count - 1;
    if (p->cur < 0) p->cur = 0;
    return 1;
}

/* Reloads the directory after a plugin command: it may have written the index files. */
static void Reload(Panel *p)
{
    char name[PANEL_NAME_SIZE] = "";
    if (p->count > 0) CopyTruncated(name, sizeof name, p->entries[p->cur].name);
    LoadPanel(p, name);
}

int PanelRun(void)
{
    Panel p;
    memset(&p, 0, sizeof p);
    LoadPanel(&p, NULL);
    for (;;) {
        DrawPanel(&p);
        KeyEvent k = ReadKey();
        int alt = k.mods == (PKF_ALT | PKF_SHIFT);
        if (IsPlainKey(k, VK_F(10))) break;
        if (IsPlainKey(k, VK_RETURN) || IsPlainKey(k, VK_F(4))) OpenEntry(&p);
        else if (IsPlainKey(k, VK_F(11))) { PluginMenuFrom(OPEN_PLUGINSMENU); Reload(&p); }
        else if (IsPlainKey(k, VK_F(9)) || (alt && k.vk == VK_F(9))) PluginConfigMenu();
        else if (IsPlainKey(k, VK_F1)) HelpShow("Contents");
        else if (k.vk == 'R' && k.mods == PKF_CONTROL) Reload(&p);
        else if (k.mods == 0) (void)MoveCursor(&p, k);
    }
    free(p.entries);
    return 0;
}
