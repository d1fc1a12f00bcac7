/* settings.h: the options in the user's settings store, and the configuration dialog. */
#ifndef ZOLT_SETTINGS_SETTINGS_H
#define ZOLT_SETTINGS_SETTINGS_H

#include <stddef.h>
#include <stdint.h>

#include "host/farapi.h"
#include "platform/platform.h"

#define SETTINGS_DEFAULT_MASK "*.c;*.cpp;*.h;*.hpp"

/* The ten options, in the order the dialog, `zolt config` and the store list them. ORDER-OPTIONS */
enum Option {
    OPT_STATIC = 0,    /* project scan: record static functions */
    OPT_INLINE = 1,    /* project scan: record inline functions */
    OPT_QUALIFIED = 2, /* project scan: record ::-qualified names */
    OPT_QUIT_MENU = 3, /* the browse menu closes after a choice */
    OPT_STATIC_E = 4,  /* editor scan: the same three filters */
    OPT_INLINE_E = 5,
    OPT_QUALIFIED_E = 6,
    OPT_RECURSE = 7, /* the project scan walks subdirectories */
    OPT_MOVE_TO_LINE = 8,
    OPT_FLAG_COUNT = 9, /* the DWORD options above; the mask follows them */
    OPT_FILE_MASK = 9
};
/* One DWORD option: its value name in the store, the default a missing value reads as, and the
   configuration dialog's checkbox that shows it. */
struct OptionInfo {
    const char *name;
    uint32_t def;
    int dialogItem;
};
extern const OptionInfo OPTION_FLAGS[OPT_FLAG_COUNT];
#define OPTION_MASK_NAME "FileMask"
/* A DWORD option as a command reads it into *flag: 1 or 0, its default when missing. 0, or -1
   when memory ran out reading the store (the default stands in for what may be stored). */
int ReadOptionFlag(int option, int *flag);
int GetOptionFlag(int option); /* ReadOptionFlag's flag alone */
/* The mask option into mask (MASK_SIZE bytes); the default when missing or too long. 0, or -1
   as ReadOptionFlag. */
int GetOptionMask(char *mask, size_t size);

/* Every key lives below SettingsRoot: subkey "" names SettingsRoot itself, any other subkey
   the key SettingsRoot + "\" + subkey. A path that does not fit 512 bytes (or an unterminated
   SettingsRoot) opens nothing: reads give their defaults and writes fail. */
StoreKey *CreateSettingsKey(const char *subkey); /* for writing; null on failure */
StoreKey *OpenSettingsKey(const char *subkey);   /* for reading; null when absent */

/* Each opens, writes and closes the key; 0, or -1 when the value could not be stored (the old
   value stays). */
int SetDwordValue(const char *subkey, const char *name, uint32_t value);
/* Several values through one opening of the key: written together (one file rewrite on posix). */
int SetDwordValues(const char *subkey, const char *const *names, const uint32_t *values, int n);
int SetStringValue(const char *subkey, const char *name, const char *text);

/* 1 and the stored DWORD in *out; 0 and *out = def when the value is missing, unreadable or
   not a DWORD; -1 and *out = def when memory ran out reading the store. */
int QueryDwordValue(const char *subkey, const char *name, uint32_t *out, uint32_t def);
uint32_t GetDwordSetting(const char *subkey, const char *name, uint32_t def);
/* 1 and the stored string in buffer; 0 and def (cut to size) when the value is missing, not a
   string or does not fit size bytes with its NUL; -1 and def when memory ran out reading the
   store. */
int GetStringSetting(const char *subkey, const char *name, char *buffer, const char *def,
                     size_t size);

/* One dialog item as the constant template keeps it. */
#pragma pack(push, 1)
struct DialogTemplateItem {
    uint8_t type;
    uint8_t x1, y1, x2, y2;
    uint8_t focus;
    int32_t selected;
    uint32_t flags;
    uint8_t defaultButton;
    uint32_t text; /* message number below DIALOG_LITERAL_TEXT, else DIALOG_LITERAL_TEXT + index */
};
#pragma pack(pop)
static_assert(sizeof(DialogTemplateItem) == 19, "DialogTemplateItem is a packed 19-byte record");

/* Texts from here up are literal texts of the template, not message numbers. */
enum { DIALOG_LITERAL_TEXT = 2000, DIALOG_EMPTY_TEXT = DIALOG_LITERAL_TEXT };

/* Fills count host items from the template: message texts fetched now, literals copied. */
void InitDialogItems(const DialogTemplateItem *tpl, FarDialogItem *items, int count);

#endif
