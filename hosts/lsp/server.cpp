/* server.cpp: the language server: lifecycle, documents, the three queries, background builds. */
#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/alloc.h"
#include "base/limits.h"
#include "index/index.h"
#include "lsp/lsp.h"
#include "navigate/navigate.h"
#include "platform/platform.h"
#include "settings/settings.h"

extern char **environ;

using json = nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

enum {
    ERR_PARSE = -32700,
    ERR_INVALID_REQUEST = -32600,
    ERR_METHOD = -32601,
    ERR_PARAMS = -32602,
    ERR_INTERNAL = -32603,
    ERR_NOT_INITIALIZED = -32002,
    ERR_CANCELLED = -32800
};
enum {
    SYMBOL_CAP = 100,                    /* workspace/symbol answers at most this many by default */
    SYMBOL_CAP_MAX = 10000,              /* and never more, whatever limit the client sends */
    DEFINITION_MAX = 1024,               /* locations of one definition answer */
    RANGES_READ = 64,                    /* of which the name's columns are read from their line */
    DEBOUNCE_MS = 300,                   /* a save starts a build this long after the last one */
    DOCUMENT_FILE_MAX = 64 * 1024 * 1024 /* a file read from disk for a query */
};
/* SymbolKind values used */
enum {
    KIND_CLASS = 5,
    KIND_ENUM = 10,
    KIND_FUNCTION = 12,
    KIND_VARIABLE = 13,
    KIND_CONSTANT = 14,
    KIND_STRUCT = 23,
    KIND_TYPE_PARAMETER = 26
};

struct LspError {
    int code;
    std::string message;
};

/* A message read, or the error the reader found in place of one: answered in turn, so that the
   answers keep the order of what came in. */
struct Incoming {
    json message;
    int error = 0;
    std::string errorText;
};

/* A workspace folder: its project index's names, loaded in the background, and its builds. */
struct Root {
    std::string native;
    std::string plugin;
    std::mutex m;
    std::condition_variable loaded;
    std::shared_ptr<NameTable> table;
    bool loading = false;
    int loadResult = -1; /* NameTableLoad of the last load, -1 before one */
    off_t tableSize = -1;
    long long tableTime = 0; /* the index file's write time (ns) when its names were read */
    /* builds: only the builder thread and the worker's scheduling touch these, under m */
    Clock::time_point due;
    bool scheduled = false;
    pid_t child = -1;
    int childOut = -1;
    std::string progressToken;
    std::string progressRequest; /* our create request's id while its answer is awaited */
    bool progressBegun = false;
};

std::string IndexFileOf(const std::string &dir)
{
    return (dir == "/" ? "" : dir) + "/" PROJECT_INDEX_NAME;
}

void FreeTable(NameTable *t)
{
    FreeNameTable(t);
    delete t;
}

struct Server {
    FrameWrite write;
    void *writeData;
    std::mutex writeMutex;
    std::string zolt;

    int state = 0; /* 0 before initialize, 1 running, 2 after shutdown */
    bool utf16 = true;
    bool clientProgress = false;
    bool hierarchical = false;
    bool watchRegistration = false; /* the client watches files for us when asked to */
    std::atomic<long> clientPid{0}; /* the editor's process: the server ends when it is gone */
    std::set<int> documentKinds, workspaceKinds; /* empty: only kinds 1 to 18 are safe */
    std::vector<std::shared_ptr<Root>> roots;
    std::map<std::string, std::string> docs; /* native path: current text (worker only) */
    int includeStatic = 1, includeInline = 1, includeQualified = 1;
    char mask[MASK_SIZE] = SETTINGS_DEFAULT_MASK;

    std::mutex qm;
    std::condition_variable qcv;
    std::deque<Incoming> queue;
    bool inputEnded = false;
    std::set<std::string> cancelled; /* ids as dumped */
    std::string currentId;
    std::atomic<bool> cancelCurrent{false};

    std::thread builder;
    std::atomic<bool> stopping{false};
    std::condition_variable buildCv;
    std::mutex buildMutex;
    int progressCount = 0;

