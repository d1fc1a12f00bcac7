/* cp866.h: the plugin's own code page, 866, against Unicode: a fixed table whatever the
   machine's code pages are. */
#ifndef ZOLT_BASE_CP866_H
#define ZOLT_BASE_CP866_H

#include <stddef.h>
#include <stdint.h>

/* Every byte has a character: bytes below 0x80 are ASCII. */
uint16_t Cp866ToUnicode(unsigned char b);
/* The byte of a character from the Basic Multilingual Plane, or -1 when 866 has none. */
int UnicodeToCp866(uint32_t c);

#endif
