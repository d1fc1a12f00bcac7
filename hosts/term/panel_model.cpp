/* panel_model.cpp: the file panel without the drawing: one directory read and sorted, the cursor,
   and changing directory (the process follows the panel). */
#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"
#include "term/model_p.h"

static int CompareEntries(const void *a, const void *b)
{
    const PanelEntry *x = (const PanelEntry *)a, *y = (const PanelEntry *)b;
    int xUp = strcmp(x->name, "..") == 0, yUp = strcmp(y->name, "..") == 0;
    if (xUp != yUp) return yUp - xUp;
    if (x->isDir != y->isDir) return y->isDir - x->isDir;
    return strcmp(x->name, y->name);
}

static int AddEntry(PanelModel *p, const char *name)
{
    struct stat st;
    if (stat(name, &st) != 0 && lstat(name, &st) != 0) return 0; /* vanished meanwhile */
    if (p->count == p->cap) {
        int n = p->cap < 64 ? 64 : p->cap * 2;
        PanelEntry *bigger = (PanelEntry *)realloc(p->entries, (size_t)n * sizeof *bigger);
        if (!bigger) return -1;
        p->entries = bigger;
        p->cap = n;
    }
    PanelEntry *e = &p->entries[p->count];
    if (CopyTruncated(e->name, sizeof e->name, name)) return 0; /* cannot be opened by name */
    e->isDir = S_ISDIR(st.st_mode);
    e->size = (long long)st.st_size;
    e->mtime = st.st_mtime;
    p->count++;
    return 0;
}

void PanelLoad(PanelModel *p, const char *select)
{
    PanelFree(p);
    if (!getcwd(p->cwd, sizeof p->cwd)) CopyTruncated(p->cwd, sizeof p->cwd, "?");
    DIR *d = opendir(".");
    for (struct dirent *de = d ? readdir(d) : NULL; de; de = readdir(d)) {
        if (strcmp(de->d_name, ".") == 0) continue;
        if (strcmp(de->d_name, "..") == 0 && strcmp(p->cwd, "/") == 0) continue;
        if (AddEntry(p, de->d_name) != 0) break; /* out of memory: show what we have */
    }
    if (d) closedir(d);
    if (p->count > 1) qsort(p->entries, (size_t)p->count, sizeof *p->entries, CompareEntries);
    p->cur = 0;
    for (int i = 0; select && i < p->count; i++)
        if (strcmp(p->entries[i].name, select) == 0) p->cur = i;
    p->top = 0;
}

void PanelReload(PanelModel *p)
{
    char name[PANEL_NAME_SIZE] = "";
    if (p->count > 0) CopyTruncated(name, sizeof name, p->entries[p->cur].name);
    PanelLoad(p, name);
}

void PanelFree(PanelModel *p)
{
    free(p->entries);
    p->entries = NULL;
    p->count = p->cap = 0;
}

int PanelKey(PanelModel *p, KeyEvent k, int page)
{
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

void PanelShowCursor(PanelModel *p, int rows)
{
    if (p->cur < p->top) p->top = p->cur;
    if (p->cur >= p->top + rows) p->top = p->cur - rows + 1;
}

int PanelEnterDir(PanelModel *p)
{
    if (p->count == 0) return -1;
    const PanelEntry *e = &p->entries[p->cur];
    char back[PANEL_NAME_SIZE] = "";
    if (strcmp(e->name, "..") == 0) { /* going up: the cursor lands on the directory we left */
        const char *slash = strrchr(p->cwd, '/');
        CopyTruncated(back, sizeof back, slash ? slash + 1 : "");
    }
    if (chdir(e->name) != 0) return -1;
    PanelLoad(p, back);
    return 0;
}
