// highlight.hpp - syntax highlighting for C-like languages
#ifndef QED_HIGHLIGHT_HPP
#define QED_HIGHLIGHT_HPP

#include <string>
#include <vector>

extern "C" {
#include "buffer.h"
}

namespace qed {

enum Color { Plain, Keyword, Comment, String, Number };

struct Span {
    int start;
    int length;
    Color color;
};

class Rule {
public:
    virtual ~Rule() {}
    virtual int match(const char *text, int len, int at) const = 0;
    Color color() const { return color_; }
protected:
    explicit Rule(Color c) : color_(c) {}
private:
    Color color_;
};

class Highlighter {
public:
    Highlighter();
    ~Highlighter();
    void addRule(Rule *rule);
    std::vector<Span> line(const LINE *l) const;
    static Highlighter &forFile(const char *filename);
private:
    std::vector<Rule *> rules_;
};

inline bool isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}

#endif
