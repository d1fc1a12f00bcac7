/* loader3.cpp: the host's plugin loader, by its rules: the machine type and the export names
   read from the DLL, the entry points by plain name, GetGlobalInfoW judged, the startup record
   handed over as a local and then overwritten. */
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "wintest3/host3.h"

using namespace far3;

Plugin3 g_plugin;
const VersionInfo HOST_VERSION = {3, 0, 0, 6727, VS_RELEASE};

static const char *const EXPORTS[] = {"ConfigureW",     "ExitFARW", "GetGlobalInfoW",
                                      "GetPluginInfoW", "OpenW",    "SetStartupInfoW"};

/* The machine type from the PE header; 0 when the file is not a PE image. */
static WORD FileMachine(const std::wstring &path)
{
    FILE *f = _wfopen(path.c_str(), L"rb");
    if (f == NULL) return 0;
    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS32 nt; /* the file header comes first in both widths */
    WORD machine = 0;
    if (fread(&dos, sizeof dos, 1, f) == 1 && dos.e_magic == IMAGE_DOS_SIGNATURE &&
        fseek(f, dos.e_lfanew, SEEK_SET) == 0 &&
        fread(&nt, offsetof(IMAGE_NT_HEADERS32, OptionalHeader), 1, f) == 1 &&
        nt.Signature == IMAGE_NT_SIGNATURE && (nt.FileHeader.Characteristics & IMAGE_FILE_DLL))
        machine = nt.FileHeader.Machine;
    fclose(f);
    return machine;
}

/* The names of the loaded module's export name table, sorted. */
static std::vector<std::string> ExportNames(HMODULE module)
{
    const BYTE *base = (const BYTE *)module;
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)base;
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::vector<std::string> names;
    if (dir.VirtualAddress == 0) return names;
    const IMAGE_EXPORT_DIRECTORY *exp = (const IMAGE_EXPORT_DIRECTORY *)(base + dir.VirtualAddress);
    const DWORD *rvas = (const DWORD *)(base + exp->AddressOfNames);
    for (DWORD i = 0; i < exp->NumberOfNames; i++) names.push_back((const char *)base + rvas[i]);
    std::sort(names.begin(), names.end());
    return names;
}

static std::string ResolveAll(HMODULE module)
{
    std::string missing;
    if (!ResolveExport(module, "GetGlobalInfoW", &g_plugin.GetGlobalInfoW))
        missing += " GetGlobalInfoW";
    if (!ResolveExport(module, "SetStartupInfoW", &g_plugin.SetStartupInfoW))
        missing += " SetStartupInfoW";
    if (!ResolveExport(module, "GetPluginInfoW", &g_plugin.GetPluginInfoW))
        missing += " GetPluginInfoW";
    if (!ResolveExport(module, "OpenW", &g_plugin.OpenW)) missing += " OpenW";
    if (!ResolveExport(module, "ConfigureW", &g_plugin.ConfigureW)) missing += " ConfigureW";
    if (!ResolveExport(module, "ExitFARW", &g_plugin.ExitFARW)) missing += " ExitFARW";
    return missing.empty() ? "" : "exports not found:" + missing;
}

/* Major, Minor, then Build, then Revision; the stage does not count. */
static int CompareVersions(const VersionInfo &a, const VersionInfo &b)
{
    const DWORD x[] = {a.Major, a.Minor, a.Build, a.Revision};
    const DWORD y[] = {b.Major, b.Minor, b.Build, b.Revision};
    for (int i = 0; i < 4; i++)
        if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
    return 0;
}

static int IsEmpty(const wchar_t *s)
{
    return s == NULL || s[0] == L'\0';
}

std::string CheckGlobalInfo(const GlobalInfo &info, const VersionInfo &host)
{
    static const GUID ZERO = {};
    if (IsEmpty(info.Title) || IsEmpty(info.Description) || IsEmpty(info.Author))
        return "GlobalInfo: an empty Title, Description or Author";
    if (memcmp(&info.Guid, &ZERO, sizeof ZERO) == 0) return "GlobalInfo: an all-zero GUID";
    if (CompareVersions(info.MinFarVersion, host) > 0) {
        const VersionInfo &v = info.MinFarVersion;
        return "the plugin needs host version " + std::to_string(v.Major) + "." +
               std::to_string(v.Minor) + "." + std::to_string(v.Revision) + "." +
               std::to_string(v.Build);
    }
    return "";
}

