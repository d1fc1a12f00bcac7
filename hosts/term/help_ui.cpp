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

static void DrawHelp(char (*lines)[128], int count, int top, int *pageRows)
{
    int cols, rows;
    ScreenSize(&cols, &rows);
    int x1 = 2, y1 = 1, x2 = cols - 3, y2 = rows - 2;
    *pageRows = y2 - y1 - 1 > 1 ? y2 - y1 - 1 : 1;
    FillRect(x1, y1, x2, y2, CLR_HELP);
    DrawBox(x1, y1, x2, y2, CLR_HELP, 1);
    PutText(x1 + 2, y1, " Help ", 6, CLR_HELP);
    for (int r = 0; r < *pageRows && top + r < count; r++)
        PutText(x1 + 2, y1 + 1 + r, lines[top + r], x2 - x1 - 3, CLR_HELP);
    ScreenShowCursor(-1, 0);
    ScreenFlush();
}

static void HelpKeys(char (*lines)[128], int count)
{
    int top = 0, page = 1;
    for (;;) {
        DrawHelp(lines, count, top, &page);
        KeyEvent k = ReadKey();
        int last = count - page > 0 ? count - page : 0;
        if (k.vk == VK_ESCAPE || k.vk == VK_F(10) || k.vk == VK_RETURN) return;
        if (k.vk == VK_UP) top--;
        else if (k.vk == VK_DOWN) top++;
        else if (k.vk == VK_PRIOR) top -= page;
        else if (k.vk == VK_NEXT) top += page;
        else if (k.vk == VK_HOME) top = 0;
        else if (k.vk == VK_END) top = last;
        if (top > last) top = last;
        if (top < 0) top = 0;
    }
}

void HelpShow(const char *topic)
{
    size_t len = 0;
    char *hlf = ReadHelpFile(&len);
    char(*lines)[128] = (char(*)[128])malloc(sizeof(char[128]) * HELP_LINES_MAX);
    int count = hlf && lines ? HelpTopicLines(hlf, len, topic, lines, HELP_LINES_MAX) : -1;
    FarHandle under = ScreenSave();
    if (count < 0) {
        const char *items[] = {"Help", "Help topic not found:", topic, "&OK"};
        (void)MessageRun(FMSG_WARNING, NULL, items, 4, 1);
    } else {
        HelpKeys(lines, count);
    }
    ScreenRestore(under);
    free(lines);
    free(hlf);
}
