/* browse_p.h: the break-key layout the browse menu's files share. */
#ifndef ZOLT_BROWSE_BROWSE_P_H
#define ZOLT_BROWSE_BROWSE_P_H

/* Break-key list layout; the host reports a pressed key by its index here. */
enum {
    BREAK_KEY_SLOTS = 100,  /* allocated, zero-filled */
    BREAK_LETTERS = 0,      /* 'A'..'Z' */
    BREAK_DIGITS = 26,      /* '0'..'9' */
    BREAK_PUNCTUATION = 36, /* "_:~<>", in this order */
    BREAK_BACKSPACE = 41,
    BREAK_SPACE = 42,
    BREAK_END = 43 /* the terminating 0 */
};

#endif
