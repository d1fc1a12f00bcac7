/* testhost_p.h: the test host's one state object, shared by its service files. */
#ifndef ZOLT_TESTHOST_TESTHOST_P_H
#define ZOLT_TESTHOST_TESTHOST_P_H

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "testhost/testhost.h"

struct MenuAnswer {
    enum { BY_INDEX, BY_TEXT, BY_FN, BY_KEY } how;
    MenuChoice choice;
    std::string text;
    std::function<MenuChoice(const HostCall &)> fn;
    int vk, modifiers;
};

struct DialogAnswer {
    int closeIndex;
    DialogEdit edit;
};

struct TestHostState {
    std::vector<HostCall> calls;
    std::vector<std::string> errors;
    std::map<int, std::string> texts; /* node-based: GetMsg pointers survive other inserts */
    std::deque<MenuAnswer> menus;
    std::deque<DialogAnswer> dialogs;
    std::deque<int> messages;
    std::deque<std::function<int(const HostCall &)>> editorScripts;
    std::vector<bool> screenRestored; /* per SaveScreen handle, in issue order */
    EditStack<TestEditor> editors;
    int reads = 0;
    bool hasOemTable = false;
    unsigned char oemTable[256] = {};
    /* GETSTRING text: exactly StringLength bytes, no terminator, freed by the next editor call,
       so the sanitizer catches a plugin that reads past it or keeps it too long */
    std::unique_ptr<char[]> lineText;
};

extern TestHostState g_test;

/* Appends a call (its text already built) and returns its index in g_test.calls. */
size_t RecordCall(const HostCall &call);
void HostError(const std::string &what); /* records a broken rule or a script miss */
void CheckModule(const char *service, int module);
std::string Quote(const char *s);            /* "text" with control bytes escaped, or null */
std::string QuoteN(const char *s, size_t n); /* the same for n bytes */
std::string Hex(unsigned v);

/* services living in testmenu.cpp and testeditor.cpp */
int FARAPI TestMenu(int module, int x, int y, int maxHeight, FarDword flags, const char *title,
                    const char *bottom, const char *help, const int *breakKeys, int *breakCode,
                    const FarMenuItem *items, int count);
int FARAPI TestDialog(int module, int x1, int y1, int x2, int y2, const char *help,
                      FarDialogItem *items, int count);
int FARAPI TestEditorOpen(const char *fileName, const char *title, int x1, int y1, int x2, int y2,
                          FarDword flags, int startLine, int startChar);
int FARAPI TestEditorControl(int command, void *param);

#endif
