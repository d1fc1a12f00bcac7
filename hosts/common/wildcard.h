/* wildcard.h: the host's file-name match (CmpName) for our replacement hosts. */
#ifndef ZOLT_HOSTS_WILDCARD_H
#define ZOLT_HOSTS_WILDCARD_H

/* Case-insensitive (ASCII and code page 866 letters) match of one mask with '*', '?' and [sets].
   skipPath: only the part after the last '\' or '/' (or a leading "X:") is compared.
   "*.*" matches every name; a mask ending in '.' matches a name without extension. */
int WildcardMatch(const char *pattern, const char *name, int skipPath);
/* The same over UTF-16 (the host generation whose names are Unicode), with the caller's
   upper-casing of one unit; there a mask ending in ".*" also takes the name without it. */
int WildcardMatchWide(const wchar_t *pattern, const wchar_t *name, int skipPath,
                      wchar_t (*fold)(wchar_t));

#endif
