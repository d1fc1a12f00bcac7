/* editbuffer.h: the in-memory editor the scripted hosts keep (batch, test and Windows test
   hosts): lines, cursor and window, on a stack whose top is the current editor. It is read and
   positioned, never edited; the terminal host's editor edits and keeps its own buffer. The
   answers to the 1.x editor commands are in editbuffer1.h. */
#ifndef ZOLT_HOSTS_COMMON_EDITBUFFER_H
#define ZOLT_HOSTS_COMMON_EDITBUFFER_H

#include <string>
#include <vector>

struct EditBuffer {
    int id = 0;                     /* EditorID: 1, 2, ... in the order a stack opens them */
    std::string fileName;           /* as the plugin names files: backslash path */
    std::vector<std::string> lines; /* bytes as given, without line ends; never empty */
    int curLine = 0, curPos = 0;    /* 0-based */
    int topLine = 0, leftPos = 0;
    int width = 80, height = 24; /* the window */
    int modified = 0;            /* changed since it was opened or saved */
};

/* Nested modal editors; Buffer is EditBuffer or a host's record built on it. */
template <class Buffer>
struct EditStack {
    std::vector<Buffer> open; /* back() is the current editor */
    int nextId = 1;

    /* Opens an editor over lines (an empty list gets one empty line) with the cursor at the
       top. The pointer lasts until the next push or pop. */
    Buffer *Push(const std::string &fileName, const std::vector<std::string> &lines)
    {
        Buffer e;
        e.id = nextId++;
        e.fileName = fileName;
        e.lines = lines;
        if (e.lines.empty()) e.lines.emplace_back(); /* an editor always has a line */
        open.push_back(e);
        return &open.back();
    }
    void Pop()
    {
        if (!open.empty()) open.pop_back();
    }
    Buffer *Top() { return open.empty() ? nullptr : &open.back(); }
    void Reset()
    {
        open.clear();
        nextId = 1;
    }
};

#endif
