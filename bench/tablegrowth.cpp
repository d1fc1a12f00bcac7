/* tablegrowth.cpp N: appends N entries to a fresh definition table through AppendEntry and
   prints the seconds, the entries and how many times the table was enlarged. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "index/index.h"
#include "state/state.h"

static double Seconds(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

int main(int argc, char **argv)
{
    long n = argc > 1 ? atol(argv[1]) : 1000000;
    static BrowserState st;
    DefinitionEntry e;
    memset(&e, 'x', sizeof e);
    long grown = 0;
    int capacity = 0;
    double start = Seconds();
    for (long i = 0; i < n; i++) {
        if (AppendEntry(&e, &st, 0) != 0) {
            printf("failed after %.3f s\n", Seconds() - start);
            return 1;
        }
        if (st.capacity != capacity) grown++;
        capacity = st.capacity;
    }
    printf("%.3f s, %ld entries, %ld enlargements\n", Seconds() - start, n, grown);
    ReleaseState(&st);
    return 0;
}
