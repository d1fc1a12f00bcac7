int (*fp)(int);
void (*signal(int sig, void (*handler)(int)))(int);
int (*table[4])(void);
static void (*hook)(void) = 0;
int real(void)
{
}
