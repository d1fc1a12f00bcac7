/* browse_p.h: the break-key layout and filter editing shared by the browse menu's files. */
#ifndef ZOLT_BROWSE_BROWSE_P_H
#define ZOLT_BROWSE_BROWSE_P_H

/* Break-key list layout; the host reports a pressed key by its index here. */
enum {
    BREAK_KEY_SLOTS = 100,   /* allocated, zero-filled */
    BREAK_LETTERS = 0,       /* 'A'..'Z' */
    BREAK_DIGITS = 26,       /* '0'..'9' */
    BREAK_PUNCTUATION = 36,  /* "_:~<>", in this order */
    BREAK_BACKSPACE = 41,
    BREAK_SPACE = 42,
    BREAK_END = 43           /* the terminating 0 */
};

/* Applies the key at breakCode to filter (FILTER_MAX chars and its NUL at most): Backspace drops
   the last character, any other key appends its character while there is room. An index outside
   the used keys changes nothing. */
void EditFilter(char *filter, const int *breakKeys, int breakCode);

#endif
