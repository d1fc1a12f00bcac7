int a_fn(void)
{
}
#define CR_DEF 1
typedef int crint;
struct T {
 int x;
} t_obj;
struct U {
} u_obj
;
int b_fn(void) { }
