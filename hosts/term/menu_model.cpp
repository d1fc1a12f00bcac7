/* menu_model.cpp: the host's menu without the drawing: cursor, scrolling, hotkeys and break keys. */
#include <stdlib.h>
#include <string.h>

#include "term/model_p.h"

enum { BREAK_KEYS_MAX = 1024 }; /* a longer list without its 0 element is cut here */

static int IsSelectable(const MenuModel *m, int i)
{
    return i >= 0 && i < m->count && !m->items[i].Separator;
}

static int UpperAscii(int c)
{
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

/* Offset of the character after an '&' marker, or -1. */
static int ExplicitHotkey(const FarMenuItem *it)
{
    for (int i = 0; i < (int)sizeof it->Text - 1 && it->Text[i]; i++)
        if (it->Text[i] == '&' && it->Text[i + 1] && it->Text[i + 1] != '&') return i + 1;
    return -1;
}

static int IsHotkeyChar(unsigned char c)
{
    return (c >= '0' && c <= '9') || (UpperAscii(c) >= 'A' && UpperAscii(c) <= 'Z') || c >= 0x80;
}

/* Marks the first character of each item not taken by an earlier item. */
static void AssignHotkeys(MenuModel *m)
{
    int autoHot = (m->flags & FMENU_AUTOHIGHLIGHT) != 0;
    int markers = !(m->flags & FMENU_SHOWAMPERSAND);
    char used[256];
    memset(used, 0, sizeof used);
    for (int i = 0; i < m->count; i++) {
        const FarMenuItem *it = &m->items[i];
        int pos = markers ? ExplicitHotkey(it) : -1;
        if (pos < 0 && autoHot && !it->Separator) {
            for (int j = 0; j < (int)sizeof it->Text && it->Text[j]; j++) {
                unsigned char c = (unsigned char)FoldHotKey((unsigned char)it->Text[j]);
                if (IsHotkeyChar(c) && !used[c]) {
                    pos = j;
                    break;
                }
            }
        }
        if (pos >= 0) used[FoldHotKey((unsigned char)it->Text[pos]) & 0xFF] = 1;
        m->hotPos[i] = pos;
    }
}

static void ShowCursorRow(MenuModel *m)
{
    if (m->cur < 0) return;
    if (m->cur < m->top) m->top = m->cur;
    if (m->cur >= m->top + m->rows) m->top = m->cur - m->rows + 1;
    if (m->top < 0) m->top = 0;
}

int MenuInit(MenuModel *m, const FarMenuItem *items, int count, FarDword flags, int rows)
{
    memset(m, 0, sizeof *m);
    m->items = items;
    m->count = items && count > 0 ? count : 0;
    m->flags = flags;
    m->rows = rows < 1 ? 1 : rows;
    m->cur = -1;
    for (int i = 0; i < m->count && m->cur < 0; i++)
        if (items[i].Selected && IsSelectable(m, i)) m->cur = i;
    for (int i = 0; i < m->count && m->cur < 0; i++)
        if (IsSelectable(m, i)) m->cur = i;
    if (m->count > 0 && ((flags & FMENU_AUTOHIGHLIGHT) || !(flags & FMENU_SHOWAMPERSAND))) {
        m->hotPos = (int *)malloc((size_t)m->count * sizeof *m->hotPos);
        if (m->hotPos) AssignHotkeys(m); /* without memory the menu simply has no hotkeys */
    }
    ShowCursorRow(m);
    return 0;
}

void MenuFree(MenuModel *m)
{
    free(m->hotPos);
    m->hotPos = NULL;
}

/* Next selectable item from `from` in direction dir; wraps only when asked. -1 when none. */
static int Step(const MenuModel *m, int from, int dir, int wrap)
{
    for (int n = 0, i = from; n < m->count; n++) {
        i += dir;
        if (i < 0 || i >= m->count) {
            if (!wrap) return -1;
            i = i < 0 ? m->count - 1 : 0;
        }
        if (IsSelectable(m, i)) return i;
    }
    return -1;
}

static void MoveBy(MenuModel *m, int delta)
{
    int dir = delta < 0 ? -1 : 1, target = m->cur + delta;
    if (target < 0) target = 0;
    if (target >= m->count) target = m->count - 1;
    if (!IsSelectable(m, target)) {
        int t = Step(m, target, dir, 0);
        if (t < 0) t = Step(m, target, -dir, 0);
        target = t;
    }
    if (target >= 0) m->cur = target;
}

static int HotkeyItem(const MenuModel *m, int ch)
{
    if (!m->hotPos || ch < 0) return -1;
    for (int i = 0; i < m->count; i++) {
        int pos = m->hotPos[i];
        if (pos >= 0 && FoldHotKey((unsigned char)m->items[i].Text[pos]) == FoldHotKey(ch))
            return i;
    }
    return -1;
}

static int CursorKey(MenuModel *m, KeyEvent k)
{
    int wrap = (m->flags & FMENU_WRAPMODE) != 0, next;
    switch (k.vk) {
    case VK_UP:
        next = Step(m, m->cur, -1, wrap);
        if (next >= 0) m->cur = next;
        return 1;
    case VK_DOWN:
        next = Step(m, m->cur, 1, wrap);
        if (next >= 0) m->cur = next;
        return 1;
    case VK_HOME: MoveBy(m, -m->count); return 1;
    case VK_END: MoveBy(m, m->count); return 1;
    case VK_PRIOR: MoveBy(m, -(m->rows - 1 > 0 ? m->rows - 1 : 1)); return 1;
    case VK_NEXT: MoveBy(m, m->rows - 1 > 0 ? m->rows - 1 : 1); return 1;
    default: return 0;
    }
}

int MenuKey(MenuModel *m, const int *breakKeys, KeyEvent k, int *breakIndex)
{
    int b = MatchBreakKey(breakKeys, BREAK_KEYS_MAX, k);
    if (b >= 0) {
        *breakIndex = b;
        return MENU_BREAK;
    }
    if (k.vk == VK_ESCAPE || k.vk == VK_F(10)) return MENU_CANCELLED;
    if (k.vk == VK_RETURN) return m->cur >= 0 ? MENU_CHOSEN : MENU_CANCELLED;
    if (m->cur >= 0 && (k.mods & ~PKF_SHIFT) == 0 && CursorKey(m, k)) {
        ShowCursorRow(m);
        return MENU_GOING;
    }
    if ((k.mods & (PKF_CONTROL | PKF_ALT)) == 0) {
        int hot = HotkeyItem(m, k.ch);
        if (hot >= 0) {
            m->cur = hot;
            return MENU_CHOSEN;
        }
    }
    return MENU_GOING;
}

void MenuItemLabel(const MenuModel *m, int i, char *out, size_t size, int *hotCol)
{
    const char *t = m->items[i].Text;
    int markers = !(m->flags & FMENU_SHOWAMPERSAND), hot = m->hotPos ? m->hotPos[i] : -1;
    size_t o = 0;
    *hotCol = -1;
    for (int j = 0; j < (int)sizeof m->items[i].Text && t[j] && o + 1 < size; j++) {
        if (markers && t[j] == '&') {
            if (j + 1 < (int)sizeof m->items[i].Text && t[j + 1] == '&') j++; /* "&&": one '&' */
            else continue;
        }
        if (j == hot) *hotCol = (int)o;
        out[o++] = t[j];
    }
    if (size > 0) out[o] = '\0';
}
