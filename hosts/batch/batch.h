/* batch.h: the headless side of the zolt program: its host record and its subcommands. */
#ifndef ZOLT_HOSTS_BATCH_H
#define ZOLT_HOSTS_BATCH_H

#include <stdio.h>

/* Installs the batch host's service record: no screen; progress goes to stderr when that is a
   terminal; CmpName is our wildcard match; texts are empty until language files are loaded. */
void InstallBatchHost(void);

/* Subcommands: argv[0] is the subcommand's name. Each returns the process exit status. */
int RunScan(int argc, char **argv);
void PrintScanUsage(FILE *out);

#endif
