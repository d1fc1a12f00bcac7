/* lookup: CollectMatches and ParseIndexLine over arbitrary index text and words.
   Input: the word, a '\n', one byte that answers the choice menu (0 cancels, otherwise the item
   it names modulo the count), then the index text. Every match must be a line that begins with
   the word (code page 866 case folded), at most 1024 of them; the chosen one is that line's. */
#include <string.h>

#include "fuzz.h"
#include "navigate/navigate.h"
#include "testhost/testhost.h"

static unsigned char answer;

static MenuChoice Choose(const HostCall &m)
{
    int n = (int)m.menuItems.size();
    if (answer == 0 || n == 0) return {-1, -1};
    return {answer % n, -1};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static BrowserState st;
    const uint8_t *nl = (const uint8_t *)memchr(data, '\n', size);
    if (nl == NULL || nl + 1 >= data + size) return 0;
    std::string word((const char *)data, (size_t)(nl - data));
    word = word.substr(0, word.find('\0'));
    if (word.size() >= 1024) return 0; /* the word comes from a 1024-byte buffer */
    answer = nl[1];
    std::string text((const char *)nl + 2, (size_t)(data + size - nl - 2));
    text = text.substr(0, text.find('\0')); /* read from a file into a NUL-terminated buffer */
    if (text.empty()) return 0;             /* an empty file is never searched */

    /* lines that begin with the word, and the fields each one parses to */
    std::vector<std::string> starting;
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        IndexMatch m;
        if (ParseIndexLine(line.c_str(), &m)) {
            if (memchr(m.name, 0, sizeof m.name) == NULL ||
                memchr(m.file, 0, sizeof m.file) == NULL ||
                memchr(m.menuText, 0, sizeof m.menuText) == NULL)
                FuzzFail("an unterminated field");
        }
        if (!word.empty() && FoldedCompareN(line.c_str(), word.c_str(), (int)word.size()) == 0)
            starting.push_back(line);
        at = end + 1;
    }

    FuzzBeginInput(&st, 0);
    ScriptMenuFn(Choose);
    int cancelled = 0;
    int chosen = CollectMatches(&st, word.c_str(), text.c_str(), &cancelled);
    if (st.matchCount < 0 || st.matchCount > 1024 || (size_t)st.matchCount > starting.size())
        FuzzFail("more matches than matching lines");
    if (word.empty() && (chosen || st.matchCount != 0)) FuzzFail("the empty word matched");
    if (chosen) {
        bool seen = false;
        for (const std::string &line : starting) {
            IndexMatch m;
            if (ParseIndexLine(line.c_str(), &m) && m.line == st.foundLine &&
                (IsPathOutsideIndex(m.file) ? st.candidatePath[0] == '\0'
                                            : strncmp(m.file, st.candidatePath, 259) == 0))
                seen = true;
            if (!ParseIndexLine(line.c_str(), &m) && st.candidatePath[0] == '\0') seen = true;
        }
        if (!seen) FuzzFail("the chosen match is no matching line");
    }
    if (memchr(st.candidatePath, 0, sizeof st.candidatePath) == NULL)
        FuzzFail("candidatePath unterminated");
    TestHostInstall(); /* the menu answer stays unused when there was no menu */
    FuzzEndInput(&st);
    return 0;
}
