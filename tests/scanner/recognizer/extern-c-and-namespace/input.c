extern "C" {
int hidden_c(void) { return 0; }
}

namespace util {
int hidden_ns(void) { return 0; }
}

#ifdef __cplusplus
extern "C" {
#endif

int api_open(const char *path)
{
    return 0;
}

#ifdef __cplusplus
}
#endif

int visible(void) { return 1; }
struct After { int x; };
int last(void) { return 2; }
