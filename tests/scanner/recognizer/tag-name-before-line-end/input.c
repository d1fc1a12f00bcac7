typedef struct {
    int v;
} Broken
;
int after(void) { return 0; }
