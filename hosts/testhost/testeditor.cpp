/* testeditor.cpp: the test host's in-memory editors, the Editor service and EditorControl. */
#include "testhost/testhost_p.h"

#include <string.h>

/* ---- the editor stack ---- */

int OpenEditor(const std::string &fileName, const std::vector<std::string> &lines, int cursorLine,
               int cursorCol)
{
    TestEditor *ed = g_test.editors.Push(fileName, lines);
    ed->curLine = ClampToLines(*ed, cursorLine);
    ed->curPos = cursorCol < 0 ? 0 : cursorCol;
    return ed->id;
}

void CloseEditor()
{
    g_test.editors.Pop();
}

TestEditor *CurrentEditor()
{
    return g_test.editors.Top();
}

int EditorDepth()
{
    return (int)g_test.editors.open.size();
}

int EditorReadCount()
{
    return g_test.reads;
}

void SetEditorToOemTable(const unsigned char table[256])
{
    g_test.hasOemTable = table != nullptr;
    if (table != nullptr) memcpy(g_test.oemTable, table, sizeof g_test.oemTable);
}

std::vector<std::string> LinesOf(const std::string &text)
{
    return SplitEditLines(text);
}

/* ---- Editor ---- */

void ScriptEditor(std::function<int(const HostCall &call)> inside)
{
    g_test.editorScripts.push_back(std::move(inside));
}

void ScriptEditorSession(const std::vector<std::string> &lines, std::function<void()> inside)
{
    ScriptEditor([lines, inside](const HostCall &call) {
        int id = OpenEditor(call.file, lines, call.line >= 1 ? call.line - 1 : 0,
                            call.col >= 1 ? call.col - 1 : 0);
        TestEditor *ed = CurrentEditor();
        if (call.line >= 1)
            ed->topLine = ed->curLine > ed->height / 2 ? ed->curLine - ed->height / 2 : 0;
        if (inside) inside();
        std::vector<TestEditor> &open = g_test.editors.open;
        for (size_t i = 0; i < open.size(); i++)
            if (open[i].id == id) {
                open.erase(open.begin() + (long)i);
                break;
            }
        return 2;
    });
}

int FARAPI TestEditorOpen(const char *fileName, const char *title, int x1, int y1, int x2, int y2,
                          FarDword flags, int startLine, int startChar)
{
    g_test.lineText.reset();
    HostCall c;
    c.kind = CALL_EDITOR;
    c.file = fileName ? fileName : "";
    c.hasTitle = title != nullptr, c.title = title ? title : "";
    c.x1 = x1, c.y1 = y1, c.x2 = x2, c.y2 = y2;
    c.flags = flags;
    c.line = startLine;
    c.col = startChar;
    c.text = "Editor(file=" + Quote(fileName) + ", title=" + Quote(title) +
             ", rect=" + std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(x2) +
             "," + std::to_string(y2) + ", flags=" + Hex(flags) +
             ", line=" + std::to_string(startLine) + ", col=" + std::to_string(startChar) + ")";
    if (fileName == nullptr) HostError("Editor without a file name");
    /* the current host's loader for plugins of this generation opens no editor without a title */
    if (fileName != nullptr && title == nullptr) HostError("Editor without a title");
    /* record before the script runs, so calls made inside the editor follow this line */
    size_t at = RecordCall(c);
    int result = 2; /* closed unmodified */
    if (fileName == nullptr) {
        result = 0;
    } else if (!g_test.editorScripts.empty()) {
        auto script = std::move(g_test.editorScripts.front());
        g_test.editorScripts.pop_front();
        result = script(c);
    }
    g_test.calls[at].result = result;
    g_test.calls[at].text += " -> " + std::to_string(result);
    return result;
}

/* ---- EditorControl ---- */

static int GetString(TestEditor &ed, EditorGetString *gs, HostCall *c)
{
    if (gs == nullptr) {
        HostError("ECTL_GETSTRING without a record");
        return 0;
    }
    c->line = gs->StringNumber;
    c->text += ", line=" + std::to_string(gs->StringNumber);
    if (!FillEditBufferString(ed, gs)) return 0;
    std::string s(gs->StringText, (size_t)gs->StringLength);
    g_test.lineText.reset(new char[s.size()]);
    memcpy(g_test.lineText.get(), s.data(), s.size());
    gs->StringText = g_test.lineText.get();
    gs->SelEnd = -1;
    ed.reads++;
    g_test.reads++;
    c->items.push_back(s);
    return 1;
}

