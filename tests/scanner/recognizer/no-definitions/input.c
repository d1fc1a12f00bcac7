/* nothing here */
int x;
extern int y;
int table[3] = { 1, 2, 3 };
