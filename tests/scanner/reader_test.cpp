// Character reader: the value sequence and line count it delivers, from a file and from the editor.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "host/host.h"
#include "scanner/scanner_p.h"
#include "state/state.h"

namespace {

// A minimal editor behind EditorControl: enough for the reader's line-by-line fetch.
std::vector<std::string> g_lines;
int g_getStringCalls;

int FARAPI FakeEditorControl(int command, void *param)
{
    if (command != ECTL_GETSTRING) return 0;
    auto *egs = static_cast<EditorGetString *>(param);
    g_getStringCalls++;
    if (egs->StringNumber < 0 || egs->StringNumber >= (int)g_lines.size()) return 0;
    egs->StringText = g_lines[(size_t)egs->StringNumber].data();
    egs->StringLength = (int)g_lines[(size_t)egs->StringNumber].size();
    egs->StringEOL = "\n";
    return 1;
}

std::string Token(int c)
{
    switch (c) {
    case SCAN_EOF: return "{EOF}";
    case SCAN_BRACE_BLOCK: return "{BRACE}";
    case SCAN_PAREN_GROUP: return "{PAREN}";
    case SCAN_LITERAL: return "{LIT}";
    case SCAN_BRACKET_GROUP: return "{BRACKET}";
    case SCAN_DEFINE: return "{DEF}";
    case '\n': return "\\n";
    default: return std::string(1, (char)c);
    }
}

struct Delivery {
    std::string values; // tokens, a define shown with its line: {DEF@3:define N 10}
    int lineNo;
};

typedef int (*Layer)(Source *, BrowserState *);

Delivery ReadAll(Source *src, BrowserState *st, Layer layer)
{
    Delivery d;
    st->lineNo = 1;
    for (int guard = 0; guard < 100000; guard++) {
        int c = layer(src, st);
        if (c == SCAN_DEFINE)
            d.values += "{DEF@" + std::to_string(st->lineNo) + ":" + st->defineText + "}";
        else d.values += Token(c);
        if (c == SCAN_EOF) break;
    }
    d.lineNo = st->lineNo;
    return d;
}

std::string TempFileWith(const std::string &text)
{
    char path[] = "/tmp/zolt-reader-XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, text.data(), text.size()), (ssize_t)text.size());
    close(fd);
    return path;
}

Delivery FromFile(const std::string &text, Layer layer = NextStatementChar)
{
    std::string path = TempFileWith(text);
    static BrowserState st;
    memset(&st, 0, sizeof st);
    static Source src;
    EXPECT_EQ(SourceOpen(&src, path.c_str()), 0);
    Delivery d = ReadAll(&src, &st, layer);
    SourceClose(&src);
    unlink(path.c_str());
    return d;
}

Delivery FromEditor(const std::string &text, Layer layer = NextStatementChar)
{
    g_lines.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        g_lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    info.EditorControl = FakeEditorControl;
    InstallHostRecord(&info);
    static BrowserState st;
    memset(&st, 0, sizeof st);
    st.fromEditor = 1;
    static Source src;
    memset(&src, 0, sizeof src);
    return ReadAll(&src, &st, layer);
}

struct Row {
    const char *what;
    std::string text;
    std::string values;
    int lineNo;
    bool fileOnly = false; // bytes the editor delivers as they are (CR, NUL) or no final line end
};

const Row kRows[] = {
    {"slash and star alone", "a/b a*b\n", "a/b a*b\\n{EOF}", 2},
    {"slash before line end", "a /\nb\n", "a /\\nb\\n{EOF}", 3},
    {"line comment keeps its line end", "a // note\nb\n", "a \\nb\\n{EOF}", 3},
    {"block comment counts its lines", "a/* x\ny\n*/b\n", "ab\\n{EOF}", 4},
    {"nested block comment", "a/* /* */ still */b\n", "ab\\n{EOF}", 2},
    {"unclosed inner comment swallows the rest", "a/* /* */ b\nc\n", "a{EOF}", 3},
    {"two slashes inside block comment", "a/* // */b\n", "ab\\n{EOF}", 2},
    {"lone slash at the end", "a/", "a{EOF}", 1, true},
    {"star-slash outside a comment", "a */ b\n", "a */ b\\n{EOF}", 2},
    {"star-slash-slash opens a line comment", "a *//x\nb\n", "a *\\nb\\n{EOF}", 3},
    {"comment marker inside a string", "s = \"http://x\";\nint b;\n", "s ;\\nint b;\\n{EOF}", 3},
    {"comment marker in a string before a call", "f(\"a//b\"); g\n", "f{PAREN}; g\\n{EOF}", 2},
    {"slash-star inside a string", "x \"/*\" y\n", "x {LIT} y\\n{EOF}", 2},
    {"comment marker in a character literal", "c '/' /x\n", "c {LIT} /x\\n{EOF}", 2},
    {"escaped quotes", "'\\'' \"a\\\"b\" z\n", "{LIT} {LIT} z\\n{EOF}", 2},
    {"literal over two lines", "\"a\nb\" z\n", "{LIT} z\\n{EOF}", 3},
    {"splice", "x\\\ny\n", "xy\\n{EOF}", 3},
    {"backslash not before a line end", "x\\y\n", "x\\y\\n{EOF}", 2},
    {"splice inside a name across CR LF", "ab\\\r\ncd\r\n", "abcd\\n{EOF}", 3, true},
    {"CR LF and lone CR end lines", "a\r\nb\rc", "a\\nb\\nc{EOF}", 3, true},
    {"lone CR at the end", "a\r", "a\\n{EOF}", 2, true},
    {"backslash at the end", "a\\", "a\\{EOF}", 1, true},
    {"NUL ends a line", std::string("a\0b\n", 4), "a\\nb\\n{EOF}", 3, true},
    {"include directive vanishes", "#include <a.h>\nint\n", "int\\n{EOF}", 3},
    {"define is captured", "#define N 10\nx\n", "{DEF@2:define N 10}x\\n{EOF}", 3},
    {"define with a string value", "#define S \"s\"\n", "{DEF@2:define S \xFC}{EOF}", 2},
    {"blank after hash is any directive", "# define N 10\nx\n", "x\\n{EOF}", 3},
    {"define on the last line without line end", "#define N 1", "{EOF}", 1, true},
    {"directive brackets never count", "#if (a\nx(b)\n", "x{PAREN}\\n{EOF}", 3},
    {"hash inside a line", "a #pragma x\nb\n", "a b\\n{EOF}", 3},
    {"cplusplus guard passes one brace", "#ifdef __cplusplus\nextern \"C\" {\nint f();\n}\n",
     "\\nextern {LIT} {\\nint f{PAREN};\\n}\\n{EOF}", 5},
    {"ifndef never sets the guard", "#ifndef __cplusplus\n{ x }\n", "{BRACE}\\n{EOF}", 3},
    {"initializer folds to its semicolon", "int v[3] = {1, 2, 3};\n", "int v{BRACKET} ;\\n{EOF}",
     2},
    {"later declarators vanish with the initializer", "int a = 1, b = 2;\n", "int a ;\\n{EOF}", 2},
    {"literal protects brackets", "f(a, \")\", (b))\n", "f{PAREN}\\n{EOF}", 2},
    {"stray closers are characters", ") ] }\n", ") ] }\\n{EOF}", 2},
    {"brace block hides a define", "{\n#define X 1\n}\ny\n", "{BRACE}\\ny\\n{EOF}", 5},
    {"unbalanced group ends the input", "f(a\n", "f{EOF}", 2},
};

TEST(Reader, FileMode)
{
    for (const Row &r : kRows) {
        Delivery d = FromFile(r.text);
        EXPECT_EQ(d.values, r.values) << r.what;
        EXPECT_EQ(d.lineNo, r.lineNo) << r.what;
    }
}

TEST(Reader, EditorModeDeliversTheSame)
{
    for (const Row &r : kRows) {
        if (r.fileOnly) continue;
        Delivery d = FromEditor(r.text);
        EXPECT_EQ(d.values, r.values) << r.what;
        EXPECT_EQ(d.lineNo, r.lineNo) << r.what;
    }
}

TEST(Reader, EditorLinesEndOnceEach)
{
    g_getStringCalls = 0;
    std::string text = "ab\n\n"; // two editor lines: "ab" and ""
    Delivery d = FromEditor(text, NextRawChar);
    EXPECT_EQ(d.values, "ab\\n\\n{EOF}");
    EXPECT_EQ(g_getStringCalls, 3); // two lines and the refusal
}

TEST(Reader, EditorModeDeliversCrAndNulAsTheyAre)
{
    Delivery d = FromEditor(std::string("a\rb\0c", 5), NextRawChar);
    EXPECT_EQ(d.values, std::string("a\rb\0c\\n{EOF}", 12));
}

TEST(Reader, StepBackInBothModes)
{
    // Step back over a line end delivered from CR LF, and over an editor line end.
    for (int editor = 0; editor < 2; editor++) {
        static BrowserState st;
        static Source src;
        memset(&st, 0, sizeof st);
        memset(&src, 0, sizeof src);
        std::string path;
        if (editor) {
            FromEditor("ab\ncd\n");
            memset(&st, 0, sizeof st);
            st.fromEditor = 1;
        } else {
            path = TempFileWith("ab\r\ncd");
            ASSERT_EQ(SourceOpen(&src, path.c_str()), 0);
        }
        std::string got;
        int c;
        for (int i = 0; i < 3; i++) got += Token(NextRawChar(&src, &st)); // a b \n
        EXPECT_EQ(UngetChar('\n', &src, &st), 0);
        got += Token(NextRawChar(&src, &st)); // \n again
        c = NextRawChar(&src, &st);           // c
        got += Token(c);
        EXPECT_EQ(UngetChar(c, &src, &st), 0);
        got += Token(NextRawChar(&src, &st));
        EXPECT_EQ(got, "ab\\n\\ncc") << (editor ? "editor" : "file");
        EXPECT_EQ(UngetChar(SCAN_EOF, &src, &st), 0);
        if (!editor) {
            SourceClose(&src);
            unlink(path.c_str());
        }
    }
}

TEST(Reader, StepBackBeforeTheFirstEditorLineFails)
{
    FromEditor("ab\n");
    static BrowserState st;
    memset(&st, 0, sizeof st);
    st.fromEditor = 1;
    Source src;
    memset(&src, 0, sizeof src);
    EXPECT_EQ(UngetChar('x', &src, &st), -1);
    EXPECT_EQ(st.edLine, 0);
    EXPECT_EQ(NextRawChar(&src, &st), 'a');
}

TEST(Reader, DirectiveLineIsBounded)
{
    std::string text = "#define LONG " + std::string(9000, 'x') + "\nz\n";
    Delivery d = FromFile(text);
    // The first 8192 bytes are the define; the rest of the line comes back as text.
    std::string define = "define LONG " + std::string(8192 - 12, 'x');
    std::string expected =
        "{DEF@1:" + define + "}" + std::string(9000 - (8192 - 12), 'x') + "\\nz\\n{EOF}";
    EXPECT_EQ(d.values, expected);
}

TEST(Reader, GuardCarriesIntoTheNextSource)
{
    static BrowserState st;
    memset(&st, 0, sizeof st);
    static Source src;
    std::string first = TempFileWith("#ifdef __cplusplus\n");
    std::string second = TempFileWith("{ int f(); }\n");
    ASSERT_EQ(SourceOpen(&src, first.c_str()), 0);
    ReadAll(&src, &st, NextStatementChar);
    SourceClose(&src);
    EXPECT_EQ(st.cplusplusGuard, 1);
    ASSERT_EQ(SourceOpen(&src, second.c_str()), 0);
    Delivery d = ReadAll(&src, &st, NextStatementChar);
    SourceClose(&src);
    EXPECT_EQ(d.values, "{ int f{PAREN}; }\\n{EOF}");
    EXPECT_EQ(st.cplusplusGuard, 0);
    unlink(first.c_str());
    unlink(second.c_str());
}

TEST(Reader, ChoppedInputsEndCleanly)
{
    // Every prefix of every row must reach the end without overrun or endless loop.
    for (const Row &r : kRows)
        for (size_t n = 0; n <= r.text.size(); n++) {
            Delivery d = FromFile(r.text.substr(0, n));
            ASSERT_FALSE(d.values.empty());
            EXPECT_EQ(d.values.substr(d.values.size() - 5), "{EOF}") << r.what << " cut at " << n;
        }
}

} // namespace
