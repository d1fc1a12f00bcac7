/* testmenu.cpp: the test host's menus and dialogs, answered from the script; break-key matching. */
#include "testhost/testhost_p.h"

#include <string.h>

enum { VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_UP = 0x26, VK_DOWN = 0x28 };

/* ---- keys ---- */

int PressKey(const HostCall &menu, int vk, int modifiers)
{
    /* the pressed Ctrl/Alt/Shift set must equal the entry's high word exactly, so an entry
       without modifiers never fires for a character typed with Shift */
    int pressed = modifiers & (PKF_CONTROL | PKF_ALT | PKF_SHIFT);
    for (size_t i = 0; i < menu.breakKeys.size(); i++) {
        unsigned key = (unsigned)menu.breakKeys[i];
        if ((int)(key & 0xFFFF) == vk && (int)(key >> 16) == pressed) return (int)i;
    }
    return -1;
}

int KeyOfChar(char ch)
{
    static const char plain[] = ";=,-./`[\\]'";
    static const char shifted[] = ":+<_>?~{|}\"";
    static const unsigned char oem[] = {0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
                                        0xC0, 0xDB, 0xDC, 0xDD, 0xDE};
    static const char digitsShifted[] = ")!@#$%^&*(";
    const int shift = PKF_SHIFT << 16;
    if (ch >= 'a' && ch <= 'z') return ch - 'a' + 'A';
    if (ch >= 'A' && ch <= 'Z') return shift | ch;
    if ((ch >= '0' && ch <= '9') || ch == ' ') return ch;
    if (ch == '\0') return -1;
    if (const char *p = strchr(digitsShifted, ch)) return shift | ('0' + (int)(p - digitsShifted));
    if (const char *p = strchr(plain, ch)) return oem[p - plain];
    if (const char *p = strchr(shifted, ch)) return shift | oem[p - shifted];
    return -1;
}

/* ---- Menu script ---- */

void ScriptMenu(int index, int breakCode)
{
    MenuAnswer a{MenuAnswer::BY_INDEX, {index, breakCode}, "", nullptr, 0, 0};
    g_test.menus.push_back(a);
}

void ScriptMenuText(const std::string &text)
{
    MenuAnswer a{MenuAnswer::BY_TEXT, {-1, -1}, text, nullptr, 0, 0};
    g_test.menus.push_back(a);
}

void ScriptMenuFn(std::function<MenuChoice(const HostCall &menu)> fn)
{
    MenuAnswer a{MenuAnswer::BY_FN, {-1, -1}, "", std::move(fn), 0, 0};
    g_test.menus.push_back(a);
}

void ScriptMenuKey(int vk, int modifiers)
{
    MenuAnswer a{MenuAnswer::BY_KEY, {-1, -1}, "", nullptr, vk, modifiers};
    g_test.menus.push_back(a);
}

void ScriptMenuChar(char ch)
{
    int key = KeyOfChar(ch);
    if (key < 0) {
        g_test.errors.push_back(std::string("no key types '") + ch + "'");
        return;
    }
    ScriptMenuKey(key & 0xFFFF, key >> 16);
}

/* Moves the cursor one selectable item up or down, wrapping only when the menu wraps. */
static int MoveCursor(const HostCall &m, int cursor, int step)
{
    int n = (int)m.menuItems.size();
    for (int i = 1; i < n; i++) {
        int next = cursor + step * i;
        if ((next < 0 || next >= n) && !(m.flags & FMENU_WRAPMODE)) return cursor;
        next = (next % n + n) % n;
        if (!m.menuItems[(size_t)next].Separator) return next;
    }
    return cursor;
}

/* A key press: true when it closes the menu (choice set), false when it leaves it open. */
static bool ApplyKey(const HostCall &m, const MenuAnswer &a, int *cursor, MenuChoice *choice,
                     std::string *notes)
{
    std::string key = Hex((unsigned)a.modifiers << 16 | (unsigned)a.vk);
    int fired = PressKey(m, a.vk, a.modifiers);
    if (fired >= 0) {
        *choice = {*cursor, fired};
        return true;
    }
    if (a.modifiers == 0 && (a.vk == VK_RETURN || a.vk == VK_ESCAPE)) {
        *choice = {a.vk == VK_RETURN ? *cursor : -1, -1};
        return true;
    }
    if (a.modifiers == 0 && (a.vk == VK_UP || a.vk == VK_DOWN)) {
        *cursor = MoveCursor(m, *cursor, a.vk == VK_UP ? -1 : 1);
        *notes += " key " + key + " moves to " + std::to_string(*cursor) + ";";
        return false;
    }
    *notes += " key " + key + " fires nothing;";
    return false;
}

static int FindItem(const HostCall &m, const std::string &text)
{
    for (size_t i = 0; i < m.items.size(); i++)
        if (m.items[i] == text && !m.menuItems[i].Separator) return (int)i;
    return -1;
}

