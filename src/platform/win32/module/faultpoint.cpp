/* faultpoint.cpp: linked into each Windows library on its own; only the fault-test library
   (built with ZOLT_TEST_FAULTS) can be made to throw, to show that the library's own exceptions
   end at its entry points. */
#include "platform/platform.h"

#ifdef ZOLT_TEST_FAULTS
#include <string.h>

#include <stdexcept>

#include <windows.h>

void TestFaultPoint(void)
{
    char what[8];
    DWORD n = GetEnvironmentVariableA("ZOLT_TEST_FAULT", what, sizeof what);
    if (n > 0 && n < sizeof what && strcmp(what, "throw") == 0)
        throw std::runtime_error("test fault");
}
#else
void TestFaultPoint(void) {}
#endif
