// rules.cpp - keywords, comments and string literals
#include <string.h>

#include "rules.hpp"

namespace qed {

static const char *const keywords[] = {
    "if", "else", "while", "for", "do", "return", "switch", "case", "break",
    "struct", "union", "enum", "typedef", "static", "const", "class", "namespace", 0
};

int KeywordRule::match(const char *text, int len, int at) const
{
    if (at > 0 && isWordChar(text[at - 1]))
        return 0;
    for (int i = 0; keywords[i]; i++) {
        int n = (int)strlen(keywords[i]);
        if (at + n <= len && strncmp(text + at, keywords[i], n) == 0 &&
            (at + n == len || !isWordChar(text[at + n])))
            return n;
    }
    return 0;
}

int CommentRule::match(const char *text, int len, int at) const
{
    if (at + 1 < len && text[at] == '/' && text[at + 1] == '/')
        return len - at;
    return 0;
}

int StringRule::match(const char *text, int len, int at) const
{
    if (text[at] != '"')
        return 0;
    for (int i = at + 1; i < len; i++) {
        if (text[i] == '\\')
            i++;
        else if (text[i] == '"')
            return i - at + 1;
    }
    return len - at;
}

}
