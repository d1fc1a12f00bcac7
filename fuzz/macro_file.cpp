/* macro_file: the macro-file scanner over arbitrary bytes, from the panels and from the editor
   (which reads the file from disk too). Input: one option byte (bit 0 editor mode), the file. */
#include <string.h>

#include "fuzz.h"
#include "scanner/scanner.h"
#include "testhost/testhost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    static BrowserState st;
    FuzzBeginInput(&st, 7);
    st.fileKind = FILE_KIND_MACRO;
    FuzzWriteFile("input.mac", data + 1, size - 1);
    int result;
    if (data[0] & 1) {
        st.fromEditor = 1;
        OpenEditor("input.mac", {"not read: macro files come from disk"});
        result = ScanSourceFile(NULL, &st);
    } else {
        DirEntry entry;
        memset(&entry, 0, sizeof entry);
        strcpy(entry.name, "input.mac");
        result = ScanSourceFile(&entry, &st);
    }
    if (result != 0) FuzzFail("a readable macro file did not scan");
    for (int i = 0; i < st.count; i++) {
        const DefinitionEntry &e = st.entries[i];
        if (e.name[0] != '\0' && (strpbrk(e.name, " \t\r\n(") != NULL))
            FuzzFail("a macro name holds a delimiter");
        /* a line over 1023 bytes counts as several, so the bound is the byte count */
        if (e.line > size) FuzzFail("a line number beyond the file");
    }
    FuzzEndInput(&st);
    return 0;
}
