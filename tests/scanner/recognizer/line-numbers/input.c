/* A block comment
   over three lines */
int first(void) { return 0; }
// line comment (with parens)
int sec\
ond(int a, /* inline
             comment */ int b)
{
}
int third(const char *s = "a)b",
          int n) const;
int fourth(

    void)
{
}
#define SPLIT_\
NAME 1
