#define MAX(a,b) ((a) > (b) ? (a) : (b))
#define EMPTY
#define VERSION "1.0"
#define LONG_ONE \
    (1 + \
     2)
#  define SPACED 1
#define	TABBED	2
#define
struct Config {
#define INSIDE_BLOCK 1
    int x;
};
#define AFTER 3
