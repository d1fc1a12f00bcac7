/* variant.h: the reference build. Built with ZOLT_PLAIN=1, the plugin takes the straightforward
   road wherever a faster one exists: every byte through the reader's layers, the whole update
   index loaded before the walk, entries sorted as records, index files read whole. Its outputs
   are what the fast roads must reproduce byte for byte. */
#ifndef ZOLT_BASE_VARIANT_H
#define ZOLT_BASE_VARIANT_H

#ifndef ZOLT_PLAIN
#define ZOLT_PLAIN 0
#endif

#endif
