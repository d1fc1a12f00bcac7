typedef struct {
    int v;
} Broken
;
struct Commented {
    int w;
} /* Commented */;
enum class Color : int { Red, Green };
int after(void) { return 0; }
