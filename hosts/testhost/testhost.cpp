/* testhost.cpp: the test host's record, transcript, texts, message boxes, screens and CmpName. */
#include "testhost/testhost_p.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "common/wildcard.h"
#include "host/host.h"

TestHostState g_test;

static const char MODULE_NAME[] = "C:\\Far\\Plugins\\ZOLT\\zolt.dll";
static const char ROOT_KEY[] = "Software\\Far\\Plugins";

size_t RecordCall(const HostCall &call)
{
    g_test.calls.push_back(call);
    return g_test.calls.size() - 1;
}

void HostError(const std::string &what)
{
    g_test.errors.push_back("call " + std::to_string(g_test.calls.size() + 1) + ": " + what);
}

void CheckModule(const char *service, int module)
{
    if (module != TEST_MODULE_NUMBER)
        HostError(std::string(service) + " got plugin number " + std::to_string(module) +
                  ", not the ModuleNumber " + std::to_string(TEST_MODULE_NUMBER));
}

std::string QuoteN(const char *s, size_t n)
{
    if (s == nullptr) return "null";
    std::string out = "\"";
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)s[i];
        char esc[8];
        if (c < 0x20 || c == 0x7F) {
            snprintf(esc, sizeof esc, "\\x%02X", c);
            out += esc;
        } else {
            if (c == '"') out += '\\';
            out += (char)c;
        }
    }
    return out + "\"";
}

std::string Quote(const char *s)
{
    return QuoteN(s, s ? strlen(s) : 0);
}

