/* screen.cpp: the curses layer: colours, boxes, code page 866 text, keys, saved screens. */
#include <curses.h>
#include <errno.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/platform.h"
#include "term/draw_p.h"

enum { SAVED_MAX = 64 };
static WINDOW *g_saved[SAVED_MAX]; /* live SaveScreen handles; anything else is refused */
static int g_open;
static ScreenOwner g_owner; /* what lies under the boxes: the panel or the editor */
static volatile sig_atomic_t g_hangUp;
static int g_inputGone;
enum { NOTES_MAX = 8 };
static char *g_notes[NOTES_MAX];

static void OnHangUp(int)
{
    g_hangUp = 1; /* the read it breaks returns, and ReadKey sees the terminal is gone */
}

static void InitColors(void)
{
    if (!has_colors()) return;
    start_color();
    init_pair(CLR_PANEL, COLOR_CYAN, COLOR_BLUE);
    init_pair(CLR_PANEL_CUR, COLOR_BLACK, COLOR_CYAN);
    init_pair(CLR_PANEL_DIR, COLOR_WHITE, COLOR_BLUE);
    init_pair(CLR_MENU, COLOR_WHITE, COLOR_CYAN);
    init_pair(CLR_MENU_CUR, COLOR_WHITE, COLOR_BLACK);
    init_pair(CLR_MENU_HOT, COLOR_YELLOW, COLOR_CYAN);
    init_pair(CLR_DIALOG, COLOR_BLACK, COLOR_WHITE);
    init_pair(CLR_DIALOG_FOCUS, COLOR_BLACK, COLOR_CYAN);
    init_pair(CLR_EDIT, COLOR_BLACK, COLOR_CYAN);
    init_pair(CLR_WARN, COLOR_WHITE, COLOR_RED);
    init_pair(CLR_WARN_FOCUS, COLOR_BLACK, COLOR_WHITE);
    init_pair(CLR_KEYNUM, COLOR_WHITE, COLOR_BLACK);
    init_pair(CLR_KEYTEXT, COLOR_BLACK, COLOR_CYAN);
    init_pair(CLR_EDITOR, COLOR_CYAN, COLOR_BLUE);
    init_pair(CLR_STATUS, COLOR_BLACK, COLOR_CYAN);
    init_pair(CLR_HELP, COLOR_BLACK, COLOR_CYAN);
    init_pair(CLR_MENU_CUR_HOT, COLOR_YELLOW, COLOR_BLACK);
    init_pair(CLR_DIALOG_HOT, COLOR_YELLOW, COLOR_WHITE);
    init_pair(CLR_WARN_HOT, COLOR_YELLOW, COLOR_RED);
    init_pair(CLR_EDITOR_FOUND, COLOR_BLACK, COLOR_CYAN);
}

int ScreenOpen(void)
{
    if (g_open) return 0;
    setlocale(LC_ALL, "");
    CharsetSetUtf8(strcmp(nl_langinfo(CODESET), "UTF-8") == 0);
    set_escdelay(25);
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnHangUp; /* no SA_RESTART: a blocked read must return */
    sigemptyset(&sa.sa_mask);
    sigaction(SIGHUP, &sa, NULL);
    if (!newterm(NULL, stdout, stdin)) return -1;
    raw();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    InitColors();
    g_open = 1;
    return 0;
}

void ScreenClose(void)
{
    if (!g_open) return;
    for (int i = 0; i < SAVED_MAX; i++)
        if (g_saved[i]) {
            delwin(g_saved[i]);
            g_saved[i] = NULL;
        }
    endwin();
    g_open = 0;
    if (g_inputGone) fprintf(stderr, "zolt: the terminal's input has gone away\n");
    for (int i = 0; i < NOTES_MAX && g_notes[i]; i++) {
        fprintf(stderr, "zolt: %s\n", g_notes[i]);
        free(g_notes[i]);
        g_notes[i] = NULL;
    }
}

void ScreenNoteAtClose(const char *text)
{
    for (int i = 0; i < NOTES_MAX; i++)
        if (!g_notes[i]) {
            g_notes[i] = strdup(text);
            return;
        }
    fprintf(stderr, "zolt: %s\n", text); /* too many to hold: at once, if not seen */
}

