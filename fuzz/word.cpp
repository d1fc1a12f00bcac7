/* word: ExtractWord over arbitrary lines and cursor positions, and the word under an editor's
   cursor. Input: two bytes of cursor column, one byte choosing the editor's character table
   (identity or a shuffled one), then the line. The word, when there is one, is the run of
   identifier bytes around the cursor, cut to 1023; under the editor's cursor, to the 63 an index
   keeps of a name. */
#include <string.h>

#include "base/limits.h"
#include "fuzz.h"
#include "navigate/navigate.h"
#include "testhost/testhost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static BrowserState st;
    if (size < 3) return 0;
    int pos = (data[0] | data[1] << 8) - 16; /* a few negative columns too */
    FuzzBeginInput(&st, 0);
    unsigned char table[256];
    for (int i = 0; i < 256; i++)
        table[i] = (unsigned char)(data[2] & 1 ? (i * 167 + data[2]) & 0xFF : i);
    SetEditorToOemTable(table);
    std::string line((const char *)data + 3, size - 3);
    OpenEditor("edited.c", {line}, 0, pos < 0 ? 0 : pos); /* the conversions use its table */

    static char word[WORD_SIZE];
    strcpy(word, "unchanged");
    ExtractWord(word, line.data(), (int)line.size(), pos);
    size_t n = strnlen(word, sizeof word);
    if (n >= sizeof word) FuzzFail("word unterminated");
    if (strcmp(word, "unchanged") != 0) {
        if (pos < 0 || pos >= (int)line.size()) FuzzFail("a word from outside the line");
        if (n == 0 && IsWordChar((unsigned char)line[(size_t)pos]))
            FuzzFail("no word on an identifier byte");
    }

    /* the same through the editor: the cursor's line, fetched from the host */
    EditorInfo info;
    char viaEditor[WORD_SIZE];
    int found = WordAtCursor(&info, viaEditor);
    if (found != (viaEditor[0] != '\0')) FuzzFail("WordAtCursor's result and word disagree");
    size_t kept = n < NAME_SIZE - 1 ? n : NAME_SIZE - 1; /* cut as an index cuts a name */
    if (pos >= 0 && strcmp(word, "unchanged") != 0 &&
        (strlen(viaEditor) != kept || memcmp(word, viaEditor, kept) != 0))
        FuzzFail("the editor's word differs from the line's");
    SetEditorToOemTable(nullptr);
    FuzzEndInput(&st);
    return 0;
}