static int GetInfo(const TestEditor &ed, EditorInfo *ei)
{
    if (ei == nullptr) {
        HostError("ECTL_GETINFO without a record");
        return 0;
    }
    FillEditBufferInfo(ed, ei);
    ei->Overtype = ed.overtype;
    ei->TableNum = -1;
    return 1;
}

static int SetPosition(TestEditor &ed, const EditorSetPosition *sp, HostCall *c)
{
    if (sp == nullptr) {
        HostError("ECTL_SETPOSITION without a record");
        return 0;
    }
    c->pos = *sp;
    c->text +=
        ", line=" + std::to_string(sp->CurLine) + ", pos=" + std::to_string(sp->CurPos) +
        ", tabpos=" + std::to_string(sp->CurTabPos) + ", top=" + std::to_string(sp->TopScreenLine) +
        ", left=" + std::to_string(sp->LeftPos) + ", overtype=" + std::to_string(sp->Overtype);
    if (sp->CurLine != -1) ed.curLine = ClampToLines(ed, sp->CurLine);
    if (sp->CurPos != -1) ed.curPos = sp->CurPos < 0 ? 0 : sp->CurPos;
    if (sp->CurTabPos != -1) ed.curPos = sp->CurTabPos < 0 ? 0 : sp->CurTabPos;
    if (sp->TopScreenLine != -1) ed.topLine = ClampToLines(ed, sp->TopScreenLine);
    if (sp->LeftPos != -1) ed.leftPos = sp->LeftPos < 0 ? 0 : sp->LeftPos;
    if (sp->Overtype != -1) ed.overtype = sp->Overtype ? 1 : 0;
    return 1;
}

static int ToOem(EditorConvertText *ct, HostCall *c)
{
    if (ct == nullptr || (ct->Text == nullptr && ct->TextLength > 0)) {
        HostError("ECTL_EDITORTOOEM without text");
        return 0;
    }
    c->text += ", length=" + std::to_string(ct->TextLength);
    for (int i = 0; g_test.hasOemTable && i < ct->TextLength; i++)
        ct->Text[i] = (char)g_test.oemTable[(unsigned char)ct->Text[i]];
    return 1;
}

static const char *CommandName(int command)
{
    switch (command) {
    case ECTL_GETSTRING: return "GETSTRING";
    case ECTL_GETINFO: return "GETINFO";
    case ECTL_SETPOSITION: return "SETPOSITION";
    case ECTL_REDRAW: return "REDRAW";
    case ECTL_EDITORTOOEM: return "EDITORTOOEM";
    case ECTL_QUIT: return "QUIT";
    default: return nullptr;
    }
}

static int RunCommand(TestEditor &ed, int command, void *param, HostCall *c)
{
    switch (command) {
    case ECTL_GETSTRING: return GetString(ed, (EditorGetString *)param, c);
    case ECTL_GETINFO: return GetInfo(ed, (EditorInfo *)param);
    case ECTL_SETPOSITION: return SetPosition(ed, (const EditorSetPosition *)param, c);
    case ECTL_EDITORTOOEM: return ToOem((EditorConvertText *)param, c);
    case ECTL_REDRAW: return 1;
    case ECTL_QUIT:
        c->text += ") -> 1, closed editor " + std::to_string(ed.id);
        CloseEditor(); /* ed is gone from here on */
        return 1;
    default: return 0;
    }
}

int FARAPI TestEditorControl(int command, void *param)
{
    g_test.lineText.reset(); /* the last GETSTRING text lives until the next editor call */
    HostCall c;
    c.command = command;
    c.kind = command == ECTL_GETSTRING || command == ECTL_GETINFO || command == ECTL_EDITORTOOEM
                 ? CALL_EDITORREAD
                 : CALL_EDITORCONTROL;
    const char *name = CommandName(command);
    c.text = "EditorControl(" + (name ? std::string(name) : std::to_string(command));
    TestEditor *ed = CurrentEditor();
    if (ed == nullptr) {
        c.result = 0;
        c.text += ") -> 0, no editor";
    } else {
        c.file = ed->fileName;
        c.result = RunCommand(*ed, command, param, &c);
        if (command != ECTL_QUIT) c.text += ") -> " + std::to_string(c.result);
        if (command == ECTL_GETSTRING && c.result)
            c.text += " " + QuoteN(c.items[0].data(), c.items[0].size());
    }
    RecordCall(c);
    return c.result;
}