int ScreenInputGone(void)
{
    return g_inputGone;
}

void ScreenSize(int *cols, int *rows)
{
    *cols = COLS;
    *rows = LINES;
}

/* A wide character from the terminal as the key the host knows. */
static KeyEvent KeyOfChar(wint_t w, int alt)
{
    int byte = w < 0x20 || w == 0x7F ? (int)w : WideToCp866((wchar_t)w);
    int scan = w >= 0x20 && w < 0x7F ? KeyScanChar((char)w) : -1;
    KeyEvent k = KeyFromChar(byte, scan, alt);
    if (!alt && w >= 0x20 && w != 0x7F) k.wch = (int)w;
    return k;
}

KeyEvent ReadKey(void)
{
    wint_t w = 0;
    int alt = 0;
    for (;;) {
        errno = 0; /* the end of input leaves it as it was */
        int rc = g_inputGone || g_hangUp ? ERR : wget_wch(stdscr, &w);
        if (rc == ERR && errno == EINTR && !g_hangUp) continue;
        if (rc == ERR) { /* end of input, a read error, a hang-up: nothing more will come */
            g_inputGone = 1;
            return KeyFromChar(27, -1, 0);
        }
        if (rc == KEY_CODE_YES) {
            if (w == KEY_RESIZE) {
                KeyEvent k = KeyFromChar(-1, -1, 0);
                k.vk = VK_RESIZED;
                return k;
            }
            return KeyFromCurses((int)w, keyname((int)w), alt);
        }
        if (w == 27 && !alt) {
            /* Esc alone, or the Alt prefix of the next key */
            nodelay(stdscr, TRUE);
            int next = wget_wch(stdscr, &w);
            nodelay(stdscr, FALSE);
            if (next == ERR) return KeyFromChar(27, -1, 0);
            if (next == KEY_CODE_YES) return KeyFromCurses((int)w, keyname((int)w), 1);
            alt = 1;
        }
        return KeyOfChar(w, alt);
    }
}

void PutWide(int x, int y, wchar_t w, int color)
{
    wchar_t s[2] = {w, 0};
    cchar_t cc;
    setcchar(&cc, s, 0, (short)color, NULL);
    mvadd_wch(y, x, &cc);
}

void FillRect(int x1, int y1, int x2, int y2, int color)
{
    for (int y = y1 < 0 ? 0 : y1; y <= y2 && y < LINES; y++)
        for (int x = x1 < 0 ? 0 : x1; x <= x2 && x < COLS; x++) PutWide(x, y, L' ', color);
}

int PutTextHot(int x, int y, const char *text, int len, int hotByte, int maxCols, int color,
               int hotColor)
{
    int n = 0;
    if (y < 0 || y >= LINES) return 0;
    TextIter it;
    TextChar c;
    TextBegin(&it, text, len, 0);
    while (TextNext(&it, &c) && n + c.cols <= maxCols && x + n + c.cols <= COLS) {
        int hot = hotByte >= c.pos && hotByte < c.pos + c.bytes;
        if (x + n >= 0) PutWide(x + n, y, c.glyph, hot ? hotColor : color);
        n += c.cols;
    }
    return n;
}

int PutTextN(int x, int y, const char *text, int len, int maxCols, int color)
{
    return PutTextHot(x, y, text, len, -1, maxCols, color, color);
}

int PutText(int x, int y, const char *text, int maxCols, int color)
{
    size_t most = maxCols > 0 ? (size_t)maxCols * 4 : 0; /* a column takes at most 4 bytes */
    return PutTextN(x, y, text, (int)strnlen(text, most), maxCols, color);
}

int PutLabel(int x, int y, const char *text, int maxCols, int color, int hotColor)
{
    char shown[512];
    int hot = LabelStrip(text, shown, sizeof shown);
    return PutTextHot(x, y, shown, (int)strlen(shown), hot, maxCols, color, hotColor);
}

