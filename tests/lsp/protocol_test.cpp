// zolt lsp as a client meets it: one table of exchanges, good and bad input alike, each run
// through the server in this process over a byte stream, with the answers checked in order.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "lsp/lsp.h"
#include "testhost/testhost.h"

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

// The tree the rows ask about: an index in src/ (so the climb meets it before the root's), a
// source with a non-ASCII line, and a workspace index at the root.
struct Workspace {
    std::string root;
    Workspace()
    {
        char t[] = "/tmp/zoltlspXXXXXX";
        if (mkdtemp(t) != nullptr) root = t;
        fs::create_directories(root + "/src");
        Write("src/a.c", "int helper(void)\n{\n    return 0;\n}\n/* \xc3\xa9\xf0\x90\x90\x80 */ "
                         "int wide(void) { return helper(); }\n");
        Write("src/b.c", "int helper_two(void) { return 2; }\n");
        Write("src/zoltprj$.Far", "helper?a.c?1\r\nhelper_two?b.c?1\r\nwide?a.c?5\r\n");
        Write("zoltprj$.Far",
              "BufNew?src\\a.c?1\r\nbuf_free?src\\a.c?2\r\nhelper?src\\a.c?1\r\n"
              "helper_two?src\\b.c?1\r\nnewBuf?src\\a.c?3\r\nrebuffer?src\\b.c?1\r\n"
              "xbxuxf?src\\b.c?1\r\n");
    }
    ~Workspace()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void Write(const std::string &rel, const std::string &bytes) const
    {
        std::ofstream(root + "/" + rel, std::ios::binary) << bytes;
    }
    std::string Uri(const std::string &rel) const { return "file://" + root + "/" + rel; }
};

// Input: frames, raw bytes, or a header announcing `filler` bytes that are then made up as
// they are read (so an oversized body never exists in the test either).
struct Piece {
    std::string bytes;
    size_t filler = 0;
};
struct Input {
    std::vector<Piece> pieces;
    size_t piece = 0, at = 0;
};

long ReadInput(void *data, char *buf, size_t size)
{
    Input *in = (Input *)data;
    while (in->piece < in->pieces.size()) {
        Piece &p = in->pieces[in->piece];
        size_t total = p.filler > 0 ? p.filler : p.bytes.size();
        if (in->at < total) {
            size_t n = total - in->at < size ? total - in->at : size;
            if (p.filler > 0) memset(buf, ' ', n);
            else memcpy(buf, p.bytes.data() + in->at, n);
            in->at += n;
            return (long)n;
        }
        in->piece++;
        in->at = 0;
    }
    return 0;
}

void Collect(void *data, const std::string &frame)
{
    ((std::vector<std::string> *)data)->push_back(frame);
}

