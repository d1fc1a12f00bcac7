/* fuzz.h: what every fuzz target shares: a private scratch directory, a fresh host and command
   state per input, and the checks that hold whatever the input was. */
#ifndef ZOLT_FUZZ_FUZZ_H
#define ZOLT_FUZZ_FUZZ_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "index/index.h"
#include "state/state.h"

/* Makes a scratch directory current (removed at exit), points the settings store into it and
   installs the test host. Call once from LLVMFuzzerInitialize or the first input. */
void FuzzSetUp(void);

/* A fresh test host and a zero-filled state with both tables allocated as a command has them;
   the options come from the bits of `options`. */
void FuzzBeginInput(BrowserState *st, unsigned options);
/* Releases the tables and aborts when the plugin broke a host rule (an unrestored screen, a
   call with bad arguments). */
void FuzzEndInput(BrowserState *st);

/* Aborts unless every entry of both tables is within its bounds: names and files terminated
   inside their 64 bytes, counts within capacities. */
void FuzzCheckTables(const BrowserState *st);

void FuzzWriteFile(const char *name, const uint8_t *data, size_t size);

/* Splits data into lines at '\n' (the line ends are not part of the lines). */
std::vector<std::string> FuzzLines(const uint8_t *data, size_t size);

/* Aborts with a message: a finding, whatever the sanitizers say. */
[[noreturn]] void FuzzFail(const char *what);

#endif
