/* locations.cpp: the project index's entries as places in files, for the forms other tools read
   (grep-style lines, tags files): native '/' paths relative to a directory of the caller's. */
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <new>

#include "batch/batch.h"
#include "index/index.h"
#include "navigate/navigate.h"
#include "plugin/headless.h"

int CurrentDirectory(std::string *out)
{
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == NULL) return -1;
    *out = buffer;
    return 0;
}

static std::vector<std::string> PathComponents(const std::string &path)
{
    std::vector<std::string> parts;
    for (size_t i = 0; i < path.size();) {
        size_t slash = path.find('/', i);
        if (slash == std::string::npos) slash = path.size();
        if (slash > i) parts.push_back(path.substr(i, slash - i));
        i = slash + 1;
    }
    return parts;
}

std::string RelativeDirectory(const std::string &from, const std::string &to)
{
    std::vector<std::string> a = PathComponents(from), b = PathComponents(to);
    size_t common = 0;
    while (common < a.size() && common < b.size() && a[common] == b[common]) common++;
    std::string out;
    for (size_t i = common; i < a.size(); i++) out += "../";
    for (size_t i = common; i < b.size(); i++) out += b[i] + "/";
    return out;
}

/* A name or path the line forms cannot carry: empty, or holding a control byte (a tab would
   split a tags line, CR and LF any line). */
static int IsPlainField(const char *text, size_t n)
{
    if (n == 0) return 0;
    for (size_t i = 0; i < n; i++)
        if ((unsigned char)text[i] < 0x20 || text[i] == 0x7F) return 0;
    return 1;
}

/* One listed index line [line, end) into a location, in place: the name and the path end in
   a NUL written over the '?' after them, the path's '\\' become '/'. 0, or -1 when it is no
   definition the forms can show (a file's placeholder, line 0, a bad number or field, a FILE
   outside the directory). */
static int ParseLocation(char *line, char *end, Location *out)
{
    IndexFields f;
    if (!SplitIndexLine(line, end, &f)) return -1;
    if (!IsPlainField(f.name, f.nameLength) || !IsPlainField(f.file, f.fileLength)) return -1;
    unsigned long number = 0;
    const char *p = f.rest;
    for (; p < end && *p >= '0' && *p <= '9' && number <= 0xFFFFFFFFUL; p++)
        number = number * 10 + (unsigned long)(*p - '0');
    if (p == f.rest || (p < end && *p != '?') || number == 0 || number > 0xFFFFFFFFUL) return -1;
    char *name = line, *path = line + (f.file - line);
    name[f.nameLength] = '\0';
    path[f.fileLength] = '\0';
    if (IsPathOutsideIndex(path)) return -1; /* the lookup would not open it either */
    for (char *c = path; *c != '\0'; c++)
        if (*c == '\\') *c = '/';
    out->name = name;
    out->path = path;
    out->line = number;
    return 0;
}

int ListLocations(const char *prefix, LocationList *out, CommandReport *report)
{
    out->text = NULL;
    size_t size = 0;
    FILE *f = open_memstream(&out->text, &size);
    if (f == NULL) return -1;
    (void)ListDefinitions(f, prefix, report);
    int failed = ferror(f) != 0;
    if (fclose(f) != 0) failed = 1;
    if (failed || !report->ran) return -1;
    try {
        for (char *line = out->text, *end = out->text + size; line < end;) {
            char *next = (char *)memchr(line, '\n', (size_t)(end - line));
            if (next == NULL) next = end;
            Location location;
            if (ParseLocation(line, next, &location) == 0) out->places.push_back(location);
            line = next + 1;
        }
    } catch (const std::bad_alloc &) {
        return -1;
    }
    return 0;
}

void FreeLocations(LocationList *list)
{
    free(list->text);
    list->text = NULL;
    std::vector<Location>().swap(list->places);
}

void PrintLocation(FILE *out, const std::string &dirPrefix, const Location &location)
{
    fprintf(out, "%s%s:%lu: %s\n", dirPrefix.c_str(), location.path, location.line,
            location.name);
}
