/* docs_main.cpp: zolt-docs, run by the build: zolt's manual page or its bash completion. */
#include <stdio.h>
#include <string.h>

#include "batch/batch.h"

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "man") == 0) PrintManPage(stdout);
    else if (argc == 2 && strcmp(argv[1], "bash-completion") == 0) PrintBashCompletion(stdout);
    else {
        fputs("usage: zolt-docs man | bash-completion\n", stderr);
        return 2;
    }
    return fflush(stdout) == 0 && !ferror(stdout) ? 0 : 1;
}
