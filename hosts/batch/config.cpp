/* config.cpp: `zolt config`: shows and sets the ten options in the store the dialog writes. */
#include <getopt.h>
#include <stdio.h>
#include <string.h>

#include "base/limits.h"
#include "base/text.h"
#include "batch/batch.h"
#include "settings/settings.h"

enum { EXIT_OK = 0, EXIT_NOT_STORED = 1, EXIT_USAGE = 2 };

/* The options as the plugin keeps them: OPTION_FLAGS, then the mask. */
static const char MASK_NAME[] = OPTION_MASK_NAME;

/* What each option does, in OPTION_FLAGS order and then the mask. ORDER-OPTIONS */
static const char *const MEANINGS[OPT_FLAG_COUNT + 1] = {
    "the project scan keeps definitions declared static",
    "the project scan keeps definitions declared inline",
    "the project scan keeps ::-qualified names (A::f)",
    "Browse from the panels closes its menu once a definition is opened",
    "as CtStatic, for the scan of the text in the editor (Browse and Go to definition from the "
    "editor)",
    "as CtInline, for the scan of the text in the editor",
    "as CtCPP, for the scan of the text in the editor",
    "the project scan descends into subdirectories",
    "Browse from the panels opens the file at the definition's line (0: at its first line)",
    "';'-separated wildcard masks of the source files the project scan reads (at most 511 "
    "bytes, may be empty); *.MAC macro files are read whatever it says",
};

/* "NAME [DEFAULT]" and the meaning of each option, for the help and the manual page. */
static const HelpItem *OptionItems(void)
{
    static char terms[OPT_FLAG_COUNT + 1][80];
    static HelpItem items[OPT_FLAG_COUNT + 2];
    for (int i = 0; i < OPT_FLAG_COUNT; i++) {
        FormatTruncated(terms[i], sizeof terms[i], "%s [%u]", OPTION_FLAGS[i].name,
                        (unsigned)OPTION_FLAGS[i].def);
        items[i] = {terms[i], MEANINGS[i]};
    }
    FormatTruncated(terms[OPT_FILE_MASK], sizeof terms[OPT_FILE_MASK], "%s [%s]", MASK_NAME,
                    SETTINGS_DEFAULT_MASK);
    items[OPT_FILE_MASK] = {terms[OPT_FILE_MASK], MEANINGS[OPT_FILE_MASK]};
    items[OPT_FILE_MASK + 1] = {NULL, NULL};
    return items;
}
const HelpItem *const OPTION_ITEMS = OptionItems();

static const char *const CONFIG_TEXT[] = {
    "Sets the given options, then prints all ten as NAME=VALUE. They are the options of the "
    "configuration dialog (F9 in the terminal program), in the same store. Names match in any "
    "case; each option but FileMask takes 0 (off) or 1 (on). Nothing is written unless every "
    "setting is valid. The options, with their defaults:",
    NULL};
static const char *const CONFIG_AFTER[] = {
    "The project scan is that of Build project index, and of Browse (and zolt list) from the "
    "panels where the directory has no index. A change of CtStatic, CtInline, CtCPP, Recurse or "
    "FileMask makes the next build a full one.",
    NULL};
const CommandHelp CONFIG_HELP = {
    "config [--] [NAME=VALUE ...]", CONFIG_TEXT, OPTION_ITEMS, CONFIG_AFTER,
    "0; 1 when a value could not be stored; 2 on an unknown name or a bad value."};

/* One NAME=VALUE setting, checked. */
struct Setting {
    int option; /* an Option: OPT_FILE_MASK, or an index in OPTION_FLAGS */
    uint32_t flag;
    const char *mask;
};

static int FindOption(const char *name)
{
    for (int i = 0; i < OPT_FLAG_COUNT; i++)
        if (CompareAsciiNoCase(name, OPTION_FLAGS[i].name) == 0) return i;
    return CompareAsciiNoCase(name, MASK_NAME) == 0 ? OPT_FILE_MASK : -1;
}

/* 0 and *out, or -1 after saying what is wrong. */
static int ParseSetting(const char *arg, Setting *out)
{
    const char *eq = strchr(arg, '=');
    char name[64];
    if (eq == NULL || CopyTruncatedN(name, sizeof name, arg, (size_t)(eq - arg)) ||
        (out->option = FindOption(name)) < 0) {
        if (eq == NULL) fprintf(stderr, "zolt: config: expected NAME=VALUE, not '%s'\n", arg);
        else fprintf(stderr, "zolt: config: unknown option '%.*s'\n", (int)(eq - arg), arg);
        return -1;
    }
    const char *value = eq + 1;
    if (out->option == OPT_FILE_MASK) {
        if (strlen(value) >= MASK_SIZE) {
            fprintf(stderr, "zolt: config: FileMask is longer than %d bytes\n", MASK_SIZE - 1);
            return -1;
        }
        out->mask = value;
        return 0;
    }
    if ((value[0] != '0' && value[0] != '1') || value[1] != '\0') {
        fprintf(stderr, "zolt: config: bad value '%s' for %s (0 or 1)\n", value,
                OPTION_FLAGS[out->option].name);
        return -1;
    }
    out->flag = (uint32_t)(value[0] - '0');
    return 0;
}

static int Store(const Setting &s)
{
    if (s.option == OPT_FILE_MASK) return SetStringValue("", MASK_NAME, s.mask);
    return SetDwordValue("", OPTION_FLAGS[s.option].name, s.flag);
}

static void PrintOptions(void)
{
    for (int i = 0; i < OPT_FLAG_COUNT; i++)
        printf("%s=%d\n", OPTION_FLAGS[i].name, GetOptionFlag(i));
    char mask[MASK_SIZE];
    GetOptionMask(mask, sizeof mask);
    printf("%s=%s\n", MASK_NAME, mask);
}

int RunConfig(int argc, char **argv)
{
    static const struct option LONG_OPTIONS[] = {{"help", no_argument, NULL, 'h'},
                                                 {NULL, 0, NULL, 0}};
    BatchArgs a;
    BeginArgs(&a, "config", argc, argv, ":h", LONG_OPTIONS);
    for (int c; (c = NextArg(&a)) != ARG_END;) {
        if (c == ARG_HELP) {
            PrintCommandHelp(stdout, &CONFIG_HELP);
            return EXIT_OK;
        }
        if (c == ARG_ERROR) return EXIT_USAGE;
    }
    Setting s;
    for (int i = optind; i < argc; i++) /* every setting is checked before the first is written */
        if (ParseSetting(argv[i], &s) != 0) return EXIT_USAGE;
    if (InstallBatchHost() != 0) return EXIT_USAGE;
    int status = EXIT_OK;
    for (int i = optind; i < argc; i++) {
        if (ParseSetting(argv[i], &s) == 0 && Store(s) == 0) continue;
        fprintf(stderr, "zolt: config: cannot store %s\n", argv[i]);
        status = EXIT_NOT_STORED;
    }
    PrintOptions();
    return status;
}
