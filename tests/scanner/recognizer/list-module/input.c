/*
 * list.c - a small doubly linked list.
 */
#include <stdlib.h>
#include "list.h"

#define LIST_POISON ((struct node *)0x100)

typedef struct node {
    struct node *prev, *next;
    void *data;
} node_t;

struct list {
    node_t head;
    size_t size;
};

static node_t *node_new(void *data)
{
    node_t *n = malloc(sizeof *n);
    if (n != NULL) {
        n->prev = n->next = LIST_POISON;
        n->data = data;
    }
    return n;
}

struct list *list_create(void)
{
    struct list *l = calloc(1, sizeof *l);
    if (l != NULL)
        l->head.prev = l->head.next = &l->head;
    return l;
}

int list_push(struct list *l, void *data)
{
    node_t *n = node_new(data);
    if (n == NULL)
        return -1;
    n->next = &l->head;
    n->prev = l->head.prev;
    l->head.prev->next = n;
    l->head.prev = n;
    l->size++;
    return 0;
}

size_t list_size(const struct list *l) { return l->size; }

void list_foreach(struct list *l, void (*fn)(void *data, void *ctx),
                  void *ctx)
{
    node_t *n;
    for (n = l->head.next; n != &l->head; n = n->next)
        fn(n->data, ctx);
}

void list_destroy(struct list *l)
{
    /* free every node; the data belongs to the caller */
    while (l->head.next != &l->head) {
        node_t *n = l->head.next;
        l->head.next = n->next;
        free(n);
    }
    free(l);
}
