/* menu_ui.cpp: the host's Menu service: a centred framed list with title and bottom line. */
#include <string.h>

#include "base/text.h"
#include "term/draw_p.h"
#include "term/services_p.h"

struct MenuFrame {
    int x1, y1, x2, y2;
};

static int LabelWidth(const MenuModel *m)
{
    int w = 0;
    for (int i = 0; i < m->count; i++) {
        char label[128];
        int hot;
        MenuItemLabel(m, i, label, sizeof label, &hot);
        int n = TextColumns(label, (int)strlen(label));
        if (n > w) w = n;
    }
    return w;
}

static int Columns(const char *s)
{
    return s ? TextColumns(s, (int)strlen(s)) : 0;
}

static MenuFrame PlaceMenu(const MenuModel *m, int x, int y, const char *title, const char *bottom)
{
    int cols, rows;
    ScreenSize(&cols, &rows);
    int w = LabelWidth(m) + 4;
    int tw = Columns(title) + 6, bw = Columns(bottom) + 6;
    if (tw > w) w = tw;
    if (bw > w) w = bw;
    if (w < 20) w = 20;
    if (w > cols - 2) w = cols - 2;
    int h = m->rows + 2;
    MenuFrame f;
    f.x1 = x >= 0 && x + w + 2 <= cols ? x : (cols - w - 2) / 2;
    f.y1 = y >= 0 && y + h <= rows ? y : (rows - h) / 2;
    f.x2 = f.x1 + w + 1;
    f.y2 = f.y1 + h - 1;
    return f;
}

static void DrawCentred(int x1, int x2, int y, const char *text, int color)
{
    if (!text || !*text) return;
    int room = x2 - x1 - 3, n = Columns(text);
    if (n > room) n = room;
    if (n <= 0) return;
    int x = x1 + (x2 - x1 + 1 - (n + 2)) / 2;
    PutText(x, y, " ", 1, color);
    n = PutTextN(x + 1, y, text, (int)strlen(text), n, color);
    PutText(x + 1 + n, y, " ", 1, color);
}

static void DrawMenu(const MenuModel *m, MenuFrame f, const char *title, const char *bottom)
{
    FillRect(f.x1, f.y1, f.x2, f.y2, CLR_MENU);
    DrawBox(f.x1 + 1, f.y1, f.x2 - 1, f.y2, CLR_MENU, 1);
    DrawCentred(f.x1 + 1, f.x2 - 1, f.y1, title, CLR_MENU);
    DrawCentred(f.x1 + 1, f.x2 - 1, f.y2, bottom, CLR_MENU);
    int width = f.x2 - f.x1 - 3;
    for (int r = 0; r < m->rows && m->top + r < m->count; r++) {
        int i = m->top + r, y = f.y1 + 1 + r, color = i == m->cur ? CLR_MENU_CUR : CLR_MENU;
        if (m->items[i].Separator) {
            DrawHLine(f.x1 + 1, f.x2 - 1, y, CLR_MENU, 0, 1);
            continue;
        }
        char label[128];
        int hot;
        MenuItemLabel(m, i, label, sizeof label, &hot);
        FillRect(f.x1 + 2, y, f.x2 - 2, y, color);
        if (m->items[i].Checked) PutText(f.x1 + 2, y, "\xFB", 1, color); /* check mark */
        PutTextHot(f.x1 + 3, y, label, (int)strlen(label), hot, width - 1, color,
                   i == m->cur ? CLR_MENU_CUR_HOT : CLR_MENU_HOT);
    }
    ScreenShowCursor(-1, 0);
    ScreenFlush();
}

static int MenuRows(int count, int maxHeight)
{
    int cols, rows;
    ScreenSize(&cols, &rows);
    int room = rows - 4;
    if (maxHeight > 0 && maxHeight < room) room = maxHeight;
    if (room < 1) room = 1;
    return count < 1 ? 1 : count < room ? count : room;
}

int MenuRun(int x, int y, int maxHeight, FarDword flags, const char *title, const char *bottom,
            const char *help, const int *breakKeys, int *breakCode, const FarMenuItem *items,
            int count)
{
    if (breakCode) *breakCode = -1;
    MenuModel m;
    MenuInit(&m, items, count, flags, MenuRows(count, maxHeight));
    FarHandle under = ScreenSave();
    int result = -1;
    for (;;) {
        MenuFrame f = PlaceMenu(&m, x, y, title, bottom);
        DrawMenu(&m, f, title, bottom);
        KeyEvent k = ReadKey();
        if (k.vk == VK_RESIZED) {
            m.rows = MenuRows(m.count, maxHeight);
            ScreenRestore(under);
            under = ScreenSave();
            continue;
        }
        int breakIndex = -1, rc = MenuKey(&m, breakKeys, k, &breakIndex);
        if (rc == MENU_GOING) {
            if (IsPlainKey(k, VK_F1) && help) HelpShow(help);
            continue;
        }
        if (rc == MENU_BREAK) {
            if (breakCode) *breakCode = breakIndex;
            result = m.cur;
        } else if (rc == MENU_CHOSEN) {
            result = m.cur;
        }
        break;
    }
    MenuFree(&m);
    ScreenRestore(under);
    return result;
}