/* Takes answers until one closes the menu; an empty script cancels and fails the test. */
static MenuChoice NextMenuChoice(const HostCall &m, std::string *notes)
{
    int cursor = m.selected >= 0 ? m.selected : (m.menuItems.empty() ? -1 : 0);
    while (!g_test.menus.empty()) {
        MenuAnswer a = g_test.menus.front();
        g_test.menus.pop_front();
        MenuChoice choice{-1, -1};
        switch (a.how) {
        case MenuAnswer::BY_INDEX: return a.choice;
        case MenuAnswer::BY_FN: return a.fn(m);
        case MenuAnswer::BY_TEXT:
            choice.index = FindItem(m, a.text);
            if (choice.index < 0) HostError("menu has no item " + Quote(a.text.c_str()));
            return choice;
        case MenuAnswer::BY_KEY:
            if (ApplyKey(m, a, &cursor, &choice, notes)) return choice;
            break;
        }
    }
    HostError("Menu " + Quote(m.hasTitle ? m.title.c_str() : nullptr) + " with no scripted answer");
    return {-1, -1};
}

/* A choice the menu could not produce cancels it, so the plugin sees no made-up answer. */
static MenuChoice CheckChoice(const HostCall &m, MenuChoice ch)
{
    int n = (int)m.menuItems.size();
    if (ch.index < -1 || ch.index >= n ||
        (ch.index >= 0 && m.menuItems[(size_t)ch.index].Separator)) {
        HostError("scripted menu item " + std::to_string(ch.index) + " cannot be chosen");
        return {-1, -1};
    }
    if (ch.breakCode < -1 || ch.breakCode >= (int)m.breakKeys.size()) {
        HostError("scripted break code " + std::to_string(ch.breakCode) + " is not a break key");
        return {-1, -1};
    }
    if (ch.breakCode >= 0 && !m.hasBreakCode) {
        HostError("a break key fired but the menu has no BreakCode to tell it");
        ch.breakCode = -1;
    }
    return ch;
}

/* ---- Menu ---- */

static HostCall DescribeMenu(int module, int x, int y, int maxHeight, FarDword flags,
                             const char *title, const char *bottom, const char *help,
                             const int *breakKeys, const int *breakCode, const FarMenuItem *items,
                             int count)
{
    HostCall c;
    c.kind = CALL_MENU;
    c.module = module;
    c.x1 = x, c.y1 = y, c.maxHeight = maxHeight;
    c.flags = flags;
    c.hasTitle = title != nullptr, c.title = title ? title : "";
    c.hasBottom = bottom != nullptr, c.bottom = bottom ? bottom : "";
    c.hasHelp = help != nullptr, c.help = help ? help : "";
    c.hasBreakKeys = breakKeys != nullptr;
    for (const int *k = breakKeys; k != nullptr && *k != 0; k++) c.breakKeys.push_back(*k);
    c.hasBreakCode = breakCode != nullptr;
    c.count = count;
    for (int i = 0; items != nullptr && i < count; i++) {
        FarMenuItem it = items[i];
        if (memchr(it.Text, '\0', sizeof it.Text) == nullptr) {
            HostError("menu item " + std::to_string(i) + " text is not terminated");
            it.Text[sizeof it.Text - 1] = '\0';
        }
        c.menuItems.push_back(it);
        c.items.emplace_back(it.Text);
        if (it.Selected && c.selected < 0) c.selected = i;
    }
    return c;
}

static std::string MenuLine(const HostCall &c)
{
    std::string keys = c.hasBreakKeys ? std::to_string(c.breakKeys.size()) : "none";
    std::string line = "Menu(flags=" + std::to_string(c.flags) +
                       ", title=" + Quote(c.hasTitle ? c.title.c_str() : nullptr) +
                       ", bottom=" + Quote(c.hasBottom ? c.bottom.c_str() : nullptr) +
                       ", help=" + Quote(c.hasHelp ? c.help.c_str() : nullptr) +
                       ", breakKeys=" + keys + ", count=" + std::to_string(c.count) +
                       ", selected=" + std::to_string(c.selected) + ") items=[";
    for (size_t i = 0; i < c.menuItems.size(); i++)
        line += (i ? ", " : "") +
                (c.menuItems[i].Separator ? std::string("---") : Quote(c.items[i].c_str()));
    return line + "]";
}

