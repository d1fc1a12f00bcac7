/* lng.h: the host's language files (.lng) for our replacement hosts: loading and choosing by locale. */
#ifndef ZOLT_HOSTS_LNG_H
#define ZOLT_HOSTS_LNG_H

#include <stddef.h>

enum {
    LNG_NAME_SIZE = 64,   /* language name and description: longer ones are cut */
    LNG_PATH_SIZE = 1024, /* path of the loaded file; a longer directory entry is not considered */
    LNG_FILE_MAX = 1024 * 1024 /* bytes; a larger file is not a language file and is refused */
};

/* One loaded language file. Message n is the n-th line that starts with '"' (0-based). */
struct LngFile {
    char language[LNG_NAME_SIZE]; /* from ".Language=NAME,DESCRIPTION"; "" without a header */
    char description[LNG_NAME_SIZE];
    char path[LNG_PATH_SIZE]; /* the file it came from, for diagnostics */
    char *text;               /* owned: the decoded messages, each NUL-terminated */
    const char **messages;    /* owned: count pointers into text */
    int count;
};

/* Loads a file by the host's rules: lines trimmed of spaces, tabs, CR and LF; lines not starting
   with '"' ignored; the last '"' dropped; \\ \" \n \r \b \t and "" decoded; a NUL byte ends its line.
   Returns 0, or -1 when the file cannot be read, is larger than LNG_FILE_MAX or memory runs out;
   *out is then empty (LngMessage gives ""). Free with LngFree either way. */
int LngLoad(const char *path, LngFile *out);
void LngFree(LngFile *f);

/* Message n, or "" when n is out of range (the host answers a missing message the same way). */
const char *LngMessage(const LngFile *f, int n);

/* The value that names the message language: LC_ALL, else LC_MESSAGES, else LANG; "" if none. */
const char *LngEnvLocale(void);

/* Loads the *.lng file of directory dir (not its subdirectories) for a locale: "Russian" when the
   locale starts with "ru", "English" otherwise. Like the host, falls back to the English file,
   then to the last file in name order. Returns 0, or -1 when no file could be loaded. */
int LngLoadForLocale(const char *dir, const char *locale, LngFile *out);

#endif
