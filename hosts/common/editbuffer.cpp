/* editbuffer.cpp: the scripted hosts' editor: line clamping, the GETINFO and GETSTRING answers. */
#include "common/editbuffer1.h"

#include <string.h>

int ClampToLines(const EditBuffer &e, int line)
{
    int last = (int)e.lines.size() - 1;
    return line < 0 ? 0 : (line > last ? last : line);
}

void FillEditBufferInfo(const EditBuffer &e, EditorInfo *info)
{
    memset(info, 0, sizeof *info);
    info->EditorID = e.id;
    info->FileName = e.fileName.c_str();
    info->WindowSizeX = e.width;
    info->WindowSizeY = e.height;
    info->TotalLines = (int)e.lines.size();
    info->CurLine = e.curLine;
    info->CurPos = e.curPos;
    info->CurTabPos = e.curPos;
    info->TopScreenLine = e.topLine;
    info->LeftPos = e.leftPos;
    info->TabSize = 8;
    info->CurState = e.modified ? ECSTATE_MODIFIED : 0;
}

int FillEditBufferString(const EditBuffer &e, EditorGetString *gs)
{
    int n = gs->StringNumber == -1 ? e.curLine : gs->StringNumber;
    if (n < 0 || n >= (int)e.lines.size()) return 0;
    const std::string &line = e.lines[(size_t)n];
    gs->StringText = line.c_str();
    gs->StringEOL = (size_t)n + 1 < e.lines.size() ? "\r\n" : "";
    gs->StringLength = (int)line.size();
    gs->SelStart = -1;
    gs->SelEnd = 0;
    return 1;
}

std::vector<std::string> SplitEditLines(const std::string &text)
{
    std::vector<std::string> lines;
    const char *p = text.data(), *end = p + text.size();
    for (;;) {
        const char *eol = p;
        while (eol < end && *eol != '\n' && *eol != '\r') eol++;
        lines.emplace_back(p, (size_t)(eol - p));
        if (eol == end) return lines;
        p = eol + (*eol == '\r' && eol + 1 < end && eol[1] == '\n' ? 2 : 1);
    }
}
