/* args.cpp: the subcommands' option parsing (getopt_long), their usage errors and the check of
   what they wrote on standard output. */
#include <errno.h>
#include <getopt.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "batch/batch.h"

void BeginArgs(BatchArgs *a, const char *command, int argc, char **argv, const char *shortOptions,
               const struct option *longOptions)
{
    a->command = command;
    a->argc = argc;
    a->argv = argv;
    a->shortOptions = shortOptions;
    a->longOptions = longOptions;
    a->value = NULL;
    opterr = 0; /* our own messages name the subcommand */
    optind = 0; /* 0, not 1: glibc starts a new scan, as for a second command in one process */
}

/* The spelling of the option getopt_long just refused, for a message. */
static void RefusedOption(const BatchArgs *a, int optionChar, char *out, size_t size)
{
    const char *arg = optind > 0 && optind <= a->argc ? a->argv[optind - 1] : "";
    if (strncmp(arg, "--", 2) == 0) {
        size_t n = strcspn(arg, "=");
        snprintf(out, size, "%.*s", (int)n, arg);
    } else {
        snprintf(out, size, "-%c", optionChar != 0 ? optionChar : '?');
    }
}

int NextArg(BatchArgs *a)
{
    int longIndex = -1;
    int c = getopt_long(a->argc, a->argv, a->shortOptions, a->longOptions, &longIndex);
    a->value = optarg;
    if (c == -1) return ARG_END;
    if (c == 'h') return ARG_HELP;
    char spelled[64];
    if (c == ':') {
        RefusedOption(a, optopt, spelled, sizeof spelled);
        ArgError(a, "option '%s' needs an argument", spelled);
        return ARG_ERROR;
    }
    if (c == '?') {
        RefusedOption(a, optopt, spelled, sizeof spelled);
        const char *arg = a->argv[optind - 1];
        if (strncmp(arg, "--", 2) == 0 && strchr(arg, '=') != NULL && optopt != 0)
            ArgError(a, "option '%s' takes no argument", spelled);
        else ArgError(a, "unknown option '%s'", spelled);
        return ARG_ERROR;
    }
    return c;
}

int ArgError(const BatchArgs *a, const char *format, ...)
{
    fprintf(stderr, "zolt: %s: ", a->command);
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fprintf(stderr, " (see zolt %s --help)\n", a->command);
    return EXIT_BAD_USAGE;
}

int FinishOutput(const char *command)
{
    int failed = ferror(stdout);
    errno = 0;
    if (fflush(stdout) != 0) failed = 1;
    int error = errno;
    if (fclose(stdout) != 0 && !failed) {
        failed = 1;
        error = errno;
    }
    if (!failed) return 0;
    fprintf(stderr, "zolt: %s%swrite error on standard output%s%s\n", command ? command : "",
            command ? ": " : "", error != 0 ? ": " : "", error != 0 ? strerror(error) : "");
    return -1;
}

int EnterDirectory(const BatchArgs *a, const char *dir)
{
    struct stat sb;
    if (stat(dir, &sb) != 0) {
        ArgError(a, "DIR '%s': %s", dir, strerror(errno));
        return -1;
    }
    if (!S_ISDIR(sb.st_mode)) {
        ArgError(a, "DIR '%s': not a directory", dir);
        return -1;
    }
    if (chdir(dir) != 0) {
        fprintf(stderr, "zolt: %s: cannot enter %s: %s\n", a->command, dir, strerror(errno));
        return -1;
    }
    return 0;
}
