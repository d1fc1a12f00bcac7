static int helper(void)
{
}
inline int fast(void) { return 1; }
static inline int both(void) { return 2; }
int plain(void) { return 3; }
int inline_count(void) { return 4; }
inline_t make_token(void) { return 5; }
