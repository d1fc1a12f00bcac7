/* tablegrowth.cpp [N [realloc]]: what growing the definition table by 100 slots costs at a
   given size, with this C library's realloc and with an allocator that copies the block on
   every enlargement. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "index/index.h"

static double Seconds(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

/* Appends n entries the way AppendEntry grows the table; copying = 1 moves the block to a new
   allocation on every enlargement, as some allocators do. Returns the bytes moved. */
static double Grow(long n, int copying)
{
    DefinitionEntry e;
    memset(&e, 'x', sizeof e);
    DefinitionEntry *table = (DefinitionEntry *)MemAlloc(TABLE_INITIAL * sizeof e);
    long capacity = TABLE_INITIAL;
    double moved = 0;
    for (long count = 0; count < n; count++) {
        if (count >= capacity) {
            size_t size = (size_t)(capacity + TABLE_GROWTH) * sizeof e;
            if (copying) {
                DefinitionEntry *p = (DefinitionEntry *)malloc(size);
                if (p == NULL) return -1;
                memcpy(p, table, (size_t)capacity * sizeof e);
                moved += (double)capacity * sizeof e;
                free(table);
                table = p;
            } else {
                table = (DefinitionEntry *)MemRealloc(table, size);
                if (table == NULL) return -1;
            }
            capacity += TABLE_GROWTH;
        }
        table[count] = e;
    }
    free(table);
    return moved;
}

int main(int argc, char **argv)
{
    long n = argc > 1 ? atol(argv[1]) : 1000000;
    int onlyRealloc = argc > 2 && strcmp(argv[2], "realloc") == 0;
    for (int copying = 0; copying <= (onlyRealloc ? 0 : 1); copying++) {
        double start = Seconds();
        double moved = Grow(n, copying);
        printf("%s\t%ld\t%.3f\t%.1f\n", copying ? "copy-on-grow" : "realloc", n, Seconds() - start,
               moved / 1e9);
    }
    return 0;
}
