/* scan_editor: the reader and the C/C++ recognizer over editor text, lines split at arbitrary
   points. Input: one option byte (bits 0-2 the static/inline/qualified filters), then the text;
   each '\n' ends an editor line.
   Text without CR and NUL bytes reads as the same characters from the editor as from a file
   holding the lines each ended by '\n', so both scans must find the same names and lines: the
   editor's step back across line starts is checked against the file's. */
#include <string.h>

#include "fuzz.h"
#include "scanner/scanner.h"
#include "testhost/testhost.h"

struct Found {
    std::string name;
    int line;
    bool operator==(const Found &o) const { return name == o.name && line == o.line; }
};

static std::vector<Found> Definitions(const BrowserState *st)
{
    std::vector<Found> out;
    for (int i = 0; i < st->count; i++)
        if (st->entries[i].name[0] != '\0')
            out.push_back({st->entries[i].name, (int)st->entries[i].line});
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    static BrowserState st;
    unsigned options = data[0];
    std::vector<std::string> lines = FuzzLines(data + 1, size - 1);

    FuzzBeginInput(&st, options);
    st.fromEditor = 1;
    st.fileKind = FILE_KIND_SOURCE;
    FuzzWriteFile("edited.c", data + 1, size - 1); /* the editor's file must exist */
    OpenEditor("edited.c", lines);
    if (ScanSourceFile(NULL, &st) != 0) FuzzFail("the editor text did not scan");
    for (int i = 0; i < st.count; i++)
        if (st.entries[i].file[0] != '\0' || st.entries[i].name[0] == '\0')
            FuzzFail("an editor entry with a file, or a placeholder");
    std::vector<Found> fromEditor = Definitions(&st);
    FuzzEndInput(&st);

    if (memchr(data + 1, '\r', size - 1) != NULL || memchr(data + 1, '\0', size - 1) != NULL)
        return 0;
    std::string text;
    for (const std::string &l : lines) text += l + "\n";
    FuzzBeginInput(&st, options);
    st.fileKind = FILE_KIND_SOURCE;
    FuzzWriteFile("same.c", (const uint8_t *)text.data(), text.size());
    DirEntry entry;
    memset(&entry, 0, sizeof entry);
    strcpy(entry.name, "same.c");
    if (ScanSourceFile(&entry, &st) != 0) FuzzFail("the file did not scan");
    std::vector<Found> fromFile = Definitions(&st);
    FuzzEndInput(&st);
    if (!(fromFile == fromEditor)) FuzzFail("editor and file scans of the same text differ");
    return 0;
}
