// highlight.cpp - the highlighter and its plugin glue
#include "highlight.hpp"
#include "rules.hpp"

extern "C" {
#include "plugin.h"
}

namespace qed {

Highlighter::Highlighter()
{
    addRule(new KeywordRule);
    addRule(new CommentRule);
    addRule(new StringRule);
}

Highlighter::~Highlighter()
{
    for (size_t i = 0; i < rules_.size(); i++)
        delete rules_[i];
}

void Highlighter::addRule(Rule *rule)
{
    rules_.push_back(rule);
}

std::vector<Span> Highlighter::line(const LINE *l) const
{
    std::vector<Span> spans;
    int len = (int)l->text.len;

    for (int at = 0; at < len;) {
        int best = 0;
        Color color = Plain;
        for (size_t i = 0; i < rules_.size(); i++) {
            int n = rules_[i]->match(l->text.data, len, at);
            if (n > best) {
                best = n;
                color = rules_[i]->color();
            }
        }
        if (best == 0) {
            at++;
            continue;
        }
        Span s = { at, best, color };
        spans.push_back(s);
        at += best;
    }
    return spans;
}

Highlighter &Highlighter::forFile(const char *)
{
    static Highlighter c;
    return c;
}

}

static int highlight_line(BUFFER *b, long n)
{
    const LINE *l = buf_line(b, n);
    return l ? (int)qed::Highlighter::forFile(b->filename).line(l).size() : 0;
}

static QED_PLUGIN highlight = { PLUGIN_API_VERSION, "highlight", 0, highlight_line, 0 };

extern "C" QED_PLUGIN *highlight_plugin(void)
{
    return &highlight;
}
