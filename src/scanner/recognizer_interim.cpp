/* recognizer_interim.cpp: stands in until the recognizer lands; scans nothing. */
#include "scanner/scanner.h"

int ScanSourceFile(const DirEntry *, BrowserState *) { return 1; }