int FARAPI TestMenu(int module, int x, int y, int maxHeight, FarDword flags, const char *title,
                    const char *bottom, const char *help, const int *breakKeys, int *breakCode,
                    const FarMenuItem *items, int count)
{
    if (breakCode != nullptr) *breakCode = -1;
    CheckModule("Menu", module);
    if (x != -1 || y != -1)
        HostError("Menu not centred: x=" + std::to_string(x) + ", y=" + std::to_string(y));
    if (items == nullptr && count > 0)
        HostError("Menu with " + std::to_string(count) + " items and no array");
    HostCall c = DescribeMenu(module, x, y, maxHeight, flags, title, bottom, help, breakKeys,
                              breakCode, items, count);
    std::string notes;
    MenuChoice ch = CheckChoice(c, NextMenuChoice(c, &notes));
    if (breakCode != nullptr && ch.breakCode >= 0) *breakCode = ch.breakCode;
    c.result = ch.index;
    c.breakCode = ch.breakCode;
    c.text = MenuLine(c) + notes + " -> " + std::to_string(ch.index);
    if (ch.breakCode >= 0)
        c.text += ", break " + std::to_string(ch.breakCode) + " (" +
                  Hex((unsigned)c.breakKeys[(size_t)ch.breakCode]) + ")";
    RecordCall(c);
    return ch.index;
}

/* ---- Dialog ---- */

void ScriptDialog(int closeIndex, DialogEdit edit)
{
    g_test.dialogs.push_back({closeIndex, std::move(edit)});
}

int FindDialogItem(const FarDialogItem *items, int count, const char *data)
{
    for (int i = 0; items != nullptr && i < count; i++)
        if (strncmp(items[i].Data, data, sizeof items[i].Data) == 0) return i;
    return -1;
}

static bool HasState(const FarDialogItem &it)
{
    return it.Type == DI_CHECKBOX || it.Type == DI_RADIOBUTTON;
}

static std::string DialogItemText(const FarDialogItem &it)
{
    static const char *const names[] = {"text", "vtext",   "sbox",   "dbox",  "edit",
                                        "psw",  "fixedit", "button", "check", "radio"};
    std::string s = it.Type >= 0 && it.Type <= DI_RADIOBUTTON ? names[it.Type]
                                                              : "type" + std::to_string(it.Type);
    if (HasState(it)) s += " " + std::to_string(it.Selected);
    return s + " " + QuoteN(it.Data, strnlen(it.Data, sizeof it.Data));
}

static std::string DialogLine(const HostCall &c)
{
    std::string s = "Dialog(rect=" + std::to_string(c.x1) + "," + std::to_string(c.y1) + "," +
                    std::to_string(c.x2) + "," + std::to_string(c.y2) +
                    ", help=" + Quote(c.hasHelp ? c.help.c_str() : nullptr) +
                    ", count=" + std::to_string(c.count) + ") items=[";
    for (size_t i = 0; i < c.dialogIn.size(); i++)
        s += (i ? ", " : "") + DialogItemText(c.dialogIn[i]);
    s += "]";
    for (size_t i = 0; i < c.dialogOut.size() && i < c.dialogIn.size(); i++) {
        const FarDialogItem &a = c.dialogIn[i], &b = c.dialogOut[i];
        if ((HasState(b) && a.Selected != b.Selected) ||
            strncmp(a.Data, b.Data, sizeof a.Data) != 0)
            s += " set [" + std::to_string(i) + "] " + DialogItemText(b) + ";";
    }
    return s;
}

int FARAPI TestDialog(int module, int x1, int y1, int x2, int y2, const char *help,
                      FarDialogItem *items, int count)
{
    CheckModule("Dialog", module);
    HostCall c;
    c.kind = CALL_DIALOG;
    c.module = module;
    c.x1 = x1, c.y1 = y1, c.x2 = x2, c.y2 = y2;
    c.hasHelp = help != nullptr, c.help = help ? help : "";
    c.count = count;
    if (items == nullptr || count <= 0) HostError("Dialog without items");
    for (int i = 0; items != nullptr && i < count; i++) {
        if (memchr(items[i].Data, '\0', sizeof items[i].Data) == nullptr)
            HostError("dialog item " + std::to_string(i) + " text is not terminated");
        c.dialogIn.push_back(items[i]);
        c.items.emplace_back(items[i].Data, strnlen(items[i].Data, sizeof items[i].Data));
    }
    c.result = -1;
    if (g_test.dialogs.empty()) {
        HostError("Dialog with no scripted answer");
    } else {
        DialogAnswer a = std::move(g_test.dialogs.front());
        g_test.dialogs.pop_front();
        if (a.edit && items != nullptr && count > 0) a.edit(items, count);
        if (a.closeIndex < -1 || a.closeIndex >= count)
            HostError("scripted dialog close item " + std::to_string(a.closeIndex) +
                      " does not exist");
        else c.result = a.closeIndex;
    }
    for (int i = 0; items != nullptr && i < count; i++) c.dialogOut.push_back(items[i]);
    c.text = DialogLine(c) + " -> " + std::to_string(c.result);
    RecordCall(c);
    return c.result;
}
