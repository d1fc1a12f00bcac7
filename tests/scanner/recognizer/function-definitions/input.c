/* functions */
int main(void)
{
    return 0;
}

long
sum_values(const int *v,
           int n,
           int start)
{
    return 0;
}

char *dup_name(const char *s) { return 0; }
