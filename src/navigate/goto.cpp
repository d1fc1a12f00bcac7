/* goto.cpp: placing the editor cursor on a definition. */
#include <math.h>
#include <string.h>

#include "host/host.h"
#include "navigate/navigate.h"

void PositionEditor(const EditorInfo *info, int line, int col)
{
    EditorSetPosition esp;
    esp.CurLine = line;
    esp.CurPos = col;
    esp.CurTabPos = -1;
    esp.Overtype = -1;
    int h = info->WindowSizeY, w = info->WindowSizeX;
    /* the target shows three quarters down the window, where the text after it stays visible */
    int q = (int)floor(h * 0.25 * 3.0 + 0.5);
    int top = line - q < 0 ? 0 : line - q;
    int offset = line - info->TopScreenLine;
    esp.TopScreenLine = (offset < 0 || offset >= h) ? top : info->TopScreenLine;
    int left = col - w / 2 < 0 ? 0 : col - w / 2;
    esp.LeftPos = col < info->LeftPos ? left : -1;
    (void)HostEditorControl(ECTL_SETPOSITION, &esp);
}
