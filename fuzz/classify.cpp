/* classify: ClassifyFile (and the host's wildcard matching under it) over arbitrary mask lists
   and names. Input: the mask list, a NUL byte, the name. */
#include <string.h>

#include "fuzz.h"
#include "index/index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static BrowserState st;
    FuzzBeginInput(&st, 0);
    std::string masks((const char *)data, size), name;
    size_t nul = masks.find('\0');
    if (nul != std::string::npos) {
        name = masks.substr(nul + 1);
        masks.resize(nul);
        name = name.substr(0, name.find('\0'));
    }
    int kind = ClassifyFile(name.c_str(), masks.c_str());
    if (kind < FILE_KIND_NONE || kind > FILE_KIND_MACRO) FuzzFail("not a file kind");
    /* the list as the settings hold it: cut to the 511 characters of fileMask */
    snprintf(st.fileMask, sizeof st.fileMask, "%s", masks.c_str());
    int stored = ClassifyFile(name.c_str(), st.fileMask);
    if (masks.size() < 500 && stored != kind)
        FuzzFail("the same short list classified twice differently");
    if (kind == FILE_KIND_NONE && masks.find("*;") == 0) FuzzFail("'*' matched nothing");
    FuzzEndInput(&st);
    return 0;
}
