void fatal(const char *msg) __attribute__((noreturn));
int count;
