// rules.hpp - the rules the default highlighter uses
#ifndef QED_RULES_HPP
#define QED_RULES_HPP

#include "highlight.hpp"

namespace qed {

class KeywordRule : public Rule {
public:
    KeywordRule() : Rule(Keyword) {}
    int match(const char *text, int len, int at) const;
};

class CommentRule : public Rule {
public:
    CommentRule() : Rule(Comment) {}
    int match(const char *text, int len, int at) const;
};

class StringRule : public Rule {
public:
    StringRule() : Rule(String) {}
    int match(const char *text, int len, int at) const;
};

}

#endif
