/* query.cpp: where a name is defined, and what one text defines, answered by value. */
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "host/host.h"
#include "index/index.h"
#include "navigate/navigate.h"
#include "scanner/scanner.h"
#include "state/state.h"

void FreeDefinitionList(DefinitionList *list)
{
    MemFree(list->items);
    list->items = NULL;
    list->count = list->capacity = 0;
}

/* A slot at the end of the list: null when it cannot grow. */
static DefinitionLocation *AddLocation(DefinitionList *list)
{
    if (list->count == list->capacity) {
        int capacity = list->capacity < 16 ? 16 : list->capacity * 2;
        DefinitionLocation *grown =
            (DefinitionLocation *)MemAlloc((size_t)capacity * sizeof *grown);
        if (grown == NULL) return NULL;
        if (list->count > 0) memcpy(grown, list->items, (size_t)list->count * sizeof *grown);
        MemFree(list->items);
        list->items = grown;
        list->capacity = capacity;
    }
    DefinitionLocation *l = &list->items[list->count++];
    memset(l, 0, sizeof *l);
    return l;
}

/* --- the definitions of one text --- */

struct TextCollector {
    TextDefinition *defs;
    int count;
    int capacity;
};

static int CollectText(const DefinitionEntry *e, int kind, void *target)
{
    TextCollector *c = (TextCollector *)target;
    if (c->count == c->capacity) {
        int capacity = c->capacity < 64 ? 64 : c->capacity * 2;
        TextDefinition *grown = (TextDefinition *)MemAlloc((size_t)capacity * sizeof *grown);
        if (grown == NULL) return -1;
        if (c->count > 0) memcpy(grown, c->defs, (size_t)c->count * sizeof *grown);
        MemFree(c->defs);
        c->defs = grown;
        c->capacity = capacity;
    }
    c->defs[c->count].entry = *e;
    c->defs[c->count].kind = kind;
    c->count++;
    return 0;
}

static int NoAppend(const DefinitionEntry *e, void *target)
{
    (void)e;
    (void)target;
    return -1;
}

int ScanTextDefinitions(const char *fromFile, const char *text, size_t length,
                        const FindOptions *options, TextDefinition **defs, int *count)
{
    *defs = NULL;
    *count = 0;
    /* the scan's state is large (a define line of 8 KB): not on a server thread's stack */
    BrowserState *st = (BrowserState *)MemAlloc(sizeof *st);
    if (st == NULL) return -1;
    memset(st, 0, sizeof *st);
    st->includeStatic = options->includeStatic;
    st->includeInline = options->includeInline;
    st->includeQualified = options->includeQualified;
    st->fileKind = ClassifyFile(fromFile, options->fileMask != NULL ? options->fileMask : "");
    TextCollector c = {NULL, 0, 0};
    EntrySink sink = {NoAppend, &c, CollectText};
    int result = st->fileKind == FILE_KIND_NONE ? 0 : ScanText(text, length, st, &sink);
    MemFree(st);
    if (result != 0) {
        MemFree(c.defs);
        return -1;
    }
    *defs = c.defs;
    *count = c.count;
    return 0;
}

/* --- where a name is defined --- */

/* The exact definitions of word in the text, by line. */
static int FindInText(const char *word, const char *fromFile, const char *text, size_t length,
                      const FindOptions *options, DefinitionList *out)
{
    TextDefinition *defs;
    int count;
    if (ScanTextDefinitions(fromFile, text, length, options, &defs, &count) != 0) return -1;
    int result = 0;
    int first = out->count;
    for (int i = 0; i < count && result == 0; i++) {
        if (strcmp(defs[i].entry.name, word) != 0) continue;
        DefinitionLocation *l = AddLocation(out);
        if (l == NULL) {
            result = -1;
            break;
        }
        CopyTruncated(l->name, sizeof l->name, defs[i].entry.name);
        CopyTruncated(l->file, sizeof l->file, fromFile);
        l->line = (int32_t)defs[i].entry.line;
        /* by line, as the sorted table gives them: insertion keeps equal lines in text order */
        for (int j = out->count - 1; j > first && out->items[j - 1].line > l->line; j--) {
            DefinitionLocation t = out->items[j];
            out->items[j] = out->items[j - 1];
            out->items[j - 1] = t;
            l = &out->items[j - 1];
        }
    }
    MemFree(defs);
    return result;
}

