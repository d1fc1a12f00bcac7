X operator+(X a, X b)
{
}
int operator_count(void)
{
}
int& Vec::operator[](int i)
{
}
Vec &Vec::operator=(const Vec &o)
{
    return *this;
}
int lost_to_assignment(void) { return 0; }
extern int resume;
int found_again(void) { return 1; }
