int f(int);
int f(int), g(int);
extern int count;
int
real(void)
{
}
