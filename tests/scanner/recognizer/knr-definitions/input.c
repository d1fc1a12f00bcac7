int
f(a, b)
int a;
char *b;
{
    return a;
}

static int
g(x)
long x;
{
}

void
h(p)
struct node *p;
{
}
