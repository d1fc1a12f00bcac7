/* files.cpp: the test host's own file and registry access, straight over the Windows API. */
#include <stdio.h>
#include <string.h>

#include "wintest/wintest.h"

int WriteFileText(const std::string &path, const std::string &text)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (f == NULL) return -1;
    size_t n = fwrite(text.data(), 1, text.size(), f);
    return (fclose(f) == 0 && n == text.size()) ? 0 : -1;
}

std::string ReadFileText(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f == NULL) return "<missing>";
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    fclose(f);
    return text;
}

static HANDLE OpenForTimes(const std::string &path, DWORD access)
{
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

int GetWriteTime(const std::string &path, FILETIME *t)
{
    HANDLE h = OpenForTimes(path, GENERIC_READ);
    if (h == INVALID_HANDLE_VALUE) return -1;
    BOOL ok = GetFileTime(h, NULL, NULL, t);
    CloseHandle(h);
    return ok ? 0 : -1;
}

int SetWriteTime(const std::string &path, const FILETIME &t)
{
    HANDLE h = OpenForTimes(path, FILE_WRITE_ATTRIBUTES);
    if (h == INVALID_HANDLE_VALUE) return -1;
    BOOL ok = SetFileTime(h, NULL, NULL, &t);
    CloseHandle(h);
    return ok ? 0 : -1;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

std::string RegistryValue(const char *key, const char *name)
{
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS)
        return "<missing>";
    char data[1024];
    DWORD type = 0, size = sizeof data - 1;
    LONG r = RegQueryValueExA(k, name, NULL, &type, (BYTE *)data, &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return "<missing>";
    if (type == REG_DWORD && size == 4) {
        DWORD v;
        memcpy(&v, data, sizeof v);
        return "dword:" + std::to_string(v);
    }
    if (type == REG_SZ) {
        data[size] = '\0';
        return "string:" + std::string(data);
    }
    return "type:" + std::to_string(type);
}
