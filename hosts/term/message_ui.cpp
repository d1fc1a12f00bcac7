/* message_ui.cpp: the host's Message service: a centred box of lines and buttons, or a notice. */
#include <string.h>

#include "term/draw_p.h"
#include "term/services_p.h"

enum { MESSAGE_LINES_MAX = 40, MESSAGE_TEXT_MAX = 200 };

static int TextLength(const char *s)
{
    return (int)strnlen(s ? s : "", MESSAGE_TEXT_MAX);
}

static int TextWidth(const char *s)
{
    return TextColumns(s ? s : "", TextLength(s));
}

/* Buttons as "[ text ]" with one blank between them: their hot keys drawn, not their markers. */
static int ButtonsWidth(const char *const *buttons, int n)
{
    int w = 0;
    for (int i = 0; i < n; i++) w += LabelColumns(buttons[i] ? buttons[i] : "") + 5;
    return w;
}

struct MessageBox {
    const char *title;
    const char *const *lines;
    int lineCount;
    const char *const *buttons;
    int buttonCount;
    int warning;
};

static void DrawMessage(const MessageBox &b, int focus)
{
    int cols, rows, w = TextWidth(b.title) + 4;
    ScreenSize(&cols, &rows);
    for (int i = 0; i < b.lineCount; i++)
        if (TextWidth(b.lines[i]) > w) w = TextWidth(b.lines[i]);
    if (ButtonsWidth(b.buttons, b.buttonCount) > w) w = ButtonsWidth(b.buttons, b.buttonCount);
    if (w > cols - 10) w = cols - 10;
    if (w < 1) w = 1;
    int h = b.lineCount + (b.buttonCount > 0 ? 1 : 0) + 4;
    int x1 = (cols - w - 10) / 2, y1 = (rows - h) / 2, x2 = x1 + w + 9, y2 = y1 + h - 1;
    int color = b.warning ? CLR_WARN : CLR_DIALOG;
    FillRect(x1, y1, x2, y2, color);
    DrawBox(x1 + 3, y1 + 1, x2 - 3, y2 - 1, color, 1);
    int tw = TextWidth(b.title) < w ? TextWidth(b.title) : w, tx = x1 + (x2 - x1 + 1 - tw) / 2;
    if (tw > 0) {
        PutText(tx - 1, y1 + 1, " ", 1, color);
        tw = PutTextN(tx, y1 + 1, b.title, TextLength(b.title), tw, color);
        PutText(tx + tw, y1 + 1, " ", 1, color);
    }
    for (int i = 0; i < b.lineCount; i++) {
        const char *s = b.lines[i] ? b.lines[i] : "";
        if (s[0] == 1 || s[0] == 2) { /* a rule across the box */
            DrawHLine(x1 + 3, x2 - 3, y1 + 2 + i, color, s[0] == 2, 1);
            continue;
        }
        int n = TextWidth(s) < w ? TextWidth(s) : w;
        PutTextN(x1 + 5 + (w - n) / 2, y1 + 2 + i, s, TextLength(s), n, color);
    }
    int bx = x1 + 5 + (w - ButtonsWidth(b.buttons, b.buttonCount)) / 2, by = y2 - 2;
    for (int i = 0; i < b.buttonCount; i++) {
        int focusColor = b.warning ? CLR_WARN_FOCUS : CLR_DIALOG_FOCUS;
        int hotColor = b.warning ? CLR_WARN_HOT : CLR_DIALOG_HOT;
        int c = i == focus ? focusColor : color, n = PutText(bx, by, "[ ", 2, c);
        n += PutLabel(bx + n, by, b.buttons[i] ? b.buttons[i] : "", MESSAGE_TEXT_MAX, c,
                      i == focus ? c : hotColor);
        n += PutText(bx + n, by, " ]", 2, c);
        bx += n + 1;
    }
    ScreenShowCursor(-1, 0);
    ScreenFlush();
}

/* The button whose hot key the press is (plain or with Alt), or -1. */
static int HotButton(const MessageBox &b, KeyEvent k)
{
    int key = HotKeyOf(k);
    for (int i = 0; key >= 0 && i < b.buttonCount; i++)
        if (b.buttons[i] && LabelHotKey(b.buttons[i]) == key) return i;
    return -1;
}

static int MessageKeys(const MessageBox &b)
{
    int focus = 0;
    for (;;) {
        DrawMessage(b, focus);
        KeyEvent k = ReadKey();
        if (k.vk == VK_ESCAPE || IsPlainKey(k, VK_F(10))) return -1;
        if (k.vk == VK_RETURN || k.vk == VK_SPACE) return focus;
        int hot = HotButton(b, k);
        if (hot >= 0) return hot;
        if (k.vk == VK_RIGHT || (k.vk == VK_TAB && !(k.mods & PKF_SHIFT)))
            focus = (focus + 1) % b.buttonCount;
        else if (k.vk == VK_LEFT || k.vk == VK_TAB)
            focus = (focus + b.buttonCount - 1) % b.buttonCount;
    }
}

int MessageRun(FarDword flags, const char *help, const char *const *items, int itemsNumber,
               int buttons)
{
    (void)help;
    if (!items || itemsNumber < 2 || buttons < 0 || buttons >= itemsNumber) return -1;
    MessageBox b;
    b.title = items[0];
    b.buttonCount = buttons;
    b.lines = items + 1;
    b.lineCount = itemsNumber - 1 - buttons;
    if (b.lineCount > MESSAGE_LINES_MAX) b.lineCount = MESSAGE_LINES_MAX;
    b.buttons = items + itemsNumber - buttons;
    b.warning = (flags & FMSG_WARNING) != 0;
    if (buttons == 0) {            /* a notice: drawn, left on the screen, and the call returns */
        (void)ScreenCheckResize(); /* the plugin at work: the next notice follows a resize */
        DrawMessage(b, -1);
        return 0;
    }
    FarHandle under = ScreenSave();
    int rc = MessageKeys(b);
    ScreenRestore(under);
    return rc;
}