    void Send(const json &message)
    {
        std::string body = message.dump(-1, ' ', false, json::error_handler_t::replace);
        std::lock_guard<std::mutex> lock(writeMutex);
        write(writeData, MakeFrame(body));
    }
    void Reply(const json &id, const json &result)
    {
        Send({{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
    }
    void ReplyError(const json &id, int code, const std::string &message)
    {
        Send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
    }
    void Notify(const std::string &method, const json &params)
    {
        Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
    }
};

/* --- documents and lines --- */

/* The current text of a file: the client's copy when it is open, else the file on disk. */
const std::string *TextOf(Server &s, const std::string &native, std::string *scratch)
{
    auto it = s.docs.find(native);
    if (it != s.docs.end()) return &it->second;
    char plugin[LOOKUP_PATH_SIZE];
    if (FromNativePath(native.c_str(), plugin, sizeof plugin) != 0) return NULL;
    FILE *f = FileOpen(plugin, "rb"); /* a regular file only: never a FIFO or device */
    if (f == NULL) return NULL;
    scratch->clear();
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0 && scratch->size() < DOCUMENT_FILE_MAX)
        scratch->append(buf, n);
    fclose(f);
    return scratch;
}

/* Line number line (1-based) of a file on disk, read only as far as that line and searched
   for line ends a block at a time (the register headers of a kernel run to millions of lines):
   "" past its end or when it cannot be read. LF, CR LF and a lone CR end a line. */
std::string LineOnDisk(const std::string &native, int32_t line)
{
    char plugin[LOOKUP_PATH_SIZE];
    if (line < 1 || FromNativePath(native.c_str(), plugin, sizeof plugin) != 0) return "";
    FILE *f = FileOpen(plugin, "rb");
    if (f == NULL) return "";
    std::string found;
    std::vector<char> buf(1 << 16);
    size_t n, ends = 0, total = 0, want = (size_t)line - 1;
    bool inLine = want == 0, afterCr = false, done = false;
    while (!done && total < DOCUMENT_FILE_MAX && (n = fread(buf.data(), 1, buf.size(), f)) > 0) {
        total += n;
        const char *p = buf.data(), *end = p + n;
        if (afterCr && p < end && *p == '\n') p++; /* the LF of a CR LF split by the block */
        afterCr = false;
        while (p < end && !done) {
            if (inLine) {
                const char *stop = p;
                while (stop < end && *stop != '\n' && *stop != '\r') stop++;
                found.append(p, (size_t)(stop - p));
                done = stop < end || found.size() > DOCUMENT_FILE_MAX;
                p = stop;
                continue;
            }
            /* a block without CR counts its lines by LF alone */
            const char *cr = (const char *)memchr(p, '\r', (size_t)(end - p));
            const char *limit = cr != NULL ? cr : end;
            while (ends < want) {
                const char *lf = (const char *)memchr(p, '\n', (size_t)(limit - p));
                if (lf == NULL) break;
                p = lf + 1;
                ends++;
            }
            if (ends < want && cr != NULL && p <= cr) {
                p = cr + 1;
                if (p < end && *p == '\n') p++;
                else if (p == end) afterCr = true;
                ends++;
            } else if (ends < want) {
                p = limit;
            }
            inLine = ends == want;
        }
    }
    fclose(f);
    return found;
}

/* Line number line (1-based) of a file's current text, or "" past its end or unreadable. */
std::string LineOf(Server &s, const std::string &native, int32_t line, const std::string *known)
{
    auto it = s.docs.find(native);
    const std::string *text = known != NULL ? known : it != s.docs.end() ? &it->second : NULL;
    if (text == NULL) return LineOnDisk(native, line);
    size_t start, length;
    if (line < 1 || !FindTextLine(*text, (size_t)line - 1, &start, &length)) return "";
    return text->substr(start, length);
}

json Position(size_t line, size_t character)
{
    return {{"line", line}, {"character", character}};
}

/* The name's range on line number line (1-based) of text: where the name stands as a whole
   word, else column 0. */
json NameRange(Server &s, const std::string &lineText, int32_t line, const char *name)
{
    size_t row = line > 0 ? (size_t)line - 1 : 0;
    size_t n = strlen(name);
    for (size_t at = lineText.find(name); n > 0 && at != std::string::npos;
         at = lineText.find(name, at + 1)) {
        auto word = [](char c) { return c == '_' || isalnum((unsigned char)c); };
        if ((at > 0 && word(lineText[at - 1])) ||
            (at + n < lineText.size() && word(lineText[at + n])))
            continue;
        const char *p = lineText.data();
        return {{"start", Position(row, CharacterOfByte(p, lineText.size(), at, s.utf16))},
                {"end", Position(row, CharacterOfByte(p, lineText.size(), at + n, s.utf16))}};
    }
    return {{"start", Position(row, 0)}, {"end", Position(row, 0)}};
}

std::string NativeOf(const char *plugin)
{
    char native[LOOKUP_PATH_SIZE];
    if (ToNativePath(plugin, native, sizeof native) != 0) return "";
    return native;
}

/* --- params --- */

const json &Params(const json &message)
{
    auto it = message.find("params");
    if (it == message.end() || !it->is_object())
        throw LspError{ERR_PARAMS, "params must be an object"};
    return *it;
}

std::string DocumentPath(const json &params, bool *ok)
{
    std::string uri = params.at("textDocument").at("uri").get<std::string>();
    std::string native;
    *ok = UriToPath(uri, &native) == 0;
    return native;
}

FindOptions OptionsOf(Server &s, std::vector<const char *> *dirs)
{
    FindOptions o;
    o.includeStatic = s.includeStatic;
    o.includeInline = s.includeInline;
    o.includeQualified = s.includeQualified;
    o.fileMask = s.mask;
    dirs->clear();
    for (auto &r : s.roots) dirs->push_back(r->plugin.c_str());
    o.extraDirs = dirs->data();
    o.extraDirCount = (int)dirs->size();
    return o;
}

/* --- lifecycle --- */

void AddRoot(Server &s, const std::string &uri)
{
    std::string native;
    if (UriToPath(uri, &native) != 0) return;
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    char plugin[LOOKUP_PATH_SIZE];
    if (FromNativePath(native.c_str(), plugin, sizeof plugin) != 0) return;
    for (auto &r : s.roots)
        if (r->native == native) return;
    auto r = std::make_shared<Root>();
    r->native = native;
    r->plugin = native == "/" ? "" : plugin;        /* the plugin names the root's directory "" */
    std::lock_guard<std::mutex> lock(s.buildMutex); /* the builder and the reader look at them */
    s.roots.push_back(r);
}

std::set<int> KindSet(const json &caps, const char *a, const char *b)
{
    std::set<int> kinds;
    const json *p = &caps;
    for (const char *key : {a, b, "symbolKind", "valueSet"}) {
        if (!p->is_object() || !p->contains(key)) return kinds;
        p = &(*p)[key];
    }
    if (p->is_array())
        for (auto &k : *p)
            if (k.is_number_integer()) kinds.insert(k.get<int>());
    return kinds;
}

json Initialize(Server &s, const json &params)
{
    if (params.contains("workspaceFolders") && params["workspaceFolders"].is_array())
        for (auto &f : params["workspaceFolders"])
            if (f.is_object() && f.contains("uri") && f["uri"].is_string())
                AddRoot(s, f["uri"].get<std::string>());
    if (s.roots.empty() && params.contains("rootUri") && params["rootUri"].is_string())
        AddRoot(s, params["rootUri"].get<std::string>());
    if (s.roots.empty() && params.contains("rootPath") && params["rootPath"].is_string())
        AddRoot(s, PathToUri(params["rootPath"].get<std::string>()));
    if (params.contains("processId") && params["processId"].is_number_integer() &&
        params["processId"].get<long>() > 0)
        s.clientPid = params["processId"].get<long>();
    json caps = params.value("capabilities", json::object());
    if (!caps.is_object()) caps = json::object();
    std::string encoding = "utf-16";
    if (caps.contains("general") && caps["general"].is_object() &&
        caps["general"].contains("positionEncodings") &&
        caps["general"]["positionEncodings"].is_array())
        for (auto &e : caps["general"]["positionEncodings"])
            if (e == "utf-8") encoding = "utf-8";
    s.utf16 = encoding == "utf-16";
    s.clientProgress = caps.contains("window") && caps["window"].is_object() &&
                       caps["window"].value("workDoneProgress", false) == true;
    s.watchRegistration =
        caps.contains("workspace") && caps["workspace"].is_object() &&
        caps["workspace"].contains("didChangeWatchedFiles") &&
        caps["workspace"]["didChangeWatchedFiles"].is_object() &&
        caps["workspace"]["didChangeWatchedFiles"].value("dynamicRegistration", false) == true;
    s.documentKinds = KindSet(caps, "textDocument", "documentSymbol");
    s.workspaceKinds = KindSet(caps, "workspace", "symbol");
    if (caps.contains("textDocument") && caps["textDocument"].is_object()) {
        const json &td = caps["textDocument"];
        s.hierarchical = td.contains("documentSymbol") && td["documentSymbol"].is_object() &&
                         td["documentSymbol"].value("hierarchicalDocumentSymbolSupport", false);
    }
    s.state = 1;
    return {{"capabilities",
             {{"positionEncoding", encoding},
              {"textDocumentSync",
               {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
              {"definitionProvider", true},
              {"workspaceSymbolProvider", {{"resolveProvider", false}}},
              {"documentSymbolProvider", true}}},
            {"serverInfo", {{"name", "zolt"}, {"version", ZOLT_VERSION}}}};
}

/* --- names of the workspace indexes, loaded away from the requests --- */

long long WriteTimeOf(const struct stat &sb)
{
    return (long long)sb.st_mtim.tv_sec * 1000000000LL + sb.st_mtim.tv_nsec;
}

void StartLoad(const std::shared_ptr<Root> &r)
{
    std::lock_guard<std::mutex> lock(r->m);
    if (r->loading) return;
    r->loading = true;
    std::thread([r]() {
        std::string path = IndexFileOf(r->native);
        struct stat sb;
        int known = stat(path.c_str(), &sb) == 0;
        char plugin[LOOKUP_PATH_SIZE];
        std::shared_ptr<NameTable> table(new NameTable(), FreeTable);
        int result = FromNativePath(path.c_str(), plugin, sizeof plugin) == 0
                         ? LoadNameTable(table.get(), plugin)
                         : NAMES_NO_INDEX;
        std::lock_guard<std::mutex> done(r->m);
        if (result == NAMES_LOADED || result == NAMES_NO_INDEX) {
            r->table = result == NAMES_LOADED ? table : nullptr;
            r->tableSize = known ? sb.st_size : -1;
            r->tableTime = known ? WriteTimeOf(sb) : 0;
        }
        if (result != NAMES_LOADED && result != NAMES_NO_INDEX)
            fprintf(stderr, "zolt: lsp: %s: %s\n", path.c_str(),
                    result == NAMES_DAMAGED ? "not a sorted project index" : "out of memory");
        r->loadResult = result;
        r->loading = false;
        r->loaded.notify_all();
    }).detach();
}

/* The names of a root's index, reloaded in the background when the file changed; the first
   load is waited for. */
std::shared_ptr<NameTable> TableOf(const std::shared_ptr<Root> &r)
{
    struct stat sb;
    int exists = stat(IndexFileOf(r->native).c_str(), &sb) == 0;
    {
        std::lock_guard<std::mutex> lock(r->m);
        bool stale = exists ? sb.st_size != r->tableSize || WriteTimeOf(sb) != r->tableTime
                            : r->tableSize != -1;
        if (!(stale || r->loadResult < 0)) return r->table;
    }
    StartLoad(r);
    std::unique_lock<std::mutex> lock(r->m);
    if (r->loadResult < 0) r->loaded.wait(lock, [&] { return !r->loading; });
    return r->table;
}

/* --- the queries --- */

json Definition(Server &s, const json &params)
{
    bool ok;
    std::string native = DocumentPath(params, &ok);
    int64_t line = params.at("position").at("line").get<int64_t>();
    int64_t character = params.at("position").at("character").get<int64_t>();
    if (line < 0 || character < 0) throw LspError{ERR_PARAMS, "a position is never negative"};
    std::string scratch;
    const std::string *text = ok ? TextOf(s, native, &scratch) : NULL;
    size_t start, length;
    char plugin[LOOKUP_PATH_SIZE];
    if (text == NULL || !FindTextLine(*text, (size_t)line, &start, &length) ||
        FromNativePath(native.c_str(), plugin, sizeof plugin) != 0)
        return nullptr;
    char word[NAME_SIZE];
    const char *p = text->data() + start;
    if (!WordInText(word, p, length, ByteOfCharacter(p, length, (size_t)character, s.utf16)))
        return nullptr;
    std::vector<const char *> dirs;
    FindOptions o = OptionsOf(s, &dirs);
    DefinitionList list;
    int found = FindDefinition(word, plugin, text->data(), text->size(), &o, &list);
    if (found != 0) {
        FreeDefinitionList(&list);
        throw LspError{ERR_INTERNAL, "out of memory"};
    }
    bool exact = false;
    for (int i = 0; i < list.count; i++)
        if (strcmp(list.items[i].name, word) == 0 && list.items[i].file[0] != '\0') exact = true;
    json result = json::array();
    std::set<std::pair<std::string, int32_t>> seen;
    for (int i = 0; i < list.count && result.size() < DEFINITION_MAX; i++) {
        const DefinitionLocation &l = list.items[i];
        if (l.file[0] == '\0' || l.line <= 0 || (exact && strcmp(l.name, word) != 0)) continue;
        std::string target = l.index[0] == '\0' ? native : NativeOf(l.file);
        if (target.empty() || !seen.insert({target, l.line}).second) continue;
        /* the name's columns need the line: read for the first locations, where a client
           lands; a name defined in hundreds of files answers with column 0 after them */
        std::string lineText = result.size() < RANGES_READ
                                   ? LineOf(s, target, l.line, target == native ? text : NULL)
                                   : "";
        result.push_back(
            {{"uri", PathToUri(target)}, {"range", NameRange(s, lineText, l.line, l.name)}});
    }
    FreeDefinitionList(&list);
    if (result.empty()) return nullptr;
    return result;
}

int KindFor(const std::set<int> &valueSet, int kind)
{
    if (valueSet.empty() ? kind <= 18 : valueSet.count(kind) > 0) return kind;
    return kind == KIND_STRUCT ? KIND_CLASS : KIND_VARIABLE;
}

int KindOfDefinition(int kind)
{
    switch (kind) {
    case DEF_KIND_FUNCTION: return KIND_FUNCTION;
    case DEF_KIND_MACRO: return KIND_CONSTANT;
    case DEF_KIND_TYPEDEF: return KIND_TYPE_PARAMETER;
    case DEF_KIND_STRUCT: return KIND_STRUCT;
    case DEF_KIND_ENUM: return KIND_ENUM;
    case DEF_KIND_CLASS: return KIND_CLASS;
    default: return KIND_VARIABLE;
    }
}

json DocumentSymbols(Server &s, const json &params)
{
    bool ok;
    std::string native = DocumentPath(params, &ok);
    std::string scratch;
    const std::string *text = ok ? TextOf(s, native, &scratch) : NULL;
    char plugin[LOOKUP_PATH_SIZE];
    if (text == NULL || FromNativePath(native.c_str(), plugin, sizeof plugin) != 0) return nullptr;
    std::vector<const char *> dirs;
    FindOptions o = OptionsOf(s, &dirs);
    TextDefinition *defs;
    int count;
    if (ScanTextDefinitions(plugin, text->data(), text->size(), &o, &defs, &count) != 0)
        throw LspError{ERR_INTERNAL, "out of memory"};
    json result = json::array();
    for (int i = 0; i < count; i++) {
        const DefinitionEntry &e = defs[i].entry;
        int32_t line = (int32_t)e.line;
        std::string lineText = LineOf(s, native, line, text);
        json selection = NameRange(s, lineText, line, e.name);
        size_t row = line > 0 ? (size_t)line - 1 : 0;
        json whole = {{"start", Position(row, 0)},
                      {"end", Position(row, CharacterOfByte(lineText.data(), lineText.size(),
                                                            lineText.size(), s.utf16))}};
        int kind = KindFor(s.documentKinds, KindOfDefinition(defs[i].kind));
        if (s.hierarchical)
            result.push_back({{"name", e.name},
                              {"kind", kind},
                              {"range", whole},
                              {"selectionRange", selection}});
        else
            result.push_back({{"name", e.name},
                              {"kind", kind},
                              {"location", {{"uri", PathToUri(native)}, {"range", selection}}}});
    }
    MemFree(defs);
    return result;
}

int StopWhenCancelled(void *data)
{
    return ((Server *)data)->cancelCurrent.load() ? 1 : 0;
}

json WorkspaceSymbols(Server &s, const json &params)
{
    std::string query = params.at("query").get<std::string>();
    int cap = SYMBOL_CAP;
    if (params.contains("limit")) {
        int64_t limit = params["limit"].get<int64_t>();
        if (limit <= 0) throw LspError{ERR_PARAMS, "limit must be positive"};
        cap = limit < SYMBOL_CAP_MAX ? (int)limit : SYMBOL_CAP_MAX;
    }
    std::vector<SymbolHit> hits((size_t)cap);
    struct Ranked {
        int rank;
        size_t root;
        SymbolHit hit;
    };
    std::vector<Ranked> all;
    for (size_t k = 0; k < s.roots.size(); k++) {
        std::shared_ptr<NameTable> table = TableOf(s.roots[k]);
        if (!table) continue;
        int count = 0;
        if (SearchNameTable(table.get(), query.c_str(), cap, hits.data(), &count, StopWhenCancelled,
                            &s) != 0)
            throw LspError{ERR_INTERNAL, "the project index could not be read"};
        for (int i = 0; i < count; i++) all.push_back({hits[(size_t)i].rank, k, hits[(size_t)i]});
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Ranked &a, const Ranked &b) { return a.rank < b.rank; });
    json result = json::array();
    for (size_t i = 0; i < all.size() && i < (size_t)cap; i++) {
        const SymbolHit &h = all[i].hit;
        std::string file = h.file;
        if (file.empty() || IsPathOutsideIndex(file.c_str())) continue;
        for (char &c : file)
            if (c == '\\') c = '/';
        const std::string &dir = s.roots[all[i].root]->native;
        size_t row = h.line > 0 ? (size_t)h.line - 1 : 0;
        result.push_back({{"name", h.name},
                          {"kind", KindFor(s.workspaceKinds, KIND_VARIABLE)},
                          {"location",
                           {{"uri", PathToUri((dir == "/" ? "" : dir) + "/" + file)},
                            {"range", {{"start", Position(row, 0)}, {"end", Position(row, 0)}}}}}});
    }
    return result;
}

/* --- builds: `zolt build DIR` in a child process, so that the walk's directory changes and
   its memory stay out of the server; the child takes the build lock as any build does --- */

std::shared_ptr<Root> RootHolding(Server &s, const std::string &native)
{
    std::shared_ptr<Root> best;
    for (auto &r : s.roots) {
        const std::string &d = r->native;
        bool inside = d == "/" || (native.size() > d.size() &&
                                   native.compare(0, d.size(), d) == 0 && native[d.size()] == '/');
        if (inside && (!best || d.size() > best->native.size())) best = r;
    }
    return best;
}

void Schedule(Server &s, const std::shared_ptr<Root> &r, int delayMs)
{
    {
        std::lock_guard<std::mutex> lock(r->m);
        r->due = Clock::now() + std::chrono::milliseconds(delayMs);
        r->scheduled = true;
    }
    s.buildCv.notify_all();
}

void StartBuild(Server &s, Root &r)
{
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::string dir = r.native;
    char *argv[] = {(char *)s.zolt.c_str(), (char *)"build", (char *)dir.c_str(), NULL};
    pid_t pid;
    int spawned = posix_spawn(&pid, s.zolt.c_str(), &actions, NULL, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        fprintf(stderr, "zolt: lsp: cannot run %s: %s\n", s.zolt.c_str(), strerror(spawned));
        return;
    }
    r.child = pid;
    r.childOut = out[0];
    r.progressBegun = false;
    r.progressToken.clear();
    r.progressRequest.clear();
    if (s.clientProgress) {
        int n = ++s.progressCount;
        r.progressToken = "zolt-build-" + std::to_string(n);
        r.progressRequest = "zolt-progress-" + std::to_string(n);
        s.Send({{"jsonrpc", "2.0"},
                {"id", r.progressRequest},
                {"method", "window/workDoneProgress/create"},
                {"params", {{"token", r.progressToken}}}});
    }
}

void EndBuild(Server &s, Root &r, int status)
{
    std::string summary;
    char buf[4096];
    ssize_t n;
    while ((n = read(r.childOut, buf, sizeof buf)) > 0) summary.append(buf, (size_t)n);
    close(r.childOut);
    r.childOut = -1;
    r.child = -1;
    while (!summary.empty() && (summary.back() == '\n' || summary.back() == '\r'))
        summary.pop_back();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 1 && summary.empty())
        summary = "not built: another build holds the directory, or a warning (see the log)";
    if (r.progressBegun)
        s.Notify("$/progress",
                 {{"token", r.progressToken}, {"value", {{"kind", "end"}, {"message", summary}}}});
    r.progressRequest.clear();
    r.progressBegun = false;
}

/* The workspace folders, as the threads other than the worker see them. */
std::vector<std::shared_ptr<Root>> RootsNow(Server &s)
{
    std::lock_guard<std::mutex> lock(s.buildMutex);
    return s.roots;
}

/* The client answered a request of ours: a progress token may now be used. */
void OnResponse(Server &s, const json &message)
{
    if (!message["id"].is_string()) return;
    std::string id = message["id"].get<std::string>();
    for (auto &r : RootsNow(s)) {
        std::lock_guard<std::mutex> lock(r->m);
        if (r->progressRequest != id) continue;
        r->progressRequest.clear();
        if (message.contains("error") || r->child < 0) continue;
        r->progressBegun = true;
        s.Notify("$/progress", {{"token", r->progressToken},
                                {"value",
                                 {{"kind", "begin"},
                                  {"title", "zolt: building the project index"},
                                  {"message", r->native}}}});
    }
}

void BuildLoop(Server &s)
{
    Clock::time_point checked = Clock::now();
    while (!s.stopping) {
        /* an editor that died without closing the pipe leaves nobody to send exit */
        if (s.clientPid > 0 && Clock::now() - checked > std::chrono::seconds(2)) {
            checked = Clock::now();
            if (kill((pid_t)s.clientPid.load(), 0) != 0 && errno == ESRCH) {
                fprintf(stderr, "zolt: lsp: the client (process %ld) is gone\n",
                        s.clientPid.load());
                _exit(1);
            }
        }
        {
            std::unique_lock<std::mutex> lock(s.buildMutex);
            s.buildCv.wait_for(lock, std::chrono::milliseconds(50));
        }
        for (auto &r : RootsNow(s)) {
            bool built = false;
            {
                std::lock_guard<std::mutex> lock(r->m);
                int status;
                if (r->child > 0 && waitpid(r->child, &status, WNOHANG) == r->child) {
                    EndBuild(s, *r, status);
                    built = true;
                }
            }
            if (built) StartLoad(r); /* the new names, while the old ones still answer */
            std::lock_guard<std::mutex> lock(r->m);
            if (r->child < 0 && r->scheduled && Clock::now() >= r->due && !s.stopping) {
                r->scheduled = false;
                StartBuild(s, *r);
            }
        }
    }
}

void Initialized(Server &s)
{
    /* the sources a build scans: the client's watcher tells of changes made outside it too */
    if (s.watchRegistration)
        s.Send({{"jsonrpc", "2.0"},
                {"id", "zolt-watch"},
                {"method", "client/registerCapability"},
                {"params",
                 {{"registrations",
                   {{{"id", "zolt-watch"},
                     {"method", "workspace/didChangeWatchedFiles"},
                     {"registerOptions",
                      {{"watchers", {{{"globPattern", "**/*.{c,cpp,h,hpp,MAC}"}}}}}}}}}}}});
    for (auto &r : s.roots) {
        if (access(IndexFileOf(r->native).c_str(), F_OK) != 0) Schedule(s, r, 0);
        else StartLoad(r);
    }
}

void Saved(Server &s, const std::string &native)
{
    std::shared_ptr<Root> r = RootHolding(s, native);
    if (r) Schedule(s, r, DEBOUNCE_MS);
}

/* --- dispatch --- */

void Notification(Server &s, const std::string &method, const json &message)
{
    if (method == "initialized") {
        Initialized(s);
    } else if (method == "textDocument/didOpen") {
        const json &d = Params(message).at("textDocument");
        std::string native;
        if (UriToPath(d.at("uri").get<std::string>(), &native) == 0)
            s.docs[native] = d.at("text").get<std::string>();
    } else if (method == "textDocument/didChange") {
        const json &p = Params(message);
        bool ok;
        std::string native = DocumentPath(p, &ok);
        for (auto &change : p.at("contentChanges"))
            if (ok && !change.contains("range"))
                s.docs[native] = change.at("text").get<std::string>();
    } else if (method == "textDocument/didClose") {
        bool ok;
        std::string native = DocumentPath(Params(message), &ok);
        if (ok) s.docs.erase(native);
    } else if (method == "textDocument/didSave") {
        bool ok;
        std::string native = DocumentPath(Params(message), &ok);
        if (ok) Saved(s, native);
    } else if (method == "workspace/didChangeWatchedFiles") {
        for (auto &change : Params(message).at("changes")) {
            std::string native;
            if (UriToPath(change.at("uri").get<std::string>(), &native) == 0) Saved(s, native);
        }
    }
}

json Request(Server &s, const std::string &method, const json &message)
{
    if (method == "initialize") {
        if (s.state != 0) throw LspError{ERR_INVALID_REQUEST, "initialize was already received"};
        return Initialize(s, Params(message));
    }
    if (s.state == 0) throw LspError{ERR_NOT_INITIALIZED, "initialize must come first"};
    if (s.state == 2) throw LspError{ERR_INVALID_REQUEST, "the server is shutting down"};
    if (method == "shutdown") {
        s.state = 2;
        return nullptr;
    }
    if (method == "textDocument/definition") return Definition(s, Params(message));
    if (method == "workspace/symbol") return WorkspaceSymbols(s, Params(message));
    if (method == "textDocument/documentSymbol") return DocumentSymbols(s, Params(message));
    throw LspError{ERR_METHOD, "unknown method " + method};
}

/* One message taken from the queue. Returns 1 when it was exit. */
int Handle(Server &s, const json &message)
{
    if (!message.is_object()) {
        s.ReplyError(nullptr, ERR_INVALID_REQUEST,
                     message.is_array() ? "batches are not supported" : "a message is an object");
        return 0;
    }
    auto idIt = message.find("id");
    bool hasId = idIt != message.end();
    json id = hasId ? *idIt : json(nullptr);
    auto m = message.find("method");
    if ((hasId && !id.is_number_integer() && !id.is_string()) || m == message.end() ||
        !m->is_string() || message.value("jsonrpc", json()) != "2.0") {
        if (hasId || m == message.end() || !m->is_string())
            s.ReplyError(id.is_number_integer() || id.is_string() ? id : json(nullptr),
                         ERR_INVALID_REQUEST, "not a JSON-RPC 2.0 request");
        return 0;
    }
    std::string method = m->get<std::string>();
    if (!hasId) {
        if (method == "exit") return 1;
        if (s.state == 0) return 0; /* dropped before initialize */
        try {
            Notification(s, method, message);
        } catch (const json::exception &) { /* a notification gets no answer, even an error */
        } catch (const LspError &) {
        }
        return 0;
    }
    std::string key = id.dump();
    {
        std::lock_guard<std::mutex> lock(s.qm);
        if (s.cancelled.erase(key) > 0) {
            s.ReplyError(id, ERR_CANCELLED, "cancelled");
            return 0;
        }
        s.currentId = key;
        s.cancelCurrent = false;
    }
    try {
        json result = Request(s, method, message);
        if (s.cancelCurrent) s.ReplyError(id, ERR_CANCELLED, "cancelled");
        else s.Reply(id, result);
    } catch (const LspError &e) {
        s.ReplyError(id, e.code, e.message);
    } catch (const json::exception &e) {
        s.ReplyError(id, ERR_PARAMS, std::string("invalid params: ") + e.what());
    } catch (const std::bad_alloc &) {
        s.ReplyError(id, ERR_INTERNAL, "out of memory");
    }
    std::lock_guard<std::mutex> lock(s.qm);
    s.currentId.clear();
    return 0;
}

void Work(Server &s, int *exitSeen)
{
    for (;;) {
        Incoming in;
        {
            std::unique_lock<std::mutex> lock(s.qm);
            s.qcv.wait(lock, [&] { return !s.queue.empty() || s.inputEnded; });
            if (s.queue.empty()) return;
            in = std::move(s.queue.front());
            s.queue.pop_front();
        }
        if (in.error != 0) {
            s.ReplyError(nullptr, in.error, in.errorText);
            continue;
        }
        if (Handle(s, in.message)) {
            *exitSeen = 1;
            return;
        }
    }
}

/* What the reader does at once instead of queueing: 1 for a cancel or a response taken,
   2 for exit (queued, and the last message read). */
int Intercept(Server &s, const json &message)
{
    if (!message.is_object()) return 0;
    auto m = message.find("method");
    if (m == message.end()) {
        if (message.contains("id") && (message.contains("result") || message.contains("error"))) {
            OnResponse(s, message);
            return 1;
        }
        return 0;
    }
    if (*m == "exit" && !message.contains("id")) return 2;
    if (*m != "$/cancelRequest" || message.contains("id")) return 0;
    auto p = message.find("params");
    if (p == message.end() || !p->is_object() || !p->contains("id")) return 1;
    std::string key = (*p)["id"].dump();
    std::lock_guard<std::mutex> lock(s.qm);
    if (key == s.currentId) s.cancelCurrent = true;
    else if (s.cancelled.size() < 4096) s.cancelled.insert(key);
    return 1;
}

void ReadOptions(Server &s)
{
    int *fields[] = {&s.includeStatic, &s.includeInline, &s.includeQualified};
    const int options[] = {OPT_STATIC_E, OPT_INLINE_E, OPT_QUALIFIED_E};
    for (int i = 0; i < 3; i++) {
        *fields[i] = (int)OPTION_FLAGS[options[i]].def;
        (void)ReadOptionFlag(options[i], fields[i]);
    }
    (void)GetOptionMask(s.mask, sizeof s.mask);
}

} // namespace

int ServeLsp(FrameReader *reader, FrameWrite write, void *writeData, const char *zoltProgram)
{
    Server s;
    s.write = write;
    s.writeData = writeData;
    s.zolt = zoltProgram != NULL ? zoltProgram : "zolt";
    ReadOptions(s);
    int exitSeen = 0;
    std::thread worker([&] { Work(s, &exitSeen); });
    s.builder = std::thread([&] { BuildLoop(s); });
    std::string body;
    for (;;) {
        int got = ReadFrame(reader, &body);
        if (got == FRAME_END) break;
        Incoming in;
        int taken = 0;
        if (got == FRAME_BAD_HEADER) {
            in.error = ERR_PARSE;
            in.errorText = "a header without a usable Content-Length";
        } else if (got == FRAME_TOO_LARGE) {
            in.error = ERR_INVALID_REQUEST;
            in.errorText = "a message over " + std::to_string(LSP_MESSAGE_MAX) + " bytes, not read";
        } else {
            in.message = json::parse(body, nullptr, false);
            if (in.message.is_discarded()) {
                in.error = ERR_PARSE;
                in.errorText = "not JSON";
            } else {
                taken = Intercept(s, in.message);
            }
        }
        if (taken == 1) continue;
        {
            std::lock_guard<std::mutex> lock(s.qm);
            s.queue.push_back(std::move(in));
        }
        s.qcv.notify_one();
        if (taken == 2) break;
    }
    {
        std::lock_guard<std::mutex> lock(s.qm);
        s.inputEnded = true;
    }
    s.qcv.notify_one();
    worker.join();
    s.stopping = true;
    s.buildCv.notify_all();
    s.builder.join();
    return exitSeen && s.state == 2 ? 0 : 1;
}
