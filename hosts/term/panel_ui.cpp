/* panel_ui.cpp: the file panel on the screen: its frame, entries, keys and what Enter opens. */
#include <string.h>
#include <time.h>

#include "base/text.h"
#include "term/draw_p.h"
#include "term/services_p.h"

static const char *const PANEL_KEYS[12] = {"Help", "", "",       "Edit", "",       "",
                                           "",     "", "Config", "Quit", "Plugin", ""};

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

static void DrawPanel(PanelModel *p)
{
    int cols, rows, height = PanelRows();
    ScreenSize(&cols, &rows);
    PanelShowCursor(p, height);
    FillRect(0, 0, cols - 1, rows - 2, CLR_PANEL);
    DrawBox(0, 0, cols - 1, rows - 2, CLR_PANEL, 1);
    int n = (int)strlen(p->cwd), room = cols - 6;
    const char *title = p->cwd + TextFitTail(p->cwd, n, room > 0 ? room : 0); /* the tail */
    int tw = TextColumns(title, (int)strlen(title));
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
static void OpenEntry(PanelModel *p)
{
    if (p->count == 0) return;
    const PanelEntry *e = &p->entries[p->cur];
    if (!e->isDir) {
        char farName[PANEL_NAME_SIZE];
        (void)NativeToFarPath(e->name, farName, sizeof farName); /* names fit: same size */
        (void)EditorRun(farName, 0, 0);
        return;
    }
    if (PanelEnterDir(p) != 0) {
        const char *items[] = {"Error", "Cannot change to the directory", e->name, "&OK"};
        (void)MessageRun(FMSG_WARNING, NULL, items, 4, 1);
    }
}

static void RedrawPanel(void *ctx)
{
    DrawPanel((PanelModel *)ctx);
}

/* F10: the program ends only when the user says so. */
static int ConfirmQuit(void)
{
    const char *items[] = {"Quit", "Do you want to quit zolt?", "&Yes", "&No"};
    return MessageRun(0, NULL, items, 4, 2) == 0;
}

int PanelRun(void)
{
    PanelModel p;
    memset(&p, 0, sizeof p);
    PanelLoad(&p, NULL);
    ScreenOwner before = ScreenSetOwner({RedrawPanel, &p});
    for (;;) {
        DrawPanel(&p);
        KeyEvent k = ReadKey();
        if (ScreenInputGone()) break;
        int alt = k.mods == (PKF_ALT | PKF_SHIFT);
        if (IsPlainKey(k, VK_F(10)) && ConfirmQuit()) break;
        if (IsPlainKey(k, VK_RETURN) || IsPlainKey(k, VK_F(4))) OpenEntry(&p);
        else if (IsPlainKey(k, VK_F(11))) {
            PluginMenuFrom(OPEN_PLUGINSMENU);
            PanelReload(&p);
        } else if (IsPlainKey(k, VK_F(9)) || (alt && k.vk == VK_F(9))) PluginConfigMenu();
        else if (IsPlainKey(k, VK_F1)) HelpShow("Contents");
        else if (k.vk == 'R' && k.mods == PKF_CONTROL) PanelReload(&p);
        else if (k.mods == 0) (void)PanelKey(&p, k, PanelRows() - 1 > 0 ? PanelRows() - 1 : 1);
    }
    (void)ScreenSetOwner(before);
    PanelFree(&p);
    return 0;
}
