/* scan_file: the reader and a recognizer over arbitrary file bytes.
   Input: one option byte (bits 0-2 the static/inline/qualified filters, bit 3 a macro file,
   bits 4-5 the depth of relDir in 20-character steps), then the file. */
#include <string.h>

#include "fuzz.h"
#include "scanner/scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    static BrowserState st;
    unsigned options = data[0];
    FuzzBeginInput(&st, options);
    st.fileKind = (options & 8) ? FILE_KIND_MACRO : FILE_KIND_SOURCE;
    size_t depth = ((options >> 4) & 3) * 20;
    memset(st.relDir, 'd', depth);
    if (depth > 0) st.relDir[depth - 1] = '\\';

    FuzzWriteFile("input.c", data + 1, size - 1);
    DirEntry entry;
    memset(&entry, 0, sizeof entry);
    strcpy(entry.name, "input.c");
    entry.writeTime.low = 1;
    int result = ScanSourceFile(&entry, &st);
    if (result != 0) FuzzFail("a readable file did not scan");
    if (st.count == 0 && depth + 7 < 64) FuzzFail("no entry, not even the placeholder");
    for (int i = 0; i < st.count; i++) {
        if (strchr(st.entries[i].name, '\n') || strchr(st.entries[i].name, '\r'))
            FuzzFail("a line break inside a recorded name");
        if (strcmp(st.entries[i].file, (std::string(st.relDir) + "input.c").c_str()) != 0)
            FuzzFail("an entry names another file");
    }
    FuzzEndInput(&st);
    return 0;
}