int LabelColumns(const char *text)
{
    char shown[512];
    (void)LabelStrip(text, shown, sizeof shown);
    return TextColumns(shown, (int)strlen(shown));
}

void DrawHLine(int x1, int x2, int y, int color, int doubleLine, int joinDouble)
{
    for (int x = x1 + 1; x < x2; x++) PutWide(x, y, doubleLine ? L'\x2550' : L'\x2500', color);
    if (joinDouble) { /* a divider meeting a double frame */
        PutWide(x1, y, doubleLine ? L'\x2560' : L'\x255F', color);
        PutWide(x2, y, doubleLine ? L'\x2563' : L'\x2562', color);
    }
}

void DrawBox(int x1, int y1, int x2, int y2, int color, int doubleLine)
{
    wchar_t h = doubleLine ? L'\x2550' : L'\x2500', v = doubleLine ? L'\x2551' : L'\x2502';
    for (int x = x1 + 1; x < x2; x++) {
        PutWide(x, y1, h, color);
        PutWide(x, y2, h, color);
    }
    for (int y = y1 + 1; y < y2; y++) {
        PutWide(x1, y, v, color);
        PutWide(x2, y, v, color);
    }
    PutWide(x1, y1, doubleLine ? L'\x2554' : L'\x250C', color);
    PutWide(x2, y1, doubleLine ? L'\x2557' : L'\x2510', color);
    PutWide(x1, y2, doubleLine ? L'\x255A' : L'\x2514', color);
    PutWide(x2, y2, doubleLine ? L'\x255D' : L'\x2518', color);
}

void DrawKeyBar(const char *const labels[12])
{
    int cols = COLS, slot = cols / 12 > 2 ? cols / 12 : 2, x = 0;
    FillRect(0, LINES - 1, cols - 1, LINES - 1, CLR_KEYTEXT);
    for (int i = 0; i < 12 && x < cols; i++) {
        char num[4] = {0};
        num[0] = (char)(i < 9 ? '1' + i : '1');
        if (i >= 9) num[1] = (char)('0' + i - 9);
        int w = PutText(x, LINES - 1, num, 2, CLR_KEYNUM);
        PutText(x + w, LINES - 1, labels[i] ? labels[i] : "", slot - w, CLR_KEYTEXT);
        x += slot;
    }
}

void ScreenShowCursor(int x, int y)
{
    if (x < 0) {
        curs_set(0);
        return;
    }
    curs_set(1);
    move(y, x);
}

void ScreenFlush(void)
{
    refresh();
}

ScreenOwner ScreenSetOwner(ScreenOwner owner)
{
    ScreenOwner before = g_owner;
    g_owner = owner;
    return before;
}

/* ncurses learns of a new size when it next reads a key; while the plugin works it reads none,
   so the size is asked of the terminal here. */
int ScreenCheckResize(void)
{
    struct winsize ws;
    if (!g_open || ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0 || ws.ws_row == 0 || ws.ws_col == 0)
        return 0;
    if (ws.ws_row == LINES && ws.ws_col == COLS) return 0;
    resizeterm(ws.ws_row, ws.ws_col); /* also queues KEY_RESIZE for whoever reads keys next */
    if (g_owner.redraw) g_owner.redraw(g_owner.ctx);
    else erase();
    return 1;
}

FarHandle ScreenSave(void)
{
    for (int i = 0; i < SAVED_MAX; i++) {
        if (g_saved[i]) continue;
        g_saved[i] = dupwin(stdscr);
        return g_saved[i];
    }
    return NULL; /* too many saved screens: restoring this one just redraws */
}

void ScreenRestore(FarHandle h)
{
    for (int i = 0; h && i < SAVED_MAX; i++) {
        if (g_saved[i] != h) continue;
        int rows = getmaxy(g_saved[i]), cols = getmaxx(g_saved[i]);
        copywin(g_saved[i], stdscr, 0, 0, 0, 0, (rows < LINES ? rows : LINES) - 1,
                (cols < COLS ? cols : COLS) - 1, FALSE);
        delwin(g_saved[i]);
        g_saved[i] = NULL;
    }
    refresh();
}
