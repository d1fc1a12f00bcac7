/* config.cpp: `zolt config`: shows and sets the ten options in the store the dialog writes. */
#include <stdio.h>
#include <string.h>

#include "base/limits.h"
#include "base/text.h"
#include "batch/batch.h"
#include "settings/settings.h"

enum { EXIT_OK = 0, EXIT_NOT_STORED = 1, EXIT_USAGE = 2 };

/* The options as the plugin keeps them: OPTION_FLAGS, then the mask. */
static const char MASK_NAME[] = OPTION_MASK_NAME;

void PrintConfigUsage(FILE *out)
{
    fputs("usage: zolt config [NAME=VALUE ...]\n"
          "  Sets the given options, then prints all ten as NAME=VALUE. Names (any case):\n"
          "  CtStatic CtInline CtCPP QuitMenu CtStaticE CtInlineE CtCPPE Recurse MoveF take 0\n"
          "  or 1; FileMask takes ';'-separated wildcard masks (at most 511 bytes, may be empty).\n"
          "  Nothing is written unless every setting is valid.\n"
          "  Exit status: 0; 1 when a value could not be stored; 2 on an unknown name or a bad\n"
          "  value.\n",
          out);
}

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
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        PrintConfigUsage(stdout);
        return EXIT_OK;
    }
    Setting s;
    for (int i = 1; i < argc; i++) /* every setting is checked before the first is written */
        if (ParseSetting(argv[i], &s) != 0) return EXIT_USAGE;
    InstallBatchHost();
    int status = EXIT_OK;
    for (int i = 1; i < argc; i++) {
        if (ParseSetting(argv[i], &s) == 0 && Store(s) == 0) continue;
        fprintf(stderr, "zolt: config: cannot store %s\n", argv[i]);
        status = EXIT_NOT_STORED;
    }
    PrintOptions();
    return status;
}
