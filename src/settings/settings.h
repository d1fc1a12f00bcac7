/* settings.h: the options in the user's settings store, and the configuration dialog. */
#ifndef ZOLT_SETTINGS_SETTINGS_H
#define ZOLT_SETTINGS_SETTINGS_H

#include <stddef.h>
#include <stdint.h>

#include "host/farapi.h"
#include "platform/platform.h"

#define SETTINGS_DEFAULT_MASK "*.c;*.cpp;*.h;*.hpp"

/* Every key lives below SettingsRoot: subkey "" names SettingsRoot itself, any other subkey
   the key SettingsRoot + "\" + subkey. A path that does not fit 512 bytes (or an unterminated
   SettingsRoot) opens nothing: reads give their defaults and writes fail. */
StoreKey *CreateSettingsKey(const char *subkey); /* for writing; null on failure */
StoreKey *OpenSettingsKey(const char *subkey);   /* for reading; null when absent */

/* Each opens, writes and closes the key; 0, or -1 when the value could not be stored (the old
   value stays). */
int SetDwordValue(const char *subkey, const char *name, uint32_t value);
int SetStringValue(const char *subkey, const char *name, const char *text);

/* 1 and the stored DWORD in *out; 0 and *out = def when the value is missing, unreadable or
   not a DWORD. */
int QueryDwordValue(const char *subkey, const char *name, uint32_t *out, uint32_t def);
uint32_t GetDwordSetting(const char *subkey, const char *name, uint32_t def);
/* 1 and the stored string in buffer; 0 and def (cut to size) when the value is missing, not a
   string or does not fit size bytes with its NUL. */
int GetStringSetting(const char *subkey, const char *name, char *buffer, const char *def, size_t size);

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
