/* editbuffer1.h: the in-memory editor's answers to the 1.x (ANSI) host's editor commands. */
#ifndef ZOLT_HOSTS_COMMON_EDITBUFFER1_H
#define ZOLT_HOSTS_COMMON_EDITBUFFER1_H

#include "common/editbuffer.h"
#include "host/farapi.h"

int ClampToLines(const EditBuffer &e, int line); /* the nearest existing line */
/* ECTL_GETINFO: identity, window, cursor, TabSize 8 and CurTabPos = CurPos (tabs are not
   expanded); every other field 0. */
void FillEditBufferInfo(const EditBuffer &e, EditorInfo *info);
/* ECTL_GETSTRING: line StringNumber (-1: the cursor's); its end CR LF except on the last line,
   no selection (SelStart -1, SelEnd 0). 0 when the line does not exist. The text stays valid
   while the buffer's lines do. */
int FillEditBufferString(const EditBuffer &e, EditorGetString *gs);
/* Lines of a text split at CR LF, LF or CR; a text ending in a line end has an empty last line,
   and the empty text one empty line. */
std::vector<std::string> SplitEditLines(const std::string &text);

#endif