std::string Msg(const json &j)
{
    return MakeFrame(j.dump());
}
std::string Req(int id, const std::string &method, const json &params)
{
    return Msg({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
}
std::string Note(const std::string &method, const json &params)
{
    return Msg({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

// One expected answer: to id (a JSON text, "null" for none), an error code, or a result whose
// text holds every one of the fragments (an empty list: any result; "null": exactly null).
struct Answer {
    std::string id;
    int error;
    std::vector<std::string> holds;
};

struct Row {
    const char *name;
    std::vector<Piece> input;
    std::vector<Answer> answers;
    int status;
};

} // namespace

TEST(LspProtocol, EveryExchangeAnswersAsTheTableSays)
{
    TestHostInstall(); // the file-name masks the query core asks the host for
    Workspace w;
    ASSERT_FALSE(w.root.empty());
    json init = {
        {"processId", nullptr},
        {"rootUri", "file://" + w.root},
        {"capabilities",
         {{"textDocument", {{"documentSymbol", {{"hierarchicalDocumentSymbolSupport", true}}}}}}}};
    std::string a = w.Uri("src/a.c");
    std::string textA = "int helper(void)\n{\n    return 0;\n}\n/* \xc3\xa9\xf0\x90\x90\x80 */ int "
                        "wide(void) { return helper(); }\n";
    const Piece I{Req(1, "initialize", init)};
    auto open = [&](const std::string &text) {
        return Piece{Note(
            "textDocument/didOpen",
            {{"textDocument", {{"uri", a}, {"languageId", "c"}, {"version", 0}, {"text", text}}}})};
    };
    const Piece OPEN = open(textA);
    const Piece DOWN{Req(90, "shutdown", nullptr)};
    const Piece EXIT{Note("exit", nullptr)};
    const Answer OK1{"1", 0, {"\"positionEncoding\":\"utf-16\"", "\"openClose\":true"}};
    const Answer OK90{"90", 0, {"null"}};
    auto at = [&](int id, int line, int character) {
        return Piece{Req(id, "textDocument/definition",
                         {{"textDocument", {{"uri", a}}},
                          {"position", {{"line", line}, {"character", character}}}})};
    };
    auto sym = [&](int id, const json &params) {
        return Piece{Req(id, "workspace/symbol", params)};
    };

    const std::vector<Row> rows = {
        {"lifecycle: shutdown then exit is status 0", {I, DOWN, EXIT}, {OK1, OK90}, 0},
        {"exit without shutdown is status 1", {I, EXIT}, {OK1}, 1},
        {"the input ending without exit is status 1", {I}, {OK1}, 1},
        {"a client offering utf-8 gets it",
         {Piece{
              Req(1, "initialize",
                  {{"capabilities", {{"general", {{"positionEncodings", {"utf-16", "utf-8"}}}}}}})},
          DOWN, EXIT},
         {{"1", 0, {"\"positionEncoding\":\"utf-8\""}}, OK90},
         0},
        {"a request before initialize: -32002; a notification then: dropped",
         {Piece{Note("textDocument/didSave", {{"textDocument", {{"uri", a}}}})},
          Piece{Req(5, "workspace/symbol", {{"query", "x"}})}, I, DOWN, EXIT},
         {{"5", -32002, {}}, OK1, OK90},
         0},
        {"exit before initialize is status 1", {EXIT}, {}, 1},
        {"a second initialize: -32600",
         {I, Piece{Req(2, "initialize", init)}, DOWN, EXIT},
         {OK1, {"2", -32600, {}}, OK90},
         0},
        {"requests after shutdown: -32600",
         {I, DOWN, sym(3, {{"query", "x"}}), EXIT},
         {OK1, OK90, {"3", -32600, {}}},
         0},
        {"malformed JSON: -32700, and the next request is served",
         {I, Piece{MakeFrame("{\"jsonrpc\":\"2.0\",\"id\":4,")}, sym(4, {{"query", "helper"}}),
          DOWN, EXIT},
         {OK1, {"null", -32700, {}}, {"4", 0, {"\"name\":\"helper\""}}, OK90},
         0},
        {"invalid UTF-8 inside a string: -32700",
         {I,
          Piece{MakeFrame("{\"jsonrpc\":\"2.0\",\"id\":4,\"method\":\"workspace/"
                          "symbol\",\"params\":{\"query\":\"\xff\"}}")},
          DOWN, EXIT},
         {OK1, {"null", -32700, {}}, OK90},
         0},
        {"a header without Content-Length: -32700, resynchronised",
         {I, Piece{"Content-Type: utf-8\r\n\r\n"}, DOWN, EXIT},
         {OK1, {"null", -32700, {}}, OK90},
         0},
        {"a Content-Length that is no number: -32700",
         {I, Piece{"Content-Length: 12x\r\n\r\n"}, DOWN, EXIT},
         {OK1, {"null", -32700, {}}, OK90},
         0},
        {"stray bytes before a header are passed over",
         {I, Piece{"garbage\r\n"}, DOWN, EXIT},
         {OK1, OK90},
         0},
        {"a body over the bound is refused unread, and serving goes on",
         {I, Piece{"Content-Length: " + std::to_string(LSP_MESSAGE_MAX + 1) + "\r\n\r\n"},
          Piece{"", (size_t)LSP_MESSAGE_MAX + 1}, DOWN, EXIT},
         {OK1, {"null", -32600, {}}, OK90},
         0},
        {"a frame cut short by the end of input ends the server",
         {I, Piece{"Content-Length: 50\r\n\r\n{\"jsonrpc\""}},
         {OK1},
         1},
        {"a batch: -32600",
         {I,
          Piece{MakeFrame(
              "[" + json({{"jsonrpc", "2.0"}, {"id", 7}, {"method", "shutdown"}}).dump() + "]")},
          DOWN, EXIT},
         {OK1, {"null", -32600, {}}, OK90},
         0},
        {"an id that is an object: -32600 to id null",
         {I, Piece{Msg({{"jsonrpc", "2.0"}, {"id", {{"x", 1}}}, {"method", "shutdown"}})}, DOWN,
          EXIT},
         {OK1, {"null", -32600, {}}, OK90},
         0},
        {"a string id comes back as a string",
         {I, Piece{Msg({{"jsonrpc", "2.0"}, {"id", "s1"}, {"method", "nosuch"}})}, DOWN, EXIT},
         {OK1, {"\"s1\"", -32601, {}}, OK90},
         0},
        {"unknown methods: -32601; an unknown $/ notification is ignored",
         {I, Piece{Note("$/setTrace", {{"value", "off"}})},
          Piece{Req(8, "$/unknown", json::object())}, DOWN, EXIT},
         {OK1, {"8", -32601, {}}, OK90},
         0},
        {"invalid params: -32602 for each",
         {I, Piece{Req(9, "textDocument/definition", {{"textDocument", 3}})}, at(10, -1, 0),
          sym(11, {{"query", 5}}), sym(12, {{"query", "x"}, {"limit", -1}}),
          Piece{Req(13, "textDocument/documentSymbol", json::array())}, DOWN, EXIT},
         {OK1,
          {"9", -32602, {}},
          {"10", -32602, {}},
          {"11", -32602, {}},
          {"12", -32602, {}},
          {"13", -32602, {}},
          OK90},
         0},
        {"a request cancelled before it is served: -32800",
         {I, Piece{Note("$/cancelRequest", {{"id", 14}})}, sym(14, {{"query", "helper"}}), DOWN,
          EXIT},
         {OK1, {"14", -32800, {}}, OK90},
         0},
        {"definition: the edited text first, then the index of the file's directory",
         {I, OPEN, at(15, 4, 36), at(16, 0, 6), DOWN, EXIT},
         {OK1,
          {"15",
           0,
           {"[{\"range\":{\"end\":{\"character\":10,\"line\":0},\"start\":{\"character\":4,"
            "\"line\":0}},\"uri\":\"file://" +
            w.root + "/src/a.c\"}]"}},
          {"16", 0, {"{\"character\":4,\"line\":0}"}},
          OK90},
         0},
        {"definition: the range counts UTF-16 units on a non-ASCII line",
         {I, OPEN, at(17, 4, 15), DOWN, EXIT},
         {OK1,
          {"17",
           0,
           {"\"end\":{\"character\":18,\"line\":4},\"start\":{\"character\":14,\"line\":4}"}},
          OK90},
         0},
        {"definition: no exact name, the prefix matches Go to definition offers",
         {I, open("help\n"), at(18, 0, 1), DOWN, EXIT},
         {OK1, {"18", 0, {"src/a.c", "src/b.c"}}, OK90},
         0},
        {"definition: no word, a document outside every index, another scheme: null",
         {I, OPEN, at(19, 1, 0),
          Piece{Req(20, "textDocument/definition",
                    {{"textDocument", {{"uri", "file:///nonexistent/x.c"}}},
                     {"position", {{"line", 0}, {"character", 0}}}})},
          Piece{Req(21, "textDocument/definition",
                    {{"textDocument", {{"uri", "untitled:1"}}},
                     {"position", {{"line", 0}, {"character", 0}}}})},
          DOWN, EXIT},
         {OK1, {"19", 0, {"null"}}, {"20", 0, {"null"}}, {"21", 0, {"null"}}, OK90},
         0},
        {"workspace/symbol ranks exact, prefix, word start, substring, characters in order",
         {I, sym(22, {{"query", "buf"}}), sym(23, {{"query", "BUF"}, {"limit", 2}}), DOWN, EXIT},
         {OK1,
          {"22", 0, {"names:BufNew,buf_free,newBuf,rebuffer,xbxuxf", "\"kind\":13", "/src/a.c\""}},
          {"23", 0, {"names:BufNew,buf_free"}},
          OK90},
         0},
        {"workspace/symbol: an empty query gives the first entries by name",
         {I, sym(25, {{"query", ""}, {"limit", 3}}), DOWN, EXIT},
         {OK1, {"25", 0, {"names:BufNew,buf_free,helper"}}, OK90},
         0},
        {"didChange replaces the whole text; didClose goes back to the file on disk",
         {I, open("help\n"),
          Piece{Note("textDocument/didChange",
                     {{"textDocument", {{"uri", a}, {"version", 1}}},
                      {"contentChanges", {{{"text", "\n\n\n\nint wide(void) { return 0; }\n"}}}}})},
          at(26, 4, 5), Piece{Note("textDocument/didClose", {{"textDocument", {{"uri", a}}}})},
          at(27, 4, 36), DOWN, EXIT},
         {OK1,
          {"26", 0, {"\"start\":{\"character\":4,\"line\":4}"}},
          {"27", 0, {"\"start\":{\"character\":4,\"line\":0}"}},
          OK90},
         0},
        {"documentSymbol: the open text as the editor's Browse scans it, with kinds",
         {I, OPEN, Piece{Req(24, "textDocument/documentSymbol", {{"textDocument", {{"uri", a}}}})},
          DOWN, EXIT},
         {OK1, {"24", 0, {"{\"kind\":12,\"name\":\"helper\"", "\"name\":\"wide\""}}, OK90},
         0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Input in;
        in.pieces = row.input;
        FrameReader *reader = new FrameReader;
        StartFrameReader(reader, ReadInput, &in);
        std::vector<std::string> out;
        int status = ServeLsp(reader, Collect, &out, "/nonexistent/zolt");
        delete reader;
        EXPECT_EQ(status, row.status);
        std::vector<json> answers;
        for (const std::string &frame : out) {
            size_t body = frame.find("\r\n\r\n");
            ASSERT_NE(body, std::string::npos);
            ASSERT_EQ(frame.compare(0, 16, "Content-Length: "), 0);
            EXPECT_EQ(std::stoul(frame.substr(16, body - 16)), frame.size() - body - 4);
            json m = json::parse(frame.substr(body + 4));
            if (!m.contains("method")) answers.push_back(m); // progress and its requests aside
        }
        ASSERT_EQ(answers.size(), row.answers.size());
        for (size_t i = 0; i < answers.size(); i++) {
            const json &m = answers[i];
            const Answer &want = row.answers[i];
            EXPECT_EQ(m["id"].dump(), want.id) << m.dump();
            if (want.error != 0) {
                EXPECT_EQ(m.value("error", json::object()).value("code", 0), want.error)
                    << m.dump();
                continue;
            }
            ASSERT_TRUE(m.contains("result")) << m.dump();
            std::string result = m["result"].dump();
            for (const std::string &part : want.holds) {
                if (part.compare(0, 6, "names:") == 0) {
                    std::string names;
                    for (const json &item : m["result"])
                        names += (names.empty() ? "" : ",") + item.value("name", std::string());
                    EXPECT_EQ(names, part.substr(6));
                } else if (part == "null") {
                    EXPECT_EQ(result, "null");
                } else {
                    EXPECT_NE(result.find(part), std::string::npos) << part << " in " << result;
                }
            }
        }
    }
}

TEST(LspText, PositionsCountUtf16UnitsAndUriBytesSurviveTheRoundTrip)
{
    const char line[] = "\xc3\xa9\xf0\x90\x90\x80x\xff!"; // é, U+10400, x, a bad byte, !
    size_t n = sizeof line - 1;
    struct {
        size_t character, byte;
    } utf16[] = {{0, 0}, {1, 2}, {2, 2}, {3, 6}, {4, 7}, {5, 8}, {99, 9}};
    for (auto &c : utf16) {
        EXPECT_EQ(ByteOfCharacter(line, n, c.character, 1), c.byte) << c.character;
        if (c.character != 2 && c.character != 99) {
            EXPECT_EQ(CharacterOfByte(line, n, c.byte, 1), c.character);
        }
    }
    EXPECT_EQ(ByteOfCharacter(line, n, 3, 0), 3u);
    size_t start, length;
    std::string text = "a\r\nbb\rccc\n";
    ASSERT_TRUE(FindTextLine(text, 2, &start, &length));
    EXPECT_EQ(text.substr(start, length), "ccc");
    EXPECT_FALSE(FindTextLine(text, 5, &start, &length));
    std::string path;
    ASSERT_EQ(UriToPath(PathToUri("/a b/\xd0\x99%#?.c"), &path), 0);
    EXPECT_EQ(path, "/a b/\xd0\x99%#?.c");
    EXPECT_EQ(UriToPath("file:\\/\\/\\/x", &path), -1);
    EXPECT_EQ(UriToPath("file:///a%00b", &path), -1);
    EXPECT_EQ(UriToPath("file:///a%2", &path), -1);
    EXPECT_EQ(UriToPath("http://h/a", &path), -1);
}
