/* list.c - intrusive doubly linked lists */
#include <stdlib.h>

#include "list.h"
#include "util.h"

void list_init(struct list_head *h)
{
    h->first = h->last = 0;
    h->count = 0;
}

static void link_last(struct list_head *h, struct list_node *n)
{
    n->next = 0;
    n->prev = h->last;
    if (h->last)
        h->last->next = n;
    else
        h->first = n;
    h->last = n;
    h->count++;
}

/* Items that are list nodes themselves (lines) are linked directly; anything else is wrapped. */
void list_append(struct list_head *h, void *item)
{
    struct list_node *n = xmalloc(sizeof *n);

    n->data = item;
    link_last(h, n);
}

void list_insert_after(struct list_head *h, struct list_node *pos, struct list_node *n)
{
    n->prev = pos;
    n->next = pos->next;
    if (pos->next)
        pos->next->prev = n;
    else
        h->last = n;
    pos->next = n;
    h->count++;
}

void list_remove(struct list_head *h, struct list_node *n)
{
    if (n->prev)
        n->prev->next = n->next;
    else
        h->first = n->next;
    if (n->next)
        n->next->prev = n->prev;
    else
        h->last = n->prev;
    h->count--;
}

struct list_node *list_nth(struct list_head *h, long n)
{
    struct list_node *p;

    if (n < 0 || n >= h->count)
        return 0;
    for (p = h->first; n > 0; n--)
        p = p->next;
    return p;
}
