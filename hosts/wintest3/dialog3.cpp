/* dialog3.cpp: the dialog and settings services of this host generation. A dialog copies the
   plugin's items at DialogInit and gives results only through SendDlgMessage, never into the
   items; the settings store is in memory, one tree per plugin GUID, written when a handle is
   freed. */
#include <string.h>

#include <list>
#include <map>
#include <vector>

#include "wintest3/host3.h"

using namespace far3;

/* ---- dialogs ---- */

struct HeldDialog {
    std::vector<DialogItem> items;
    std::vector<std::wstring> texts; /* DM_GETCONSTTEXTPTR answers, valid until DialogFree */
    std::vector<size_t> maxLength;
    std::string text; /* the recorded call */
    int ran = 0;
};
static std::list<HeldDialog> g_dialogs;
static int g_noTexts; /* the next dialog answers DM_GETCONSTTEXTPTR with null */

void ScriptNoDialogTexts()
{
    g_noTexts = 1;
}

int OpenDialogs()
{
    return (int)g_dialogs.size();
}

static HeldDialog *Find(HANDLE h, const char *service)
{
    for (HeldDialog &d : g_dialogs)
        if ((HANDLE)&d == h) return &d;
    HostErrors().push_back(std::string(service) + ": not a dialog handle");
    return NULL;
}

static int IsEditItem(int type)
{
    return type == DI_EDIT || type == 5 || type == 6; /* edit, password, fixed */
}

static void CheckItem(const FarDialogItem &item, size_t i)
{
    std::string at = "DialogInit item " + std::to_string(i);
    if (item.Flags & (DIF_COLORMASK | DIF_SETCOLOR))
        HostErrors().push_back(at + ": colour bits, which this generation has not");
    if (IsEditItem(item.Type) && (item.Flags & DIF_SEPARATOR))
        HostErrors().push_back(at + ": the old variable-buffer bit on an edit field");
    if (item.Data == NULL && item.Type != DI_SINGLEBOX && item.Type != DI_DOUBLEBOX)
        HostErrors().push_back(at + ": no text");
}

HANDLE WINAPI HostDialogInit(const GUID *pluginId, const GUID *id, intptr_t x1, intptr_t y1,
                             intptr_t x2, intptr_t y2, const wchar_t *, const FarDialogItem *items,
                             size_t count, intptr_t, Flags64, WindowProcFn, void *)
{
    if (!IsPluginGuid("DialogInit", pluginId)) return INVALID_HANDLE_VALUE;
    if (id == NULL) {
        HostErrors().push_back("DialogInit: no dialog GUID");
        return INVALID_HANDLE_VALUE;
    }
    if (items == NULL || count == 0) return INVALID_HANDLE_VALUE;
    g_dialogs.emplace_back();
    HeldDialog &d = g_dialogs.back();
    d.text = "Dialog " + std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(x2) +
             "," + std::to_string(y2) + " items=" + std::to_string(count);
    for (size_t i = 0; i < count; i++) {
        CheckItem(items[i], i);
        DialogItem held;
        held.type = items[i].Type;
        held.selected = (int)items[i].Selected;
        held.text = items[i].Data != NULL ? Narrow(items[i].Data) : "";
        held.focus = (items[i].Flags & DIF_FOCUS) != 0;
        held.defaultButton = (items[i].Flags & DIF_DEFAULTBUTTON) != 0;
        d.items.push_back(held);
        d.maxLength.push_back(items[i].MaxLength);
    }
    return (HANDLE)&d;
}

intptr_t WINAPI HostDialogRun(HANDLE h)
{
    HeldDialog *d = Find(h, "DialogRun");
    if (d == NULL) return -1;
    Call c;
    c.text = d->text;
    d->ran = 1;
    int result = AnswerDialog(c, d->items);
    d->texts.clear();
    for (size_t i = 0; i < d->items.size(); i++) {
        std::wstring text = Widen(d->items[i].text);
        if (d->maxLength[i] > 0 && text.size() > d->maxLength[i]) text.resize(d->maxLength[i]);
        d->texts.push_back(text);
    }
    return result >= 0 ? result + AnswerShift() : result;
}

intptr_t WINAPI HostSendDlgMessage(HANDLE h, intptr_t msg, intptr_t param1, void *)
{
    HeldDialog *d = Find(h, "SendDlgMessage");
    if (d == NULL) return 0;
    if (!d->ran || param1 < 0 || (size_t)param1 >= d->items.size()) {
        HostErrors().push_back("SendDlgMessage " + std::to_string(msg) + " for item " +
                               std::to_string(param1) + (d->ran ? "" : " before DialogRun"));
        return 0;
    }
    if (msg == DM_GETCHECK) return d->items[(size_t)param1].selected;
    if (msg == DM_GETCONSTTEXTPTR)
        return g_noTexts ? 0 : (intptr_t)d->texts[(size_t)param1].c_str();
    HostErrors().push_back("SendDlgMessage: unexpected message " + std::to_string(msg));
    return 0;
}

void WINAPI HostDialogFree(HANDLE h)
{
    for (auto it = g_dialogs.begin(); it != g_dialogs.end(); ++it)
        if ((HANDLE) & *it == h) {
            g_dialogs.erase(it);
            g_noTexts = 0;
            return;
        }
    HostErrors().push_back("DialogFree: not a dialog handle");
}