std::string LoadPlugin(const std::wstring &path)
{
    const WORD own = sizeof(void *) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
    WORD machine = FileMachine(path);
    if (machine != own) return "not a DLL of this machine type: " + std::to_string(machine);
    /* the host makes the plugin's folder current around LoadLibrary */
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
    SetCurrentDirectoryW(folder.c_str());
    HMODULE module = LoadLibraryW(path.c_str());
    SetCurrentDirectoryW(saved);
    if (module == NULL) return "LoadLibraryW failed: " + std::to_string(GetLastError());
    std::vector<std::string> names = ExportNames(module);
    if (names != std::vector<std::string>(std::begin(EXPORTS), std::end(EXPORTS))) {
        std::string list;
        for (const std::string &n : names) list += " " + n;
        return "the export names are not the six entry points:" + list;
    }
    g_plugin.module = module;
    std::string missing = ResolveAll(module);
    if (!missing.empty()) return missing;
    GlobalInfo &info = g_plugin.global;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    info.Instance = module;
    g_plugin.GetGlobalInfoW(&info);
    std::string refused = CheckGlobalInfo(info, HOST_VERSION);
    if (!refused.empty()) return refused;
    g_plugin.title = info.Title;
    return "";
}

/* ---- the startup record ---- */

/* Where a stale copy of the record would lead: an address nothing is mapped at. */
static const uintptr_t STALE =
    sizeof(void *) == 8 ? (uintptr_t)0x00000A5A5A5A5000ull : (uintptr_t)0xA5A5A000u;
static const wchar_t STALE_NAME[] = L"Z:\\stale\\record\\zolt.dll";

static LONG WINAPI OnFault(EXCEPTION_POINTERS *e)
{
    const EXCEPTION_RECORD *r = e->ExceptionRecord;
    if (r->ExceptionCode == EXCEPTION_ACCESS_VIOLATION &&
        ((uintptr_t)r->ExceptionAddress == STALE ||
         (r->NumberParameters >= 2 && r->ExceptionInformation[1] == STALE))) {
        printf("FAIL the plugin called through the startup record after SetStartupInfoW "
               "returned\n");
        fflush(stdout);
        ExitProcess(1);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

void TrapStaleRecordCalls()
{
    AddVectoredExceptionHandler(1, OnFault);
}

/* Every slot of the record gets the stale address, the module name another text. */
static void Clobber(void *record, size_t size)
{
    uintptr_t *slot = (uintptr_t *)record;
    for (size_t i = 0; i < size / sizeof *slot; i++) slot[i] = STALE;
}

void StartPlugin(size_t structSize, size_t fsfSize, int keepRest)
{
    /* host-owned storage standing in for the host function's locals */
    static PluginStartupInfo info;
    static FarStandardFunctions fsf;
    static wchar_t moduleName[MAX_PATH];
    GetModuleFileNameW(g_plugin.module, moduleName, MAX_PATH);
    info = HostRecord();
    fsf = HostFunctions();
    if (!keepRest) {
        memset((char *)&info + structSize, 0, sizeof info - std::min(structSize, sizeof info));
        memset((char *)&fsf + fsfSize, 0, sizeof fsf - std::min(fsfSize, sizeof fsf));
    }
    info.StructSize = structSize;
    fsf.StructSize = fsfSize;
    info.ModuleName = moduleName;
    info.FSF = &fsf;
    g_plugin.SetStartupInfoW(&info);
    Clobber(&info, sizeof info);
    Clobber(&fsf, sizeof fsf);
    wcscpy(moduleName, STALE_NAME);
}

static int IsZeroGuid(const GUID *g)
{
    static const GUID ZERO = {};
    return g == NULL || memcmp(g, &ZERO, sizeof ZERO) == 0;
}

std::string ReadPluginInfo(PluginInfo *info)
{
    memset(info, 0, sizeof *info);
    info->StructSize = sizeof *info;
    g_plugin.GetPluginInfoW(info);
    const PluginMenuItem &menu = info->PluginMenu, &config = info->PluginConfig;
    if (menu.Count != 1 || config.Count != 1) return "want one plugins-menu and one config line";
    if (IsZeroGuid(menu.Guids) || IsZeroGuid(config.Guids)) return "a menu line without its GUID";
    if (menu.Strings == NULL || config.Strings == NULL) return "a menu line without its text";
    if (info->DiskMenu.Count != 0 || info->CommandPrefix != NULL)
        return "a disk-menu line or a command prefix";
    g_plugin.menuGuid = menu.Guids[0];
    g_plugin.configGuid = config.Guids[0];
    return "";
}
