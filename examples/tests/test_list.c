/* test_list.c - unit tests of the linked lists */
#include <stdio.h>

#include "list.h"

int test_list_main(void)
{
    struct list_head h;
    int a = 1, b = 2;

    list_init(&h);
    list_append(&h, &a);
    list_append(&h, &b);
    if (h.count != 2 || list_nth(&h, 1)->data != &b) {
        printf("list: FAILED\n");
        return 1;
    }
    printf("list: ok\n");
    return 0;
}
