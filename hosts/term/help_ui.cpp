/* help_ui.cpp: a help topic of the product's help file, shown in a scrolling box. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/text.h"
#include "common/lng.h"
#include "term/draw_p.h"
#include "term/services_p.h"

enum { HELP_LINES_MAX = 400, HELP_FILE_MAX = 1 << 20 };

/* The help file's bytes: the Russian one when the locale says so, else the English one. */
static char *ReadHelpFile(size_t *len)
{
    char path[NATIVE_PATH_SIZE];
    const char *locale = LngEnvLocale();
    int russian = locale[0] == 'r' && locale[1] == 'u';
    FormatTruncated(path, sizeof path, "%s/%s", DistDir(), russian ? "zoltRus.hlf" : "zoltEng.hlf");
    FILE *f = fopen(path, "rb");
    if (!f && russian) {
        FormatTruncated(path, sizeof path, "%s/zoltEng.hlf", DistDir());
        f = fopen(path, "rb");
    }
    if (!f) return NULL;
    char *buf = (char *)malloc(HELP_FILE_MAX);
    if (buf) *len = fread(buf, 1, HELP_FILE_MAX, f);
    fclose(f);
    return buf;
}

enum { HELP_LINKS_MAX = 256, HELP_HISTORY_MAX = 32 };

/* The topic on show: its lines and links, where it is scrolled to, the link selected (-1). */
struct HelpView {
    char topic[64];
    char (*lines)[128];
    int count;
    HelpLink links[HELP_LINKS_MAX];
    int linkCount;
    int top, selected;
};

/* Loads topic from the help file's bytes into v (scrolled to its top, its first link selected):
   0, or -1 when the file has no such topic (v unchanged). */
static int LoadTopic(HelpView *v, const char *hlf, size_t len, const char *topic)
{
    HelpLink links[HELP_LINKS_MAX];
    int linkCount = 0;
    int count = HelpTopicPage(hlf, len, topic, v->lines, HELP_LINES_MAX, links, HELP_LINKS_MAX,
                              &linkCount);
    if (count < 0) return -1;
    CopyTruncated(v->topic, sizeof v->topic, topic);
    memcpy(v->links, links, sizeof links);
    v->count = count;
    v->linkCount = linkCount;
    v->top = 0;
    v->selected = linkCount > 0 ? 0 : -1;
    return 0;
}

static void DrawHelp(const HelpView *v, int *pageRows)
{
    int cols, rows;
    ScreenSize(&cols, &rows);
    int x1 = 2, y1 = 1, x2 = cols - 3, y2 = rows - 2;
    int width = x2 - x1 - 3;
    *pageRows = y2 - y1 - 1 > 1 ? y2 - y1 - 1 : 1;
    FillRect(x1, y1, x2, y2, CLR_HELP);
    DrawBox(x1, y1, x2, y2, CLR_HELP, 1);
    PutText(x1 + 2, y1, " Help ", 6, CLR_HELP);
    for (int r = 0; r < *pageRows && v->top + r < v->count; r++)
        PutText(x1 + 2, y1 + 1 + r, v->lines[v->top + r], width, CLR_HELP);
    /* links over their text (a byte is a column in the help's code page), the selected one
       apart */
    for (int i = 0; i < v->linkCount; i++) {
        const HelpLink &l = v->links[i];
        int r = l.line - v->top;
        if (r < 0 || r >= *pageRows || l.column >= width) continue;
        PutTextN(x1 + 2 + l.column, y1 + 1 + r, v->lines[l.line] + l.column, l.length,
                 width - l.column, i == v->selected ? CLR_MENU_CUR : CLR_MENU_HOT);
    }
    ScreenShowCursor(-1, 0);
    ScreenFlush();
}

/* Scrolls v so that its selected link is on the page of pageRows lines. */
static void ShowSelected(HelpView *v, int pageRows)
{
    if (v->selected < 0) return;
    int line = v->links[v->selected].line;
    if (line < v->top) v->top = line;
    else if (line >= v->top + pageRows) v->top = line - pageRows + 1;
}

/* Keys as the host's help viewer takes them: Tab and Shift+Tab move between the links, Enter
   follows one, Backspace goes back to the topic before; Esc, F10 (and Enter with no link)
   close the help. */
static void HelpKeys(HelpView *v, const char *hlf, size_t len)
{
    struct Back {
        char topic[64];
        int top, selected;
    } history[HELP_HISTORY_MAX];
    int depth = 0, page = 1;
    for (;;) {
        DrawHelp(v, &page);
        KeyEvent k = ReadKey();
        int last = v->count - page > 0 ? v->count - page : 0;
        if (k.vk == VK_ESCAPE || k.vk == VK_F(10)) return;
        if (k.vk == VK_RETURN && v->selected < 0) return;
        if (k.vk == VK_TAB && v->linkCount > 0) {
            int step = (k.mods & PKF_SHIFT) ? v->linkCount - 1 : 1;
            v->selected = (v->selected + step) % v->linkCount;
            ShowSelected(v, page);
            continue;
        }
        if (k.vk == VK_RETURN) {
            Back here;
            CopyTruncated(here.topic, sizeof here.topic, v->topic);
            here.top = v->top;
            here.selected = v->selected;
            if (LoadTopic(v, hlf, len, v->links[v->selected].topic) != 0) {
                const char *items[] = {"Help", "Help topic not found:",
                                       v->links[v->selected].topic, "&OK"};
                (void)MessageRun(FMSG_WARNING, NULL, items, 4, 1);
                continue;
            }
            if (depth == HELP_HISTORY_MAX) { /* the oldest is forgotten */
                memmove(history, history + 1, sizeof history - sizeof history[0]);
                depth--;
            }
            history[depth++] = here;
            continue;
        }
        if (k.vk == VK_BACK && depth > 0) {
            depth--;
            if (LoadTopic(v, hlf, len, history[depth].topic) == 0) {
                v->top = history[depth].top;
                v->selected = history[depth].selected < v->linkCount ? history[depth].selected : -1;
            }
            continue;
        }
        if (k.vk == VK_UP) v->top--;
        else if (k.vk == VK_DOWN) v->top++;
        else if (k.vk == VK_PRIOR) v->top -= page;
        else if (k.vk == VK_NEXT) v->top += page;
        else if (k.vk == VK_HOME) v->top = 0;
        else if (k.vk == VK_END) v->top = last;
        if (v->top > last) v->top = last;
        if (v->top < 0) v->top = 0;
    }
}

void HelpShow(const char *topic)
{
    size_t len = 0;
    char *hlf = ReadHelpFile(&len);
    HelpView *view = (HelpView *)malloc(sizeof *view);
    char(*lines)[128] = (char(*)[128])malloc(sizeof(char[128]) * HELP_LINES_MAX);
    int loaded = -1;
    if (hlf != NULL && view != NULL && lines != NULL) {
        view->lines = lines;
        loaded = LoadTopic(view, hlf, len, topic);
    }
    FarHandle under = ScreenSave();
    if (loaded != 0) {
        const char *items[] = {"Help", "Help topic not found:", topic, "&OK"};
        (void)MessageRun(FMSG_WARNING, NULL, items, 4, 1);
    } else {
        HelpKeys(view, hlf, len);
    }
    ScreenRestore(under);
    free(lines);
    free(view);
    free(hlf);
}
