/* script.cpp: the recorded calls, the scripted answers and the editor stack both Windows test
   hosts answer their services from. */
#include <deque>
#include <stdexcept>

#include "wintest/wintest.h"

static std::vector<Call> g_calls;
static std::vector<std::string> g_errors;
static std::deque<MenuScript> g_menus;
static std::deque<DialogScript> g_dialogs;
static std::deque<std::function<void()>> g_editorSessions;
static std::vector<std::function<void()>> g_deferred; /* non-modal editors' sessions */
static EditStack<Editor> g_editors;
static int g_openScreens;
static int g_wildText; /* the next ECTL_GETSTRING answers with a wild pointer */

std::vector<Call> &Calls()
{
    return g_calls;
}
std::vector<std::string> &HostErrors()
{
    return g_errors;
}
int &OpenScreens()
{
    return g_openScreens;
}

std::vector<Call> CallsOf(const char *service, int command)
{
    std::vector<Call> out;
    for (const Call &c : g_calls)
        if (c.service == service && (command < 0 || c.command == command)) out.push_back(c);
    return out;
}

void ResetHost()
{
    if (g_openScreens != 0)
        g_errors.push_back("screens saved and not restored: " + std::to_string(g_openScreens));
    if (!g_menus.empty() || !g_dialogs.empty() || !g_editorSessions.empty() || !g_deferred.empty())
        g_errors.push_back("scripted answers left unused");
    g_calls.clear();
    g_menus.clear();
    g_dialogs.clear();
    g_editorSessions.clear();
    g_deferred.clear();
    g_openScreens = 0;
    g_wildText = 0;
}

/* ---- Menu ---- */

void ScriptMenu(MenuScript answer)
{
    g_menus.push_back(std::move(answer));
}

void ScriptMenuIndex(int index)
{
    ScriptMenu([index](const Call &) { return MenuAnswer{index, -1}; });
}

/* Like the host: a break key fires when its key and its whole modifier set equal the press;
   the result is the item under the cursor (the first selected one). */
void ScriptMenuKey(int vk, int modifiers)
{
    ScriptMenu([vk, modifiers](const Call &call) {
        int cursor = call.selected >= 0 ? call.selected : 0;
        for (size_t i = 0; i < call.breakKeys.size(); i++)
            if ((call.breakKeys[i] & 0xFFFF) == vk && (call.breakKeys[i] >> 16) == modifiers)
                return MenuAnswer{cursor, (int)i};
        g_errors.push_back("key " + std::to_string(vk) + "+" + std::to_string(modifiers) +
                           " fires no break key");
        return MenuAnswer{-1, -1};
    });
}

void ScriptMenuChar(char ch)
{
    SHORT scan = VkKeyScanA(ch);
    if (scan == -1) {
        g_errors.push_back(std::string("VkKeyScanA: no key types '") + ch + "'");
        return;
    }
    int shift = (scan >> 8) & 0xFF, mods = 0;
    if (shift & 1) mods |= KEY_SHIFT;
    if (shift & 2) mods |= KEY_CONTROL;
    if (shift & 4) mods |= KEY_ALT;
    ScriptMenuKey(scan & 0xFF, mods);
}

void ScriptMenuThrow()
{
    ScriptMenu([](const Call &) -> MenuAnswer { throw std::runtime_error("host service failed"); });
}

MenuAnswer AnswerMenu(Call &c)
{
    c.service = "Menu";
    c.text = "Menu \"" + c.title + "\" items=" + std::to_string(c.items.size());
    g_calls.push_back(c);
    if (g_menus.empty()) {
        g_errors.push_back("Menu \"" + c.title + "\" with no scripted answer");
        return MenuAnswer{-1, -1};
    }
    MenuScript answer = g_menus.front();
    g_menus.pop_front();
    return answer(c);
}

void ScriptWildEditorText()
{
    g_wildText = 1;
}

int TakeWildEditorText()
{
    int wild = g_wildText;
    g_wildText = 0;
    return wild;
}

/* ---- Dialog ---- */

void ScriptDialog(DialogScript answer)
{
    g_dialogs.push_back(std::move(answer));
}

int AnswerDialog(Call &c, std::vector<DialogItem> &items)
{
    c.service = "Dialog";
    g_calls.push_back(c);
    if (g_dialogs.empty()) {
        g_errors.push_back("Dialog with no scripted answer");
        return -1;
    }
    auto answer = g_dialogs.front();
    g_dialogs.pop_front();
    return answer(items);
}

/* ---- editors ---- */

int PushEditor(const std::string &fileName, const std::vector<std::string> &lines, int line,
               int col)
{
    Editor *e = g_editors.Push(fileName, lines);
    e->curLine = line; /* as given: a script may place the cursor past the end */
    e->curPos = col;
    return e->id;
}

void PopEditor()
{
    g_editors.Pop();
}

Editor *CurrentEditor()
{
    return g_editors.Top();
}

void ScriptEditor(std::function<void()> inside)
{
    g_editorSessions.push_back(std::move(inside));
}

void OpenScriptedEditor(const Call &c, int startLine, int startChar, int modal)
{
    if (g_editorSessions.empty()) return;
    auto inside = g_editorSessions.front();
    g_editorSessions.pop_front();
    std::string file = c.file;
    auto session = [file, startLine, startChar, inside]() {
        size_t depth = g_editors.open.size();
        PushEditor(file, SplitLines(ReadFileText(file)), startLine > 0 ? startLine - 1 : 0,
                   startChar > 0 ? startChar - 1 : 0);
        inside();
        while (g_editors.open.size() > depth) PopEditor();
    };
    if (modal) session();
    else g_deferred.push_back(session);
}

void RunDeferredEditors()
{
    std::vector<std::function<void()>> sessions;
    sessions.swap(g_deferred);
    for (auto &s : sessions) s();
}
