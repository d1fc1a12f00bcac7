/* options.cpp: the ten options: their names, defaults and checkboxes, read in one way. */
#include "settings/settings.h"

/* ORDER-OPTIONS: one row per Option, in its order; dialogItem indexes the dialog's template. */
const OptionInfo OPTION_FLAGS[OPT_FLAG_COUNT] = {
    {"CtStatic", 0, 5}, {"CtInline", 1, 6},  {"CtCPP", 1, 7},
    {"QuitMenu", 0, 8}, {"CtStaticE", 1, 9}, {"CtInlineE", 1, 10},
    {"CtCPPE", 1, 11},  {"Recurse", 1, 14},  {"MoveF", 1, 15},
};

int ReadOptionFlag(int option, int *flag)
{
    uint32_t value;
    int read = QueryDwordValue("", OPTION_FLAGS[option].name, &value, OPTION_FLAGS[option].def);
    *flag = value != 0;
    return read < 0 ? -1 : 0;
}

int GetOptionFlag(int option)
{
    int flag;
    (void)ReadOptionFlag(option, &flag);
    return flag;
}

int GetOptionMask(char *mask, size_t size)
{
    return GetStringSetting("", OPTION_MASK_NAME, mask, SETTINGS_DEFAULT_MASK, size) < 0 ? -1 : 0;
}
