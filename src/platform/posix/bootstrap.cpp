/* bootstrap.cpp: interim file open until the full posix backend lands. */
#include <string>

#include "platform/platform.h"

FILE *FileOpen(const char *path, const char *mode)
{
    std::string native(path);
    for (char &c : native)
        if (c == '\\') c = '/';
    return fopen(native.c_str(), mode);
}