/* ---- settings ---- */

struct Setting {
    SettingsType type;
    unsigned long long number;
    std::wstring text;
};
static std::map<std::wstring, Setting> g_store; /* the plugin's root key, as written */
struct SettingsHandle {
    std::map<std::wstring, Setting> pending; /* written through this handle */
    std::list<std::wstring> answers;         /* texts SCTL_GET and SCTL_ENUM handed out */
    std::vector<FarSettingsName> names;      /* the last SCTL_ENUM's list */
};
static std::list<SettingsHandle> g_handles;

int OpenSettingsHandles()
{
    return (int)g_handles.size();
}

std::string StoredValue(const char *name)
{
    auto it = g_store.find(Widen(name));
    if (it == g_store.end()) return "<missing>";
    if (it->second.type == FST_QWORD) return "number:" + std::to_string(it->second.number);
    if (it->second.type == FST_STRING) return "string:" + Narrow(it->second.text.c_str());
    return "type:" + std::to_string(it->second.type);
}

static SettingsHandle *FindHandle(HANDLE h)
{
    for (SettingsHandle &s : g_handles)
        if ((HANDLE)&s == h) return &s;
    HostErrors().push_back("SettingsControl: not a settings handle");
    return NULL;
}

static intptr_t Create(intptr_t location, FarSettingsCreate *create)
{
    if (create == NULL || !StructSizeOk("SCTL_CREATE", create->StructSize, sizeof *create))
        return 0;
    if (location != PSL_ROAMING && location != 1 /* local */) return 0;
    if (!IsPluginGuid("SCTL_CREATE", &create->Guid)) return 0;
    g_handles.emplace_back();
    create->Handle = (HANDLE)&g_handles.back();
    return 1;
}

static intptr_t SetOrGet(SettingsHandle *s, SettingsCommand command, FarSettingsItem *item)
{
    const char *what = command == SCTL_SET ? "SCTL_SET" : "SCTL_GET";
    if (item == NULL || !StructSizeOk(what, item->StructSize, sizeof *item)) return 0;
    if (item->Root != 0 || item->Name == NULL) {
        HostErrors().push_back(std::string(what) + ": not a value of the plugin's own key");
        return 0;
    }
    std::wstring name = item->Name;
    if (command == SCTL_SET) {
        if (item->Type != FST_QWORD && item->Type != FST_STRING) {
            HostErrors().push_back("SCTL_SET: type " + std::to_string(item->Type));
            return 0;
        }
        Setting v{item->Type, item->Type == FST_QWORD ? item->Number : 0,
                  item->Type == FST_STRING && item->String != NULL ? item->String : L""};
        s->pending[name] = v;
        return 1;
    }
    auto it = s->pending.find(name);
    if (it == s->pending.end()) it = g_store.find(name);
    if (it == g_store.end()) return 0;
    /* as the real host: a number asked of a text reads as 0 (sqlite's conversion), not a failure */
    if (item->Type == FST_QWORD) {
        item->Number = it->second.type == FST_QWORD ? it->second.number : 0;
        return 1;
    }
    if (it->second.type != item->Type) return 0;
    if (item->Type == FST_STRING) {
        s->answers.push_back(it->second.text);
        item->String = s->answers.back().c_str();
    }
    return 1;
}

static intptr_t Free(HANDLE h)
{
    for (auto it = g_handles.begin(); it != g_handles.end(); ++it)
        if ((HANDLE) & *it == h) {
            for (auto &v : it->pending) g_store[v.first] = v.second;
            g_handles.erase(it);
            return 1;
        }
    HostErrors().push_back("SCTL_FREE: not a settings handle");
    return 0;
}

/* The values of the plugin's key with their types, as they would be committed now. */
static intptr_t Enumerate(SettingsHandle *s, FarSettingsEnum *list)
{
    if (list == NULL || !StructSizeOk("SCTL_ENUM", list->StructSize, sizeof *list)) return 0;
    if (list->Root != 0) {
        HostErrors().push_back("SCTL_ENUM: not the plugin's own key");
        return 0;
    }
    std::map<std::wstring, Setting> all = g_store;
    for (auto &v : s->pending) all[v.first] = v.second;
    s->names.clear();
    for (auto &v : all) {
        s->answers.push_back(v.first);
        s->names.push_back({s->answers.back().c_str(), v.second.type});
    }
    list->Count = s->names.size();
    list->Items = s->names.empty() ? NULL : s->names.data();
    return 1;
}

intptr_t WINAPI HostSettingsControl(HANDLE h, SettingsCommand command, intptr_t param1,
                                    void *param2)
{
    switch (command) {
    case SCTL_CREATE: return Create(param1, (FarSettingsCreate *)param2);
    case SCTL_FREE: return Free(h);
    case SCTL_ENUM: {
        SettingsHandle *s = FindHandle(h);
        return s != NULL ? Enumerate(s, (FarSettingsEnum *)param2) : 0;
    }
    case SCTL_SET:
    case SCTL_GET: {
        SettingsHandle *s = FindHandle(h);
        return s != NULL ? SetOrGet(s, command, (FarSettingsItem *)param2) : 0;
    }
    default:
        HostErrors().push_back("SettingsControl: unexpected command " + std::to_string(command));
        return 0;
    }
}