/* The index files tried, so that a directory met twice is read once. */
struct TriedIndexes {
    char paths[8][LOOKUP_PATH_SIZE];
    int count;
};

static int WasTried(const TriedIndexes *t, const char *path)
{
    for (int i = 0; i < t->count; i++)
        if (strcmp(t->paths[i], path) == 0) return 1;
    return 0;
}

/* The index of dir (hasDir 0: the bare name, as the plugin reads it from where it runs). */
static int FindInIndex(const char *word, int hasDir, const char *dir, IndexMatch *matches,
                       TriedIndexes *tried, DefinitionList *out)
{
    char withSlash[LOOKUP_PATH_SIZE], path[LOOKUP_PATH_SIZE];
    if (!hasDir) CopyTruncated(path, sizeof path, PROJECT_INDEX_NAME);
    else if (!JoinIfFits(withSlash, sizeof withSlash, dir, "\\") ||
             !JoinIfFits(path, sizeof path, withSlash, PROJECT_INDEX_NAME))
        return 0; /* no path to it fits: the plugin reads nothing there either */
    if (WasTried(tried, path)) return 0;
    if (tried->count < 8) CopyTruncated(tried->paths[tried->count++], sizeof tried->paths[0], path);
    int count = ReadIndexMatches(path, word, matches, &out->indexFault);
    for (int i = 0; i < count; i++) {
        DefinitionLocation *l = AddLocation(out);
        if (l == NULL) return -1;
        CopyTruncated(l->name, sizeof l->name, matches[i].name);
        CopyTruncated(l->index, sizeof l->index, path);
        l->line = matches[i].line;
        const char *file = matches[i].file;
        if (file[0] == '\0' || IsPathOutsideIndex(file)) continue;
        if (!hasDir) CopyTruncated(l->file, sizeof l->file, file);
        else if (!JoinIfFits(l->file, sizeof l->file, withSlash, file)) l->file[0] = '\0';
    }
    return 0;
}

/* The climb of Go to definition: the file's directory, parent, grandparent, then the root
   (not for a macro file, nor when the climb already stood at the top). */
static int Climb(const char *word, const char *fromFile, IndexMatch *matches, TriedIndexes *tried,
                 DefinitionList *out)
{
    char dir[LOOKUP_PATH_SIZE] = "";
    if (strlen(fromFile) >= sizeof dir) return 0;
    int hasDir = ParentDirectory(fromFile, dir, sizeof dir) == 1;
    int atTop = dir[0] == '\0';
    if (FindInIndex(word, hasDir, dir, matches, tried, out) != 0) return -1;
    for (int level = 0; level < 2 && !atTop; level++) {
        if (ParentDirectory(dir, dir, sizeof dir) != 1) break;
        atTop = dir[0] == '\0';
        if (FindInIndex(word, 1, dir, matches, tried, out) != 0) return -1;
    }
    if (!atTop && !HostCmpName(MACRO_FILE_MASK, fromFile, 1))
        return FindInIndex(word, 1, "", matches, tried, out);
    return 0;
}

int FindDefinition(const char *word, const char *fromFile, const char *text, size_t length,
                   const FindOptions *options, DefinitionList *out)
{
    out->items = NULL;
    out->count = out->capacity = 0;
    out->indexFault = 0;
    if (word[0] == '\0') return 0;
    if (text != NULL && FindInText(word, fromFile, text, length, options, out) != 0) return -1;
    IndexMatch *matches = (IndexMatch *)MemAlloc(MATCH_MAX * sizeof(IndexMatch));
    TriedIndexes *tried = (TriedIndexes *)MemAlloc(sizeof(TriedIndexes));
    int result = matches != NULL && tried != NULL ? 0 : -1;
    if (result == 0) {
        tried->count = 0;
        result = Climb(word, fromFile, matches, tried, out);
    }
    for (int i = 0; result == 0 && i < options->extraDirCount; i++)
        result = FindInIndex(word, 1, options->extraDirs[i], matches, tried, out);
    MemFree(matches);
    MemFree(tried);
    return result;
}