std::string Hex(unsigned v)
{
    char buf[16];
    snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

/* ---- setup and results ---- */

void TestHostReset()
{
    g_test = TestHostState();
}

/* Services of this host, declared here and in the other files */
static const char *FARAPI TestGetMsg(int module, int id);
static int FARAPI TestMessage(int module, FarDword flags, const char *help,
                              const char *const *items, int count, int buttons);
static FarHandle FARAPI TestSaveScreen(int x1, int y1, int x2, int y2);
static void FARAPI TestRestoreScreen(FarHandle h);
static int FARAPI TestCmpName(const char *pattern, const char *name, int skipPath);

PluginStartupInfo TestHostInfo()
{
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    /* the host writes the size of its own record: 372 on the plugin's 32-bit target, and whatever
       the same fields take here, so that a 64-bit build copies every service */
    info.StructSize = (int)sizeof info;
    memcpy(info.ModuleName, MODULE_NAME, sizeof MODULE_NAME);
    info.ModuleNumber = TEST_MODULE_NUMBER;
    info.RootKey = ROOT_KEY;
    info.Menu = TestMenu;
    info.Dialog = TestDialog;
    info.Message = TestMessage;
    info.GetMsg = TestGetMsg;
    info.SaveScreen = TestSaveScreen;
    info.RestoreScreen = TestRestoreScreen;
    info.Editor = TestEditorOpen;
    info.CmpName = TestCmpName;
    info.EditorControl = TestEditorControl;
    return info;
}

void TestHostInstall()
{
    TestHostReset();
    PluginStartupInfo info = TestHostInfo();
    InstallHostRecord(&info);
}

const std::vector<HostCall> &TestHostCalls()
{
    return g_test.calls;
}

std::vector<HostCall> CallsOf(unsigned kinds)
{
    std::vector<HostCall> out;
    for (const HostCall &c : g_test.calls)
        if (c.kind & kinds) out.push_back(c);
    return out;
}

std::string TestHostTranscript(unsigned kinds)
{
    std::string out;
    for (const HostCall &c : g_test.calls)
        if (c.kind & kinds) out += c.text + "\n";
    return out;
}

void TestHostClearCalls()
{
    g_test.calls.clear();
}

const std::vector<std::string> &TestHostErrors()
{
    return g_test.errors;
}

static void AddUnused(size_t n, const char *what)
{
    if (n > 0) g_test.errors.push_back(std::to_string(n) + " scripted " + what + " not used");
}

std::string TestHostFinish()
{
    for (size_t i = 0; i < g_test.screenRestored.size(); i++)
        if (!g_test.screenRestored[i])
            g_test.errors.push_back("screen #" + std::to_string(i + 1) +
                                    " saved but never restored");
    g_test.screenRestored.assign(g_test.screenRestored.size(), true);
    AddUnused(g_test.menus.size(), "menu answer(s)");
    AddUnused(g_test.dialogs.size(), "dialog answer(s)");
    AddUnused(g_test.messages.size(), "message answer(s)");
    AddUnused(g_test.editorScripts.size(), "editor script(s)");
    g_test.menus.clear();
    g_test.dialogs.clear();
    g_test.messages.clear();
    g_test.editorScripts.clear();
    std::string out;
    for (const std::string &e : g_test.errors) out += e + "\n";
    g_test.errors.clear();
    return out;
}

/* ---- GetMsg ---- */

void SetMsgText(int id, const std::string &text)
{
    g_test.texts[id] = text;
}

void SetMsgTexts(const std::vector<std::string> &texts)
{
    for (size_t i = 0; i < texts.size(); i++) g_test.texts[(int)i] = texts[i];
}

static const char *FARAPI TestGetMsg(int module, int id)
{
    CheckModule("GetMsg", module);
    auto it = g_test.texts.find(id);
    if (it == g_test.texts.end()) it = g_test.texts.emplace(id, "M" + std::to_string(id)).first;
    HostCall c;
    c.kind = CALL_GETMSG;
    c.module = module;
    c.id = id;
    c.text = "GetMsg(" + std::to_string(id) + ") -> " + Quote(it->second.c_str());
    RecordCall(c);
    return it->second.c_str();
}

/* ---- Message ---- */

/* Lines of a box: Items, or with FMSG_ALLINONE the one text Items really is, split at '\n'. */
static std::vector<std::string> MessageLines(FarDword flags, const char *const *items, int count)
{
    std::vector<std::string> lines;
    if (items == nullptr) return lines;
    if (flags & FMSG_ALLINONE) {
        const char *text = (const char *)items;
        for (const char *nl; (nl = strchr(text, '\n')) != nullptr; text = nl + 1)
            lines.emplace_back(text, (size_t)(nl - text));
        lines.emplace_back(text);
        return lines;
    }
    for (int i = 0; i < count; i++) lines.emplace_back(items[i] ? items[i] : "(null)");
    return lines;
}

static int HostButtons(FarDword flags)
{
    static const int counts[] = {0, 1, 2, 3, 2, 3, 2}; /* FMSG_MB_OK .. FMSG_MB_RETRYCANCEL */
    unsigned mb = (flags >> 16) & 0xF;
    return mb < sizeof counts / sizeof counts[0] ? counts[mb] : 0;
}

static int MessageAnswer(int buttons)
{
    if (g_test.messages.empty()) return 0;
    int b = g_test.messages.front();
    g_test.messages.pop_front();
    if (b < -1 || b >= buttons) {
        HostError("scripted message button " + std::to_string(b) + " is not one of " +
                  std::to_string(buttons));
        return -1;
    }
    return b;
}

static int FARAPI TestMessage(int module, FarDword flags, const char *help,
                              const char *const *items, int count, int buttons)
{
    CheckModule("Message", module);
    HostCall c;
    c.kind = CALL_MESSAGE;
    c.module = module;
    c.flags = flags;
    c.hasHelp = help != nullptr;
    c.help = help ? help : "";
    c.items = MessageLines(flags, items, count);
    c.count = (int)c.items.size();
    c.buttons = HostButtons(flags) ? HostButtons(flags) : buttons;
    std::string lines;
    for (const std::string &s : c.items) lines += (lines.empty() ? "" : ", ") + Quote(s.c_str());
    c.text = "Message(flags=" + Hex(flags) + ", help=" + Quote(help) + ", lines=[" + lines +
             "], buttons=" + std::to_string(buttons) + ")";
    if (c.count < 2 && !(flags & (FMSG_ALLINONE | FMSG_ERRORTYPE))) {
        HostError("Message with fewer than 2 lines shows nothing");
        c.result = -1;
    } else if (c.buttons > c.count - 1 || c.buttons < 0) {
        HostError("Message has " + std::to_string(c.buttons) + " buttons but " +
                  std::to_string(c.count) + " lines");
        c.result = -1;
    } else {
        /* a box without buttons is drawn and left on screen: the call returns at once */
        c.result = c.buttons == 0 ? 0 : MessageAnswer(c.buttons);
    }
    c.text += " -> " + std::to_string(c.result);
    RecordCall(c);
    return c.result;
}

void ScriptMessage(int button)
{
    g_test.messages.push_back(button);
}

/* ---- screens ---- */

static FarHandle FARAPI TestSaveScreen(int x1, int y1, int x2, int y2)
{
    g_test.screenRestored.push_back(false);
    HostCall c;
    c.kind = CALL_SAVESCREEN;
    c.x1 = x1, c.y1 = y1, c.x2 = x2, c.y2 = y2;
    c.id = (int)g_test.screenRestored.size();
    c.text = "SaveScreen(" + std::to_string(x1) + ", " + std::to_string(y1) + ", " +
             std::to_string(x2) + ", " + std::to_string(y2) + ") -> #" + std::to_string(c.id);
    RecordCall(c);
    /* handles are never dereferenced; keep them well away from null */
    return (FarHandle)(uintptr_t)(0x10000u + (unsigned)c.id * 16u);
}

static void FARAPI TestRestoreScreen(FarHandle h)
{
    HostCall c;
    c.kind = CALL_RESTORESCREEN;
    uintptr_t v = (uintptr_t)h;
    size_t n = v >= 0x10010u && (v - 0x10000u) % 16u == 0 ? (size_t)((v - 0x10000u) / 16u) : 0;
    if (h == nullptr) {
        c.text = "RestoreScreen(null)";
    } else if (n == 0 || n > g_test.screenRestored.size()) {
        HostError("RestoreScreen with a handle SaveScreen never gave: " + Hex((unsigned)v));
        c.text = "RestoreScreen(" + Hex((unsigned)v) + ")";
    } else {
        if (g_test.screenRestored[n - 1])
            HostError("screen #" + std::to_string(n) + " restored twice");
        g_test.screenRestored[n - 1] = true;
        c.id = (int)n;
        c.text = "RestoreScreen(#" + std::to_string(n) + ")";
    }
    RecordCall(c);
}

/* ---- CmpName ---- */

static int FARAPI TestCmpName(const char *pattern, const char *name, int skipPath)
{
    HostCall c;
    c.kind = CALL_CMPNAME;
    c.items = {pattern ? pattern : "", name ? name : ""};
    c.line = skipPath;
    c.result = WildcardMatch(pattern, name, skipPath);
    c.text = "CmpName(" + Quote(pattern) + ", " + Quote(name) + ", " + std::to_string(skipPath) +
             ") -> " + std::to_string(c.result);
    RecordCall(c);
    return c.result;
}
